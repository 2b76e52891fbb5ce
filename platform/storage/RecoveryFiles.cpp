#include "platform/storage/RecoveryFiles.h"

#include "platform/interfaces/Platform.h"
#include "platform/storage/PrivateFolder.h"
#include "platform/storage/SafeWrite.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
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

// The header, up to its empty line, lies within this many bytes (a path of PATH_MAX bytes,
// percent-encoded, fits); a longer one is no copy.
constexpr qint64 HeaderLimit = 16 * 1024;

// Opens a regular file for reading: a link at the name is not followed, and a FIFO or a device
// is neither waited for nor read. -1 for anything else.
int openRegular(const QString &file)
{
    int fd;
    do
        fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
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
    const int fd = openRegular(file);
    QFile f;
    if (fd < 0)
        return std::nullopt;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    const QByteArray head = f.read(HeaderLimit);
    const qsizetype end = head.indexOf("\n\n", Magic.size() - 1);
    if (!head.startsWith(Magic) || end < 0)
        return std::nullopt;
    RecoveryCopy copy;
    copy.file = file;
    bool hasSaved = false;
    // Only the known lines; anything else is no copy.
    const QByteArray lines = head.sliced(Magic.size(), qMax(qsizetype(0), end - Magic.size() + 1));
    for (const QByteArray &line : lines.split('\n')) {
        if (line.isEmpty())
            continue;
        if (line.startsWith("saved "))
            copy.saved = QDateTime::fromMSecsSinceEpoch(line.mid(6).toLongLong(&hasSaved), Qt::UTC);
        else if (line.startsWith("path "))
            copy.path = QFile::decodeName(QByteArray::fromPercentEncoding(line.mid(5)));
        else if (line.startsWith("coding ")) {
            const auto known = std::find_if(std::begin(CodingNames), std::end(CodingNames),
                                            [&](const auto &entry) { return line.mid(7) == entry.second; });
            if (known == std::end(CodingNames))
                return std::nullopt;
            copy.coding = known->first;
        } else
            return std::nullopt;
    }
    if (!hasSaved)
        return std::nullopt;
    if (withText) {
        if (!f.seek(end + 2))
            return std::nullopt;
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
    int err = 0;
    if (!makePrivateFolder(m_host.folder(), &err))
        throwFileError(err, QFile::encodeName(m_host.folder()));
    writeNewFile(ownFile(), encode(documentPath, text, saved, coding), 0600);
}

void RecoveryFiles::remove()
{
    if (enabled())
        ::unlink(QFile::encodeName(ownFile()).constData());
}

std::optional<RecoveryCopy> RecoveryFiles::newestOrphan() const
{
    // Copies are taken only from a folder that is the user's alone, and only regular files are copies.
    if (!enabled() || !isPrivateFolder(m_host.folder()))
        return std::nullopt;
    const QDir folder(m_host.folder());
    std::optional<RecoveryCopy> newest;
    const QStringList files =
        folder.entryList({QLatin1Char('*') + Suffix}, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
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
    // Private like every copy this program writes, whatever mode the file had.
    const int fd = openRegular(copy.file);
    const bool madePrivate = fd >= 0 && ::fchmod(fd, 0600) == 0;
    if (fd >= 0)
        ::close(fd);
    return madePrivate
           && ::rename(QFile::encodeName(copy.file).constData(), QFile::encodeName(ownFile()).constData()) == 0;
}

void RecoveryFiles::discard(const RecoveryCopy &copy)
{
    ::unlink(QFile::encodeName(copy.file).constData());
}

} // namespace platform
