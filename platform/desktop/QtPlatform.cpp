#include "platform/desktop/QtPlatform.h"

#include "platform/interfaces/RuntimeError.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <sys/sysinfo.h>
#include <sys/utsname.h>

namespace platform {

// ---- shell ---------------------------------------------------------------------------------------

int QtShell::open(QWidget *, const QString &file)
{
    constexpr int FileNotFound = 2, NoAssociation = 31, Done = 42;
    for (const char *scheme : {"mailto:", "http:", "https:"}) {
        if (file.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return QDesktopServices::openUrl(QUrl(file)) ? Done : NoAssociation;
    }
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

namespace {

// The value of a shell-style assignment as os-release writes it, unquoted.
QString unquoted(QString value)
{
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

} // namespace

QString LinuxFacts::prettyName(const QString &osReleaseFile)
{
    QFile file(osReleaseFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QString name;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1String("PRETTY_NAME="))) {
            const QString pretty = unquoted(line.mid(int(qstrlen("PRETTY_NAME="))));
            if (!pretty.isEmpty())
                return pretty;
        } else if (line.startsWith(QLatin1String("NAME="))) {
            name = unquoted(line.mid(int(qstrlen("NAME="))));
        }
    }
    return name;
}

QString LinuxFacts::productName() const
{
    if (!m_productName) {
        QString name = prettyName(QStringLiteral("/etc/os-release"));
        if (name.isEmpty())
            name = prettyName(QStringLiteral("/usr/lib/os-release"));
        if (name.isEmpty()) {
            struct utsname u {};
            if (uname(&u) == 0)
                name = QString::fromLocal8Bit(u.sysname);
        }
        m_productName = name;
    }
    return *m_productName;
}

QString LinuxFacts::versionFromRelease(const QString &release)
{
    static const QRegularExpression numbers(QStringLiteral("^(\\d+)\\.(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch m = numbers.match(release);
    if (!m.hasMatch())
        return {};
    return m.captured(1) + QLatin1Char('.') + m.captured(2).rightJustified(2, QLatin1Char('0')) + QLatin1Char('.')
        + m.captured(3);
}

QString LinuxFacts::versionText() const
{
    if (!m_versionText) {
        struct utsname u {};
        m_versionText = uname(&u) == 0 ? versionFromRelease(QString::fromLocal8Bit(u.release)) : QString();
    }
    return *m_versionText;
}

QString LinuxFacts::programFolder() const
{
    // One "/" at the end, also for a program in the root folder.
    const QString folder = QCoreApplication::applicationDirPath();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString LinuxFacts::dataFolder() const
{
    const QString beside = programFolder();
    if (QFileInfo::exists(beside + QStringLiteral("Jotbook.htm")))
        return beside;
    // Installed: PREFIX/bin/jotbook and PREFIX/share/jotbook/Jotbook.htm.
    return QDir::cleanPath(beside + QStringLiteral("../share/jotbook")) + QLatin1Char('/');
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

// ---- pointer -------------------------------------------------------------------------------------

QPoint QtPointer::position() const
{
    return QCursor::pos();
}

} // namespace platform
