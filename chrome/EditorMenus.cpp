#include "chrome/EditorMenus.h"

#include "chrome/MainActions.h"
#include "platform/textview/TextBox.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

EditorMenus::EditorMenus(const Context &context, QObject *parent)
    : QObject(parent)
    , c(context)
{
}

void EditorMenus::HookTextBox()
{
    if (m_hooked)
        return;
    c.box.installEventFilter(this);
    c.box.viewport()->installEventFilter(this);
    m_hooked = true;
}

void EditorMenus::UnhookTextBox()
{
    c.box.removeEventFilter(this);
    c.box.viewport()->removeEventFilter(this);
    m_hooked = false;
}

EditorMenus::Mode EditorMenus::mode() const
{
    if (!c.actions.mnuPopupMenu->isChecked())
        return Mode::None;
    return c.actions.mnuDefaultMenu->isChecked() ? Mode::Standard : Mode::Own;
}

bool EditorMenus::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu) {
        // The right press's own context-menu event is dropped: the release decides. Any other
        // request (the Menu key) gets the standard menu.
        auto *e = static_cast<QContextMenuEvent *>(event);
        if (e->reason() != QContextMenuEvent::Mouse)
            showStandardMenu(e->globalPos());
        return true;
    }
    if (watched == c.box.viewport())
        return TTextBlock_MouseEvent(event);
    if (event->type() == QEvent::KeyPress) {
        // Shift+F10 asks for the menu from the keyboard, as the Menu key does.
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            const QRect caret = c.box.inputMethodQuery(Qt::ImCursorRectangle).toRect();
            showStandardMenu(c.box.mapToGlobal(caret.center()));
            return true;
        }
    }
    return false;
}

bool EditorMenus::TTextBlock_MouseEvent(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease)
        return false;
    auto *e = static_cast<QMouseEvent *>(event);
    const bool release = type == QEvent::MouseButtonRelease;
    if (e->button() == Qt::MiddleButton) {
        if (release && mode() == Mode::Own)
            c.actions.mnuPopUp2->popup(e->globalPosition().toPoint());
        return true;
    }
    if (e->button() != Qt::RightButton || !release)
        return false;
    switch (mode()) {
    case Mode::Own: c.actions.mnuPopup->popup(e->globalPosition().toPoint()); break;
    case Mode::Standard: showStandardMenu(e->globalPosition().toPoint()); break;
    case Mode::None: break;
    }
    return true;
}

void EditorMenus::showStandardMenu(const QPoint &globalPos)
{
    QMenu *menu = c.box.createStandardContextMenu();
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}
