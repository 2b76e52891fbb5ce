#pragma once
// The Caps, Num and Scroll Lock indicators of the keyboard. Under X11 the state is read once and
// then kept up to date from the XKB indicator events; nothing is polled. Elsewhere (offscreen,
// Wayland) every indicator reads off and changed() never fires.

#include <QObject>
#include <memory>

namespace platform {

class KeyboardLocks : public QObject {
    Q_OBJECT
public:
    explicit KeyboardLocks(QObject *parent = nullptr);
    ~KeyboardLocks() override;

    bool caps() const { return m_caps; }
    bool num() const { return m_num; }
    bool scroll() const { return m_scroll; }

signals:
    void changed();

private:
    class Watcher;
    void setState(quint32 indicatorBits);

    std::unique_ptr<Watcher> m_watcher;
    int m_capsIndex = -1, m_numIndex = -1, m_scrollIndex = -1;
    bool m_caps = false, m_num = false, m_scroll = false;
};

} // namespace platform
