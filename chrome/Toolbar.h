#pragma once
// The toolbar: 13 buttons and 5 separators (18 items). A click reports the button's key; the main
// window runs the menu command behind it.

#include <QHash>
#include <QToolBar>

class QAction;

class MainToolbar : public QToolBar {
    Q_OBJECT
public:
    struct Item {
        const char *key;       // NewBtn ... RightBtn; Space1 ... Space5 for separators
        const char *tip;       // tool tip and description
        const char *help;      // status bar help text
    };
    static const QList<Item> &items();

    explicit MainToolbar(QWidget *parent = nullptr);

    QAction *button(const QString &key) const { return m_buttons.value(key); }
    // Shows the pressed picture on the button of the given alignment (0 left, 1 right, 2 centre).
    void showAlignment(int alignment);

Q_SIGNALS:
    void buttonClick(const QString &key);

private:
    QHash<QString, QAction *> m_buttons;
};
