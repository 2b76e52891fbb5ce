#pragma once
// The text box's context menus. By the two option items there are three modes:
// - "Контекстное мен&ю" on, "Станда&ртное меню" off: a right click opens the program's menu
//   (mnuPopup), a middle click the second one (mnuPopUp2);
// - both on: a right click opens the text box's standard menu; the middle button does nothing;
// - "Контекстное мен&ю" off: neither button opens a menu or does anything else.
// The Menu key and Shift+F10 open the standard menu in every mode. The middle button never reaches the text
// box, so it never pastes the X primary selection either. The right button's press does reach it;
// the menus open on the release.
//
// Done with event filters on the text box and its viewport, installed by HookTextBox. Qt sends the
// viewport a context-menu event right after the right press; it is always taken here, so the text
// box never opens a menu of its own.

#include <QObject>

class QMenu;
class QPoint;
struct MainActions;
namespace platform { class TextBox; }

class EditorMenus : public QObject {
    Q_OBJECT
public:
    enum class Mode { Own, Standard, None };

    struct Context {
        platform::TextBox &box;
        const MainActions &actions;   // the two context menus and the two option items
    };

    explicit EditorMenus(const Context &context, QObject *parent = nullptr);

    void HookTextBox();
    void UnhookTextBox();

    Mode mode() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool TTextBlock_MouseEvent(QEvent *event);
    void showStandardMenu(const QPoint &globalPos);

    Context c;
    bool m_hooked = false;
};
