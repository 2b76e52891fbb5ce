#pragma once
// Cursor following: while translucency and "&Следить за курсором" are both on, the main window is
// fainter while the pointer is outside it. X reports no pointer motion outside the window, so a
// 25 ms pointer check (the timer "TCheckMouse") runs exactly while both options are on; otherwise
// nothing runs at all. Switching following off while the window is faint brings the full level back
// at once.

#include <QObject>

class QAction;
class QTimer;
class QWidget;
struct ChromeSettings;
namespace platform { class Pointer; }

// The opacity while the pointer is elsewhere: level - level / index, rounded to the nearest whole
// number (a half to the even one) and kept within a byte. An index of 0 leaves the level as it is.
int dimmedLevel(int level, int index);

class CursorFollowing : public QObject {
    Q_OBJECT
public:
    struct Context {
        QWidget *window;                   // the main window
        platform::Pointer &pointer;
        const ChromeSettings &settings;    // the level and the divisor
        QAction *mnuTransparensy;
        QAction *mnuCheckMouse;
    };

    explicit CursorFollowing(const Context &context, QObject *parent = nullptr);

    void start();   // follows the two options from now on
    void stop();

    // One check: the full level while the pointer is inside the window's outer rectangle (title
    // bar and borders included, its outermost pixels not), the dimmed level otherwise.
    void CheckMousePosition();

    QTimer *timer() const { return TCheckMouse; }

private:
    bool following() const;
    void optionsChanged();

    Context c;
    QTimer *TCheckMouse;
    bool m_running = false;
};
