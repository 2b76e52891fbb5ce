// The About window and the figures behind it and the system report.

#include "about/FrmAbout.h"
#include "about/MdlOther.h"
#include "about/SystemReport.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/Messenger.h"
#include "tests/support/ScriptedPlatform.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

namespace {

// An About window over a scripted platform, owned by a stand-in main window.
struct AboutRun {
    testing::ScriptedPlatform sp;
    QWidget owner;
    platform::TextBox box;
    platform::Messenger messages{sp.messages, &owner};
    QPointer<FrmAbout> about;

    FrmAbout &open()
    {
        owner.show();
        FrmAbout::Show(about,
                       {{&owner, {}, [] { return false; }}, box, messages, sp.shell, sp.facts, &sp.programs, 10},
                       false);
        if (!QTest::qWaitForWindowExposed(about))
            qFatal("the About window is not shown");
        return *about;
    }
    template <class T>
    T *child(const char *name) const { return about->findChild<T *>(QLatin1String(name)); }
    QString label(const char *name) const { return child<QLabel>(name)->text(); }
};

// A system that has the resource figures.
struct ResourceFacts : testing::ScriptedFacts {
    bool freeResources(int &system, int &gdi, int &user) const override
    {
        system = 71, gdi = 82, user = 93;
        return true;
    }
};

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatMemory_data()
    {
        QTest::addColumn<quint64>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << quint64(0) << "0";
        QTest::newRow("three digits") << quint64(999) << "999";
        QTest::newRow("four digits") << quint64(1234) << "1 234";
        QTest::newRow("nine digits") << quint64(536870912) << "536 870 912";
        QTest::newRow("ten digits keep the first group whole") << quint64(1234567890) << "1234 567 890";
        QTest::newRow("beyond 32 bits") << quint64(25276182528) << "25276 182 528";
        QTest::newRow("the largest") << quint64(18446744073709551615ull) << "18446744073709 551 615";
    }
    void formatMemory()
    {
        QFETCH(quint64, value);
        QTEST(MdlOther::FormatMemory(value), "text");
    }

    // The fill bar counts model characters (a CR LF is two) on the 55000-character scale.
    void figures_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("percent");
        QTest::newRow("half") << QByteArray(27500, 'x') << 27500 << "50%";
        QTest::newRow("under one percent") << QByteArray(549, 'x') << 549 << "0%";
        QTest::newRow("line breaks count two") << QByteArray("\r\n").repeated(275) << 550 << "1%";
        QTest::newRow("over the scale") << QByteArray(60000, 'x') << 55000 << "100%";
    }
    void figures()
    {
        QFETCH(QByteArray, text);
        AboutRun run;
        run.box.setText(text);
        run.sp.facts.total = 1073741824;         // 1 GB
        run.sp.facts.available = 5ull << 30;     // beyond 32 bits
        run.open();
        QTEST(run.child<QProgressBar>("PLevel")->value(), "bar");
        QTEST(run.label("LLevel"), "percent");
        QCOMPARE(run.label("LAvMem"), QStringLiteral("1 048 576 КБ"));
        QCOMPARE(run.label("LFrMem"), QStringLiteral("5 242 880 КБ"));
        // The memory follows the system while the window is open.
        run.sp.facts.available = 1024 * 1024;
        QTRY_COMPARE(run.label("LFrMem"), QStringLiteral("1 024 КБ"));
    }

    void systemProgram_data()
    {
        QTest::addColumn<QStringList>("inPath");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QString>("started");   // empty: nothing
        const QString gsm = QStringLiteral("/usr/bin/gnome-system-monitor");
        QTest::newRow("none") << QStringList() << true << QString();
        QTest::newRow("the first of the list") << QStringList{"/usr/bin/xfce4-taskmanager", gsm} << true << gsm;
        QTest::newRow("found, does not start") << QStringList{gsm} << false << gsm;
    }
    void systemProgram()
    {
        QFETCH(QStringList, inPath);
        QFETCH(bool, starts);
        QFETCH(QString, started);
        AboutRun run;
        for (const QString &path : inPath)
            run.sp.programs.inPath.insert(path.section(QLatin1Char('/'), -1), path);
        if (!starts)
            run.sp.programs.failing = {started};
        run.open();
        run.child<QPushButton>("CmdSystem")->click();
        QCOMPARE(run.sp.programs.started, started.isEmpty() ? QList<QStringList>() : QList<QStringList>{{started}});
        const bool error = started.isEmpty() || !starts;
        QCOMPARE(run.sp.messages.texts(), error ? QStringList{"Ошибка при запуске 'hardinfo'!"} : QStringList());
        QVERIFY(!error || run.sp.messages.asked.first().request.icon == platform::MsgIcon::Critical);
        QVERIFY(run.about && run.about->isVisible());
    }

    // A click on the address writes a mail; the keyboard cannot move the thanks box's caret or
    // change its text, and Escape still closes the window.
    void thanksAndMail()
    {
        AboutRun run;
        run.open();
        auto *mail = run.child<QLabel>("LMail");
        QTest::mouseClick(mail, Qt::LeftButton);
        QCOMPARE(run.sp.shell.opened, QStringList{QStringLiteral("mailto:") + FrmAbout::Mail});

        // From the keyboard: the window opens on the thanks, the address is one Shift+Tab away and
        // Enter or Space writes the mail.
        auto *thanks = run.child<QPlainTextEdit>("TThanks");
        run.about->activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), thanks);
        QTest::keyClick(thanks, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), mail);
        QVERIFY(mail->font().underline());
        QTest::keyClick(mail, Qt::Key_Return);
        QTest::keyClick(mail, Qt::Key_Space);
        QCOMPARE(run.sp.shell.opened.size(), 3);
        QTest::keyClick(mail, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), thanks);
        QVERIFY(!mail->font().underline());

        const QString text = thanks->toPlainText();
        QCOMPARE(text.count(QLatin1Char('\n')), 6);
        for (int key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown, Qt::Key_Right, Qt::Key_X})
            QTest::keyClick(thanks, Qt::Key(key));
        QCOMPARE(thanks->textCursor().position(), 0);
        QCOMPARE(thanks->toPlainText(), text);
        QTest::keyClick(thanks, Qt::Key_Escape);
        QTRY_VERIFY(!run.about);
    }

    void systemReport()
    {
        testing::ScriptedFacts plain;
        plain.total = 536870912;
        plain.available = 25276182528;
        plain.folder = QStringLiteral("/opt/jotbook");
        const QDateTime now(QDate(2026, 12, 6), QTime(9, 5, 3));
        QCOMPARE(SystemReport::BuildSystemReport(plain, now, QVersionNumber(1, 6, 9)).split(QStringLiteral("\r\n")),
                 QStringList({"Program Name: Jotbook", "Program Version: 1.6", "",
                              "Current System: Debian GNU/Linux 12 (bookworm)", "System Updates: ",
                              "System Version: 6.01.0", "", "System Folder: ", "Windows Folder: ",
                              "Application Folder: /opt/jotbook/", "", "Total Memory: 536 870 912 Byte",
                              "Available Memory: 25276 182 528 Byte", "", "Free System Resources: 0%",
                              "Free User Resources: 0%", "Free GDI Resources: 0%", "", "Time: 09:05:03",
                              "Date: 06.12.2026"}));

        QVERIFY(SystemReport::BuildSystemReport(ResourceFacts(), now, QVersionNumber(1, 6))
                    .contains("Resources: 71%\r\nFree User Resources: 93%\r\nFree GDI Resources: 82%\r\n"));
    }

    void insertSystemReport()
    {
        platform::TextBox box;
        box.setText("abc selected def");
        box.setSel(4, 12);
        SystemReport::InsertSystemReport(box, QStringLiteral("line 1\r\nline 2"));
        QCOMPARE(box.text(), QByteArray("abc line 1\r\nline 2 def"));
        QCOMPARE(box.selStart(), 18);
        QCOMPARE(box.selLength(), 0);
        box.undoEdit();
        QCOMPARE(box.text(), QByteArray("abc selected def"));
    }

    void addBackslash()
    {
        QCOMPARE(MdlOther::AddBackslash(QStringLiteral("/opt/jotbook")), QStringLiteral("/opt/jotbook/"));
        QCOMPARE(MdlOther::AddBackslash(QStringLiteral("/opt/jotbook/")), QStringLiteral("/opt/jotbook/"));
        QCOMPARE(MdlOther::AddBackslash(QString()), QStringLiteral("/"));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
