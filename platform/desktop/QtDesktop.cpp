#include "platform/desktop/QtDesktop.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>

namespace platform {

QString QtPrograms::find(const QString &name) const
{
    return QStandardPaths::findExecutable(name);
}

bool QtPrograms::start(const QString &path, const QStringList &arguments)
{
    return QProcess::startDetached(path, arguments);
}

bool QtTrayHost::available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayHost::setChangedHandler(std::function<void()> changed)
{
    m_changed = std::move(changed);
    if (m_following)
        return;
    m_following = true;

    // X11: the xcb platform tracks the owner of the tray selection and announces its changes
    // through its native interface (a QObject), the signal Qt's own XEmbed icon follows.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        available();   // makes the platform start tracking the tray
        if (auto *native = reinterpret_cast<QObject *>(QGuiApplication::platformNativeInterface())) {
            const QMetaObject *meta = native->metaObject();
            const int signal = meta->indexOfSignal("systemTrayWindowChanged(QScreen*)");
            const int slot = metaObject()->indexOfSlot("hostChanged()");
            if (signal >= 0 && slot >= 0)
                connect(native, meta->method(signal), this, metaObject()->method(slot));
        }
    }
    // StatusNotifier: the watcher service of the session bus comes and goes with the host.
    if (QDBusConnection::sessionBus().isConnected()) {
        auto *watcher = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                QDBusConnection::sessionBus(),
                                                QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &QtTrayHost::hostChanged);
    }
}

void QtTrayHost::hostChanged()
{
    if (m_changed)
        m_changed();
}

} // namespace platform
