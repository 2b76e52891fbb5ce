#include "chrome/ToolbarHelp.h"

#include "chrome/MainActions.h"
#include "chrome/StatusBar.h"
#include "chrome/Toolbar.h"

#include <QAction>
#include <QEvent>
#include <QHoverEvent>

namespace {
const QString Ready = QStringLiteral("Готово");
}

ToolbarHelp::ToolbarHelp(const Context &context, QObject *parent)
    : QObject(parent)
    , c(context)
{
    c.toolbar.setAttribute(Qt::WA_Hover);
    c.toolbar.installEventFilter(this);
    for (QAction *a : c.toolbar.actions())
        if (QWidget *button = c.toolbar.widgetForAction(a); button && !a->isSeparator())
            button->installEventFilter(this);
}

bool ToolbarHelp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &c.toolbar) {
        switch (event->type()) {
        case QEvent::HoverEnter:
        case QEvent::HoverMove: TMainToolbar_MouseMove(static_cast<QHoverEvent *>(event)->position().toPoint()); break;
        case QEvent::Leave: showReady(); break;
        default: break;
        }
        return false;
    }
    // A button without a tool tip of its own would show its action's text: the tip is refused.
    if (event->type() == QEvent::ToolTip)
        return !c.actions.mnuShowToolTips->isChecked();
    return false;
}

void ToolbarHelp::TMainToolbar_MouseMove(const QPoint &pos)
{
    if (!c.actions.mnuShowInfo->isChecked())
        return;
    const QAction *item = c.toolbar.actionAt(pos);
    const bool button = item && !item->isSeparator() && !item->statusTip().isEmpty();
    c.statusBar.setPanelText(button ? item->statusTip() : Ready);
}

void ToolbarHelp::showReady()
{
    if (c.actions.mnuToolbar->isChecked() || c.actions.mnuStatusBar->isChecked())
        c.statusBar.setPanelText(Ready);
}

void ToolbarHelp::CheckToolbarInfo()
{
    if (!c.toolbar.underMouse())
        showReady();
}
