// Recovery copies of unsaved text: the writer, the request to end by a signal, the offer at
// start-up over runs that share a settings store and a state folder, and the Linux pieces
// (signals reach the event loop, a copy of the program is recognised while it runs).

#include "app/FrmMain.h"
#include "document/Recovery.h"
#include "platform/desktop/LinuxRecovery.h"
#include "tests/support/MainWindowFixture.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using platform::MsgAnswer;
using platform::RecoveryFiles;

namespace {

// Windows-1251 text ("Заметка"), odd bytes, lone CR and LF.
const QByteArray Unsaved = QByteArrayLiteral("\xc7\xe0\xec\xe5\xf2\xea\xe0\r\n\x98\x01 \xff\rend\n");

// A run of the program whose copies live in folder under the name id.
struct Run : testing::MainWindowRun {
    Run(testing::MemorySettings &store, const QString &folder, const QString &id = QStringLiteral("self"),
        bool previous = false)
        : MainWindowRun(&store, previous)
    {
        sp.recovery.dir = folder;
        sp.recovery.id = id;
    }
    QString ownFile() { return frm.recovery().files().ownFile(); }
    void type(const QByteArray &text) { frm.textBox().replaceSel(text); }
};

int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

void writeCopy(const QString &folder, const QString &id, const QString &path, const QByteArray &text, int minute)
{
    QFile f(folder + '/' + id + RecoveryFiles::Suffix);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(RecoveryFiles::encode(path, text, QDateTime(QDate(2026, 1, 1), QTime(10, minute))));
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // Written a pause after the edits, and no later than the longest delay while typing goes on;
    // the file is private in a private folder made for it.
    void writer()
    {
        QTemporaryDir dir;
        testing::MemorySettings store;
        Run run(store, dir.filePath("state/Jotbook"));
        run.start();
        constexpr int idle = 200, longest = 600;   // the program's delays, shortened
        run.frm.recovery().setDelays(idle, longest);
        QElapsedTimer typing;
        typing.start();
        QTimer keys;
        connect(&keys, &QTimer::timeout, [&] { run.type("x"); });
        keys.start(idle / 4);
        run.type(Unsaved);
        QVERIFY(!QFile::exists(run.ownFile()));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(run.ownFile()), longest + 1000);
        QVERIFY(keys.isActive() && typing.elapsed() < longest + 500);
        keys.stop();

        QTRY_COMPARE_WITH_TIMEOUT(RecoveryFiles::read(run.ownFile())->text, run.frm.textBox().text(), idle + 1000);
        const platform::RecoveryCopy copy = *RecoveryFiles::read(run.ownFile());
        QVERIFY(copy.text.startsWith(Unsaved) && copy.path.isEmpty());
        QCOMPARE(copy.saved, run.sp.clock.time);
        QCOMPARE(modeOf(run.ownFile()), 0600);
        QCOMPARE(modeOf(dir.filePath("state/Jotbook")), 0700);

        // Undone back to the empty text: nothing unsaved, no copy.
        run.frm.textBox().setText(QByteArray());
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(run.ownFile()), longest + 1000);
    }

    // Saved, replaced or discarded: the copy goes; a failed open or a cancelled close keep the text.
    void removal_data()
    {
        QTest::addColumn<QString>("action");
        for (const char *action : {"save", "new", "open", "failed open", "close", "cancelled close"})
            QTest::newRow(action) << QString(action);
    }

    void removal()
    {
        QFETCH(QString, action);
        const bool kept = action.contains(' ');
        QTemporaryDir dir;
        testing::MemorySettings store;
        Run run(store, dir.path());
        run.start();
        run.type(Unsaved);
        QVERIFY(run.frm.recovery().WriteRecoveryCopy(true));
        QVERIFY(QFile::exists(run.ownFile()));
        auto &answers = run.sp.messages.answers;
        if (action == "save") {
            run.sp.dialogs.saveAnswers.push_back({dir.filePath("saved.txt"), 1});
            run.frm.mnuSave_Click();
        } else if (action == "new") {
            answers.push_back(MsgAnswer::No);
            run.frm.mnuNew_Click();
        } else if (action.endsWith("open")) {
            const QString file = dir.filePath("other.txt");
            if (action == "open")
                QFile(file).open(QIODevice::WriteOnly);
            answers.push_back(MsgAnswer::No);
            run.sp.dialogs.openAnswers.push_back(file);
            run.frm.mnuOpen_Click();
        } else {
            answers.push_back(kept ? MsgAnswer::Cancel : MsgAnswer::No);
            QCOMPARE(run.frm.close(), !kept);
        }
        QCOMPARE(QFile::exists(run.ownFile()), kept);
    }

    // Asked to end: the copy is written at once; the next start tells of the unclean end and then
    // offers the text back exactly, with its path and its file's coding, as a changed document.
    void endRequestAndRestart()
    {
        QTemporaryDir dir;
        testing::MemorySettings store;
        const QString path = dir.filePath("Письмо другу.txt");
        {
            Run killed(store, dir.path(), "killed");
            killed.start();
            killed.sp.endRequests.request();   // unchanged: nothing to keep
            QVERIFY(!QFile::exists(killed.ownFile()));
            killed.frm.document().Commit("", path, platform::FileCoding::Utf8WithMark);   // an empty file, opened
            killed.type(Unsaved);
            killed.sp.endRequests.request();
            QCOMPARE(RecoveryFiles::read(killed.ownFile())->text, Unsaved);
        }
        Run run(store, dir.path());
        QVERIFY(run.frm.Form_Load(QString()));
        QCOMPARE(run.sp.messages.asked.size(), 2);
        QVERIFY(run.sp.messages.asked.at(0).request.text.startsWith("Работа программы не была завершена"));
        const platform::MessageRequest &offer = run.sp.messages.asked.at(1).request;
        QCOMPARE(offer.text, QString("Найдена резервная копия несохранённого документа \"Письмо другу\".\r\n\r\n"
                                     "Восстановить её?"));
        QVERIFY(offer.icon == platform::MsgIcon::Question && offer.buttons == platform::MsgButtons::YesNo
                && offer.defaultButton == 1);
        QCOMPARE(run.frm.textBox().text(), Unsaved);
        QCOMPARE(run.frm.document().GlobalFileName(), path);
        QCOMPARE(run.frm.document().coding(), platform::FileCoding::Utf8WithMark);
        QCOMPARE(run.frm.windowTitle(), QString("Письмо другу - Jotbook"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"self.recovery"});
        run.sp.messages.answers.push_back(MsgAnswer::Cancel);
        QVERIFY(!run.frm.close());   // changed: the change question
    }

    // Only the newest copy of a program that no longer runs is offered, also after a clean end;
    // a running program's copy and older ones stay. No deletes the offered one.
    void offer_data()
    {
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<bool>("endedWell");
        QTest::newRow("yes after an unclean end") << MsgAnswer::Yes << false;
        QTest::newRow("no after a clean end") << MsgAnswer::No << true;
    }

    void offer()
    {
        QFETCH(MsgAnswer, answer);
        QFETCH(bool, endedWell);
        QTemporaryDir dir;
        testing::MemorySettings store;
        store.values = {{"General/NewSettings", "False"}, {"General/EndState", endedWell ? "True" : "False"}};
        writeCopy(dir.path(), "older", "", "older", 1);
        writeCopy(dir.path(), "newer", "", "newer", 2);
        writeCopy(dir.path(), "running", "", "running", 3);
        QFile(dir.filePath("notes.txt")).open(QIODevice::WriteOnly);
        {
            Run second(store, dir.path(), "second", true);   // a second copy offers nothing
            QVERIFY(second.frm.Form_Load(QString()));
            QVERIFY(second.sp.messages.asked.isEmpty());
        }
        Run run(store, dir.path());
        run.sp.recovery.running = {"running"};
        // A recovered text gives way to the file on the command line only after the change question.
        run.sp.messages.answers = {MsgAnswer::Ok, answer, MsgAnswer::Cancel};
        QVERIFY(run.frm.Form_Load(dir.filePath("notes.txt")));
        QCOMPARE(run.sp.messages.asked.size(), (endedWell ? 1 : 2) + (answer == MsgAnswer::Yes ? 1 : 0));
        QVERIFY(run.sp.messages.texts().at(endedWell ? 0 : 1).contains("\"Новый документ\""));
        QCOMPARE(run.frm.textBox().text(), answer == MsgAnswer::Yes ? QByteArray("newer") : QByteArray());
        QCOMPARE(run.frm.document().isChanged(), answer == MsgAnswer::Yes);
        QStringList left = {"notes.txt", "older.recovery", "running.recovery"};
        if (answer == MsgAnswer::Yes)
            left << "self.recovery";
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), left);
    }

    // Only the regular files of a private folder are copies: a link is neither offered nor
    // written through, a link to a FIFO does not hold up the start, a header of other lines or of
    // no end is no copy, and the program's copies are private, also one it adopted.
    void plantedFiles_data()
    {
        QTest::addColumn<QString>("planted");
        for (const char *planted : {"link", "own link", "fifo link", "unknown line", "long header", "open copy"})
            QTest::newRow(planted) << QString(planted);
    }

    void plantedFiles()
    {
        QFETCH(QString, planted);
        QTemporaryDir dir;
        testing::ScriptedRecoveryHost host;
        host.dir = dir.filePath("state");
        QVERIFY(QDir().mkdir(host.dir) && ::chmod(QFile::encodeName(host.dir).constData(), 0700) == 0);
        RecoveryFiles files(host);
        writeCopy(dir.path(), "outside", "", "planted", 0);
        const QString outside = dir.filePath("outside.recovery"), orphan = host.dir + "/orphan.recovery";
        const QString fifo = dir.filePath("fifo");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        if (planted.endsWith("link")) {
            const QString target = planted == "fifo link" ? fifo : outside;
            QVERIFY(QFile::link(target, planted == "own link" ? files.ownFile() : orphan));
        } else if (planted == "open copy") {
            writeCopy(host.dir, "orphan", "", "planted", 0);
            QVERIFY(::chmod(QFile::encodeName(orphan).constData(), 0644) == 0);
        } else {
            QFile f(orphan);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Jotbook recovery 1\nsaved 1\n"
                    + (planted == "unknown line" ? QByteArray("size 7\n") : QByteArray("path /\n").repeated(100000))
                    + "\nplanted");
        }

        auto found = std::async(std::launch::async, [&] { return files.newestOrphan(); });
        if (found.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ::close(::open(QFile::encodeName(fifo).constData(), O_WRONLY));   // lets the reader go
            QFAIL("reading the recovery folder waits for a writer");
        }
        const std::optional<platform::RecoveryCopy> copy = found.get();
        QCOMPARE(copy.has_value(), planted == "open copy");
        if (copy) {
            QVERIFY(files.adopt(*copy));
            QCOMPARE(modeOf(files.ownFile()), 0600);
        }
        files.write("", Unsaved, QDateTime::currentDateTime(), platform::FileCoding::Ansi);
        QCOMPARE(RecoveryFiles::read(outside).value().text, QByteArray("planted"));
        QCOMPARE(RecoveryFiles::read(files.ownFile()).value().text, Unsaved);
        QCOMPARE(modeOf(files.ownFile()), 0600);
    }

    // A copy that cannot be written is told once, not at every pause in typing.
    void writeFailure()
    {
        QTemporaryDir dir;
        QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
        testing::MemorySettings store;
        Run run(store, dir.filePath("file/Jotbook"));
        run.start();
        run.type("a");
        QVERIFY(!run.frm.recovery().WriteRecoveryCopy(true));
        run.type("b");
        QVERIFY(!run.frm.recovery().WriteRecoveryCopy(true));
        QCOMPARE(run.sp.messages.asked.size(), 1);
        QVERIFY(run.sp.messages.texts().first().contains("Не удалось сохранить резервную копию документа!"));
    }

    void endSignals_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("SIGINT") << SIGINT;
    }

    // The handler runs from the event loop, after the signal handler returned; then the program
    // ends by the signal.
    void endSignals()
    {
        QFETCH(int, signal);
        platform::SignalEndRequests requests;
        int ended = 0;
        bool handled = false;
        requests.end = [&](int sig) { ended = sig; };
        requests.setHandler([&] { handled = true; });
        ::raise(signal);
        QVERIFY(!handled);
        QTRY_COMPARE(ended, signal);
        QVERIFY(handled);
    }

    void liveness()
    {
        platform::LinuxRecoveryHost host;
        QVERIFY(host.isRunning(host.selfId()));
        QProcess child;
        child.start("sleep", {"60"});
        QVERIFY(child.waitForStarted());
        const QString id = platform::LinuxRecoveryHost::idOf(child.processId());
        QVERIFY(host.isRunning(id));
        QVERIFY(!host.isRunning(id + '0'));   // the same process id, started at another time
        child.kill();
        child.waitForFinished();
        QVERIFY(!host.isRunning(id));
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
