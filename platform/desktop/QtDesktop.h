#pragma once
// The desktop beyond files: starting other programs, and the notification area (a StatusNotifier
// host on the session bus, or an XEmbed tray on X11) with word when one appears or goes away.

#include "platform/interfaces/Platform.h"

#include <QObject>

namespace platform {

class QtPrograms : public Programs {
public:
    QString find(const QString &name) const override;
    bool start(const QString &path, const QStringList &arguments) override;
};

class QtTrayHost : public QObject, public TrayHost {
    Q_OBJECT
public:
    bool available() const override;
    // Follows the X11 tray manager and the StatusNotifier watcher from the first call on; no
    // polling.
    void setChangedHandler(std::function<void()> changed) override;

private Q_SLOTS:
    void hostChanged();

private:
    std::function<void()> m_changed;
    bool m_following = false;
};

} // namespace platform
