// Minimising to the notification area: normal life, in the tray, no tray host, the host lost,
// and leaving the tray by a click, by its menu and by "Выход".

#include "chrome/FrmTray.h"
#include "chrome/TrayWatch.h"
#include "tests/support/MainWindowFixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using State = TrayWatch::State;

namespace {

// A started program whose option "&Минимизировать в трей" is checked, past its first start.
struct Run : testing::MainWindowRun {
    explicit Run(bool minimizeToTray = true)
    {
        sp.settings.values.insert("General/NewSettings", "False");
        sp.settings.values.insert("General/MinimizeToTray", minimizeToTray ? "True" : "False");
        start();
    }
    TrayWatch &watch() { return frm.trayWatch(); }
    // Minimises the window and lets the watch look at it.
    void minimise()
    {
        frm.showMinimized();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    bool inTray() const { return !frm.isVisible() && frm.trayWatch().state() == State::InTray; }
    // Back in normal life: shown, neither minimised nor maximised, and the icon gone.
    bool backToNormal(const QPointer<FrmTray> &icon) const
    {
        return frm.isVisible() && !(frm.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
            && frm.trayWatch().state() == State::NormalLife && !icon;
    }
    bool onTaskbar() const
    {
        return frm.isVisible() && (frm.windowState() & Qt::WindowMinimized) && !frm.trayWatch().frmTray();
    }
};

} // namespace

class TestTray : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void restore_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("left click") << "Trigger" << false;
        QTest::newRow("middle click, was maximised") << "MiddleClick" << true;
        QTest::newRow("menu") << "mnuOpenEditor" << false;
    }
    void restore()
    {
        QFETCH(QString, how);
        QFETCH(bool, maximised);
        Run run;
        if (maximised)
            run.frm.showMaximized();
        run.minimise();
        QTRY_VERIFY(run.inTray());
        QPointer<FrmTray> tray = run.watch().frmTray();
        QVERIFY(tray && tray->trayIcon()->isVisible());
        QCOMPARE(tray->trayIcon()->toolTip(), QStringLiteral("Jotbook"));
        QCOMPARE(tray->trayMenu()->title(), QStringLiteral("TrayPopup"));
        QCOMPARE(tray->trayMenu()->defaultAction()->text(), QStringLiteral("&Открыть редактор"));
        if (how == QLatin1String("mnuOpenEditor"))
            tray->trayMenu()->defaultAction()->trigger();
        else
            Q_EMIT tray->trayIcon()->activated(how == QLatin1String("Trigger") ? QSystemTrayIcon::Trigger
                                                                               : QSystemTrayIcon::MiddleClick);
        QTRY_VERIFY(run.backToNormal(tray));
        // The watch runs again.
        run.minimise();
        QTRY_VERIFY(run.inTray());
    }

    // The window is hidden only where an icon can bring it back.
    void noTrayHost()
    {
        Run run;
        run.sp.tray.present = false;
        run.minimise();
        QVERIFY(run.onTaskbar());
        // A notification area that appears takes the still minimised window ...
        run.sp.tray.set(true);
        QTRY_VERIFY(run.inTray());
        // ... and one that goes away gives it back.
        const QPointer<FrmTray> tray = run.watch().frmTray();
        run.sp.tray.set(false);
        QTRY_VERIFY(run.backToNormal(tray));
        run.minimise();
        QVERIFY(run.onTaskbar());
    }

    void optionClear()
    {
        Run run(false);
        run.minimise();
        QVERIFY(run.onTaskbar());
        // Checking it while minimised sends the window to the tray.
        run.frm.mainActions().mnuMinimizeToTray->trigger();
        QTRY_VERIFY(run.inTray());
    }

    // "Выход" shows the window and closes it with the usual question; a cancel leaves normal life.
    void exitFromTray()
    {
        Run run;
        run.frm.textBox().replaceSel("draft");
        run.minimise();
        QTRY_VERIFY(run.inTray());
        run.sp.messages.answers = {platform::MsgAnswer::Cancel};
        bool shownWhileAsked = false;
        run.sp.messages.onShow = [&](const platform::MessageRequest &) { shownWhileAsked = run.frm.isVisible(); };
        QPointer<FrmTray> tray = run.watch().frmTray();
        tray->trayMenu()->actions().last()->trigger();
        QVERIFY(shownWhileAsked);
        QTRY_VERIFY(run.backToNormal(tray));
        run.minimise();
        QTRY_VERIFY(run.inTray());

        run.sp.messages.answers = {platform::MsgAnswer::No};
        tray = run.watch().frmTray();
        tray->trayMenu()->actions().last()->trigger();
        QTRY_VERIFY(!run.frm.isVisible() && !tray);
        QCOMPARE(run.sp.settings.value("General", "EndState"), QStringLiteral("True"));
    }

    // The tip names the document as the caption does, cut beyond 32 characters.
    void tipNamesDocument()
    {
        QTemporaryDir dir;
        const QString name = QString(40, QLatin1Char('n'));
        QFile file(dir.filePath(name + QStringLiteral(".txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("text") == 4);
        file.close();
        Run run;
        QVERIFY(run.frm.OpenTextFile(file.fileName(), false, false));
        run.minimise();
        QTRY_VERIFY(run.inTray());
        QCOMPARE(run.watch().frmTray()->trayIcon()->toolTip(), QString(29, QLatin1Char('n')) + "... - Jotbook");
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
