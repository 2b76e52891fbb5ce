#pragma once
// Keeps the enabled state of the editing commands (menus, context menus, toolbar) in step with
// the text box, the clipboard and the window.
//
// What a refresh computes is a pure function of its inputs (refreshStates below). When it runs:
// one timer interval (25 ms, the timer "TGlobalState") after anything it reads can have changed -
// the text, the selection, the undo state, the clipboard, the recent document, the option marks it
// reads, the window's geometry, state and activation - and whenever a menu is about to open;
// nothing is polled. The result a user sees is the same as that of a refresh on every tick, at no
// cost while the editor is idle. Whether the clipboard holds text is asked once per change of its
// content, never by a refresh, so a clipboard owner that does not answer cannot stall one.
//
// The two jobs of the tick that follow the pointer are driven the same way:
// - the status help for the toolbar button under the pointer comes from the toolbar's own hover
//   and leave events, over disabled buttons too (ToolbarHelp); "Готово" returns when the pointer
//   leaves the toolbar, and after each refresh unless the pointer rests on the toolbar;
// - cursor following (the window fainter while the pointer is outside it) needs the pointer
//   outside the window, where X sends no motion: a 25 ms pointer check runs only while
//   translucency and cursor following are both on, and stops as soon as either is off
//   (CursorFollowing).

#include <QObject>
#include <QString>
#include <optional>

class QTimer;
class QWidget;
class MainToolbar;
struct MainActions;
namespace platform {
class SystemFacts;
class TextBox;
}

// What one refresh reads.
struct RefreshInputs {
    int textLength = 0;               // model characters
    int selLength = 0;
    bool canUndo = false;
    bool clipboardHasText = false;
    QString recentCaption;            // of the recent-document item
    QString productName;              // of the operating system
    bool maximised = false;
    bool standardGeometry = false;    // 800 x 600 pixels, centred (only looked at when not maximised)
    bool transparencyChecked = false;
    bool toolbarChecked = false;
    bool popupMenuChecked = false;
};

// What one refresh sets: enabled states, and the translucency mark.
struct RefreshStates {
    bool recentFile = false;          // the "Пос&ледний документ" sub-menu
    bool undo = false;
    bool selection = false;           // case conversion, delete, copy, cut
    bool paste = false;
    bool selectAll = false;
    bool textCommands = false;        // go to, find, find next, replace, and the copy-all button
    std::optional<bool> restoreWindow;  // nothing: left as it is (the window is maximised)
    bool transparency = false;
    bool transparencyChecked = false;
    bool transparencySettings = false;
    bool toolbarSettings = false;
    bool popupMenuSettings = false;
    bool operator==(const RefreshStates &) const = default;
};

RefreshStates refreshStates(const RefreshInputs &in);

class StateRefresh : public QObject {
    Q_OBJECT
public:
    struct Context {
        MainActions &actions;
        MainToolbar &toolbar;
        platform::TextBox &box;
        QWidget *window;                // the main window
        platform::SystemFacts &facts;
    };

    explicit StateRefresh(const Context &context, QObject *parent = nullptr);

    void start();      // begins following the sources
    void stop();
    void run();        // one refresh, now
    void schedule();   // a refresh at the next timer tick

    QTimer *timer() const { return TGlobalState; }

Q_SIGNALS:
    // After each refresh: what else the tick does (the toolbar's ready text) follows it.
    void refreshed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    RefreshInputs inputs() const;
    void apply(const RefreshStates &states);
    void updateClipboard();

    Context c;
    QTimer *TGlobalState;
    bool m_running = false;
    bool m_clipboardHasText = false;
};
