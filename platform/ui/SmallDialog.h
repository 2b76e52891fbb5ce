#pragma once
// The common life of the program's small windows (Find, Replace, Go to, print settings, About):
// a fixed-size dialog frame owned by the main window. The designed size is the least it has: with
// a larger interface font or scale the window is as large as its controls need to show whole. Each activation puts it into (or out of)
// the topmost band with the main window's option and gives its text boxes the editor's character
// set; its unload step runs exactly once, however it is closed. The modeless ones are created
// when first shown and destroyed when closed (showSmallDialog).

#include <QDialog>
#include <QPointer>
#include <functional>

namespace platform {

// What a small window needs to know of the main window.
struct DialogHost {
    QWidget *mainWindow = nullptr;           // owner, and the frame the dialog is placed in
    std::function<int()> charset;            // the editor font's character set, which the dialog takes
    std::function<bool()> alwaysOnTop;       // the main window's topmost option
};

class SmallDialog : public QDialog {
    Q_OBJECT
public:
    // The size is the designed client size in twips.
    SmallDialog(const DialogHost &host, const QString &caption, int clientWidthTwips, int clientHeightTwips);

    // True once the unload step has run (the window is closing or closed).
    bool isUnloaded() const { return m_unloaded; }

    void done(int result) override;
    void setVisible(bool visible) override;

protected:
    // Writes back what is to be remembered.
    virtual void Form_Unload() {}
    void Form_Activate();

    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    const DialogHost host;

private:
    void unload();
    void fitContents();
    QSize m_designed;
    bool m_unloaded = false;
};

// Shows a window again in its normal state, also one that the window manager minimised together
// with its owner, and raises it; activate: and gives it the keyboard.
void bringBack(QWidget *window, bool activate);

// Shows the dialog held by slot modeless, creating it with make() when there is none (or it is
// closing); an open one is only brought back to the front and activated.
template <class Dialog, class Make>
void showSmallDialog(QPointer<Dialog> &slot, Make make)
{
    if (!slot || slot->isUnloaded()) {
        slot = make();
        slot->show();
    } else {
        bringBack(slot, true);
    }
}

} // namespace platform
