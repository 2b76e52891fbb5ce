#pragma once
// What the toolbar tells about its buttons: with "Ото&бражать информацию" on, status panel 1 shows
// the help text of the item under the pointer (disabled buttons too), "Готово" over a separator or
// a gap and as soon as the pointer leaves the toolbar; the buttons' tool tips appear only while
// "О&тображать подсказки" is on.
//
// It follows the toolbar's own hover events, which Qt delivers for disabled buttons as well
// (QAction::hovered is not emitted for them), so nothing is polled.

#include <QObject>
#include <QPoint>

class MainStatusBar;
class MainToolbar;
struct MainActions;

class ToolbarHelp : public QObject {
    Q_OBJECT
public:
    struct Context {
        MainToolbar &toolbar;
        MainStatusBar &statusBar;
        const MainActions &actions;
    };

    explicit ToolbarHelp(const Context &context, QObject *parent = nullptr);

    // While a bar is shown, puts "Готово" into panel 1 unless the pointer rests on the toolbar
    // (whose help text then stays). The state refresh runs it after every refresh.
    void CheckToolbarInfo();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void TMainToolbar_MouseMove(const QPoint &pos);
    void showReady();

    Context c;
};
