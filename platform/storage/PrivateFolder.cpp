#include "platform/storage/PrivateFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool failed(int *err, int code)
{
    if (err)
        *err = code;
    return false;
}

} // namespace

bool isPrivateFolder(const QString &folder, int *err)
{
    struct stat st;
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0)
        return failed(err, errno);
    if (!S_ISDIR(st.st_mode))
        return failed(err, ENOTDIR);
    if (st.st_uid != ::geteuid() || (st.st_mode & 07777) != 0700)
        return failed(err, EPERM);
    return true;
}

bool makePrivateFolder(const QString &folder, int *err)
{
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    for (qsizetype end = path.indexOf('/', 1);; end = path.indexOf('/', end + 1)) {
        const QByteArray part = end < 0 ? path : path.left(end);
        if (::mkdir(part.constData(), 0700) == 0) {
            ::chmod(part.constData(), 0700);   // whatever the umask
        } else if (errno != EEXIST) {
            return failed(err, errno);
        }
        if (end < 0)
            break;
    }
    return isPrivateFolder(folder, err);
}

QString stateFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state + QStringLiteral("/Jotbook"));
}

} // namespace platform
