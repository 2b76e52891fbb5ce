#include "platform/RecoveryFiles.h"

#include "platform/Platform.h"
#include "platform/SafeWrite.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

const QString RecoveryFiles::Suffix = QStringLiteral(".recovery");

namespace {

const QByteArray Magic = QByteArrayLiteral("Jotbook recovery 1\n");

// The names of the codings in the coding line.
constexpr std::pair<FileCoding, const char *> CodingNames[] = {
    {FileCoding::Ansi, "Windows-1251"},
    {FileCoding::Utf8, "UTF-8"},
    {FileCoding::Utf8WithMark, "UTF-8 BOM"},
};

// Creates the folder and any missing parent, each open to the user alone; an existing folder
// keeps its permissions.
void makePrivateFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    for (qsizetype end = path.indexOf('/', 1); ; end = path.indexOf('/', end + 1)) {
        const QByteArray part = end < 0 ? path : path.left(end);
        if (::mkdir(part.constData(), 0700) != 0) {
            const int err = errno;
            struct stat st;
            if (::stat(part.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
                throwFileError(err == EEXIST ? ENOTDIR : err, part);
        }
        if (end < 0)
            return;
    }
}

} // namespace

bool RecoveryFiles::enabled() const
{
    return !m_host.folder().isEmpty();
}

QString RecoveryFiles::ownFile() const
{
    return m_host.folder() + QLatin1Char('/') + m_host.selfId() + Suffix;
}

QByteArray RecoveryFiles::encode(const QString &documentPath, const QByteArray &text, const QDateTime &saved,
                                 FileCoding coding)
{
    QByteArray data = Magic;
    data += "saved " + QByteArray::number(saved.toMSecsSinceEpoch()) + '\n';
    data += "path " + QFile::encodeName(documentPath).toPercentEncoding() + '\n';
    for (const auto &[known, name] : CodingNames) {
        if (known == coding)
            data += QByteArray("coding ") + name + '\n';
    }
    data += '\n';
    data += text;
    return data;
}

std::optional<RecoveryCopy> RecoveryFiles::read(const QString &file, bool withText)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.readLine(Magic.size() + 1) != Magic)
        return std::nullopt;
    RecoveryCopy copy;
    copy.file = file;
    bool hasSaved = false;
    for (;;) {
        QByteArray line = f.readLine(1 << 16);
        if (!line.endsWith('\n'))
            return std::nullopt;
        line.chop(1);
        if (line.isEmpty())
            break;
        if (line.startsWith("saved "))
            copy.saved = QDateTime::fromMSecsSinceEpoch(line.mid(6).toLongLong(&hasSaved), Qt::UTC);
        else if (line.startsWith("path "))
            copy.path = QFile::decodeName(QByteArray::fromPercentEncoding(line.mid(5)));
        else if (line.startsWith("coding ")) {
            for (const auto &[known, name] : CodingNames) {
                if (line.mid(7) == name)
                    copy.coding = known;
            }
        }
    }
    if (!hasSaved)
        return std::nullopt;
    if (withText) {
        copy.text = f.readAll();
        if (f.error() != QFileDevice::NoError)
            return std::nullopt;
    }
    return copy;
}

void RecoveryFiles::write(const QString &documentPath, const QByteArray &text, const QDateTime &saved,
                          FileCoding coding)
{
    if (!enabled())
        return;
    makePrivateFolder(m_host.folder());
    writeFileSafely(ownFile(), encode(documentPath, text, saved, coding), 0600);
}

void RecoveryFiles::remove()
{
    if (enabled())
        ::unlink(QFile::encodeName(ownFile()).constData());
}

std::optional<RecoveryCopy> RecoveryFiles::newestOrphan() const
{
    if (!enabled())
        return std::nullopt;
    const QDir folder(m_host.folder());
    std::optional<RecoveryCopy> newest;
    const QStringList files = folder.entryList({QLatin1Char('*') + Suffix}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : files) {
        const QString id = name.chopped(Suffix.size());
        if (id == m_host.selfId() || m_host.isRunning(id))
            continue;
        std::optional<RecoveryCopy> copy = read(folder.filePath(name), false);
        if (copy && (!newest || copy->saved > newest->saved))
            newest = std::move(copy);
    }
    // Only the one offered is read whole.
    return newest ? read(newest->file, true) : std::nullopt;
}

bool RecoveryFiles::adopt(const RecoveryCopy &copy)
{
    return ::rename(QFile::encodeName(copy.file).constData(), QFile::encodeName(ownFile()).constData()) == 0;
}

void RecoveryFiles::discard(const RecoveryCopy &copy)
{
    ::unlink(QFile::encodeName(copy.file).constData());
}

} // namespace platform
