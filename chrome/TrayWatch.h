#pragma once
// Minimising to the notification area ("&Минимизировать в трей").
//
// Normal life: the main window is shown (normal, maximised, or minimised on the taskbar). When it
// is minimised with the option checked and the desktop has a notification area, it goes "in the
// tray": the icon (FrmTray) is added and the window hidden. A left or middle click on the icon, or
// "&Открыть редактор", brings the window back in its normal state, in front, and removes the icon;
// "&Выход" brings it back the same way and closes it, so a cancelled close leaves normal life.
// The small windows shown with it (Find, Replace, Go to) leave and come back with it, above it.
// While a modal window (About, print settings, a message) waits for an answer, the window stays
// minimised on the taskbar: that window takes every click of the program, the icon's too, and the
// window manager brings both back together. It goes to the tray once that window has closed, if
// it is still minimised then.
//
// The window is never hidden without an icon to bring it back: with no notification area it
// stays minimised on the taskbar (and goes to the tray if one appears while it is still
// minimised), and if the notification area goes away while the window is hidden there, the
// window comes back. The watch follows the window's state changes and, once a minimised window has
// asked for the tray, the tray host's notices; nothing is polled.

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class FrmTray;
class QAction;
class QWidget;
namespace platform { class TrayHost; }

class TrayWatch : public QObject {
    Q_OBJECT
public:
    struct Context {
        QWidget *window;                       // the main window
        QAction *minimizeToTray;               // the option item
        platform::TrayHost *host;              // null: the desktop has no notification area
        std::function<QString()> documentName; // the caption's short name, empty for a new document
    };

    enum class State { NormalLife, InTray };

    explicit TrayWatch(const Context &context, QObject *parent = nullptr);
    ~TrayWatch() override;

    // Looks at the window soon (outside the event that called it): after its state changed and
    // after the option was switched.
    void check();
    // Back from the notification area: the window in its normal state, shown and in front; the
    // icon goes.
    void RestoreFromTray();

    State state() const { return m_state; }
    FrmTray *frmTray() const;   // while the window is in the tray

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void TWindowState_Check();
    void waitForClose(QWidget *modal);
    void hostChanged();
    void mnuExit_Click();

    Context c;
    State m_state = State::NormalLife;
    QPointer<FrmTray> m_tray;
    QList<QPointer<QWidget>> m_smallWindows;   // hidden with the window in the tray
    QPointer<QWidget> m_modal;                 // the modal window that keeps the window out of the tray
    bool m_checkPending = false;
    bool m_followingHost = false;
};
