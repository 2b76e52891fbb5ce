#include "platform/desktop/KeyboardLocks.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>

#ifdef JOTBOOK_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <cstring>
#endif

namespace platform {

#ifdef JOTBOOK_HAVE_X11

// Watches the xcb event stream for XKB IndicatorStateNotify. The events arrive on Qt's own
// connection; the filter only reads them and lets Qt handle them as usual.
class XkbKeyboardLocks::Watcher : public QAbstractNativeEventFilter {
public:
    Watcher(XkbKeyboardLocks *owner, int xkbEventBase) : m_owner(owner), m_eventBase(xkbEventBase)
    {
        qApp->installNativeEventFilter(this);
    }
    ~Watcher() override { qApp->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        // Every XKB event is 32 bytes: response_type, xkbType, sequence, time, deviceID, ...
        // For IndicatorStateNotify the 32-bit indicator state is at byte 12.
        const auto *bytes = static_cast<const unsigned char *>(message);
        constexpr unsigned char IndicatorStateNotify = 4;
        if ((bytes[0] & 0x7f) == m_eventBase && bytes[1] == IndicatorStateNotify) {
            quint32 state;
            std::memcpy(&state, bytes + 12, sizeof state);
            m_owner->setState(state);
        }
        return false;
    }

private:
    XkbKeyboardLocks *m_owner;
    int m_eventBase;
};

namespace {

int indicatorIndex(Display *display, const char *name)
{
    int index = -1;
    Bool on = False;
    const Atom atom = XInternAtom(display, name, False);
    if (!XkbGetNamedIndicator(display, atom, &index, &on, nullptr, nullptr))
        return -1;
    return index;
}

} // namespace

XkbKeyboardLocks::XkbKeyboardLocks()
{
    auto *x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return;
    int opcode = 0, eventBase = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor))
        return;
    m_capsIndex = indicatorIndex(display, "Caps Lock");
    m_numIndex = indicatorIndex(display, "Num Lock");
    m_scrollIndex = indicatorIndex(display, "Scroll Lock");

    m_watcher = std::make_unique<Watcher>(this, eventBase);
    XkbSelectEvents(display, XkbUseCoreKbd, XkbIndicatorStateNotifyMask, XkbIndicatorStateNotifyMask);
    unsigned int state = 0;
    if (XkbGetIndicatorState(display, XkbUseCoreKbd, &state) == Success)
        setState(state);
    XFlush(display);
}

#else

class XkbKeyboardLocks::Watcher {};

XkbKeyboardLocks::XkbKeyboardLocks() = default;

#endif

XkbKeyboardLocks::~XkbKeyboardLocks() = default;

void XkbKeyboardLocks::setState(quint32 bits)
{
    auto lit = [bits](int index) { return index >= 0 && index < 32 && (bits >> index & 1u) != 0; };
    const bool caps = lit(m_capsIndex), num = lit(m_numIndex), scroll = lit(m_scrollIndex);
    if (caps == m_caps && num == m_num && scroll == m_scroll)
        return;
    m_caps = caps;
    m_num = num;
    m_scroll = scroll;
    if (m_changed)
        m_changed();
}

} // namespace platform
