#include "platform/QtPlatform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sys/sysinfo.h>

namespace platform {

// ---- shell ---------------------------------------------------------------------------------------

int QtShell::open(QWidget *, const QString &file)
{
    constexpr int FileNotFound = 2, NoAssociation = 31, Done = 42;
    const QFileInfo info(file);   // a relative name is taken from the current folder
    if (file.isEmpty() || !info.exists())
        return FileNotFound;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath())) ? Done : NoAssociation;
}

// ---- clock ---------------------------------------------------------------------------------------

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

// ---- system facts --------------------------------------------------------------------------------

QString LinuxFacts::prettyName(const QString &osReleaseFile)
{
    QFile file(osReleaseFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.startsWith(QLatin1String("PRETTY_NAME=")))
            continue;
        QString value = line.mid(int(qstrlen("PRETTY_NAME=")));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
            const bool doubleQuoted = value.front() == u'"';
            value = value.mid(1, value.size() - 2);
            if (doubleQuoted) {   // shell-style escapes: \" \\ \$ \`
                QString plain;
                for (qsizetype i = 0; i < value.size(); ++i) {
                    if (value.at(i) == u'\\' && i + 1 < value.size())
                        ++i;
                    plain += value.at(i);
                }
                value = plain;
            }
        }
        return value;
    }
    return {};
}

QString LinuxFacts::productName() const
{
    QString name = prettyName(QStringLiteral("/etc/os-release"));
    if (name.isEmpty())
        name = prettyName(QStringLiteral("/usr/lib/os-release"));
    return name;
}

QString LinuxFacts::programFolder() const
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

quint64 LinuxFacts::totalPhysicalMemory() const
{
    struct sysinfo info {};
    if (sysinfo(&info) != 0)
        return 0;
    return quint64(info.totalram) * info.mem_unit;
}

quint64 LinuxFacts::availablePhysicalMemory() const
{
    // MemAvailable counts the caches the kernel gives back on demand; sysinfo's free memory does not.
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!meminfo.atEnd()) {
            const QByteArray line = meminfo.readLine();
            if (!line.startsWith("MemAvailable:"))
                continue;
            bool ok = false;
            const quint64 kib = line.mid(13).trimmed().split(' ').value(0).toULongLong(&ok);
            if (ok)
                return kib * 1024;
            break;
        }
    }
    struct sysinfo info {};
    if (sysinfo(&info) != 0)
        return 0;
    return quint64(info.freeram) * info.mem_unit;
}

} // namespace platform
