#pragma once
// The status bar: panel 1 holds the status text, panels 2 to 4 show "CAPS", "SCRL" and "NUM",
// drawn active exactly while the keyboard's lock is on. The lock panels follow the keyboard by
// themselves; the program only writes panel 1.

#include <QStatusBar>

class QLabel;
namespace platform { class KeyboardLocks; }

class MainStatusBar : public QStatusBar {
    Q_OBJECT
public:
    MainStatusBar(platform::KeyboardLocks &locks, QWidget *parent = nullptr);
    ~MainStatusBar() override;

    QString panelText() const;
    void setPanelText(const QString &text);

private:
    void updateLocks();

    QLabel *m_text;
    QLabel *m_caps;
    QLabel *m_scroll;
    QLabel *m_num;
    platform::KeyboardLocks &m_locks;
};
