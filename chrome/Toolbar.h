#pragma once
// The toolbar: 13 buttons and 5 separators (18 items). A button that has a menu item is that
// item's own action (with the button's picture, tool tip and status help text added); copy all
// and the three alignment buttons have their own actions, whose clicks are reported by key.

#include <QHash>
#include <QToolBar>

class QAction;
struct MainActions;

class MainToolbar : public QToolBar {
    Q_OBJECT
public:
    struct Item {
        const char *key;       // NewBtn ... RightBtn; Space1 ... Space5 for separators
        const char *tip;       // tool tip and description
        const char *help;      // status bar help text (the action's status tip)
    };
    static const QList<Item> &items();

    MainToolbar(const MainActions &actions, QWidget *parent = nullptr);

    // The button's action, by key; nullptr for separators and unknown keys.
    QAction *button(const QString &key) const { return m_buttons.value(key); }
    // Shows the pressed picture on the button of the given alignment (0 left, 1 right, 2 centre).
    void showAlignment(int alignment);

Q_SIGNALS:
    // A click on a button that has no menu item (CopyAllBtn, LeftBtn, CenterBtn, RightBtn).
    void buttonClick(const QString &key);

private:
    QHash<QString, QAction *> m_buttons;
};
