// Minimising to the notification area: normal life, in the tray, no tray host, the host lost.

#include "chrome/FrmTray.h"
#include "chrome/TrayWatch.h"
#include "tests/support/MainWindowFixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A started program past its first start, "&Минимизировать в трей" as given.
struct Run : testing::MainWindowRun {
    explicit Run(bool minimizeToTray = true)
    {
        sp.settings.values.insert("General/NewSettings", "False");
        sp.settings.values.insert("General/MinimizeToTray", minimizeToTray ? "True" : "False");
        start();
    }
    QPointer<FrmTray> tray() { return frm.trayWatch().frmTray(); }
    void minimise()   // and let the watch look
    {
        frm.showMinimized();
        QCoreApplication::processEvents();
    }
    bool inTray() { return !frm.isVisible() && tray() && tray()->trayIcon()->isVisible(); }
    bool onTaskbar() { return frm.isVisible() && frm.isMinimized() && !tray(); }
    // Shown, neither minimised nor maximised, and the icon gone.
    bool normalLife(const QPointer<FrmTray> &icon)
    {
        return frm.isVisible() && !(frm.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) && !icon;
    }
};

} // namespace

class TestTray : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void restore_data()
    {
        QTest::addColumn<int>("how");   // an activation reason, or -1 for "&Открыть редактор"
        QTest::addColumn<bool>("maximised");
        QTest::newRow("left click") << int(QSystemTrayIcon::Trigger) << false;
        QTest::newRow("middle click, was maximised") << int(QSystemTrayIcon::MiddleClick) << true;
        QTest::newRow("menu") << -1 << false;
    }
    void restore()
    {
        QFETCH(int, how);
        QFETCH(bool, maximised);
        Run run;
        if (maximised)
            run.frm.showMaximized();
        run.minimise();
        QTRY_VERIFY(run.inTray());
        const QPointer<FrmTray> tray = run.tray();
        QCOMPARE(tray->trayIcon()->toolTip(), QStringLiteral("Jotbook"));
        QCOMPARE(tray->trayMenu()->defaultAction()->text(), QStringLiteral("&Открыть редактор"));
        if (how < 0)
            tray->trayMenu()->defaultAction()->trigger();
        else
            Q_EMIT tray->trayIcon()->activated(QSystemTrayIcon::ActivationReason(how));
        QTRY_VERIFY(run.normalLife(tray));
        run.minimise();   // the watch runs again
        QTRY_VERIFY(run.inTray());
    }

    // The window is hidden only where an icon can bring it back.
    void staysOnTaskbar_data()
    {
        QTest::addColumn<bool>("option");
        QTest::addColumn<bool>("host");
        QTest::newRow("option clear") << false << true;
        QTest::newRow("no notification area") << true << false;
    }
    void staysOnTaskbar()
    {
        QFETCH(bool, option);
        QFETCH(bool, host);
        Run run(option);
        run.sp.tray.present = host;
        run.minimise();
        QVERIFY(run.onTaskbar());
        // Checking the option, or a notification area that appears, takes the minimised window.
        if (!option)
            run.frm.mainActions().mnuMinimizeToTray->trigger();
        else
            run.sp.tray.set(true);
        QTRY_VERIFY(run.inTray());
        // A notification area that goes away gives it back.
        const QPointer<FrmTray> tray = run.tray();
        run.sp.tray.set(false);
        QTRY_VERIFY(run.normalLife(tray));
    }

    // "Выход" shows the window and closes it with the usual question; a cancel leaves normal life.
    void exitFromTray()
    {
        Run run;
        run.frm.textBox().replaceSel("draft");
        bool shownWhenAsked = false;
        run.sp.messages.onShow = [&](const platform::MessageRequest &) { shownWhenAsked = run.frm.isVisible(); };
        for (platform::MsgAnswer answer : {platform::MsgAnswer::Cancel, platform::MsgAnswer::No}) {
            run.minimise();
            QTRY_VERIFY(run.inTray());
            const QPointer<FrmTray> tray = run.tray();
            run.sp.messages.answers = {answer};
            tray->trayMenu()->actions().last()->trigger();
            QVERIFY(shownWhenAsked);
            QTRY_VERIFY(!tray);
        }
        QVERIFY(!run.frm.isVisible());
        QCOMPARE(run.sp.settings.value("General", "EndState"), QStringLiteral("True"));
    }

    // The tip names the document as the caption does, cut beyond 32 characters.
    void tipNamesDocument()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QString(40, QLatin1Char('n')) + QStringLiteral(".txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("text") == 4);
        file.close();
        Run run;
        QVERIFY(run.frm.OpenTextFile(file.fileName(), false, false));
        run.minimise();
        QTRY_VERIFY(run.inTray());
        QCOMPARE(run.tray()->trayIcon()->toolTip(), QString(29, QLatin1Char('n')) + "... - Jotbook");
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
