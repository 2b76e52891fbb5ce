#pragma once
// The Qt/Linux implementations of the platform interfaces: Qt's own message boxes and standard
// dialogs, the desktop's file opener, the system clock, a per-user lock file for "another copy is
// running", an INI settings file and the facts /etc/os-release and the kernel give.
//
// Create one QtPlatform after the QApplication (and after its translators are installed, so the
// dialogs speak Russian) and hand platform() to the main window.

#include "platform/desktop/KeyboardLocks.h"
#include "platform/desktop/LinuxRecovery.h"
#include "platform/desktop/QtDesktop.h"
#include "platform/interfaces/Platform.h"

#include <memory>

class QLockFile;

namespace platform {
class IniText;
}

namespace platform {

class QtMessageBoxes : public MessageBoxes {
public:
    MsgAnswer show(QWidget *owner, const MessageRequest &request) override;
};

class QtCommonDialogs : public CommonDialogs {
public:
    QString openFile(QWidget *owner, const FileDialogRequest &request) override;
    QString saveFile(QWidget *owner, const FileDialogRequest &request, int &chosenFilter) override;
    bool chooseColor(QWidget *owner, quint32 &colour, const QList<quint32> &customColors) override;
    // The program's own font chooser (FontColorDialog), which also offers the text colour.
    bool chooseFont(QWidget *owner, FontSpec &font, quint32 &colour, int minSize, int maxSize) override;

    // The name filter Qt is given for one filter: the shown text followed by the patterns in the
    // form Qt reads (spaces between them, "*.*" meaning every file). With the filter details
    // hidden the dialog shows exactly the text.
    static QString qtNameFilter(const FileFilter &filter);
};

class QtShell : public Shell {
public:
    // 2 when the file does not exist (nothing is started), 42 when the desktop took it, 31 when
    // the desktop has nothing to open it with. A mail or web address ("mailto:", "http:",
    // "https:") goes to the desktop as it is.
    int open(QWidget *owner, const QString &file) override;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override;
};

// One of 64 per-user lock files is held for the life of the process. Another copy is running
// exactly when another of the slots is held by a live process; a killed copy leaves a file whose
// owner is dead, which counts as free.
class LockFileInstance : public InstanceLock {
public:
    LockFileInstance();                              // in defaultFolder()
    explicit LockFileInstance(const QString &folder); // no lock when empty
    ~LockFileInstance() override;
    bool previousInstance() const override { return m_previous; }

    static constexpr int SlotCount = 64;
    // $XDG_RUNTIME_DIR, else $TMPDIR/jotbook-UID, else the locks folder in stateFolder(): the
    // first that is a private folder (PrivateFolder.h); empty when none can be made.
    static QString defaultFolder();
    int slot() const { return m_slot; }              // -1 when every slot was taken, or no folder

private:
    std::unique_ptr<QLockFile> m_lock;
    int m_slot = -1;
    bool m_previous = false;
};

// $XDG_CONFIG_HOME/Jotbook/Jotbook.ini (~/.config when the variable is not set), in the INI form
// of QSettings (see IniText.h): the keys of "General" under [General], "Other" and "Font" in
// sections of their own. The file is read at the first read; a missing file is an empty store,
// one that cannot be read or is not a regular file (a folder, a FIFO) is a read failure.
// Writes are kept until flush(), which reads the file again (so that rows another copy of the
// program saved meanwhile stay), puts the written rows in and replaces the file through
// writeFileSafely(): it is either written whole and flushed to the disk or left as it was.
class IniSettings : public SettingsBackend {
public:
    IniSettings();
    explicit IniSettings(const QString &fileName);
    ~IniSettings() override;
    std::optional<QString> read(const QString &section, const QString &key) override;
    bool write(const QString &section, const QString &key, const QString &value) override;
    bool flush() override;
    QString fileName() const { return m_fileName; }
    static QString defaultFileName();

private:
    struct Pending {
        QString section, key, value;
    };
    QString m_fileName;
    std::unique_ptr<IniText> m_text;   // as last read or written
    QList<Pending> m_pending;          // written since the last flush
};

// The facts a Linux system gives: the product name from os-release, the kernel's version, the
// program's folder and the memory from the kernel. Windows and system folders, the service pack
// and the resource figures do not exist here.
class LinuxFacts : public SystemFacts {
public:
    QString productName() const override;
    QString servicePack() const override { return {}; }
    QString versionText() const override;
    QString windowsFolder() const override { return {}; }
    QString systemFolder() const override { return {}; }
    QString programFolder() const override;
    // The program's folder when the help page sits beside the program (the build tree), else the
    // installed data folder share/jotbook beside the program's bin folder.
    QString dataFolder() const override;
    bool freeResources(int &, int &, int &) const override { return false; }
    quint64 totalPhysicalMemory() const override;
    quint64 availablePhysicalMemory() const override;

    // PRETTY_NAME of an os-release file (NAME when it has none), unquoted; empty when the file or
    // both lines are missing.
    static QString prettyName(const QString &osReleaseFile);
    // A kernel release such as "6.1.0-28-amd64" as "6.01.0"; empty when it does not start with
    // three numbers.
    static QString versionFromRelease(const QString &release);

private:
    mutable std::optional<QString> m_productName;
    mutable std::optional<QString> m_versionText;
};

// The default destination of the printing system, as CUPS names it (lpoptions, PRINTER and
// LPDEST, CUPS_SERVER). A destination is refused when it is missing, stopped, not accepting jobs,
// or its scheduler is not running; a job is handed over when CUPS has taken it.
class QtPrinters : public Printers {
public:
    std::unique_ptr<QPrinter> defaultPrinter(int &error) override;
    int handOver(QPainter &painter) override;
};

class QtPointer : public Pointer {
public:
    QPoint position() const override;
};

struct QtPlatform {
    QtMessageBoxes messages;
    QtCommonDialogs dialogs;
    QtShell shell;
    SystemClock clock;
    LockFileInstance instance;
    IniSettings settings;
    LinuxFacts facts;
    QtPrinters printers;
    QtPointer pointer;
    QtPrograms programs;
    QtTrayHost tray;
    LinuxRecoveryHost recovery;
    SignalEndRequests endRequests;
    XkbKeyboardLocks locks;
    Platform platform()
    {
        return {&messages, &dialogs, &shell, &clock, &instance, &settings, &facts, &printers, &pointer,
                &programs, &tray, &recovery, &endRequests, &locks};
    }
};

} // namespace platform
