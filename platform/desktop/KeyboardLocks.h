#pragma once
// The keyboard's lock indicators under X11: the state is read once and then kept up to date from
// the XKB indicator events; nothing is polled. Elsewhere (offscreen, Wayland) every indicator
// reads off and the changed handler never runs. Create it after the QApplication.

#include "platform/interfaces/Platform.h"

#include <memory>

namespace platform {

class XkbKeyboardLocks : public KeyboardLocks {
public:
    XkbKeyboardLocks();
    ~XkbKeyboardLocks() override;

    bool caps() const override { return m_caps; }
    bool num() const override { return m_num; }
    bool scroll() const override { return m_scroll; }
    void setChangedHandler(std::function<void()> changed) override { m_changed = std::move(changed); }

private:
    class Watcher;
    void setState(quint32 indicatorBits);

    std::unique_ptr<Watcher> m_watcher;
    std::function<void()> m_changed;
    int m_capsIndex = -1, m_numIndex = -1, m_scrollIndex = -1;
    bool m_caps = false, m_num = false, m_scroll = false;
};

} // namespace platform
