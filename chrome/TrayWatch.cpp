#include "chrome/TrayWatch.h"

#include "chrome/FrmTray.h"
#include "platform/Platform.h"

#include <QAction>
#include <QWidget>

TrayWatch::TrayWatch(const Context &context, QObject *parent) : QObject(parent), c(context) {}

TrayWatch::~TrayWatch()
{
    if (m_followingHost)
        c.host->setChangedHandler({});
    delete m_tray;
}

FrmTray *TrayWatch::frmTray() const
{
    return m_tray;
}

void TrayWatch::check()
{
    if (m_checkPending)
        return;
    m_checkPending = true;
    QMetaObject::invokeMethod(this, [this] {
        m_checkPending = false;
        TWindowState_Check();
    }, Qt::QueuedConnection);
}

void TrayWatch::TWindowState_Check()
{
    if (m_state != State::NormalLife || !c.window->isMinimized() || !c.window->isVisible()
        || !c.minimizeToTray->isChecked())
        return;
    if (!c.host)
        return;
    // The tray host is followed from the first time it matters, so the start-up does not pay for it.
    if (!m_followingHost) {
        m_followingHost = true;
        c.host->setChangedHandler([this] { hostChanged(); });
    }
    if (!c.host->available())
        return;   // nothing could bring a hidden window back: it stays on the taskbar
    m_tray = new FrmTray(c.window->windowIcon(), c.documentName ? c.documentName() : QString(), this);
    connect(m_tray, &FrmTray::restoreRequested, this, &TrayWatch::RestoreFromTray);
    connect(m_tray, &FrmTray::exitRequested, this, &TrayWatch::mnuExit_Click);
    m_state = State::InTray;
    c.window->hide();
}

void TrayWatch::RestoreFromTray()
{
    if (m_state != State::InTray)
        return;
    m_state = State::NormalLife;
    c.window->setWindowState(c.window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    c.window->show();
    c.window->raise();
    c.window->activateWindow();
    // The icon may be the one whose click got us here: it goes once that click is handled.
    if (m_tray) {
        m_tray->trayIcon()->hide();
        m_tray->deleteLater();
        m_tray = nullptr;
    }
}

void TrayWatch::mnuExit_Click()
{
    // Back to normal life first: when the user cancels the close, the window simply stays.
    RestoreFromTray();
    c.window->close();
}

void TrayWatch::hostChanged()
{
    if (m_state == State::InTray) {
        if (!c.host->available())
            RestoreFromTray();
    } else {
        check();
    }
}
