#include "platform/desktop/QtPlatform.h"

#include "platform/interfaces/RuntimeError.h"
#include "platform/storage/IniText.h"
#include "platform/storage/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A settings file larger than this is taken as damaged.
constexpr qint64 MaxSettingsFile = 16 << 20;

// The file's bytes: empty when it does not exist; a RuntimeError when it cannot be read or is
// anything but a regular file (a FIFO is never waited on).
QByteArray readSettingsFile(const QString &fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT)
            return QByteArray();
        throwFileError(errno, path);
    }
    QByteArray data;
    int err = 0;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        err = errno;
    } else if (!S_ISREG(st.st_mode)) {
        err = EACCES;
    } else {
        char buf[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                err = n < 0 ? errno : 0;
                break;
            }
            data.append(buf, n);
            if (data.size() > MaxSettingsFile) {
                err = EFBIG;
                break;
            }
        }
    }
    ::close(fd);
    if (err)
        throwFileError(err, path);
    return data;
}

} // namespace

QString IniSettings::defaultFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Jotbook/Jotbook.ini");
}

IniSettings::IniSettings() : m_fileName(defaultFileName()) {}

IniSettings::IniSettings(const QString &fileName) : m_fileName(fileName) {}

IniSettings::~IniSettings() = default;

std::optional<QString> IniSettings::read(const QString &section, const QString &key)
{
    for (auto it = m_pending.crbegin(); it != m_pending.crend(); ++it)
        if (it->section == section && it->key == key)
            return it->value;
    if (!m_text)
        m_text = std::make_unique<IniText>(readSettingsFile(m_fileName));
    return m_text->value(section, key);
}

bool IniSettings::write(const QString &section, const QString &key, const QString &value)
{
    m_pending.append({section, key, value});
    return true;
}

bool IniSettings::flush()
{
    if (m_pending.isEmpty())
        return true;
    if (!QDir().mkpath(QFileInfo(m_fileName).absolutePath()))
        return false;
    // Another copy of the program may have saved since this one read: its rows stay, the rows
    // written here replace theirs.
    QLockFile lock(m_fileName + QStringLiteral(".lock"));
    lock.tryLock(2000);
    QByteArray current;
    bool readable = true;
    try {
        current = readSettingsFile(m_fileName);
    } catch (const RuntimeError &) {
        readable = false;
    }
    auto text = std::make_unique<IniText>(readable ? current : (m_text ? m_text->bytes() : QByteArray()));
    for (const Pending &p : std::as_const(m_pending))
        text->setValue(p.section, p.key, p.value);
    const QByteArray bytes = text->bytes();
    if (!readable || bytes != current || !QFileInfo::exists(m_fileName)) {
        try {
            writeFileSafely(m_fileName, bytes);
        } catch (const RuntimeError &) {
            return false;
        }
    }
    m_text = std::move(text);
    m_pending.clear();
    return true;
}

} // namespace platform
