// The About window and the figures behind it and the system report.

#include "about/FrmAbout.h"
#include "about/MdlOther.h"
#include "platform/Messenger.h"
#include "platform/TextBox.h"
#include "tests/support/ScriptedPlatform.h"

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

    AboutContext context()
    {
        return {{&owner, &box, [] { return false; }}, box, messages, sp.shell, sp.facts, &sp.programs};
    }
    FrmAbout &open()
    {
        owner.show();
        FrmAbout::Show(about, context(), false);
        if (!QTest::qWaitForWindowExposed(about))
            qFatal("the About window is not shown");
        return *about;
    }
    template <class T>
    T *child(const char *name) const { return about->findChild<T *>(QLatin1String(name)); }
    QString label(const char *name) const { return child<QLabel>(name)->text(); }
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
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+$")).match(run.label("LVersion")).hasMatch());
        // The memory follows the system while the window is open.
        run.sp.facts.available = 1024 * 1024;
        QTRY_COMPARE_WITH_TIMEOUT(run.label("LFrMem"), QStringLiteral("1 024 КБ"), 1500);
    }

    void systemProgram_data()
    {
        QTest::addColumn<QStringList>("inPath");
        QTest::addColumn<QStringList>("failing");
        QTest::addColumn<QStringList>("started");   // the program and its arguments, empty: none
        QTest::addColumn<bool>("error");
        const QString gsm = QStringLiteral("/usr/bin/gnome-system-monitor");
        const QString xfce = QStringLiteral("/usr/bin/xfce4-taskmanager");
        QTest::newRow("none") << QStringList() << QStringList() << QStringList() << true;
        QTest::newRow("the first of the list found") << QStringList{xfce, gsm} << QStringList() << QStringList{gsm}
                                                     << false;
        QTest::newRow("found but does not start") << QStringList{gsm} << QStringList{gsm} << QStringList{gsm} << true;
    }
    void systemProgram()
    {
        QFETCH(QStringList, inPath);
        QFETCH(QStringList, failing);
        QFETCH(QStringList, started);
        QFETCH(bool, error);
        AboutRun run;
        for (const QString &path : inPath)
            run.sp.programs.inPath.insert(path.section(QLatin1Char('/'), -1), path);
        run.sp.programs.failing = QSet<QString>(failing.begin(), failing.end());
        run.open().findChild<QPushButton *>(QStringLiteral("CmdSystem"))->click();
        QCOMPARE(run.sp.programs.started.value(0), started);
        QCOMPARE(run.sp.programs.started.size(), started.isEmpty() ? 0 : 1);
        if (error) {
            const platform::MessageRequest &r = run.sp.messages.asked.value(0).request;
            QCOMPARE(r.text, QStringLiteral("Ошибка при запуске 'hardinfo'!"));
            QCOMPARE(r.icon, platform::MsgIcon::Critical);
        }
        QCOMPARE(run.sp.messages.asked.size(), error ? 1 : 0);
        QVERIFY(run.about && run.about->isVisible());
    }

    // The keyboard cannot move the thanks box's caret or change its text; Escape still closes.
    void thanksBox()
    {
        AboutRun run;
        run.open();
        auto *thanks = run.child<QPlainTextEdit>("TThanks");
        const QString text = thanks->toPlainText();
        QCOMPARE(text.count(QLatin1Char('\n')), 6);
        thanks->setFocus();
        for (int key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown, Qt::Key_Right, Qt::Key_X})
            QTest::keyClick(thanks, Qt::Key(key));
        QTest::keyClick(thanks, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(thanks->textCursor().position(), 0);
        QCOMPARE(thanks->toPlainText(), text);
        QTest::keyClick(thanks, Qt::Key_Escape);
        QTRY_VERIFY(!run.about);
    }

    // Pressing the address draws it in the window-background colour; the click writes a mail.
    void mailLink()
    {
        AboutRun run;
        run.open();
        auto *mail = run.child<QLabel>("LMail");
        const QPalette palette = run.about->palette();
        QTest::mousePress(mail, Qt::LeftButton);
        QCOMPARE(mail->palette().color(QPalette::WindowText), palette.color(QPalette::Base));
        QVERIFY(run.sp.shell.opened.isEmpty());
        QTest::mouseRelease(mail, Qt::LeftButton);
        QCOMPARE(mail->palette().color(QPalette::WindowText), palette.color(QPalette::Highlight));
        QCOMPARE(run.sp.shell.opened, QStringList{QStringLiteral("mailto:") + FrmAbout::Mail});
    }

    // From the Help menu the window is modal; while it is open, asking again only raises it.
    void modal()
    {
        AboutRun run;
        run.owner.show();
        bool wasModal = false;
        QTimer::singleShot(0, [&] {
            wasModal = QApplication::activeModalWidget() == run.about;
            FrmAbout::Show(run.about, run.context(), true);
            QCOMPARE(run.owner.findChildren<FrmAbout *>().size(), 1);
            run.about->findChild<QPushButton *>(QStringLiteral("CmdClose"))->click();
        });
        FrmAbout::Show(run.about, run.context(), true);
        QVERIFY(wasModal);
        QTRY_VERIFY(!run.about);
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
