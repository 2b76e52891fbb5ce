#include "document/FileAccess.h"

#include "platform/interfaces/RuntimeError.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace FileAccess {

namespace {

using platform::RuntimeError;
using platform::throwFileError;
namespace Code = platform::ErrorCode;

// An open file descriptor, closed when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { ::close(m_fd); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

QByteArray nativePath(const QString &path) { return QFile::encodeName(path); }

// Opens a regular file for reading. O_NONBLOCK keeps a FIFO from waiting for a writer; anything
// that is not a regular file is refused before a byte is read.
int openRegularForReading(const QByteArray &path, struct stat &st)
{
    int fd;
    do
        fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throwFileError(errno, path);
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throwFileError(err, path);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw RuntimeError(Code::AccessDenied);
    }
    return fd;
}

// Reads up to size bytes from the current position into data at offset done; returns the new
// offset, which is less than size only at the end of the file.
qint64 readInto(int fd, QByteArray &data, qint64 done, qint64 size, const QByteArray &path)
{
    while (done < size) {
        const ssize_t n = ::read(fd, data.data() + done, size_t(qMin<qint64>(platform::WriteChunk, size - done)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(errno, path);
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

void resize(QByteArray &data, qint64 size)
{
    try {
        data.resize(qsizetype(size));
    } catch (const std::bad_alloc &) {
        throw RuntimeError(Code::OutOfMemory);
    }
}

// A file whose stated length is 0, read to its end in growing steps.
QByteArray readUnstated(int fd, const QByteArray &path)
{
    QByteArray data;
    qint64 done = 0;
    for (qint64 size = 64 * 1024;; size = qMin(size * 2, UnstatedLengthLimit + 1)) {
        resize(data, size);
        done = readInto(fd, data, done, size, path);
        if (done < size)
            break;
        if (done > UnstatedLengthLimit)
            throw RuntimeError(Code::OutOfMemory);
    }
    data.truncate(qsizetype(done));
    return data;
}

QByteArray readWhole(const QByteArray &path)
{
    struct stat st;
    Fd fd(openRegularForReading(path, st));
    if (st.st_size == 0)
        return readUnstated(fd.get(), path);

    QByteArray data;
    resize(data, st.st_size);
    const qint64 done = readInto(fd.get(), data, 0, st.st_size, path);
    if (done < st.st_size)
        data.truncate(qsizetype(done));
    return data;
}

} // namespace

qint64 FileLength(const QString &path)
{
    const QByteArray native = nativePath(path);
    struct stat st;
    {
        Fd fd(openRegularForReading(native, st));
        if (st.st_size != 0)
            return st.st_size;
    }
    return readWhole(native).size();
}

QByteArray ReadWholeFile(const QString &path)
{
    return readWhole(nativePath(path));
}

} // namespace FileAccess
