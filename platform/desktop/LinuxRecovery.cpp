#include "platform/desktop/LinuxRecovery.h"

#include "platform/storage/PrivateFolder.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

// ---- recovery host -------------------------------------------------------------------------------

namespace {

QByteArray readSmallFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(4096) : QByteArray();
}

QString bootId()
{
    static const QString id = [] {
        QString text = QString::fromLatin1(readSmallFile(QStringLiteral("/proc/sys/kernel/random/boot_id")).trimmed());
        text.remove(QLatin1Char('-'));
        return text.isEmpty() ? QStringLiteral("0") : text;
    }();
    return id;
}

} // namespace

LinuxRecoveryHost::LinuxRecoveryHost() : m_folder(stateFolder()), m_selfId(idOf(::getpid())) {}

QString LinuxRecoveryHost::idOf(qint64 pid)
{
    // The start time is the 22nd field of /proc/PID/stat; the second field, the command's name in
    // parentheses, may itself hold spaces and parentheses.
    const QByteArray stat = readSmallFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0)
        return {};
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    constexpr int StartTime = 22 - 3;   // counted from the third field
    if (fields.size() <= StartTime)
        return {};
    return bootId() + QLatin1Char('-') + QString::number(pid) + QLatin1Char('-')
           + QString::fromLatin1(fields.at(StartTime));
}

bool LinuxRecoveryHost::isRunning(const QString &id) const
{
    const QStringList parts = id.split(QLatin1Char('-'));
    bool ok = false;
    const qint64 pid = parts.size() == 3 ? parts.at(1).toLongLong(&ok) : 0;
    return ok && pid > 0 && parts.at(0) == bootId() && idOf(pid) == id;
}

// ---- end requests --------------------------------------------------------------------------------

namespace {

constexpr int EndSignals[] = {SIGTERM, SIGHUP, SIGINT};
int signalFds[2] = {-1, -1};          // the handler writes to [0], the event loop reads [1]
volatile sig_atomic_t handling = 0;   // a request is being handled

extern "C" void onEndSignal(int sig)
{
    if (handling) {
        // A second request while the first is handled: end now.
        ::signal(sig, SIG_DFL);
        ::raise(sig);
        return;
    }
    handling = 1;
    const int savedErrno = errno;
    const char number = char(sig);
    const ssize_t written = ::write(signalFds[0], &number, 1);
    Q_UNUSED(written);
    errno = savedErrno;
}

void endBySignal(int sig)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    ::sigaction(sig, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
    ::_exit(128 + sig);   // the default action of these signals ends the process; this is not reached
}

} // namespace

SignalEndRequests::SignalEndRequests() : end(endBySignal)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalFds) != 0) {
        signalFds[0] = signalFds[1] = -1;
        return;   // the signals keep their default action: the program ends as it always did
    }
    m_notifier = new QSocketNotifier(signalFds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalEndRequests::readSignal);
    for (const int sig : EndSignals) {
        struct sigaction action {};
        action.sa_handler = onEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        struct sigaction old {};
        if (::sigaction(sig, &action, &old) == 0 && old.sa_handler == SIG_IGN)
            ::sigaction(sig, &old, nullptr);
    }
}

SignalEndRequests::~SignalEndRequests()
{
    if (signalFds[0] < 0)
        return;
    for (const int sig : EndSignals) {
        struct sigaction current {};
        if (::sigaction(sig, nullptr, &current) == 0 && current.sa_handler == onEndSignal) {
            struct sigaction action {};
            action.sa_handler = SIG_DFL;
            ::sigaction(sig, &action, nullptr);
        }
    }
    delete m_notifier;
    ::close(signalFds[0]);
    ::close(signalFds[1]);
    signalFds[0] = signalFds[1] = -1;
}

void SignalEndRequests::readSignal()
{
    char numbers[16];
    const ssize_t n = ::read(signalFds[1], numbers, sizeof numbers);
    if (n <= 0)
        return;
    const int sig = numbers[0];
    if (m_handler) {
        try {
            m_handler();
        } catch (...) {
            // Whatever went wrong, the program ends as it was asked to.
        }
    }
    end(sig);
    handling = 0;   // only when end() returned, which the program's own does not
}

} // namespace platform
