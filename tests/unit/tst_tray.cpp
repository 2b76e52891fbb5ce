// Minimising to the notification area: normal life, in the tray, no tray host, the host lost.

#include "chrome/FrmTray.h"
#include "chrome/TrayWatch.h"
#include "editing/EditDialogs.h"
#include "editing/FrmFind.h"
#include "tests/support/MainWindowFixture.h"

#include <QtTest>

namespace {

// Started past its first start, with "&Минимизировать в трей" checked.
struct Run : testing::MainWindowRun {
    Run()
    {
        sp.settings.values = {{"General/NewSettings", "False"}, {"General/MinimizeToTray", "True"}};
        start();
    }
    QPointer<FrmTray> tray() { return frm.trayWatch().frmTray(); }
    void minimise() { frm.showMinimized(); QCoreApplication::processEvents(); }
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
        if (how < 0)
            tray->trayMenu()->defaultAction()->trigger();
        else
            Q_EMIT tray->trayIcon()->activated(QSystemTrayIcon::ActivationReason(how));
        QTRY_VERIFY(run.normalLife(tray));
        run.minimise();   // the watch runs again
        QTRY_VERIFY(run.inTray());
    }

    // The window is hidden only where an icon can bring it back: with no notification area it stays
    // on the taskbar, one that appears takes it, one that goes away gives it back.
    void noNotificationArea()
    {
        Run run;
        run.sp.tray.present = false;
        run.minimise();
        QVERIFY(run.onTaskbar());
        run.sp.tray.set(true);
        QTRY_VERIFY(run.inTray());
        const QPointer<FrmTray> tray = run.tray();
        run.sp.tray.set(false);
        QTRY_VERIFY(run.normalLife(tray));
    }

    // Find goes to the tray with the window and comes back with it, in its normal state also when
    // the window manager had minimised it with its owner; Ctrl+F brings a minimised Find back too.
    void smallWindowsComeBack()
    {
        Run run;
        run.frm.textBox().replaceSel("abc");
        run.frm.mnuFind_Click();
        const QPointer<FrmFind> find = run.frm.editDialogs().frmFind();
        QVERIFY(find && find->isVisible());
        find->showMinimized();   // as the window manager does with its owner
        run.minimise();
        QTRY_VERIFY(run.inTray());
        QVERIFY(!find->isVisible());
        Q_EMIT run.tray()->trayIcon()->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(run.normalLife(nullptr));
        QVERIFY(find->isVisible() && !find->isMinimized());

        find->showMinimized();
        run.frm.mnuFind_Click();
        QCOMPARE(run.frm.editDialogs().frmFind(), find);
        QVERIFY(find->isVisible() && !find->isMinimized());
    }

    // While a modal window waits, the window stays on the taskbar; it goes to the tray once that
    // window has closed.
    void modalWindowKeepsItOnTheTaskbar()
    {
        Run run;
        bool keptOnTaskbar = false;
        QTimer::singleShot(0, [&] {
            QWidget *about = QApplication::activeModalWidget();
            QVERIFY(about);
            run.minimise();
            QCoreApplication::sendPostedEvents();
            keptOnTaskbar = run.onTaskbar();
            about->close();
        });
        run.frm.mnuAbout_Click();
        QVERIFY(keptOnTaskbar);
        QTRY_VERIFY(run.inTray());
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
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
