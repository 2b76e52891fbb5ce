#pragma once
// Keeps the enabled state of the editing commands (menus, context menus, toolbar) in step with
// the text box, the clipboard and the window. The refresh runs one timer interval (25 ms) after
// anything it reads can have changed, instead of polling: the result a user sees is the same as a
// refresh on every tick, at no cost while the editor is idle.

#include <QObject>

class FrmMain;

class StateRefresh : public QObject {
    Q_OBJECT
public:
    explicit StateRefresh(FrmMain &frm);

    void start();      // begins following the sources
    void stop();
    void run();        // one refresh, now
    void schedule();   // a refresh at the next timer tick

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateClipboard();

    FrmMain &frm;
    bool m_running = false;
    bool m_clipboardHasText = false;
};
