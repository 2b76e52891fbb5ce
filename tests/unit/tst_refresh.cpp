// The state refresh's decisions, without a window: which commands are enabled for a given text
// box, clipboard, window and system.

#include "chrome/StateRefresh.h"

#include <QtTest>

class TestRefresh : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textAndSelection_data();
    void textAndSelection();
    void restoreWindow();
    void translucencyOnOldSystems_data();
    void translucencyOnOldSystems();
    void subMenusFollowTheirMarks();
};

void TestRefresh::textAndSelection_data()
{
    QTest::addColumn<int>("textLength");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<bool>("selection");
    QTest::addColumn<bool>("selectAll");
    QTest::addColumn<bool>("textCommands");
    QTest::newRow("empty") << 0 << 0 << false << false << false;
    QTest::newRow("text, nothing selected") << 5 << 0 << false << true << true;
    QTest::newRow("part selected") << 5 << 2 << true << true << true;
    QTest::newRow("all selected") << 5 << 5 << true << false << true;
}

void TestRefresh::textAndSelection()
{
    QFETCH(int, textLength);
    QFETCH(int, selLength);
    RefreshInputs in;
    in.textLength = textLength;
    in.selLength = selLength;
    const RefreshStates s = refreshStates(in);
    QTEST(s.selection, "selection");
    QTEST(s.selectAll, "selectAll");
    QTEST(s.textCommands, "textCommands");

    // Undo, paste and the recent document follow their own sources only.
    QVERIFY(!s.undo && !s.paste && !s.recentFile);
    in.canUndo = in.clipboardHasText = true;
    in.recentCaption = QStringLiteral("&/tmp/a.txt");
    const RefreshStates t = refreshStates(in);
    QVERIFY(t.undo && t.paste && t.recentFile);
    QCOMPARE(t.selection, s.selection);
}

void TestRefresh::restoreWindow()
{
    RefreshInputs in;
    in.standardGeometry = true;
    QCOMPARE(refreshStates(in).restoreWindow, std::optional<bool>(false));
    in.standardGeometry = false;
    QCOMPARE(refreshStates(in).restoreWindow, std::optional<bool>(true));
    // A maximised window leaves the item as the geometry check set it.
    in.maximised = true;
    QCOMPARE(refreshStates(in).restoreWindow, std::nullopt);
}

void TestRefresh::translucencyOnOldSystems_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<bool>("offered");
    QTest::newRow("95") << "Microsoft Windows 95" << false;
    QTest::newRow("98") << "Microsoft Windows 98" << false;
    QTest::newRow("me, any case") << "Windows Me" << false;
    QTest::newRow("NT") << "Microsoft Windows NT" << false;
    QTest::newRow("Linux") << "Debian GNU/Linux 12 (bookworm)" << true;
    QTest::newRow("one character") << "N" << true;
    QTest::newRow("empty") << "" << true;
}

void TestRefresh::translucencyOnOldSystems()
{
    QFETCH(QString, product);
    QFETCH(bool, offered);
    RefreshInputs in;
    in.productName = product;
    in.transparencyChecked = true;
    const RefreshStates s = refreshStates(in);
    QCOMPARE(s.transparency, offered);
    QCOMPARE(s.transparencyChecked, offered);
    // The sub-menu reads the mark as this refresh leaves it.
    QCOMPARE(s.transparencySettings, offered);
}

void TestRefresh::subMenusFollowTheirMarks()
{
    RefreshInputs in;
    in.toolbarChecked = true;
    RefreshStates s = refreshStates(in);
    QVERIFY(s.toolbarSettings && !s.popupMenuSettings && !s.transparencySettings);
    in.toolbarChecked = false;
    in.popupMenuChecked = true;
    s = refreshStates(in);
    QVERIFY(!s.toolbarSettings && s.popupMenuSettings);
}

QTEST_MAIN(TestRefresh)
#include "tst_refresh.moc"
