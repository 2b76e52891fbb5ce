#include "platform/storage/SafeWrite.h"

#include "platform/interfaces/RuntimeError.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform {

std::function<int(qint64)> writeFaultHook;
bool useUnnamedTemporary = true;

namespace {

namespace Code = ErrorCode;

// An open file descriptor, closed when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { close(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    void reset(int fd) { close(); m_fd = fd; }
    // Closes now and reports close()'s errno (0 on success).
    int close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return (fd >= 0 && ::close(fd) != 0) ? errno : 0;
    }

private:
    int m_fd;
};

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray &path) { return path.mid(path.lastIndexOf('/') + 1); }

bool isFolder(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Follows symbolic links to the file they finally name (which need not exist yet).
QByteArray resolveLinks(QByteArray path)
{
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        if (hops == 40)
            throwFileError(ELOOP, path);
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), buf, sizeof buf);
        if (n < 0)
            throwFileError(errno, path);
        if (n == ssize_t(sizeof buf))
            throwFileError(ENAMETOOLONG, path);
        QByteArray target(buf, n);
        if (!target.startsWith('/'))
            target = folderOf(path) + '/' + target;
        path = target;
    }
}

// The process's umask, read without changing it (another thread may be creating files).
mode_t processUmask()
{
    Fd status(::open("/proc/self/status", O_RDONLY | O_CLOEXEC));
    char buf[8192];
    ssize_t n = status.get() >= 0 ? ::read(status.get(), buf, sizeof buf - 1) : -1;
    if (n > 0) {
        buf[n] = '\0';
        if (const char *line = ::strstr(buf, "\nUmask:"))
            return mode_t(::strtoul(line + 7, nullptr, 8)) & 0777;
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// Temporary copies of a document are named ".<name>.jotbook-<pid>-<random>", so that a copy
// whose saving process has died can be recognised and removed.
QByteArray temporaryPrefix(const QByteArray &target)
{
    // Kept short enough that the whole name fits the file system's name limit.
    return "." + nameOf(target).left(200) + ".jotbook-";
}

QByteArray temporaryName(const QByteArray &prefix)
{
    return prefix + QByteArray::number(qint64(::getpid())) + '-'
           + QByteArray::number(QRandomGenerator::global()->generate(), 36);
}

// The process id in a temporary name with this prefix, or 0 when the name has another form.
pid_t temporaryOwner(const char *entry, const QByteArray &prefix)
{
    if (::strncmp(entry, prefix.constData(), size_t(prefix.size())) != 0)
        return 0;
    const char *p = entry + prefix.size();
    qint64 pid = 0;
    for (; *p >= '0' && *p <= '9' && pid < INT_MAX; ++p)
        pid = pid * 10 + (*p - '0');
    if (*p != '-' || !p[1] || pid > INT_MAX)
        return 0;
    for (++p; *p; ++p)
        if (!((*p >= '0' && *p <= '9') || (*p >= 'a' && *p <= 'z')))
            return 0;
    return pid_t(pid);
}

// Removes this user's temporary copies of the document whose saving process no longer runs.
void removeStaleTemporaries(int folder, const QByteArray &prefix)
{
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const pid_t owner = temporaryOwner(entry->d_name, prefix);
        struct stat st;
        if (owner <= 0 || owner == ::getpid()
            || ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (::kill(owner, 0) != 0 && errno == ESRCH)
            ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// A failure to create a file in the folder that says the folder takes no new entries.
bool folderClosed(int err)
{
    return err == EACCES || err == EPERM || err == EROFS;
}

// A failure to rename over the target that writing it in place may avoid: a sticky folder, a
// target that is a mount point of its own.
bool renameRefused(int err)
{
    return err == EACCES || err == EPERM || err == EBUSY || err == EXDEV;
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
            throwFileError(errno, target);
        }
        written += n;
        if (writeFaultHook)
            if (const int err = writeFaultHook(written))
                throwFileError(err, target);
    }
}

QByteArray attribute(int fd, const char *name)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = ::fgetxattr(fd, name, nullptr, 0);
        if (size < 0)
            return QByteArray();
        QByteArray value(size + 1, Qt::Uninitialized);   // never empty: empty means failure
        const ssize_t got = ::fgetxattr(fd, name, value.data(), size_t(size));
        if (got >= 0) {
            value.truncate(got + 1);
            return value;
        }
        if (errno != ERANGE)
            return QByteArray();
    }
    return QByteArray();
}

// Gives the extended attributes of from (access lists, labels, user attributes) to to; false
// when one of them could not be given.
bool copyExtendedAttributes(int from, int to)
{
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size <= 0)
        return size == 0 || errno == ENOTSUP;
    QByteArray names(size, Qt::Uninitialized);
    if (::flistxattr(from, names.data(), size_t(size)) != size)
        return false;
    for (const char *name = names.constData(); name < names.constData() + size; name += ::strlen(name) + 1) {
        const QByteArray value = attribute(from, name);
        if (value.isEmpty())
            return false;
        if (attribute(to, name) != value && ::fsetxattr(to, name, value.constData(), size_t(value.size() - 1), 0) != 0)
            return false;
    }
    return true;
}

// Gives the temporary copy the old file's owner and group; false when it did not get them
// (without privileges a file can only be given to oneself and one's own groups).
bool keepOwner(int to, const struct stat &old)
{
    const int chownResult = ::fchown(to, old.st_uid, old.st_gid);
    Q_UNUSED(chownResult);
    struct stat now;
    return ::fstat(to, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid;
}

// Gives the temporary copy the old file's permissions and extended attributes (access lists,
// labels, user attributes); false when it did not get all of them. Called once the data is in:
// until then nobody else may open the copy.
bool keepPermissions(int from, int to, const struct stat &old)
{
    if (::fchmod(to, old.st_mode & 07777) != 0 || !copyExtendedAttributes(from, to))
        return false;
    struct stat now;
    return ::fstat(to, &now) == 0 && (now.st_mode & 07777) == (old.st_mode & 07777);
}

// Overwrites the open file with data. The blocks are reserved first, so that a full disk is
// found before the old contents are touched.
void writeInPlace(int fd, const QByteArray &data, const QByteArray &target)
{
    if (!data.isEmpty()) {
        int r;
        do
            r = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(data.size()));
        while (r != 0 && errno == EINTR);
        if (r != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
            throwFileError(errno, target);
    }
    writeAll(fd, data, target);
    if (::ftruncate(fd, off_t(data.size())) != 0 || ::fsync(fd) != 0)
        throwFileError(errno, target);
}

// Creates the temporary copy in the folder, with no permissions for anyone else; unnamed when
// wanted and possible. Returns the errno of a failure, 0 on success.
int createTemporary(int folder, const QByteArray &prefix, bool unnamed, Fd &fd, QByteArray &name)
{
    name.clear();
    if (unnamed) {
        fd.reset(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        if (fd.get() >= 0)
            return 0;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryName(prefix);
        fd.reset(::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600));
        if (fd.get() >= 0)
            return 0;
        if (errno != EEXIST && errno != EINTR)
            return errno;
    }
    return EEXIST;
}

// Gives an unnamed temporary file a name in the folder; false when the system does not allow it.
bool giveName(int fd, int folder, const QByteArray &prefix, QByteArray &name)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryName(prefix);
        // Linking the descriptor itself needs a privilege; the path in /proc does not.
        if (::linkat(fd, "", folder, name.constData(), AT_EMPTY_PATH) == 0)
            return true;
        if (errno != EEXIST
            && ::linkat(AT_FDCWD, self.constData(), folder, name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    name.clear();
    return false;
}

enum class Outcome { Done, WriteInPlace, RetryNamed };

// The data goes to a temporary copy that then takes the target's place. old is null for a new
// file, which gets newFileMode; oldFd is the old file open for writing.
Outcome replaceThroughTemporary(int folder, const QByteArray &target, const QByteArray &data,
                                const struct stat *old, int oldFd, bool unnamed, mode_t newFileMode)
{
    const QByteArray prefix = temporaryPrefix(target);
    Fd fd;
    QByteArray name;
    if (const int err = createTemporary(folder, prefix, unnamed, fd, name)) {
        if (old && folderClosed(err))
            return Outcome::WriteInPlace;
        throwFileError(err, target);
    }
    auto discard = [&] {
        fd.close();
        if (!name.isEmpty())
            ::unlinkat(folder, name.constData(), 0);
        name.clear();
    };
    try {
        // The owner goes first: a change of owner may clear the set-id bits.
        if (old && !keepOwner(fd.get(), *old)) {
            discard();
            return Outcome::WriteInPlace;
        }
        writeAll(fd.get(), data, target);
        if (old && !keepPermissions(oldFd, fd.get(), *old)) {
            discard();
            return Outcome::WriteInPlace;
        }
        if (!old && ::fchmod(fd.get(), newFileMode & 07777) != 0)
            throwFileError(errno, target);
        if (::fsync(fd.get()) != 0)
            throwFileError(errno, target);
        if (name.isEmpty() && !giveName(fd.get(), folder, prefix, name)) {
            discard();
            return Outcome::RetryNamed;
        }
        if (const int err = fd.close())
            throwFileError(err, target);
        if (::renameat(folder, name.constData(), folder, nameOf(target).constData()) != 0) {
            const int err = errno;
            discard();
            if (old && renameRefused(err))
                return Outcome::WriteInPlace;
            throwFileError(err, target);
        }
    } catch (...) {
        discard();
        throw;
    }
    // Make the new directory entry durable too; the file itself is already safe.
    ::fsync(folder);
    removeStaleTemporaries(folder, prefix);
    return Outcome::Done;
}

} // namespace

int fileErrorCode(int err, const QByteArray &path)
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

void throwFileError(int err, const QByteArray &path)
{
    throw RuntimeError(fileErrorCode(err, path));
}

WriteWay writeFileSafely(const QString &path, const QByteArray &data, unsigned newFileMode)
{
    const QByteArray target = resolveLinks(QFile::encodeName(path));

    // The target, when it exists, must be a regular file that may be written; it is kept open so
    // that the in-place way writes the very file that was looked at.
    struct stat old;
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        throwFileError(errno, target);
    if (!exists && nameOf(target).isEmpty())
        throwFileError(ENOENT, target);
    Fd oldFd;
    if (exists) {
        if (!S_ISREG(old.st_mode))
            throw RuntimeError(Code::AccessDenied);
        int fd;
        do
            fd = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        while (fd < 0 && errno == EINTR);
        if (fd < 0)
            throwFileError(errno, target);
        oldFd.reset(fd);
        if (::fstat(fd, &old) != 0)
            throwFileError(errno, target);
        if (!S_ISREG(old.st_mode))
            throw RuntimeError(Code::AccessDenied);
        // Replacing one of several names of a file would part it from the others.
        if (old.st_nlink > 1) {
            writeInPlace(fd, data, target);
            return WriteWay::InPlace;
        }
    }

    Fd folder(::open(folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0 && errno == EACCES)
        folder.reset(::open(folderOf(target).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        throwFileError(errno, target);

    const mode_t mode = exists ? mode_t(newFileMode) : newFileMode & ~processUmask();   // for a new file
    Outcome outcome = replaceThroughTemporary(folder.get(), target, data, exists ? &old : nullptr, oldFd.get(),
                                              useUnnamedTemporary, mode);
    if (outcome == Outcome::RetryNamed)
        outcome = replaceThroughTemporary(folder.get(), target, data, exists ? &old : nullptr, oldFd.get(), false,
                                          mode);
    if (outcome == Outcome::WriteInPlace) {
        writeInPlace(oldFd.get(), data, target);
        return WriteWay::InPlace;
    }
    return WriteWay::Replaced;
}

void writeNewFile(const QString &path, const QByteArray &data, unsigned mode)
{
    const QByteArray target = QFile::encodeName(path);
    if (nameOf(target).isEmpty())
        throwFileError(ENOENT, target);
    Fd folder(::open(folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        throwFileError(errno, target);
    if (replaceThroughTemporary(folder.get(), target, data, nullptr, -1, useUnnamedTemporary, mode)
        == Outcome::RetryNamed)
        replaceThroughTemporary(folder.get(), target, data, nullptr, -1, false, mode);
}

} // namespace platform
