#include "platform/ui/SmallDialog.h"

#include "platform/ui/DialogHelpers.h"
#include "platform/ui/WindowGeometry.h"
#include "platform/ui/WindowOptions.h"

#include <QCloseEvent>
#include <QLayout>

namespace platform {

SmallDialog::SmallDialog(const DialogHost &host, const QString &caption, int clientWidthTwips, int clientHeightTwips)
    : QDialog(host.mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                   | Qt::WindowCloseButtonHint)
    , host(host)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(caption);
    m_designed = QSize(int(roundHalfEven(clientWidthTwips / WindowGeometry::twipsPerPixelX())),
                       int(roundHalfEven(clientHeightTwips / WindowGeometry::twipsPerPixelY())));
    setFixedSize(m_designed);
}

void SmallDialog::setVisible(bool visible)
{
    // Before the dialog is placed: centring on the owner takes the final size.
    if (visible && !isVisible())
        fitContents();
    QDialog::setVisible(visible);
}

void SmallDialog::fitContents()
{
    QLayout *contents = layout();
    if (!contents)
        return;
    ensurePolished();
    contents->activate();
    setFixedSize(m_designed.expandedTo(contents->totalMinimumSize()));
}

void SmallDialog::Form_Activate()
{
    WindowOptions::SetTopMost(this, host.alwaysOnTop && host.alwaysOnTop());
    if (host.charset)
        MdlFunctions::ApplyTextCharset(this, host.charset());
}

bool SmallDialog::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(event);
}

void SmallDialog::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Form_Unload();
}

void SmallDialog::closeEvent(QCloseEvent *event)
{
    unload();
    QDialog::closeEvent(event);
    event->accept();
}

void SmallDialog::done(int result)
{
    unload();
    QPointer<SmallDialog> alive(this);
    QDialog::done(result);
    // A dialog hidden by done() without a close event must still go away.
    if (alive && !isVisible() && testAttribute(Qt::WA_DeleteOnClose))
        deleteLater();
}

void bringBack(QWidget *window, bool activate)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    if (activate)
        window->activateWindow();
}

} // namespace platform
