#pragma once
// The common life of the main window's small modeless windows: a fixed-size dialog frame owned by
// the main window, created when first shown and destroyed when closed. Each activation puts it
// into (or out of) the topmost band with the main window's option and gives its text boxes the
// editor's character set; its unload step runs exactly once, however it is closed.

#include <QDialog>
#include <QPointer>

class FrmMain;

class SmallDialog : public QDialog {
    Q_OBJECT
public:
    // The size is the designed client size in twips.
    SmallDialog(FrmMain &frm, const QString &caption, int clientWidthTwips, int clientHeightTwips);

    // True once the unload step has run (the window is closing or closed).
    bool isUnloaded() const { return m_unloaded; }

    void done(int result) override;

protected:
    // Writes back into the main window what is to be remembered.
    virtual void Form_Unload() {}
    void Form_Activate();

    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    FrmMain &frm;

private:
    void unload();
    bool m_unloaded = false;
};

// Shows the dialog held by slot modeless, creating it when there is none (or it is closing);
// an open one is only brought to the front and activated.
template <class Dialog>
void showSmallDialog(QPointer<Dialog> &slot, FrmMain &frm)
{
    if (!slot || slot->isUnloaded()) {
        slot = new Dialog(frm);
        slot->show();
    } else {
        slot->show();
        slot->raise();
        slot->activateWindow();
    }
}
