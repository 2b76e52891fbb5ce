#pragma once
// The program's window to the outside world. Every question asked of the user, every standard
// dialog, the shell, the clock, the settings backend, the instance lock, the system facts, other
// programs and the notification area go through these small interfaces: the real program uses the
// Qt/Linux implementations (QtPlatform.h), the tests a scripted one that records what was asked and
// answers from a script.

#include "platform/interfaces/FontSpec.h"

#include <QDateTime>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

class QPainter;
class QPrinter;
class QWidget;

namespace platform {

// ---- message boxes ------------------------------------------------------------------------------
enum class MsgIcon { None, Critical, Question, Warning, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString text;           // lines joined by "\r\n" as the program builds them
    QString title;          // always "Jotbook"
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    int defaultButton = 1;  // 1-based, in the order of the buttons above
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer show(QWidget *owner, const MessageRequest &request) = 0;
};

// ---- standard choosers ----------------------------------------------------------------------------
struct FileFilter {
    QString text;      // shown, e.g. "Текстовые файлы (*.txt;*.log)"
    QString patterns;  // e.g. "*.txt;*.log"
};

struct FileDialogRequest {
    QString title;
    QList<FileFilter> filters;
    int filterIndex = 1;   // 1-based preselected filter
    QString initialName;
    QString initialDir;    // empty: none
};

class CommonDialogs {
public:
    virtual ~CommonDialogs() = default;
    // The chosen full path, or empty when cancelled.
    virtual QString openFile(QWidget *owner, const FileDialogRequest &request) = 0;
    // The chosen full path, or empty when cancelled; on success chosenFilter is the 1-based filter
    // index selected at confirmation, on cancel it is left untouched. Asks before overwriting.
    virtual QString saveFile(QWidget *owner, const FileDialogRequest &request, int &chosenFilter) = 0;
    // colour is 0x00BBGGRR; customColors are the 16 custom colours offered.
    virtual bool chooseColor(QWidget *owner, quint32 &colour, const QList<quint32> &customColors) = 0;
    virtual bool chooseFont(QWidget *owner, FontSpec &font, quint32 &colour, int minSize, int maxSize) = 0;
};

// ---- shell ---------------------------------------------------------------------------------------
class Shell {
public:
    virtual ~Shell() = default;
    // Performs "open" on the file; returns the shell's result code: 2 when the file does not
    // exist, a value above 32 on success.
    virtual int open(QWidget *owner, const QString &file) = 0;
};

// ---- clock ---------------------------------------------------------------------------------------
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// ---- previous instance ---------------------------------------------------------------------------
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when another copy of the program was already running for this user when this copy
    // started. Fixed for the life of the process.
    virtual bool previousInstance() const = 0;
};

// ---- settings backend ----------------------------------------------------------------------------
// Values are always text. Sections: "General", "Other", "Font".
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    // The stored text, or std::nullopt when the key does not exist. Throws (any std::exception)
    // when the store cannot be read.
    virtual std::optional<QString> read(const QString &section, const QString &key) = 0;
    // False when the value could not be written.
    virtual bool write(const QString &section, const QString &key, const QString &value) = 0;
    // Makes the writes so far durable; false when the store could not be written.
    virtual bool flush() = 0;
};

// ---- system facts --------------------------------------------------------------------------------
// Each fact fails soft: an empty text, 0 or false, never a message. Facts that do not change while
// the program runs are read once.
class SystemFacts {
public:
    virtual ~SystemFacts() = default;
    virtual QString productName() const = 0;   // the system's product name, empty when unknown
    virtual QString servicePack() const = 0;   // empty where the system has no such thing
    virtual QString versionText() const = 0;   // major "." minor (two digits at least) "." build
    virtual QString windowsFolder() const = 0; // with a trailing "/", or empty
    virtual QString systemFolder() const = 0;  // with a trailing "/", or empty
    virtual QString programFolder() const = 0; // folder of the executable, ending in "/"
    virtual QString dataFolder() const = 0;    // folder of the help page, ending in "/"
    // Free system, GDI and user resources in percent; false where the system has no such figures.
    virtual bool freeResources(int &system, int &gdi, int &user) const = 0;
    // Physical memory in bytes, read anew on each call.
    virtual quint64 totalPhysicalMemory() const = 0;
    virtual quint64 availablePhysicalMemory() const = 0;
};

// ---- printer -------------------------------------------------------------------------------------
// Called on a thread of the printing's own, one job at a time, never on the window's thread: each
// call may wait for the printing service as long as the service takes.
class Printers {
public:
    virtual ~Printers() = default;
    // A printer on the default destination, ready to be set up and painted on, or nullptr when
    // there is none or it cannot take jobs; error then holds the program's error code (482).
    virtual std::unique_ptr<QPrinter> defaultPrinter(int &error) = 0;
    // Ends the document that painter began on such a printer, which hands the job over to the
    // printing system. 0 when the job was taken, else the error code: 380 when a setting was
    // refused (more copies than the system allows), 482 otherwise. Nothing is known of a job
    // after that.
    virtual int handOver(QPainter &painter) = 0;
};

// ---- pointer -------------------------------------------------------------------------------------
class Pointer {
public:
    virtual ~Pointer() = default;
    // The mouse pointer's position on the screen, in pixels.
    virtual QPoint position() const = 0;
};

// ---- other programs ------------------------------------------------------------------------------
class Programs {
public:
    virtual ~Programs() = default;
    // The full path of the program of that name in PATH, or empty when there is none.
    virtual QString find(const QString &name) const = 0;
    // Starts the program on its own, with exactly these arguments and no shell; false when it
    // could not be started.
    virtual bool start(const QString &path, const QStringList &arguments) = 0;
};

// ---- notification area ---------------------------------------------------------------------------
class TrayHost {
public:
    virtual ~TrayHost() = default;
    // True while the desktop has a notification area that shows icons.
    virtual bool available() const = 0;
    // changed runs after a notification area appeared or went away (it may also run when nothing
    // changed); it replaces the one given before.
    virtual void setChangedHandler(std::function<void()> changed) = 0;
};

// ---- recovery copies -----------------------------------------------------------------------------
// Where the recovery copies of unsaved documents are kept, and which running copy of the program
// each one belongs to.
class RecoveryHost {
public:
    virtual ~RecoveryHost() = default;
    // The folder of the copies, created when the first one is written; empty: none are kept.
    virtual QString folder() const = 0;
    // This running copy's name, different for every copy ever started on the machine; it may be
    // used as a file name.
    virtual QString selfId() const = 0;
    // True while the copy of that name runs.
    virtual bool isRunning(const QString &id) const = 0;
};

// ---- requests to end -----------------------------------------------------------------------------
// The session, the system or a terminal asks the program to end (SIGTERM, SIGHUP, SIGINT).
class EndRequests {
public:
    virtual ~EndRequests() = default;
    // handler runs in the event loop when such a request arrives; the program then ends as the
    // request ends it. Replaces the handler given before; an empty one removes it.
    virtual void setHandler(std::function<void()> handler) = 0;
};

// ---- keyboard ------------------------------------------------------------------------------------
// The Caps, Num and Scroll Lock indicators of the keyboard; where the system does not tell them,
// every one reads off and changed never runs.
class KeyboardLocks {
public:
    virtual ~KeyboardLocks() = default;
    virtual bool caps() const = 0;
    virtual bool num() const = 0;
    virtual bool scroll() const = 0;
    // changed runs after an indicator went on or off; it replaces the one given before.
    virtual void setChangedHandler(std::function<void()> changed) = 0;
};

// ---- the whole set -------------------------------------------------------------------------------
struct Platform {
    MessageBoxes *messages = nullptr;
    CommonDialogs *dialogs = nullptr;
    Shell *shell = nullptr;
    Clock *clock = nullptr;
    InstanceLock *instance = nullptr;
    SettingsBackend *settings = nullptr;
    SystemFacts *facts = nullptr;
    Printers *printers = nullptr;
    Pointer *pointer = nullptr;
    Programs *programs = nullptr;
    TrayHost *tray = nullptr;
    RecoveryHost *recovery = nullptr;
    EndRequests *endRequests = nullptr;
    KeyboardLocks *locks = nullptr;
};

} // namespace platform
