#pragma once
// A platform for tests: records every question and dialog the program asks for and answers from
// a script. Settings live in memory; write failures can be injected.

#include "platform/interfaces/Platform.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace testing {

struct AskedMessage {
    platform::MessageRequest request;
    platform::MsgAnswer answer;
};

class ScriptedMessages : public platform::MessageBoxes {
public:
    platform::MsgAnswer show(QWidget *owner, const platform::MessageRequest &request) override;
    // Queued answers, used in order; without one the box's default button answers.
    std::deque<platform::MsgAnswer> answers;
    // Called while the box "is open" (before the answer), e.g. to inspect the program's state.
    std::function<void(const platform::MessageRequest &)> onShow;
    QList<AskedMessage> asked;
    QStringList texts() const;
};

class ScriptedDialogs : public platform::CommonDialogs {
public:
    QString openFile(QWidget *owner, const platform::FileDialogRequest &request) override;
    QString saveFile(QWidget *owner, const platform::FileDialogRequest &request, int &chosenFilter) override;
    bool chooseColor(QWidget *owner, quint32 &colour, const QList<quint32> &customColors) override;
    bool chooseFont(QWidget *owner, platform::FontSpec &font, quint32 &colour, int minSize, int maxSize) override;

    std::deque<QString> openAnswers;                 // empty string: cancel
    std::deque<std::pair<QString, int>> saveAnswers;  // path (empty: cancel) and filter index
    std::deque<std::optional<quint32>> colorAnswers;  // nullopt: cancel
    std::deque<std::optional<std::pair<platform::FontSpec, quint32>>> fontAnswers;

    QList<platform::FileDialogRequest> openRequests;
    QList<platform::FileDialogRequest> saveRequests;
    QList<QList<quint32>> colorCustomSets;
    QList<quint32> colorInitial;
    struct FontCall { platform::FontSpec font; quint32 colour; int minSize; int maxSize; };
    QList<FontCall> fontCalls;
};

class ScriptedShell : public platform::Shell {
public:
    int open(QWidget *owner, const QString &file) override;
    QStringList opened;
    QSet<QString> existing;   // files the shell can find; others give 2
};

class ScriptedClock : public platform::Clock {
public:
    QDateTime now() const override { return time; }
    QDateTime time = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 0));
};

class ScriptedInstance : public platform::InstanceLock {
public:
    bool previousInstance() const override { return previous; }
    bool previous = false;
};

class MemorySettings : public platform::SettingsBackend {
public:
    std::optional<QString> read(const QString &section, const QString &key) override;
    bool write(const QString &section, const QString &key, const QString &value) override;
    bool flush() override { return true; }

    QMap<QString, QString> values;   // "Section/Key" -> text
    QStringList writeLog;            // "Section/Key" in write order
    int failAfterWrites = -1;        // >= 0: writes after this many fail
    bool readFails = false;
    QString value(const QString &section, const QString &key) const { return values.value(section + '/' + key); }
};

class ScriptedFacts : public platform::SystemFacts {
public:
    QString productName() const override { return product; }
    QString servicePack() const override { return {}; }
    QString versionText() const override { return version; }
    QString windowsFolder() const override { return {}; }
    QString systemFolder() const override { return {}; }
    QString programFolder() const override { return folder; }
    QString dataFolder() const override { return folder; }
    bool freeResources(int &, int &, int &) const override { return false; }
    quint64 totalPhysicalMemory() const override { return total; }
    quint64 availablePhysicalMemory() const override { return available; }
    QString product = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
    QString version = QStringLiteral("6.01.0");
    QString folder = QStringLiteral("/opt/jotbook/");
    quint64 total = 8ull << 30;
    quint64 available = 4ull << 30;
};

// A printer that writes PDF files: the n-th job goes to pdfPath(n). With error set, there is no
// printer and the error is reported; with handOverError set, the job is written but reported as
// not taken. stall() makes the printing service stop answering at a step until it is called with
// Step::None.
class PdfPrinters : public platform::Printers {
public:
    enum class Step { None, Asking, HandingOver };
    std::unique_ptr<QPrinter> defaultPrinter(int &error) override;
    int handOver(QPainter &painter) override;
    void stall(Step step);
    QString folder;        // where the jobs go; empty: a temporary folder's path must be set first
    int error = 0;
    int handOverError = 0;
    int jobs = 0;          // printers given
    int handedOver = 0;    // jobs ended
    QString pdfPath(int job) const { return folder + QStringLiteral("/job%1.pdf").arg(job); }

private:
    void answer(Step step);
    std::mutex m_mutex;
    std::condition_variable m_stallChanged;
    Step m_stalled = Step::None;
};

class ScriptedPointer : public platform::Pointer {
public:
    QPoint position() const override { return pos; }
    QPoint pos{-1, -1};
};

// Programs in a pretend PATH: name -> full path; the ones in failing do not start.
class ScriptedPrograms : public platform::Programs {
public:
    QString find(const QString &name) const override { return inPath.value(name); }
    bool start(const QString &path, const QStringList &arguments) override;
    QMap<QString, QString> inPath;
    QSet<QString> failing;
    QList<QStringList> started;   // path first, then the arguments
};

// A notification area that is there (present) or not; set() changes it and tells the program.
class ScriptedTrayHost : public platform::TrayHost {
public:
    bool available() const override { return present; }
    void setChangedHandler(std::function<void()> handler) override { changed = std::move(handler); }
    void set(bool isPresent)
    {
        present = isPresent;
        if (changed)
            changed();
    }
    bool present = true;
    std::function<void()> changed;
};

// Recovery copies in folder (none are kept while it is empty); the copies named in running are
// copies of the program that still run.
class ScriptedRecoveryHost : public platform::RecoveryHost {
public:
    QString folder() const override { return dir; }
    QString selfId() const override { return id; }
    bool isRunning(const QString &other) const override { return running.contains(other); }
    QString dir;
    QString id = QStringLiteral("self");
    QSet<QString> running;
};

// request() is SIGTERM arriving: the handler runs; the test then ends the run as the signal would.
class ScriptedEndRequests : public platform::EndRequests {
public:
    void setHandler(std::function<void()> h) override { handler = std::move(h); }
    void request()
    {
        if (handler)
            handler();
    }
    std::function<void()> handler;
};

// Lock indicators that set() turns on and off, telling the program.
class ScriptedKeyboardLocks : public platform::KeyboardLocks {
public:
    bool caps() const override { return capsOn; }
    bool num() const override { return numOn; }
    bool scroll() const override { return scrollOn; }
    void setChangedHandler(std::function<void()> handler) override { changed = std::move(handler); }
    void set(bool caps, bool num, bool scroll)
    {
        capsOn = caps;
        numOn = num;
        scrollOn = scroll;
        if (changed)
            changed();
    }
    bool capsOn = false, numOn = false, scrollOn = false;
    std::function<void()> changed;
};

struct ScriptedPlatform {
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    ScriptedShell shell;
    ScriptedClock clock;
    ScriptedInstance instance;
    MemorySettings settings;
    ScriptedFacts facts;
    PdfPrinters printers;
    ScriptedPointer pointer;
    ScriptedPrograms programs;
    ScriptedTrayHost tray;
    ScriptedRecoveryHost recovery;
    ScriptedEndRequests endRequests;
    ScriptedKeyboardLocks locks;
    platform::Platform platform()
    {
        return {&messages, &dialogs, &shell, &clock, &instance, &settings, &facts, &printers, &pointer,
                &programs, &tray, &recovery, &endRequests, &locks};
    }
};

} // namespace testing
