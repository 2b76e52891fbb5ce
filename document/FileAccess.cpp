#include "document/FileAccess.h"

#include "platform/RuntimeError.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace FileAccess {

std::function<int(qint64)> writeFaultHook;

namespace {

using platform::RuntimeError;
namespace Code = platform::ErrorCode;

// An open file descriptor, closed when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    // Closes now and reports close()'s errno (0 on success).
    int close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return (fd >= 0 && ::close(fd) != 0) ? errno : 0;
    }
    void reset() { close(); }

private:
    int m_fd;
};

QByteArray nativePath(const QString &path) { return QFile::encodeName(path); }

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

bool isFolder(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The program's number for an errno met while opening, reading or writing `path`.
int errorCode(int err, const QByteArray &path)
{
    switch (err) {
    case ENOENT:
        return isFolder(folderOf(path)) ? Code::FileNotFound : Code::PathNotFound;
    case ENOTDIR:
        return Code::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return Code::AccessDenied;
    case ENOMEM:
        return Code::OutOfMemory;
    default:
        return 1000 + err;
    }
}

[[noreturn]] void fail(int err, const QByteArray &path) { throw RuntimeError(errorCode(err, path)); }

// Opens a regular file for reading. O_NONBLOCK keeps a FIFO from waiting for a writer; anything
// that is not a regular file is refused before a byte is read.
int openRegularForReading(const QByteArray &path, struct stat &st)
{
    int fd;
    do
        fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        fail(errno, path);
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        fail(err, path);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw RuntimeError(Code::AccessDenied);
    }
    return fd;
}

// Follows symbolic links to the file they finally name (which need not exist yet).
QByteArray resolveLinks(QByteArray path)
{
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        if (hops == 40)
            fail(ELOOP, path);
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), buf, sizeof buf);
        if (n < 0)
            fail(errno, path);
        if (n == ssize_t(sizeof buf))
            fail(ENAMETOOLONG, path);
        QByteArray target(buf, n);
        if (!target.startsWith('/'))
            target = folderOf(path) + '/' + target;
        path = target;
    }
}

// Creates a new, empty file beside `target` with a name nobody else uses.
int createTemporary(const QByteArray &target, QByteArray &tempPath)
{
    const QByteArray folder = folderOf(target);
    // Kept short enough that the temporary name fits the file system's name limit.
    const QByteArray name = target.mid(target.lastIndexOf('/') + 1).left(200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + "/." + name + ".jotbook-"
                   + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        // Mode 0666 lets the umask decide the permissions of a new document.
        const int fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST && errno != EINTR)
            fail(errno, target);
    }
    fail(EEXIST, target);
}

void writeAll(int fd, const QByteArray &data, const QByteArray &target)
{
    const char *p = data.constData();
    qint64 written = 0;
    const qint64 total = data.size();
    while (written < total) {
        const ssize_t n = ::write(fd, p + written, size_t(qMin(WriteChunk, total - written)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno, target);
        }
        written += n;
        if (writeFaultHook)
            if (const int err = writeFaultHook(written))
                fail(err, target);
    }
}

} // namespace

qint64 FileLength(const QString &path)
{
    struct stat st;
    Fd fd(openRegularForReading(nativePath(path), st));
    return st.st_size;
}

QByteArray ReadWholeFile(const QString &path)
{
    const QByteArray native = nativePath(path);
    struct stat st;
    Fd fd(openRegularForReading(native, st));

    QByteArray data;
    try {
        data = QByteArray(qsizetype(st.st_size), Qt::Uninitialized);
    } catch (const std::bad_alloc &) {
        throw RuntimeError(Code::OutOfMemory);
    }

    qint64 done = 0;
    while (done < st.st_size) {
        const ssize_t n = ::read(fd.get(), data.data() + done, size_t(qMin<qint64>(WriteChunk, st.st_size - done)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno, native);
        }
        if (n == 0)
            break;
        done += n;
    }
    if (done < st.st_size)
        data.truncate(qsizetype(done));
    return data;
}

void SaveFile(const QString &path, const QByteArray &data)
{
    const QByteArray target = resolveLinks(nativePath(path));

    // The target, when it exists, must be a regular file that may be written; its permissions
    // and owner pass to the new file.
    struct stat old;
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        fail(errno, target);
    if (exists) {
        if (!S_ISREG(old.st_mode))
            throw RuntimeError(Code::AccessDenied);
        const int probe = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (probe < 0)
            fail(errno, target);
        ::close(probe);
    }

    QByteArray tempPath;
    Fd fd(createTemporary(target, tempPath));
    try {
        if (exists) {
            // Giving the file back to its owner needs privileges; without them it becomes ours.
            // The owner goes first: a change of owner may clear the set-id bits.
            const int chownFailed = ::fchown(fd.get(), old.st_uid, old.st_gid);
            Q_UNUSED(chownFailed);
            if (::fchmod(fd.get(), old.st_mode & 07777) != 0)
                fail(errno, target);
        }
        writeAll(fd.get(), data, target);
        if (::fsync(fd.get()) != 0)
            fail(errno, target);
        if (const int err = fd.close())
            fail(err, target);
        if (::rename(tempPath.constData(), target.constData()) != 0)
            fail(errno, target);
    } catch (...) {
        fd.reset();
        ::unlink(tempPath.constData());
        throw;
    }

    // Make the new directory entry durable too; the file itself is already safe.
    Fd folder(::open(folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        ::fsync(folder.get());
}

} // namespace FileAccess
