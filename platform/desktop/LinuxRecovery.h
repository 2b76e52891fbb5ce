#pragma once
// The Linux side of keeping unsaved text: where the recovery copies live, how a running copy of
// the program is named and recognised, and the signals that ask the program to end.

#include "platform/interfaces/Platform.h"

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace platform {

// Copies in the program's state folder (stateFolder() in PrivateFolder.h). A running copy is
// named by the machine's boot, its process id and the time the process started, so a name never
// comes back, neither after a restart nor when the system gives the process id to another process.
class LinuxRecoveryHost : public RecoveryHost {
public:
    LinuxRecoveryHost();
    QString folder() const override { return m_folder; }
    QString selfId() const override { return m_selfId; }
    bool isRunning(const QString &id) const override;

    // The name of the process with that id, empty when there is none.
    static QString idOf(qint64 pid);

private:
    QString m_folder;
    QString m_selfId;
};

// SIGTERM, SIGHUP and SIGINT, taken over for the life of the object; a signal the program was
// started to ignore (nohup) stays ignored. The signal handler only writes the signal's number to
// a socket; the handler given to setHandler runs when the event loop reads it, and then the signal
// ends the program as it would have without the handler. A second signal while the handler runs
// ends the program at once.
class SignalEndRequests : public QObject, public EndRequests {
    Q_OBJECT
public:
    SignalEndRequests();
    ~SignalEndRequests() override;
    void setHandler(std::function<void()> handler) override { m_handler = std::move(handler); }

    // What ends the program after the handler; by default the signal's own default action.
    // Tests put something else here.
    std::function<void(int signal)> end;

private:
    void readSignal();

    std::function<void()> m_handler;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace platform
