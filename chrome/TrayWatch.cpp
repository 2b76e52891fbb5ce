#include "chrome/TrayWatch.h"

#include "chrome/FrmTray.h"
#include "platform/interfaces/Platform.h"
#include "platform/ui/SmallDialog.h"

#include <QAction>
#include <QApplication>
#include <QWidget>
#include <utility>

namespace {

// A window of owner's: a dialog it owns, or one owned by such a dialog.
bool ownedBy(const QWidget *window, const QWidget *owner)
{
    for (const QWidget *w = window->parentWidget(); w; w = w->parentWidget()) {
        if (w == owner)
            return true;
    }
    return false;
}

} // namespace

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
    if (QWidget *modal = QApplication::activeModalWidget()) {
        waitForClose(modal);
        return;
    }
    m_tray = new FrmTray(c.window->windowIcon(), c.documentName ? c.documentName() : QString(), this);
    connect(m_tray, &FrmTray::restoreRequested, this, &TrayWatch::RestoreFromTray);
    connect(m_tray, &FrmTray::exitRequested, this, &TrayWatch::mnuExit_Click);
    m_state = State::InTray;
    // The small windows are hidden with it and shown again after it: the window manager forgets
    // what a hidden window owned, and would no longer keep them above it.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && ownedBy(w, c.window)) {
            m_smallWindows.append(w);
            w->hide();
        }
    }
    c.window->hide();
}

void TrayWatch::waitForClose(QWidget *modal)
{
    if (m_modal == modal)
        return;
    if (m_modal)
        m_modal->removeEventFilter(this);
    m_modal = modal;
    modal->installEventFilter(this);
}

bool TrayWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_modal && event->type() == QEvent::Hide) {
        m_modal->removeEventFilter(this);
        m_modal = nullptr;
        check();
    }
    return QObject::eventFilter(watched, event);
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
    for (const QPointer<QWidget> &w : std::exchange(m_smallWindows, {})) {
        if (w)
            platform::bringBack(w, false);
    }
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
