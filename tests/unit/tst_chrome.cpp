// The window chrome as the user meets it: toolbar help and tips, states as a menu opens, cursor
// following, the text box's context menus.

#include "chrome/CursorFollowing.h"
#include "chrome/StateRefresh.h"
#include "tests/support/MainWindowFixture.h"

#include <QClipboard>
#include <QLabel>
#include <QMenuBar>
#include <QToolTip>
#include <QtTest>

using Run = testing::MainWindowRun;
Q_DECLARE_METATYPE(ChromeSettings)

// Closes the open menu and names it: Qt's "standard", the program's "#" and its name, none "".
static QString openMenu()
{
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu)
        return "";
    menu->close();
    return menu->findChild<QAction *>("select-all") ? "standard" : "#" + menu->objectName();
}

// Through the window, so that Qt follows a right press with a context-menu event as under X11.
static void click(Run &run, Qt::MouseButton button, QWidget *w)
{
    QTest::mouseClick(run.frm.windowHandle(), button, {}, w->mapTo(&run.frm, QPoint(3, 3)));
}

class TestChrome : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void toolbarHelpAndTips()
    {
        Run run;
        run.start();
        const MainActions &m = run.frm.mainActions();
        MainToolbar &bar = run.frm.toolbar();
        const auto helpOver = [&](int item) {
            QTest::mouseMove(item < 0 ? run.frm.textBox().viewport() : bar.widgetForAction(bar.actions().at(item)));
            return run.frm.mainStatusBar().panelText();
        };
        QCOMPARE(helpOver(6), "Удаление выделенного фрагмента в буфер обмена");   // disabled
        QCOMPARE(helpOver(5), "Готово");   // a separator
        QCOMPARE(helpOver(11), "Поиск указанного образца текста");
        QCOMPARE(helpOver(-1), "Готово");
        m.mnuShowInfo->trigger();
        QCOMPARE(helpOver(11), "Готово");
        helpOver(-1);
        QTRY_VERIFY(!run.frm.refresh().timer()->isActive());
        run.frm.CheckGlobalState();   // its blanks do not stay
        QTRY_COMPARE(run.frm.mainStatusBar().panelText(), "Готово");

        QWidget *find = bar.widgetForAction(bar.button("FindBtn"));
        for (const QString tip : {"", "Найти"}) {
            m.mnuShowToolTips->trigger();
            QHelpEvent e(QEvent::ToolTip, QPoint(3, 3), find->mapToGlobal(QPoint(3, 3)));
            QApplication::sendEvent(find, &e);
            QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : "", tip);
        }
    }

    void statesAsAMenuOpens()
    {
        Run run;
        run.start();
        const MainActions &m = run.frm.mainActions();
        QApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
        QTest::keyClick(&run.frm.textBox(), Qt::Key_A);
        run.frm.refresh().timer()->stop();   // before the tick
        click(run, Qt::RightButton, run.frm.textBox().viewport());
        QVERIFY(m.mnuPUFind->isEnabled() && m.mnuPUUndo->isEnabled() && !m.mnuPUPaste->isEnabled());
        QCOMPARE(openMenu(), "#mnuPopup");
        QApplication::clipboard()->setText("x");
        QTRY_VERIFY(m.mnuPUPaste->isEnabled());
    }

    // Each lock panel is shown, and drawn active exactly while its lock is on.
    void lockPanels()
    {
        Run run;
        run.start();
        const auto lit = [&run] {
            QString shown;
            for (const char *name : {"CAPS", "SCRL", "NUM"}) {
                for (const QLabel *panel : run.frm.mainStatusBar().findChildren<QLabel *>()) {
                    if (panel->text() == QLatin1String(name) && panel->isVisible() && panel->isEnabled())
                        shown += QLatin1String(name) + QLatin1Char(' ');
                }
            }
            return shown.trimmed();
        };
        QCOMPARE(lit(), "");
        run.sp.locks.set(true, false, false);
        QCOMPARE(lit(), "CAPS");
        run.sp.locks.set(false, true, false);
        QCOMPARE(lit(), "NUM");
        run.sp.locks.set(true, false, true);
        QCOMPARE(lit(), "CAPS SCRL");
    }

    void cursorFollowing_data()
    {
        QTest::addColumn<ChromeSettings>("settings");
        QTest::addColumn<QPoint>("opacities");   // inside, outside
        QTest::newRow("defaults") << ChromeSettings{220, 4} << QPoint(220, 165);
        QTest::newRow("a half to even") << ChromeSettings{10, 4} << QPoint(10, 8);
        QTest::newRow("no divisor") << ChromeSettings{220, 0} << QPoint(220, 220);
        QTest::newRow("above a byte") << ChromeSettings{300, 4} << QPoint(255, 191);
    }

    void cursorFollowing()
    {
        QFETCH(ChromeSettings, settings);
        QFETCH(QPoint, opacities);
        Run run;
        run.start();
        run.frm.chromeSettings() = settings;
        const QRect outer = run.frm.frameGeometry();
        const auto opacityAt = [&run](QPoint pointer) {
            run.sp.pointer.pos = pointer;
            run.frm.cursorFollowing().CheckMousePosition();
            return qRound(run.frm.windowOpacity() * 255);
        };
        run.frm.mainActions().mnuCheckMouse->trigger();
        QVERIFY(!run.frm.cursorFollowing().timer()->isActive());   // idle without translucency
        run.frm.mainActions().mnuTransparensy->trigger();
        QVERIFY(run.frm.cursorFollowing().timer()->isActive());
        QCOMPARE(opacityAt(outer.bottomRight()), opacities.x());
        QCOMPARE(opacityAt({outer.left(), outer.center().y()}), opacities.y());   // the outer edge is outside
        run.frm.mainActions().mnuCheckMouse->trigger();   // off while faint: the full level at once
        QCOMPARE(qRound(run.frm.windowOpacity() * 255), opacities.x());
    }

    void contextMenus_data()
    {
        QTest::addColumn<bool>("popupMenu");
        QTest::addColumn<bool>("defaultMenu");
        QTest::addColumn<QStringList>("menus");   // the menu bar, the status bar, right, middle, Menu key, Shift+F10
        QTest::newRow("own") << true << false << QStringList{"", "", "#mnuPopup", "#mnuPopUp2", "standard", "standard"};
        QTest::newRow("standard") << true << true << QStringList{"", "", "standard", "", "standard", "standard"};
        QTest::newRow("none") << false << true << QStringList{"", "", "", "", "standard", "standard"};
    }

    void contextMenus()
    {
        QFETCH(bool, popupMenu);
        QFETCH(bool, defaultMenu);
        Run run;
        run.start();
        run.frm.mainActions().mnuPopupMenu->setChecked(popupMenu);
        run.frm.mainActions().mnuDefaultMenu->setChecked(defaultMenu);
        QWidget *box = run.frm.textBox().viewport();
        QStringList menus;
        for (auto [button, w] : {std::pair<Qt::MouseButton, QWidget *>{Qt::RightButton, run.frm.menuBar()},
                                 {Qt::RightButton, &run.frm.mainStatusBar()}, {Qt::RightButton, box},
                                 {Qt::MiddleButton, box}}) {
            click(run, button, w);
            menus << openMenu();
        }
        QContextMenuEvent key(QContextMenuEvent::Keyboard, {}, box->mapToGlobal(QPoint()));
        QApplication::sendEvent(&run.frm.textBox(), &key);
        menus << openMenu();
        QTest::keyClick(&run.frm.textBox(), Qt::Key_F10, Qt::ShiftModifier);
        QTEST(menus << openMenu(), "menus");
    }
};

QTEST_MAIN(TestChrome)
#include "tst_chrome.moc"
