// The window chrome as the user meets it: the toolbar's help and tool tips, the enabled states at
// the moment a menu opens, cursor following and the text box's context menus.

#include "chrome/CursorFollowing.h"
#include "chrome/StateRefresh.h"
#include "tests/support/MainWindowFixture.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenuBar>
#include <QToolTip>
#include <QtTest>

using Run = testing::MainWindowRun;

namespace {
const QString Ready = QStringLiteral("Готово");

QWidget *buttonOf(const Run &run, const char *key)
{
    return run.frm.toolbar().widgetForAction(run.frm.toolbar().button(QString::fromLatin1(key)));
}

// Which menu is open: the program's two by name, Qt's standard one as "standard", none as "".
QString openMenu(const Run &run)
{
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu)
        return {};
    const bool own = menu == run.frm.mainActions().mnuPopup || menu == run.frm.mainActions().mnuPopUp2;
    const bool standard = menu->findChild<QAction *>(QStringLiteral("select-all"));
    menu->close();
    return own ? menu->objectName() : standard ? QStringLiteral("standard") : QStringLiteral("?");
}

// A click as the window system delivers it, so that Qt follows the right press with its
// context-menu event as it does under X11.
void clickText(Run &run, Qt::MouseButton button)
{
    QWidget *viewport = run.frm.textBox().viewport();
    QTest::mouseClick(run.frm.windowHandle(), button, {}, viewport->mapTo(&run.frm, viewport->rect().center()));
}

int opacity(const Run &run) { return qRound(run.frm.windowOpacity() * 255); }
} // namespace

class TestChrome : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void toolbarHelp()
    {
        Run run;
        run.start();
        const MainActions &m = run.frm.mainActions();
        const MainStatusBar &status = run.frm.mainStatusBar();
        QTRY_COMPARE(status.panelText(), Ready);   // the window check's blanks are gone
        QVERIFY(!m.mnuCut->isEnabled());
        QTest::mouseMove(buttonOf(run, "CutBtn"));
        QCOMPARE(status.panelText(), QStringLiteral("Удаление выделенного фрагмента в буфер обмена"));
        QTest::mouseMove(run.frm.toolbar().widgetForAction(run.frm.toolbar().actions().at(3)));
        QCOMPARE(status.panelText(), Ready);
        QTest::mouseMove(buttonOf(run, "FindBtn"));
        QCOMPARE(status.panelText(), QStringLiteral("Поиск указанного образца текста"));
        QTest::mouseMove(run.frm.textBox().viewport());
        QCOMPARE(status.panelText(), Ready);

        m.mnuShowInfo->trigger();
        QTest::mouseMove(buttonOf(run, "FindBtn"));
        QCOMPARE(status.panelText(), Ready);
        QTest::mouseMove(run.frm.textBox().viewport());
        run.frm.CheckGlobalState();
        QTRY_COMPARE(status.panelText(), Ready);
    }

    void toolTips()
    {
        Run run;
        run.start();
        QWidget *find = buttonOf(run, "FindBtn");
        const auto tip = [find] {
            QHelpEvent e(QEvent::ToolTip, find->rect().center(), find->mapToGlobal(find->rect().center()));
            QApplication::sendEvent(find, &e);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        run.frm.mainActions().mnuShowToolTips->trigger();
        QCOMPARE(tip(), QString());
        run.frm.mainActions().mnuShowToolTips->trigger();
        QCOMPARE(tip(), QStringLiteral("Найти"));
    }

    void statesWhenAMenuOpens()
    {
        Run run;
        run.start();
        const MainActions &m = run.frm.mainActions();
        QApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
        QTest::keyClick(&run.frm.textBox(), Qt::Key_A);
        run.frm.refresh().timer()->stop();   // no tick has come yet
        clickText(run, Qt::RightButton);
        for (QAction *a : {m.mnuPUFind, m.mnuPUFindNext, m.mnuPUUndo, m.mnuPUSelectAll})
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(!m.mnuPUPaste->isEnabled());   // a picture is nothing to paste
        QCOMPARE(openMenu(run), QStringLiteral("mnuPopup"));

        QApplication::clipboard()->setText(QStringLiteral("x"));
        QTRY_VERIFY(m.mnuPUPaste->isEnabled());
        QVERIFY(run.frm.toolbar().button(QStringLiteral("PasteBtn"))->isEnabled());
    }

    void cursorFollowing_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("inside");
        QTest::addColumn<int>("outside");
        QTest::newRow("defaults") << 220 << 4 << 220 << 165;
        QTest::newRow("a third") << 200 << 3 << 200 << 133;
        QTest::newRow("a half rounds to even, up") << 10 << 4 << 10 << 8;
        QTest::newRow("a half rounds to even, down") << 6 << 4 << 6 << 4;
        QTest::newRow("no divisor") << 220 << 0 << 220 << 220;
        QTest::newRow("level above a byte") << 300 << 4 << 255 << 191;
        QTest::newRow("level below zero") << -5 << 4 << 0 << 0;
    }

    void cursorFollowing()
    {
        QFETCH(int, level);
        QFETCH(int, index);
        QFETCH(int, inside);
        QFETCH(int, outside);
        Run run;
        run.start();
        const MainActions &m = run.frm.mainActions();
        run.frm.chromeSettings() = {level, index};
        const QTimer *timer = run.frm.cursorFollowing().timer();
        m.mnuCheckMouse->trigger();
        QVERIFY(!timer->isActive());   // nothing runs without translucency
        const QRect outer = run.frm.frameGeometry();
        run.sp.pointer.pos = outer.center();
        m.mnuTransparensy->trigger();
        QVERIFY(timer->isActive());
        QCOMPARE(opacity(run), inside);
        const auto at = [&run](const QPoint &pointer) {
            run.sp.pointer.pos = pointer;
            run.frm.cursorFollowing().CheckMousePosition();
            return opacity(run);
        };
        QCOMPARE(at(outer.topLeft()), outside);   // the outermost pixels are outside
        QCOMPARE(at(outer.bottomRight()), inside);
        QCOMPARE(at(outer.bottomRight() + QPoint(1, 0)), outside);
        run.sp.pointer.pos = outer.center();
        QTRY_COMPARE(opacity(run), inside);       // the timer follows by itself
        run.sp.pointer.pos = outer.topLeft();
        QTRY_COMPARE(opacity(run), outside);

        m.mnuCheckMouse->trigger();   // off while faint: the full level at once
        QCOMPARE(opacity(run), inside);
        QVERIFY(!timer->isActive());
    }

    void contextMenus_data()
    {
        QTest::addColumn<bool>("popupMenu");
        QTest::addColumn<bool>("defaultMenu");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("middle");
        QTest::newRow("own menus") << true << false << "mnuPopup" << "mnuPopUp2";
        QTest::newRow("standard menu") << true << true << "standard" << "";
        QTest::newRow("no menu") << false << true << "" << "";
    }

    void contextMenus()
    {
        QFETCH(bool, popupMenu);
        QFETCH(bool, defaultMenu);
        Run run;
        run.start();
        run.frm.mainActions().mnuPopupMenu->setChecked(popupMenu);
        run.frm.mainActions().mnuDefaultMenu->setChecked(defaultMenu);
        clickText(run, Qt::RightButton);
        QTEST(openMenu(run), "right");
        clickText(run, Qt::MiddleButton);
        QTEST(openMenu(run), "middle");
        // The Menu key, in every mode.
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5), run.frm.textBox().mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&run.frm.textBox(), &key);
        QCOMPARE(openMenu(run), QStringLiteral("standard"));
        QCOMPARE(run.frm.textBox().text(), QByteArray());
    }

    void noMenuOfBars()
    {
        Run run;
        run.start();
        const QList<QWidget *> bars = {run.frm.menuBar(), &run.frm.mainStatusBar()};
        for (QWidget *bar : bars) {
            QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(2, 2), bar->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(bar, &e);
            QCOMPARE(openMenu(run), QString());
        }
    }
};

QTEST_MAIN(TestChrome)
#include "tst_chrome.moc"
