// Start-up and shutdown over several simulated runs that share one settings store: the
// unclean-end notice, the single-copy guard, the command line, Escape and the help command.

#include "about/FrmAbout.h"
#include "app/FrmMain.h"
#include "platform/interfaces/Version.h"
#include "platform/textview/TextBox.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <stdexcept>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

const QString UncleanEnd = QStringLiteral(
    "Работа программы не была завершена должным образом!\r\n"
    "Все несохранённые данные утеряны, изменённые настройки не сохранены.\r\n"
    "Если возникнут сбои в программе, её потребуется переустановить.");
const QString AlreadyRunning = QStringLiteral("Программа уже запущена!\r\n\r\nЗапуск нескольких копий отключён.");
const QString HelpMissing =
    QStringLiteral("Не удалось загрузить файл справки!\r\n\r\nВозможно, он повреждён или отсутствует.");

// A shell that fails in a way the program does not expect from it.
class BrokenShell : public platform::Shell {
public:
    int open(QWidget *, const QString &) override { throw std::runtime_error("shell gone"); }
};

// One run of the program; runs may share a store, and a run destroyed without close() was killed.
struct Run : testing::MainWindowRun {
    using MainWindowRun::MainWindowRun;
    QString helpFile() const { return sp.facts.folder + QStringLiteral("Jotbook.htm"); }
};

using testing::writeFile;

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // "--help" and "--version" answer on standard output and end, with no display to be had.
    void infoOptionsNeedNoDisplay()
    {
        for (const QString &option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
            QProcess program;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                env.remove(QLatin1String(name));
            program.setProcessEnvironment(env);
            QTemporaryDir empty;
            program.setWorkingDirectory(empty.path());
            program.start(QStringLiteral(JOTBOOK_PROGRAM), {option});
            QVERIFY(program.waitForFinished(20000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 0);
            const QString out = QString::fromUtf8(program.readAllStandardOutput());
            if (option == QLatin1String("--version")) {
                QCOMPARE(out, QStringLiteral("Jotbook " JOTBOOK_VERSION_STRING "\n"));
                continue;
            }
            QVERIFY(out.startsWith(QStringLiteral("Использование: jotbook")));
            for (const char *word : {"/P", "/A", "/D", "/T", "/L", "/S", ".LOG", ".SYS"})
                QVERIFY2(out.contains(QLatin1String(word)), word);
        }
    }

    void uncleanEndProtocol()
    {
        testing::MemorySettings store;
        {
            // The very first start greets with the help file instead of the notice.
            Run first(&store);
            QVERIFY(first.frm.Form_Load(QString()));
            QVERIFY(first.sp.messages.asked.isEmpty());
            QVERIFY(first.sp.shell.opened.contains(first.helpFile()));
            // ... and the About window beside the main window, not in its way.
            QVERIFY(first.frm.frmAbout() && !first.frm.frmAbout()->isModal());
            QCOMPARE(store.value("General", "EndState"), QStringLiteral("False"));
            QCOMPARE(store.value("General", "NewSettings"), QStringLiteral("False"));
            QVERIFY(first.frm.close());
            QCOMPARE(store.value("General", "EndState"), QStringLiteral("True"));
        }
        {
            // After a normal close: no notice, no help; then the run is killed.
            Run second(&store);
            QVERIFY(second.frm.Form_Load(QString()));
            QVERIFY(second.sp.messages.asked.isEmpty());
            QVERIFY(!second.sp.shell.opened.contains(second.helpFile()));
            QVERIFY(!second.frm.frmAbout());
            QCOMPARE(store.value("General", "EndState"), QStringLiteral("False"));
        }
        {
            Run third(&store);
            QVERIFY(third.frm.Form_Load(QString()));
            const platform::MessageRequest &r = third.onlyMessage();
            QCOMPARE(r.text, UncleanEnd);
            QCOMPARE(r.icon, MsgIcon::Warning);
            QCOMPARE(r.buttons, MsgButtons::Ok);
            QCOMPARE(r.title, QStringLiteral("Jotbook"));
            QVERIFY(third.frm.close());
        }
        {
            Run fourth(&store);
            QVERIFY(fourth.frm.Form_Load(QString()));
            QVERIFY(fourth.sp.messages.asked.isEmpty());
        }
    }

    void secondCopyRefused()
    {
        testing::MemorySettings store;
        store.values = {{"General/EndState", "False"}, {"General/NewSettings", "False"},
                        {"General/MultipleInstance", "False"}, {"General/ToolBar", "True"}};
        const auto before = store.values;
        Run second(&store, true);
        QVERIFY(!second.frm.Form_Load(QString()));
        const platform::MessageRequest &r = second.onlyMessage();
        QCOMPARE(r.text, AlreadyRunning);
        QCOMPARE(r.icon, MsgIcon::Warning);
        QCOMPARE(r.buttons, MsgButtons::Ok);
        QVERIFY(store.writeLog.isEmpty());
        QCOMPARE(store.values, before);
        QVERIFY(second.sp.shell.opened.isEmpty());
    }

    // A second copy, allowed by default, neither warns about the running first copy's "unclean"
    // state nor clears it; the start-up file is still handed to the shell, quietly.
    void secondCopyAllowed()
    {
        testing::MemorySettings store;
        store.values = {{"General/EndState", "False"}, {"General/NewSettings", "False"}};
        Run second(&store, true);
        QVERIFY(second.frm.Form_Load(QString()));
        QVERIFY(second.sp.messages.asked.isEmpty());
        QCOMPARE(second.sp.shell.opened, QStringList{QStringLiteral("Nothing")});
        QCOMPARE(store.value("General", "EndState"), QStringLiteral("False"));
    }

    void execOnStartEveryStart()
    {
        testing::MemorySettings store;
        store.values = {{"General/ExecOnStart", "/opt/jotbook/motd.txt"}};
        for (bool previous : {false, false, true}) {
            Run run(&store, previous);
            QVERIFY(run.frm.Form_Load(QString()));
            QVERIFY(run.sp.shell.opened.contains(QStringLiteral("/opt/jotbook/motd.txt")));
            QVERIFY(run.sp.messages.asked.isEmpty());
            QVERIFY(run.frm.close());
        }
    }

    void startupFailure()
    {
        BrokenShell shell;
        testing::MemorySettings store;
        Run run(&store);
        run.p.shell = &shell;
        QVERIFY(!run.frm.Form_Load(QString()));
        const platform::MessageRequest &r = run.onlyMessage();
        QCOMPARE(r.text, QStringLiteral("Программе не удалось запуститься!"));
        QCOMPARE(r.icon, MsgIcon::Critical);
        QCOMPARE(r.buttons, MsgButtons::Ok);
        // It failed before its first write, so the next start finds no trace of it.
        QVERIFY(store.writeLog.isEmpty());
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("line");          // %1 stands for the file in the test folder
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<bool>("opened");
        QTest::newRow("a lone quote") << "\"" << true << false;
        QTest::newRow("quoted path with a blank") << "\"%1\"" << true << true;
        QTest::newRow("unquoted path with a blank") << "%1" << true << true;
        QTest::newRow("quoted missing path") << "\"%1\"" << false << false;
    }
    void commandLine()
    {
        QFETCH(QString, line);
        QFETCH(bool, fileExists);
        QFETCH(bool, opened);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("x y.txt"));
        if (fileExists)
            writeFile(path, "hello");
        if (line.contains(QLatin1String("%1")))
            line = line.arg(path);

        Run run;
        QVERIFY(run.frm.Form_Load(line));
        if (opened) {
            QCOMPARE(run.frm.document().GlobalFileName(), path);
            QCOMPARE(run.frm.textBox().text(), QByteArray("hello"));
            QCOMPARE(run.frm.windowTitle(), QStringLiteral("x y - Jotbook"));
        } else {
            QVERIFY(run.frm.document().GlobalFileName().isEmpty());
            QCOMPARE(run.frm.windowTitle(), QStringLiteral("Новый документ - Jotbook"));
        }
        if (line.contains(QLatin1String("x y")) && !fileExists) {
            // The failure names the path without its quotes.
            QCOMPARE(run.sp.messages.asked.size(), 1);
            QVERIFY(run.onlyMessage().text.startsWith(path + QStringLiteral("\r\n\r\n")));
        } else {
            QVERIFY(run.sp.messages.asked.isEmpty());
        }
    }

    // The keys act around the open: "/A" clears the size check for this run without counting as
    // the user's change (nothing asks at exit and the store keeps the check), "/L" stamps (a ".LOG"
    // file then gets two stamps, each after an empty line), "/S" stamps whatever the box holds even
    // when the open failed.
    void commandLineKeys()
    {
        QTemporaryDir dir;
        const QString big = writeFile(dir.filePath(QStringLiteral("big.txt")), QByteArray(60000, 'b'));
        const QString log = writeFile(dir.filePath(QStringLiteral("log.txt")), ".LOG\r\nday one");

        Run sizeRun;
        QVERIFY(sizeRun.frm.Form_Load(big + QStringLiteral(" /a")));
        QVERIFY(sizeRun.sp.messages.asked.isEmpty());
        QCOMPARE(sizeRun.frm.textBox().textLength(), 60000);
        QVERIFY(!sizeRun.frm.mainActions().mnuCheckLen->isChecked());
        QVERIFY(!sizeRun.frm.settings().UserChangeSettings());
        QVERIFY(sizeRun.frm.close());
        QVERIFY(sizeRun.sp.messages.asked.isEmpty());
        QCOMPARE(sizeRun.sp.settings.value("General", "CheckLength"), QStringLiteral("True"));

        Run logRun;
        QVERIFY(logRun.frm.Form_Load(log + QStringLiteral(" /L")));
        const QByteArray stamp = "\r\n\r\n09:05 06.12.2026";
        QCOMPARE(logRun.frm.textBox().text(), ".LOG\r\nday one" + stamp + stamp);
        QCOMPARE(logRun.frm.textBox().selStart(), logRun.frm.textBox().textLength());
        QVERIFY(logRun.frm.document().isChanged());

        testing::MemorySettings store;
        store.values.insert(QStringLiteral("General/ReadKeys"), QStringLiteral("False"));
        Run offRun(&store);
        QVERIFY(offRun.frm.Form_Load(log + QStringLiteral(" /L")));
        QCOMPARE(offRun.frm.textBox().text(), QByteArray(".LOG\r\nday one"));

        Run missingRun;
        QVERIFY(missingRun.frm.Form_Load(dir.filePath(QStringLiteral("missing.txt /s"))));
        QCOMPARE(missingRun.sp.messages.asked.size(), 1);
        QVERIFY(missingRun.frm.textBox().text().startsWith("\r\n\r\nProgram Name: Jotbook\r\n"));
        QVERIFY(missingRun.frm.textBox().text().endsWith("\r\nDate: 06.12.2026"));
    }

    // After any load, ".LOG" texts of at most 55000 model characters (a CR LF counts two) get the
    // time and date and ".SYS" texts the system report, both only while the keys are switched on.
    void textMarkers_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("readKeys");
        QTest::addColumn<QByteArray>("stamp");   // its start; empty: none
        const QByteArray log = ".log\r\n" + QByteArray(55000 - 6, 'x'), sys = ".SyS" + QByteArray(60000, 'x');
        QTest::newRow("log at the limit") << log << true << QByteArray("\r\n\r\n09:05 06.12.2026");
        QTest::newRow("log, keys off") << log << false << QByteArray();
        QTest::newRow("sys past the limit") << sys << true << QByteArray("\r\n\r\nProgram Name: Jotbook\r\n");
        QTest::newRow("sys, keys off") << sys << false << QByteArray();
    }
    void textMarkers()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, readKeys);
        QFETCH(QByteArray, stamp);
        QTemporaryDir dir;
        Run run;
        run.sp.settings.values.insert("General/CheckLength", "False");
        run.sp.settings.values.insert("General/ReadKeys", readKeys ? "True" : "False");
        run.start();
        QVERIFY(run.frm.OpenTextFile(writeFile(dir.filePath(QStringLiteral("marked.txt")), text), true, false));
        const QByteArray shown = run.frm.textBox().text();
        QCOMPARE(shown.left(text.size() + stamp.size()), text + stamp);
        QCOMPARE(run.frm.document().isChanged(), !stamp.isEmpty());
        if (stamp.isEmpty())
            QCOMPARE(shown.size(), text.size());
        else   // the whole stamp, with the caret after it
            QVERIFY(shown.endsWith(" 06.12.2026") && run.frm.textBox().selStart() == shown.size());
    }

    void escape_data()
    {
        QTest::addColumn<QString>("unloadOnEscape");   // empty: the key is missing
        QTest::addColumn<bool>("closes");
        QTest::newRow("default") << QString() << false;
        QTest::newRow("True") << "True" << true;
    }
    void escape()
    {
        QFETCH(QString, unloadOnEscape);
        QFETCH(bool, closes);
        Run run;
        if (!unloadOnEscape.isEmpty())
            run.sp.settings.values.insert("General/UnloadOnEscape", unloadOnEscape);
        QVERIFY(run.frm.Form_Load(QString()));
        run.frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&run.frm));
        QTest::keyClick(&run.frm.textBox(), Qt::Key_Escape);
        QCOMPARE(run.frm.isVisible(), !closes);
        QCOMPARE(run.sp.settings.value("General", "EndState"), closes ? QStringLiteral("True") : QStringLiteral("False"));
    }

    // One Escape is one close request: cancelling the question ends it.
    void escapeAsksOnce()
    {
        Run run;
        run.sp.settings.values.insert("General/UnloadOnEscape", "True");
        QVERIFY(run.frm.Form_Load(QString()));
        run.frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&run.frm));
        run.frm.textBox().replaceSel("draft");
        run.sp.messages.answers = {MsgAnswer::Cancel, MsgAnswer::Cancel};
        QTest::keyClick(&run.frm.textBox(), Qt::Key_Escape);
        QVERIFY(run.frm.isVisible());
        QCOMPARE(run.sp.messages.asked.size(), 1);
        QCOMPARE(run.frm.textBox().text(), QByteArray("draft"));
    }

    void helpCommand_data()
    {
        QTest::addColumn<bool>("found");
        QTest::newRow("missing") << false;
        QTest::newRow("present") << true;
    }
    void helpCommand()
    {
        QFETCH(bool, found);
        Run run;
        QVERIFY(run.frm.Form_Load(QString()));
        run.sp.shell.opened.clear();
        run.sp.messages.asked.clear();
        if (found)
            run.sp.shell.existing.insert(run.helpFile());
        run.frm.mainActions().mnuCallHelp->trigger();
        QCOMPARE(run.sp.shell.opened, QStringList{run.helpFile()});
        if (found) {
            QVERIFY(run.sp.messages.asked.isEmpty());
        } else {
            const platform::MessageRequest &r = run.onlyMessage();
            QCOMPARE(r.text, HelpMissing);
            QCOMPARE(r.icon, MsgIcon::Warning);
            QCOMPARE(r.buttons, MsgButtons::Ok);
        }
    }

    // Cancel in the document question ends the close there: no settings question, no save.
    void cancelledCloseKeepsEverything()
    {
        Run run;
        QVERIFY(run.frm.Form_Load(QString()));
        run.frm.show();
        run.frm.textBox().replaceSel("draft");
        run.frm.mainActions().mnuStatusBar->trigger();
        QVERIFY(run.frm.settings().UserChangeSettings());
        run.sp.messages.asked.clear();
        run.sp.settings.writeLog.clear();
        run.sp.messages.answers = {MsgAnswer::Cancel};

        QVERIFY(!run.frm.close());
        QVERIFY(run.frm.isVisible());
        QCOMPARE(run.sp.messages.asked.size(), 1);
        QVERIFY(run.onlyMessage().text.startsWith(QStringLiteral("Документ \"Новый документ\" был изменён.")));
        QVERIFY(run.sp.settings.writeLog.isEmpty());
        QCOMPARE(run.frm.textBox().text(), QByteArray("draft"));

        // The next close goes through: No to the document, Yes to the settings.
        run.sp.messages.answers = {MsgAnswer::No, MsgAnswer::Yes};
        QVERIFY(run.frm.close());
        QCOMPARE(run.sp.settings.value("General", "StatusBar"), QStringLiteral("False"));
        QCOMPARE(run.sp.settings.value("General", "EndState"), QStringLiteral("True"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
