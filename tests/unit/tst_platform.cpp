// The Qt/Linux platform: settings file, instance lock, shell, message boxes and standard dialogs.

#include "platform/desktop/FontColorDialog.h"
#include "platform/desktop/KeyboardLocks.h"
#include "platform/desktop/QtPlatform.h"
#include "platform/interfaces/RuntimeError.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <functional>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

// Runs action on the next modal window of type T as soon as it is the active modal one.
template <typename T>
static void onModal(std::function<void(T *)> action, int triesLeft = 500)
{
    QTimer::singleShot(10, qApp, [action, triesLeft] {
        auto *w = qobject_cast<T *>(QApplication::activeModalWidget());
        if (w && w->isVisible())
            action(w);
        else if (triesLeft > 0)
            onModal<T>(action, triesLeft - 1);
    });
}

// Types a full path into the dialog's name box, as a user would. (selectFile() depends on the
// dialog's file list, which is filled asynchronously.)
static void typeName(QFileDialog *d, const QString &path)
{
    d->findChild<QLineEdit *>("fileNameEdit")->setText(path);
}

static QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

static void writeText(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Records the URLs the shell hands to the desktop instead of starting anything.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestPlatform : public QObject {
    Q_OBJECT
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }

    void settingsRoundTrip_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("general") << "General" << "ToolBar" << "True";
        QTest::newRow("cyrillic") << "General" << "RecentFile" << "&/home/ира/Мои заметки.txt";
        QTest::newRow("comma") << "Font" << "FontSize" << "9,75";
        QTest::newRow("comment chars") << "Other" << "PrintCopies" << "; # = not a comment";
        QTest::newRow("spaces") << "Font" << "FontName" << "  Courier New ";
        QTest::newRow("at sign") << "General" << "ExecOnStart" << "@Variant(x)";
        QTest::newRow("backslash") << "General" << "ExecOnStart" << "C:\\Temp\\a.txt";
        QTest::newRow("empty") << "General" << "RecentFile" << "";
        QTest::newRow("controls and quotes") << "General" << "ExecOnStart" << "\x01" "1\t\"q\"\n" + QString(QChar(0)) + "5";
        QTest::newRow("at sign string") << "General" << "ExecOnStart" << "@String(x)";
    }
    void settingsRoundTrip()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString file = dir.filePath("Jotbook.ini");
        {
            IniSettings s(file);
            QVERIFY(s.write(section, key, value));
            QVERIFY(s.flush());
        }
        IniSettings again(file);
        QCOMPARE(again.read(section, key), std::optional<QString>(value));
        QCOMPARE(again.read(section == "Font" ? "Other" : "Font", key), std::nullopt);

        // Files of earlier versions were written by QSettings: both read each other's values.
        const QString qtKey = section == "General" ? key : section + '/' + key;
        QCOMPARE(QSettings(file, QSettings::IniFormat).value(qtKey).toString(), value);
        const QString byQt = dir.filePath("qt.ini");
        QSettings(byQt, QSettings::IniFormat).setValue(qtKey, value);
        QCOMPARE(IniSettings(byQt).read(section, key), std::optional<QString>(value));
    }

    void settingsFileLayout()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("Jotbook.ini");
        IniSettings s(file);
        s.write("General", "EndState", "False");
        s.write("Other", "PrintCopies", "2");
        s.write("Font", "FontName", "Courier New");
        QVERIFY(s.flush());
        const QString text = readText(file);
        QVERIFY2(text.contains("[General]\nEndState=False"), qPrintable(text));
        QVERIFY(text.contains("[Other]\nPrintCopies=2"));
        QVERIFY(text.contains("[Font]\nFontName=Courier New"));
        QVERIFY(!text.contains("%General"));
        QVERIFY(!text.contains("General/"));
    }

    // Hand-written files: what is no row hides no row; a NUL byte fails only its own row.
    void settingsHandWritten_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");   // "<none>": missing, "<fails>": a read failure
        const QByteArray bom = "\xEF\xBB\xBF";
        QTest::newRow("comma list") << QByteArray("[Font]\nFontName=a, b ,c\n") << "Font" << "FontName" << "a,b,c";
        QTest::newRow("unquoted comma") << QByteArray("[Font]\nFontSize=9,75\n") << "Font" << "FontSize" << "9,75";
        QTest::newRow("UTF-8") << QByteArray("[General]\nRecentFile=&\xd0\x90.txt\n") << "General" << "RecentFile" << "&А.txt";
        QTest::newRow("other section") << QByteArray("[General]\nFontSize=1\n") << "Font" << "FontSize" << "<none>";
        QTest::newRow("byte-order mark") << bom + "[General]\nToolBar=False\n" << "General" << "ToolBar" << "False";
        QTest::newRow("mark before a row") << bom + "ToolBar=False\n" << "General" << "ToolBar" << "False";
        QTest::newRow("# comment") << QByteArray("[General]\n# mine\nToolBar=False\n") << "General" << "ToolBar" << "False";
        QTest::newRow("line without =") << QByteArray("[Font]\nbroken\nFontName=Arial\n") << "Font" << "FontName" << "Arial";
        QTest::newRow("NUL in the row") << QByteArray("[General]\nToolBar=Fa\0lse\n", 24) << "General" << "ToolBar" << "<fails>";
        QTest::newRow("NUL in the row before") << QByteArray("[General]\nStatusBar=\0\nToolBar=False\n", 35) << "General" << "ToolBar" << "False";
        QTest::newRow("NUL in a comment") << QByteArray(";\0\n[General]\nToolBar=False\n", 27) << "General" << "ToolBar" << "False";
        QTest::newRow("open quote") << QByteArray("[Font]\nFontName=\"Arial\nFontBold=True\n") << "Font" << "FontBold" << "True";
        QTest::newRow("CR LF") << QByteArray("[Font]\r\nFontName=Arial\r\n") << "Font" << "FontName" << "Arial";
        QTest::newRow("lone CR") << QByteArray("[Font]\rFontName=Arial\r") << "Font" << "FontName" << "Arial";
        QTest::newRow("trailing comment") << QByteArray("[General]\nToolBar = False ; off\n") << "General" << "ToolBar" << "False";
        QTest::newRow("lower-case general") << QByteArray("[general]\nToolBar=0\n") << "General" << "ToolBar" << "0";
        QTest::newRow("%General is a group") << QByteArray("[%General]\nToolBar=0\n") << "General" << "ToolBar" << "<none>";
        QTest::newRow("last row wins") << QByteArray("[Font]\nFontBold=1\n[Font]\nFontBold=0\n") << "Font" << "FontBold" << "0";
        QTest::newRow("invalid marker") << QByteArray("[Font]\nFontName=@Invalid()\n") << "Font" << "FontName" << "<none>";
    }
    void settingsHandWritten()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("Jotbook.ini");
        writeText(path, file);
        IniSettings s(path);
        if (expected == "<fails>")
            QVERIFY_THROWS_EXCEPTION(RuntimeError, s.read(section, key));
        else
            QCOMPARE(s.read(section, key), expected == "<none>" ? std::nullopt : std::optional<QString>(expected));
    }

    // A rewrite changes only the rows written; comments, unknown rows, line breaks and rows that
    // another copy of the program saved meanwhile stay.
    void settingsRewriteKeepsTheRest()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Jotbook.ini");
        writeText(path, "\xEF\xBB\xBF; mine\r\n[General]\r\nToolBar=True\r\nodd line\r\nMine=1\r\n\r\n[Other]\r\nX=@\r\n");
        IniSettings s(path);
        QCOMPARE(s.read("General", "ToolBar"), std::optional<QString>("True"));
        writeText(path, "; mine\r\n[General]\r\nToolBar=True\r\nodd line\r\nMine=1\r\nTheirs=2\r\n\r\n[Other]\r\nX=@\r\n");
        s.write("General", "ToolBar", "False");
        s.write("Font", "FontName", "Arial, bold");
        s.write("General", "ToolBar", "0");
        QCOMPARE(s.read("General", "ToolBar"), std::optional<QString>("0"));
        QVERIFY(s.flush());
        QCOMPARE(readText(path), QString("; mine\r\n[General]\r\nToolBar=0\r\nodd line\r\nMine=1\r\nTheirs=2\r\n\r\n"
                                         "[Other]\r\nX=@\r\n\r\n[Font]\r\nFontName=\"Arial, bold\"\r\n"));
    }

    // Only a regular file or no file is a store: anything else is a read failure, at once, and
    // is never replaced.
    void settingsFileThatIsNoFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << "folder";
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("unreadable") << "unreadable";
    }
    void settingsFileThatIsNoFile()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        const QString path = dir.filePath("Jotbook.ini");
        const QByteArray native = QFile::encodeName(path);
        if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("Jotbook.ini"));
        } else if (kind == "fifo") {
            QVERIFY(::mkfifo(native.constData(), 0666) == 0);
        } else {
            if (::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
                QSKIP("reading as another user needs root and setpriv");
            writeText(path, "[General]\nToolBar=False\n");
            QVERIFY(::chmod(native.constData(), 0600) == 0);
            QProcess child;
            child.start("setpriv", {"--reuid=4242", "--regid=4242", "--clear-groups",
                                    QCoreApplication::applicationFilePath(), "--read-settings", path});
            QVERIFY(child.waitForFinished());
            QCOMPARE(child.readAllStandardOutput(), QByteArray("read failure\n"));
            return;
        }
        IniSettings s(path);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, s.read("General", "ToolBar"));
        s.write("General", "ToolBar", "True");
        QVERIFY(!s.flush());
        QCOMPARE(QFileInfo(path).isDir(), kind == "folder");
        QCOMPARE(QFileInfo(path).isFile(), false);
    }

    // A full disk fails the save and leaves the file as it was.
    void settingsOnFullDisk()
    {
        QTemporaryDir dir;
        const QByteArray mountPoint = QFile::encodeName(dir.path());
        if (::mount("jotbook-test", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("mounting a small file system is not permitted here");
        const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
        const QString path = dir.filePath("Jotbook.ini");
        writeText(path, "[General]\nToolBar=False\n");
        IniSettings s(path);
        s.write("General", "ExecOnStart", QString(100 * 1024, 'x'));
        QVERIFY(!s.flush());
        QCOMPARE(readText(path), QString("[General]\nToolBar=False\n"));
        s.write("General", "ExecOnStart", "short");
        QVERIFY(s.flush());
        QCOMPARE(readText(path), QString("[General]\nToolBar=False\nExecOnStart=short\n"));
    }

    void settingsDefaultLocationAndWriteFailure()
    {
        const QString folder = m_config.filePath("Jotbook");
        QCOMPARE(IniSettings().fileName(), folder + "/Jotbook.ini");

        writeText(folder, "not a folder");   // the settings folder cannot be created
        IniSettings s;
        QVERIFY(s.write("General", "EndState", "True"));
        QVERIFY(!s.flush());
        QVERIFY(QFile::remove(folder));

        IniSettings fine;
        fine.write("General", "EndState", "True");
        QVERIFY(fine.flush());
        QCOMPARE(IniSettings().read("General", "EndState"), std::optional<QString>("True"));
    }

    void instanceLock()
    {
        QTemporaryDir dir;
        {
            LockFileInstance first(dir.path());
            QVERIFY(!first.previousInstance());
            QCOMPARE(first.slot(), 0);
        }
        // The slot of a finished copy is free again.
        QVERIFY(!LockFileInstance(dir.path()).previousInstance());

        QProcess other;
        other.start(QCoreApplication::applicationFilePath(), {"--hold-instance", dir.path()});
        QVERIFY(other.waitForStarted());
        QByteArray said;
        QTRY_VERIFY((said += other.readAllStandardOutput()).contains("ready") || other.state() != QProcess::Running);
        QVERIFY2(other.state() == QProcess::Running, other.readAllStandardError().constData());
        {
            LockFileInstance second(dir.path());
            QVERIFY(second.previousInstance());
            QCOMPARE(second.slot(), 1);
        }

        other.kill();   // SIGKILL: the lock file stays behind with a dead owner
        QVERIFY(other.waitForFinished());
        QVERIFY(QFile::exists(dir.filePath("jotbook-0.lock")));
        LockFileInstance afterCrash(dir.path());
        QVERIFY(!afterCrash.previousInstance());
        QCOMPARE(afterCrash.slot(), 0);
    }

    // Without a runtime folder the locks go to a folder of the user's own under the temporary
    // folder; one there that is not the user's alone is never used, the locks then go under the home.
    void instanceLockFolder_data()
    {
        QTest::addColumn<QString>("planted");
        for (const char *planted : {"", "another user's folder, a lock held", "own folder open to all"})
            QTest::newRow(*planted ? planted : "nothing") << QString(planted);
    }
    void instanceLockFolder()
    {
        QFETCH(QString, planted);
        QTemporaryDir tmp, state;
        QVERIFY(::chmod(QFile::encodeName(tmp.path()).constData(), 01777) == 0);
        const QByteArray names[] = {"XDG_RUNTIME_DIR", "TMPDIR", "XDG_STATE_HOME"};
        const QByteArray saved[] = {qgetenv(names[0]), qgetenv(names[1]), qgetenv(names[2])};
        const auto restore = qScopeGuard([&] {
            for (int i = 0; i < 3; ++i)
                qputenv(names[i], saved[i]);
        });
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
        const QString inTmp = QDir::tempPath() + QString("/jotbook-%1").arg(::geteuid());
        QProcess holder;
        const auto stop = qScopeGuard([&] {
            holder.kill();
            holder.waitForFinished();
        });
        if (planted.startsWith("another")) {
            if (::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
                QSKIP("a folder of another user needs root and setpriv");
            const QStringList asOther{"--reuid=4242", "--regid=4242", "--clear-groups"};
            QCOMPARE(QProcess::execute("setpriv", asOther + QStringList{"mkdir", "-m", "777", inTmp}), 0);
            holder.start("setpriv",
                         asOther + QStringList{QCoreApplication::applicationFilePath(), "--hold-instance", inTmp});
            QByteArray said;
            QTRY_VERIFY2((said += holder.readAllStandardOutput()).contains("ready"),
                         said + holder.readAllStandardError());
        } else if (!planted.isEmpty()) {
            QVERIFY(QDir().mkdir(inTmp) && ::chmod(QFile::encodeName(inTmp).constData(), 0777) == 0);
        }
        const QString folder = LockFileInstance::defaultFolder();
        QCOMPARE(folder, planted.isEmpty() ? inTmp : state.filePath("Jotbook/locks"));
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode));
        QVERIFY(st.st_uid == ::geteuid() && (st.st_mode & 07777) == 0700);
        QVERIFY(!LockFileInstance(folder).previousInstance());
    }

    void shellOpen()
    {
        QTemporaryDir dir;
        writeText(dir.filePath("Справка.htm"), "<html></html>");
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler("file", &recorder, "open");
        const QString oldCurrent = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QtShell shell;

        QCOMPARE(shell.open(nullptr, dir.filePath("missing.htm")), 2);
        QCOMPARE(shell.open(nullptr, "Nothing"), 2);
        QCOMPARE(shell.open(nullptr, ""), 2);
        QVERIFY(recorder.urls.isEmpty());

        QVERIFY(shell.open(nullptr, dir.filePath("Справка.htm")) > 32);
        QVERIFY(shell.open(nullptr, "Справка.htm") > 32);   // relative to the current folder
        QDir::setCurrent(oldCurrent);
        QDesktopServices::unsetUrlHandler("file");
        const QUrl expected = QUrl::fromLocalFile(QDir(dir.path()).absoluteFilePath("Справка.htm"));
        QCOMPARE(recorder.urls, QList<QUrl>({expected, expected}));
    }

    void messageBox_data()
    {
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<QString>("action");   // "return", "escape" or the button to click
        QTest::addColumn<MsgAnswer>("answer");
        QTest::newRow("ok, return") << MsgButtons::Ok << 1 << "return" << MsgAnswer::Ok;
        QTest::newRow("ok, escape") << MsgButtons::Ok << 1 << "escape" << MsgAnswer::Ok;
        QTest::newRow("okcancel, escape") << MsgButtons::OkCancel << 1 << "escape" << MsgAnswer::Cancel;
        QTest::newRow("yesno default 2, return") << MsgButtons::YesNo << 2 << "return" << MsgAnswer::No;
        QTest::newRow("yesno default 2, escape") << MsgButtons::YesNo << 2 << "escape" << MsgAnswer::No;
        QTest::newRow("yesno default 2, yes") << MsgButtons::YesNo << 2 << "yes" << MsgAnswer::Yes;
        QTest::newRow("ync default 1, return") << MsgButtons::YesNoCancel << 1 << "return" << MsgAnswer::Yes;
        QTest::newRow("ync default 1, escape") << MsgButtons::YesNoCancel << 1 << "escape" << MsgAnswer::Cancel;
        QTest::newRow("ync default 1, no") << MsgButtons::YesNoCancel << 1 << "no" << MsgAnswer::No;
        QTest::newRow("ync default 3, return") << MsgButtons::YesNoCancel << 3 << "return" << MsgAnswer::Cancel;
    }
    void messageBox()
    {
        QFETCH(MsgButtons, buttons);
        QFETCH(int, defaultButton);
        QFETCH(QString, action);
        QFETCH(MsgAnswer, answer);
        static const QHash<MsgButtons, QMessageBox::StandardButtons> expectedButtons = {
            {MsgButtons::Ok, QMessageBox::Ok},
            {MsgButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel},
            {MsgButtons::YesNo, QMessageBox::Yes | QMessageBox::No},
            {MsgButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel}};
        static const QList<QMessageBox::StandardButton> order = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};

        QWidget owner;
        owner.show();
        bool inspected = false;
        onModal<QMessageBox>([&](QMessageBox *box) {
            inspected = true;
            QCOMPARE(box->parentWidget(), &owner);
            QCOMPARE(box->windowTitle(), QString("Jotbook"));
            QCOMPARE(box->text(), QString("/tmp/<b>a</b>.txt\n\nНе удалось открыть файл!"));
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QCOMPARE(box->icon(), QMessageBox::Warning);
            QCOMPARE(box->standardButtons(), expectedButtons.value(buttons));
            const QMessageBox::StandardButton expectedDefault =
                buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel
                    ? (defaultButton == 1 ? QMessageBox::Ok : QMessageBox::Cancel)
                    : order.at(defaultButton - 1);
            QCOMPARE(box->defaultButton(), box->button(expectedDefault));
            if (action == "return")
                QTest::keyClick(box, Qt::Key_Return);
            else if (action == "escape")
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(action == "yes" ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        QtMessageBoxes boxes;
        const MsgAnswer got = boxes.show(&owner, {"/tmp/<b>a</b>.txt\r\n\r\nНе удалось открыть файл!", "Jotbook",
                                                  MsgIcon::Warning, buttons, defaultButton});
        QVERIFY(inspected);
        QCOMPARE(got, answer);
    }

    void openDialog()
    {
        QTemporaryDir dir;
        for (const char *name : {"a.txt", "b.LOG", "c.ini", "noext"})
            writeText(dir.filePath(name), "x");
        const FileDialogRequest request{"Открытие документа",
                                        {{"Все типы (*.txt;*.log;*.ini;*.inf;*.dat)", "*.txt;*.log;*.ini;*.inf;*.dat"},
                                         {"Текстовые файлы (*.txt;*.log)", "*.txt;*.log"},
                                         {"Все файлы (*.*)", "*.*"}},
                                        1, "*.txt;*.log", dir.path()};
        QStringList shown, listed;
        QString nameBox = "untouched";
        onModal<QFileDialog>([&](QFileDialog *d) {
            QCOMPARE(d->windowTitle(), request.title);
            auto *types = d->findChild<QComboBox *>("fileTypeCombo");
            QVERIFY(types);
            for (int i = 0; i < types->count(); ++i)
                shown << types->itemText(i);
            QCOMPARE(types->currentIndex(), 1);   // the filter matching the wildcard name
            nameBox = d->findChild<QLineEdit *>("fileNameEdit")->text();
            auto *view = d->findChild<QAbstractItemView *>("listView");
            QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2);
            for (int r = 0; r < 2; ++r)
                listed << view->model()->index(r, 0, view->rootIndex()).data().toString();
            typeName(d, dir.filePath("a.txt"));
            static_cast<QDialog *>(d)->accept();
        });
        QtCommonDialogs dialogs;
        QCOMPARE(dialogs.openFile(nullptr, request), dir.filePath("a.txt"));
        QCOMPARE(shown, QStringList({request.filters[0].text, request.filters[1].text, request.filters[2].text}));
        QCOMPARE(nameBox, QString());
        listed.sort();
        QCOMPARE(listed, QStringList({"a.txt", "b.LOG"}));

        onModal<QFileDialog>([](QFileDialog *d) { d->reject(); });
        QCOMPARE(dialogs.openFile(nullptr, request), QString());
    }

    void saveDialog()
    {
        QTemporaryDir dir;
        writeText(dir.filePath("old.txt"), "x");
        const FileDialogRequest request{"Сохранение документа",
                                        {{"Текстовые файлы (*.txt)", "*.txt"}, {"Все файлы (*.*)", "*.*"}},
                                        1, "Документ.txt", dir.path()};
        QtCommonDialogs dialogs;
        int chosen = 0;
        QString offered;
        onModal<QFileDialog>([&](QFileDialog *d) {
            offered = d->findChild<QLineEdit *>("fileNameEdit")->text();
            d->selectNameFilter(d->nameFilters().at(1));
            typeName(d, dir.filePath("notes"));
            static_cast<QDialog *>(d)->accept();
        });
        QCOMPARE(dialogs.saveFile(nullptr, request, chosen), dir.filePath("notes"));
        QCOMPARE(offered, QString("Документ.txt"));
        QCOMPARE(chosen, 2);

        // An existing file is confirmed first; "No" goes back to the dialog.
        bool asked = false;
        onModal<QFileDialog>([&](QFileDialog *d) {
            typeName(d, dir.filePath("old.txt"));
            onModal<QMessageBox>([&](QMessageBox *box) {
                asked = true;
                box->button(QMessageBox::No)->click();
                onModal<QFileDialog>([](QFileDialog *d) { d->reject(); });
            });
            static_cast<QDialog *>(d)->accept();
        });
        chosen = 0;
        QCOMPARE(dialogs.saveFile(nullptr, request, chosen), QString());
        QVERIFY(asked);
        QCOMPARE(chosen, 0);
    }

    void colorDialog()
    {
        QList<quint32> custom;
        for (int i = 0; i < 16; ++i)
            custom << (255 - 17 * i) * 0x010101u;
        QtCommonDialogs dialogs;
        quint32 colour = 0x00336699;   // blue 0x33, green 0x66, red 0x99
        QColor initial;
        onModal<QColorDialog>([&](QColorDialog *d) {
            initial = d->currentColor();
            d->setCurrentColor(QColor(1, 2, 3));
            d->accept();
        });
        QVERIFY(dialogs.chooseColor(nullptr, colour, custom));
        QCOMPARE(initial, QColor(0x99, 0x66, 0x33));
        QCOMPARE(colour, 0x00030201u);
        for (int i = 0; i < 16; ++i)
            QCOMPARE(QColorDialog::customColor(i), QColor(255 - 17 * i, 255 - 17 * i, 255 - 17 * i));

        onModal<QColorDialog>([](QColorDialog *d) { d->reject(); });
        QVERIFY(!dialogs.chooseColor(nullptr, colour, custom));
        QCOMPARE(colour, 0x00030201u);
    }

    // The chooser under Qt's Russian translation, which renames the style "Normal": it opens on
    // exactly the given regular font, gives it back untouched, and changes only what is chosen.
    void fontDialog()
    {
        QTranslator russian;
        QVERIFY(russian.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QApplication::installTranslator(&russian);
        const auto cleanup = qScopeGuard([&] { QApplication::removeTranslator(&russian); });
        const auto list = [](FontColorDialog *d, const char *name) { return d->findChild<QListWidget *>(name); };

        QtCommonDialogs dialogs;
        const FontSpec regular;   // Courier New 9.75, which fontconfig gives as another family
        FontSpec font = regular;
        quint32 colour = 0x000080;   // bordeaux, one of the standard colours
        QString family, style;
        QStringList sizes;
        bool tabbedThroughSizes = false;
        onModal<FontColorDialog>([&](FontColorDialog *d) {
            // Passing through the lists with Tab chooses nothing.
            d->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(d));
            for (int i = 0; i < 12; ++i) {
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : d, Qt::Key_Tab);
                tabbedThroughSizes |= list(d, "sizeList")->hasFocus();
            }
            family = list(d, "familyList")->currentItem()->text();
            style = list(d, "styleList")->currentItem()->data(Qt::UserRole).toString();
            for (int i = 0; i < list(d, "sizeList")->count(); ++i)
                sizes << list(d, "sizeList")->item(i)->text();
            d->accept();
        });
        QVERIFY(dialogs.chooseFont(nullptr, font, colour, 8, 72));
        QVERIFY(tabbedThroughSizes);
        QCOMPARE(font, regular);
        QCOMPARE(colour, 0x000080u);
        QCOMPARE(family, QFontInfo(QFont("Courier New")).family());
        QVERIFY(QFontDatabase::weight(family, style) == 400 && !QFontDatabase::italic(family, style));
        QCOMPARE(sizes.first() + "-" + sizes.last(), QString("8-72"));

        // The size, underline and a colour outside the standard ones; then a style and red.
        onModal<FontColorDialog>([&](FontColorDialog *d) {
            list(d, "sizeList")->setCurrentItem(list(d, "sizeList")->findItems("12", Qt::MatchExactly).first());
            d->findChild<QCheckBox *>("underline")->setChecked(true);
            d->accept();
        });
        colour = 0x123456;
        QVERIFY(dialogs.chooseFont(nullptr, font, colour, 8, 72));
        FontSpec expected = regular;
        expected.size = 12;
        expected.underline = true;
        QCOMPARE(font, expected);
        QCOMPARE(colour, 0x123456u);
        onModal<FontColorDialog>([&](FontColorDialog *d) {
            auto *styles = list(d, "styleList");
            for (int i = 0; i < styles->count(); ++i) {
                if (styles->item(i)->data(Qt::UserRole) == "Bold")
                    styles->setCurrentRow(i);
            }
            auto *colours = d->findChild<QComboBox *>("colourCombo");
            colours->setCurrentIndex(9);
            emit colours->activated(9);
            d->accept();
        });
        QVERIFY(dialogs.chooseFont(nullptr, font, colour, 8, 72));
        QVERIFY(font.bold && font.weight == 700 && !font.italic && font.name == regular.name);
        QCOMPARE(colour, 0x0000FFu);

        // A typed size outside the limits is refused with a warning and the dialog stays open.
        QString warning;
        onModal<FontColorDialog>([&](FontColorDialog *d) {
            d->findChild<QLineEdit *>("sizeEdit")->setText("100");
            onModal<QMessageBox>([&](QMessageBox *box) {
                warning = box->text();
                box->button(QMessageBox::Ok)->click();
                onModal<FontColorDialog>([](FontColorDialog *d) {
                    d->findChild<QLineEdit *>("sizeEdit")->setText("10,5");
                    d->accept();
                });
            });
            d->accept();
        });
        QVERIFY(dialogs.chooseFont(nullptr, font, colour, 8, 72));
        QVERIFY(warning.contains("от 8 до 72"));
        QCOMPARE(font.size, 10.5);

        const FontSpec before = font;
        onModal<FontColorDialog>([](FontColorDialog *d) {
            d->findChild<QCheckBox *>("strikeout")->setChecked(true);
            d->reject();
        });
        QVERIFY(!dialogs.chooseFont(nullptr, font, colour, 8, 72));
        QCOMPARE(font, before);
    }

    // A screen reader tells what every field and list of the font chooser holds. On Linux Qt
    // names a combo box by its current item, so the colour box is known by the label that leads to it.
    void fontDialogNames()
    {
        FontColorDialog d(FontSpec{}, 0, 8, 72);
        const auto named = [&](const char *name, const QString &expected) {
            auto *w = d.findChild<QWidget *>(name);
            QVERIFY2(w, name);
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
            QStringList names{a->text(QAccessible::Name)};
            for (const auto &[label, relation] : a->relations(QAccessible::Label))
                names << label->text(QAccessible::Name);
            QVERIFY2(names.contains(expected), qPrintable(QStringLiteral("%1: %2").arg(name, names.join(u'|'))));
        };
        named("familyEdit", "Шрифт:");
        named("familyList", "Шрифт:");
        named("styleEdit", "Начертание:");
        named("styleList", "Начертание:");
        named("sizeEdit", "Размер:");
        named("sizeList", "Размер:");
        named("colourCombo", "Цвет:");
    }

    void systemFacts()
    {
        QTemporaryDir dir;
        writeText(dir.filePath("quoted"), "NAME=x\nPRETTY_NAME=\"Debian GNU/Linux 12 \\\"x\\\" (bookworm)\"\n");
        writeText(dir.filePath("plain"), "PRETTY_NAME=Plain\n");
        writeText(dir.filePath("no pretty name"), "# comment\nCPE_NAME=cpe\nPRETTY_NAME=\"\"\nNAME='Alt Linux'\nID=alt\n");
        QCOMPARE(LinuxFacts::prettyName(dir.filePath("quoted")), QString("Debian GNU/Linux 12 \"x\" (bookworm)"));
        QCOMPARE(LinuxFacts::prettyName(dir.filePath("plain")), QString("Plain"));
        QCOMPARE(LinuxFacts::prettyName(dir.filePath("no pretty name")), QString("Alt Linux"));
        QCOMPARE(LinuxFacts::prettyName(dir.filePath("missing")), QString());
        QCOMPARE(LinuxFacts::versionFromRelease("6.1.0-28-amd64"), QString("6.01.0"));
        QCOMPARE(LinuxFacts::versionFromRelease("5.15.90.1-microsoft-standard-WSL2"), QString("5.15.90"));
        QCOMPARE(LinuxFacts::versionFromRelease("3.0-ARCH"), QString());
        LinuxFacts facts;
        QVERIFY(facts.programFolder().endsWith('/'));
        QVERIFY(QFile::exists(facts.programFolder() + QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
        QVERIFY(facts.availablePhysicalMemory() > 0);
        QVERIFY(facts.availablePhysicalMemory() <= facts.totalPhysicalMemory());
    }

    void keyboardLocksOffscreen()
    {
        XkbKeyboardLocks locks;
        QVERIFY(!locks.caps() && !locks.num() && !locks.scroll());
    }
};

int main(int argc, char *argv[])
{
    // Child mode for the settings test: read a settings file as whoever runs this.
    if (argc == 3 && qstrcmp(argv[1], "--read-settings") == 0) {
        try {
            IniSettings(QString::fromLocal8Bit(argv[2])).read("General", "ToolBar");
            puts("read");
        } catch (const std::exception &) {
            puts("read failure");
        }
        return 0;
    }
    // Child mode for the instance test: hold a slot until killed.
    if (argc == 3 && qstrcmp(argv[1], "--hold-instance") == 0) {
        QCoreApplication app(argc, argv);
        LockFileInstance held(QString::fromLocal8Bit(argv[2]));
        fputs(held.slot() >= 0 ? "ready\n" : "failed\n", stdout);
        fflush(stdout);
        for (;;)
            QThread::sleep(60);
    }
    QApplication app(argc, argv);
    TestPlatform test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
