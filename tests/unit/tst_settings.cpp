// The settings: the value conversions, reading at start-up (defaults, read failures), the three
// write groups with their geometry conditions, write failures and the question at shutdown.

#include "app/FrmMain.h"
#include "app/SettingsValue.h"
#include "chrome/Toolbar.h"
#include "platform/desktop/QtPlatform.h"
#include "platform/interfaces/RuntimeError.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/WindowGeometry.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <cmath>
#include <limits>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

Q_DECLARE_METATYPE(platform::MsgAnswer)

namespace {

// Every key the program keeps, by group, in the order they are read and written.
const QStringList GroupW = {"General/FormLeft", "General/FormTop", "General/FormWidth", "General/FormHeight",
                            "General/FormState"};
const QStringList GroupA = {
    "General/BadSize",       "General/EndState",      "General/NewSettings",    "General/TransparensyLevel",
    "General/TransparensyIndex", "Other/ReplaceMatchCase", "Other/FindMatchCase", "Other/PrintPortrait",
    "Other/PrintLandscape",  "Other/PrintCopies",     "General/DisableSave",    "General/ExecOnStart",
    "General/LoadAll",       "General/MultipleInstance", "General/UnloadOnEscape", "General/RecentFile",
    "General/ConfirmSettings"};
const QStringList GroupO = {
    "General/Alignment",  "General/BackColor",   "Font/FontColor",      "Font/FontName",
    "Font/FontSize",      "Font/FontBold",       "Font/FontItalic",     "Font/FontUnderline",
    "Font/FontStrikethru", "Font/FontCharset",   "General/CheckLength", "General/CheckData",
    "General/ReadKeys",   "General/CodingWin",   "General/CodingDos",   "General/CodingKoi",
    "General/SetCyrillic", "General/MinimizeToTray", "General/AlwaysOnTop", "General/Transparensy",
    "General/CheckMouse", "General/ToolBar",     "General/StatusBar",   "General/ShowToolTips",
    "General/ShowInfo",   "General/PopupMenu",   "General/DefaultMenu"};

const QString ReadFailure = QStringLiteral("Не удалось прочесть настройки!");
const QString WriteFailure = QStringLiteral("Не удалось сохранить настройки!");
const QString SettingsQuestion = QStringLiteral("Настройки программы были изменены.\r\n\r\nСохранить эти изменения?");

// One run of the program on the scripted platform.
struct Run : testing::MainWindowRun {
    QString stored(const QString &key) const { return sp.settings.values.value(key); }
    void store(const QString &key, const QString &value) { sp.settings.values.insert(key, value); }
    // The number written in the store under the user's locale, as the program reads it back.
    double storedNumber(const QString &key) const
    {
        bool ok = false;
        const double v = QLocale().toDouble(stored(key), &ok);
        if (!ok)
            qWarning() << key << "holds no number:" << stored(key);
        return v;
    }
};

QString localNumber(double v) { return QLocale().toString(v, 'g', 12); }
int pixelsFor(double twips, double perPixel) { return int(std::ceil(twips / perPixel)); }

QSet<QString> keysOf(const QStringList &list) { return QSet<QString>(list.cbegin(), list.cend()); }

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QApplication::setQuitOnLastWindowClosed(false);
    }

    // ---- conversions ----------------------------------------------------------------------------

    void readBoolean_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<bool>("expected");
        QTest::newRow("True") << "True" << false << true;
        QTest::newRow("false") << "false" << false << false;
        QTest::newRow("TRUE") << "TRUE" << false << true;
        QTest::newRow("0") << "0" << false << false;
        QTest::newRow("-1") << "-1" << false << true;
        QTest::newRow("2,5") << "2,5" << false << true;
        QTest::newRow("yes") << "yes" << true << false;
        QTest::newRow("empty") << "" << true << false;
    }
    void readBoolean()
    {
        QFETCH(QString, text);
        QFETCH(bool, fails);
        QFETCH(bool, expected);
        if (fails)
            QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, SettingsValue::parseBool(text));
        else
            QCOMPARE(SettingsValue::parseBool(text), expected);
    }

    void readWholeNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("2,5 to even 2") << "2,5" << 16 << false << qint64(2);
        QTest::newRow("3,5 to even 4") << "3,5" << 16 << false << qint64(4);
        QTest::newRow("-2,5 to even -2") << "-2,5" << 16 << false << qint64(-2);
        QTest::newRow("2,6 up") << "2,6" << 16 << false << qint64(3);
        QTest::newRow("dot accepted") << "3.5" << 16 << false << qint64(4);
        QTest::newRow("16-bit top") << "32767" << 16 << false << qint64(32767);
        QTest::newRow("16-bit bottom") << "-32768" << 16 << false << qint64(-32768);
        QTest::newRow("16-bit over") << "32768" << 16 << true << qint64(0);
        QTest::newRow("16-bit under") << "-32769" << 16 << true << qint64(0);
        QTest::newRow("32-bit colour") << "16777215" << 32 << false << qint64(16777215);
        QTest::newRow("32-bit top") << "2147483647" << 32 << false << qint64(2147483647);
        QTest::newRow("32-bit bottom") << "-2147483648" << 32 << false << qint64(-2147483648LL);
        QTest::newRow("32-bit over") << "2147483648" << 32 << true << qint64(0);
        QTest::newRow("32-bit half to even") << "4,5" << 32 << false << qint64(4);
        QTest::newRow("not a number") << "abc" << 32 << true << qint64(0);
        QTest::newRow("empty") << "" << 16 << true << qint64(0);
    }
    void readWholeNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, bits);
        QFETCH(bool, fails);
        QFETCH(qint64, expected);
        const auto parse = [&]() -> qint64 {
            return bits == 16 ? qint64(SettingsValue::parseInt16(text)) : qint64(SettingsValue::parseInt32(text));
        };
        if (fails)
            QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, parse());
        else
            QCOMPARE(parse(), expected);
    }

    void floats()
    {
        QCOMPARE(SettingsValue::formatFloat(9.75f), QStringLiteral("9,75"));
        QCOMPARE(SettingsValue::formatFloat(12000.0f), QStringLiteral("12000"));
        QCOMPARE(SettingsValue::parseFloat(QStringLiteral("9,75")), 9.75f);
        QCOMPARE(SettingsValue::parseFloat(QStringLiteral("9.75")), 9.75f);
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, SettingsValue::parseFloat(QStringLiteral("1e39")));
        const float largest = std::numeric_limits<float>::max();
        QCOMPARE(SettingsValue::parseFloat(SettingsValue::formatFloat(-largest)), -largest);
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, SettingsValue::parseFloat(QStringLiteral("3,4028236e38")));
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, SettingsValue::parseFloat(QStringLiteral("девять")));

        const QLocale russian;
        QLocale::setDefault(QLocale::c());
        const auto restore = qScopeGuard([&] { QLocale::setDefault(russian); });
        QCOMPARE(SettingsValue::formatFloat(9.75f), QStringLiteral("9.75"));
        QCOMPARE(SettingsValue::parseFloat(QStringLiteral("9.75")), 9.75f);
    }

    // A value written under one locale reads the same under another; no group separators.
    void floatsUnderAnyLocale_data()
    {
        QTest::addColumn<QLocale>("writer");
        QTest::addColumn<QLocale>("reader");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<float>("expected");
        const QLocale ru(QLocale::Russian, QLocale::Russia), en(QLocale::English, QLocale::UnitedStates),
            de(QLocale::German, QLocale::Germany), c = QLocale::c();
        QTest::newRow("Russian file, English reader") << ru << en << "" << false << 9.75f;
        QTest::newRow("Russian file, C reader") << ru << c << "" << false << 1234.5f;
        QTest::newRow("English file, Russian reader") << en << ru << "" << false << 9.75f;
        QTest::newRow("comma under English is a fraction") << en << en << "1,234" << false << 1.234f;
        QTest::newRow("dot under German is a fraction") << de << de << "1.234" << false << 1.234f;
        QTest::newRow("Russian grouping") << ru << ru << QString::fromUtf8("1\u00A0500,5") << false << 1500.5f;
        QTest::newRow("English grouping") << en << en << "1,000.5" << true << 0.0f;
        QTest::newRow("German grouping") << de << ru << "1.000,5" << true << 0.0f;
    }
    void floatsUnderAnyLocale()
    {
        QFETCH(QLocale, writer);
        QFETCH(QLocale, reader);
        QFETCH(QString, text);
        QFETCH(bool, fails);
        QFETCH(float, expected);
        const QLocale russian;
        const auto restore = qScopeGuard([&] { QLocale::setDefault(russian); });
        QLocale::setDefault(writer);
        if (text.isEmpty())
            text = SettingsValue::formatFloat(expected);
        QLocale::setDefault(reader);
        if (fails)
            QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, SettingsValue::parseFloat(text));
        else
            QCOMPARE(SettingsValue::parseFloat(text), expected);
    }

    // ---- reading --------------------------------------------------------------------------------

    void emptyStoreGetsGroupsAandO()
    {
        Run run;
        QVERIFY(run.frm.Form_Load(QString()));
        for (const QString &key : GroupA + GroupO)
            QVERIFY2(run.sp.settings.values.contains(key), qPrintable(key));
        for (const QString &key : GroupW)
            QVERIFY2(!run.sp.settings.values.contains(key), qPrintable(key));
        // A few defaults as they land in the store.
        QCOMPARE(run.stored("General/EndState"), QStringLiteral("False"));
        QCOMPARE(run.stored("General/NewSettings"), QStringLiteral("False"));
        QCOMPARE(run.stored("Font/FontSize"), QStringLiteral("9,75"));
        QCOMPARE(run.stored("Font/FontCharset"), QStringLiteral("204"));
        QCOMPARE(run.stored("General/CodingDos"), QStringLiteral("False"));
        QCOMPARE(run.stored("General/ToolBar"), QStringLiteral("True"));
        QVERIFY(!run.sp.messages.texts().contains(ReadFailure));
    }

    // A stored value shows or hides the toolbar and is written back in the program's own words.
    void toolbarValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shown");
        QTest::newRow("0") << "0" << false;
        QTest::newRow("-1") << "-1" << true;
    }
    void toolbarValue()
    {
        QFETCH(QString, text);
        QFETCH(bool, shown);
        Run run;
        run.store("General/NewSettings", "False");
        run.store("General/EndState", "True");
        run.store("General/ToolBar", text);
        QVERIFY(run.frm.Form_Load(QString()));
        QVERIFY(run.sp.messages.asked.isEmpty());
        QCOMPARE(run.frm.mainActions().mnuToolbar->isChecked(), shown);
        QCOMPARE(run.frm.toolbar().isHidden(), !shown);
        QCOMPARE(run.stored("General/ToolBar"), shown ? QStringLiteral("True") : QStringLiteral("False"));
    }

    // A value its target rejects is a read failure like a value that does not convert.
    void rejectedValues_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("rewritten");   // what start-up stores back; empty: a read failure
        QTest::newRow("state 5") << "General/FormState" << "5" << "";
        QTest::newRow("state 2") << "General/FormState" << "2" << "2";
        QTest::newRow("alignment 7") << "General/Alignment" << "7" << "";
        QTest::newRow("alignment 1,5 is 2") << "General/Alignment" << "1,5" << "2";
        QTest::newRow("negative background") << "General/BackColor" << "-1" << "";
        QTest::newRow("text colour beyond white") << "Font/FontColor" << "16777216" << "";
        QTest::newRow("charset 300") << "Font/FontCharset" << "300" << "";
        // A size the font command does not offer counts as missing.
        QTest::newRow("font size 0,01") << "Font/FontSize" << "0,01" << "9,75";
        QTest::newRow("font size 0") << "Font/FontSize" << "0" << "9,75";
        QTest::newRow("font size 72,5") << "Font/FontSize" << "72,5" << "9,75";
        QTest::newRow("font size 72") << "Font/FontSize" << "72" << "72";
        QTest::newRow("font size 12,5") << "Font/FontSize" << "12,5" << "12,5";
        QTest::newRow("font size with a dot") << "Font/FontSize" << "12.5" << "12,5";
        QTest::newRow("huge width") << "General/FormWidth" << "1e12" << "";
        QTest::newRow("width no screen holds") << "General/FormWidth"
                                               << localNumber(40000 * platform::WindowGeometry::twipsPerPixelX()) << "";
        QTest::newRow("level beyond 32 bits") << "General/TransparensyLevel" << "4294967296" << "";
    }
    void rejectedValues()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(QString, rewritten);
        Run run;
        run.store("General/EndState", "True");
        run.store("General/NewSettings", "False");
        run.store(key, text);
        QVERIFY(run.frm.Form_Load(QString()));
        QCOMPARE(run.sp.messages.texts(), rewritten.isEmpty() ? QStringList{ReadFailure} : QStringList());
        if (key == QLatin1String("General/FormState") && !rewritten.isEmpty())
            QCOMPARE(run.frm.geometryTwips().state(), 2);
        if (rewritten.isEmpty())
            QVERIFY2(run.stored(key) != text, "the rewrite replaces the rejected value");
        else
            QCOMPARE(run.stored(key), rewritten);
    }

    // Stored geometry that fits no screen (an unplugged monitor, a smaller display) is brought
    // onto the screen's available area at start-up; geometry that fits stays as it was.
    void storedGeometryIsBroughtOnScreen_data()
    {
        QTest::addColumn<QRect>("stored");   // pixels, as a factor of the screen's available area
        QTest::addColumn<bool>("moves");
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize half = area.size() / 2;
        QTest::newRow("fits") << QRect(area.topLeft() + QPoint(10, 10), half) << false;
        QTest::newRow("larger than the screen") << QRect(area.topLeft(), area.size() * 3) << true;
        QTest::newRow("left of the screen") << QRect(area.topLeft() - QPoint(3 * area.width(), 0), half) << true;
        QTest::newRow("below the screen") << QRect(area.bottomLeft() + QPoint(0, 200), half) << true;
    }
    void storedGeometryIsBroughtOnScreen()
    {
        QFETCH(QRect, stored);
        QFETCH(bool, moves);
        const double tx = platform::WindowGeometry::twipsPerPixelX(), ty = platform::WindowGeometry::twipsPerPixelY();
        Run run;
        run.store("General/FormLeft", localNumber(stored.left() * tx));
        run.store("General/FormTop", localNumber(stored.top() * ty));
        run.store("General/FormWidth", localNumber(stored.width() * tx));
        run.store("General/FormHeight", localNumber(stored.height() * ty));
        QVERIFY(run.frm.Form_Load(QString()));
        const QRect now(run.frm.pos(), run.frm.size());
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(now));
        QCOMPARE(now != stored, moves);
    }

    // A value its target rejects stops the reading at that row; the store is then rewritten whole.
    void readFailureRewritesEverything()
    {
        Run run;
        const double tx = platform::WindowGeometry::twipsPerPixelX(), ty = platform::WindowGeometry::twipsPerPixelY();
        run.store("General/FormLeft", localNumber(100 * tx));
        run.store("General/FormTop", localNumber(50 * ty));
        run.store("General/FormWidth", localNumber(700 * tx));
        run.store("General/FormHeight", localNumber(500 * ty));
        run.store("General/FormState", "0");
        run.store("General/EndState", "True");
        run.store("General/NewSettings", "False");
        run.store("General/TransparensyLevel", "100");
        run.store("General/ExecOnStart", "/opt/start.sh");
        run.store("General/ConfirmSettings", "False");
        run.store("General/Alignment", "7");
        run.store("General/BackColor", "255");
        run.store("Font/FontName", "Arial");
        run.store("General/CheckLength", "False");
        run.store("General/ToolBar", "False");

        bool inspected = false;
        run.sp.messages.onShow = [&](const platform::MessageRequest &r) {
            if (r.text != ReadFailure)
                return;
            inspected = true;
            FrmMain &frm = run.frm;
            // rows before the failing one are in effect
            QCOMPARE(frm.pos(), QPoint(100, 50));
            QCOMPARE(frm.size(), QSize(700, 500));
            QCOMPARE(frm.chromeSettings().RET_REG_TRANSPARENSYLEVEL, 100);
            QCOMPARE(frm.shellSettings().RET_REG_EXECONSTART, QStringLiteral("/opt/start.sh"));
            QVERIFY(!frm.mainActions().mnuConfirmSettings->isChecked());
            // the failing row and those after it keep the initial state
            QCOMPARE(frm.textBox().alignmentValue(), 0);
            QCOMPARE(frm.textBox().backColor(), 0xFFFFFFu);
            QCOMPARE(frm.textBox().fontSpec().name, QStringLiteral("Courier New"));
            QVERIFY(frm.mainActions().mnuCheckLen->isChecked());
            QVERIFY(frm.mainActions().mnuToolbar->isChecked());
            QVERIFY(run.sp.settings.writeLog.isEmpty());
        };
        QVERIFY(run.frm.Form_Load(QString()));
        QVERIFY(inspected);

        QCOMPARE(run.sp.messages.asked.size(), 1);
        const platform::MessageRequest &r = run.sp.messages.asked.first().request;
        QCOMPARE(r.title, QStringLiteral("Jotbook"));
        QCOMPARE(r.icon, MsgIcon::Warning);
        QCOMPARE(r.buttons, MsgButtons::Ok);

        // The rewrite covers all 49 keys before anything else is written.
        QVERIFY(run.sp.settings.writeLog.size() >= 49);
        QCOMPARE(keysOf(run.sp.settings.writeLog.mid(0, 49)), keysOf(GroupW + GroupA + GroupO));
        QCOMPARE(run.stored("General/Alignment"), QStringLiteral("0"));
        QCOMPARE(run.stored("General/BackColor"), QStringLiteral("16777215"));
        QCOMPARE(run.stored("Font/FontName"), QStringLiteral("Courier New"));
        QCOMPARE(run.stored("General/CheckLength"), QStringLiteral("True"));
        QCOMPARE(run.stored("General/ToolBar"), QStringLiteral("True"));
        QCOMPARE(run.stored("General/ConfirmSettings"), QStringLiteral("False"));
        QCOMPARE(run.stored("General/TransparensyLevel"), QStringLiteral("100"));
        QCOMPARE(run.storedNumber("General/FormLeft"), 100 * tx);
        QCOMPARE(run.storedNumber("General/FormWidth"), 700 * tx);
    }

    // Reading stops at an unreadable store too; the members without a menu item then hold their
    // defaults, so the rewrite stores a usable opacity and lets a second copy start.
    void unreadableStoreRewritesDefaults()
    {
        Run run;
        run.sp.settings.readFails = true;
        QVERIFY(run.frm.Form_Load(QString()));
        QVERIFY(run.sp.messages.texts().contains(ReadFailure));
        QCOMPARE(run.stored("General/TransparensyLevel"), QStringLiteral("220"));
        QCOMPARE(run.stored("General/TransparensyIndex"), QStringLiteral("4"));
        QCOMPARE(run.stored("General/MultipleInstance"), QStringLiteral("True"));
        QCOMPARE(run.stored("General/ExecOnStart"), QStringLiteral("Nothing"));
    }

    // A hand-edited settings file at start-up: what is no row costs nothing, a NUL byte fails
    // only from its row on, and the rewrite keeps the user's lines and reports no failure.
    void handEditedFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("readFailure");
        const QByteArray head = "\xEF\xBB\xBF# my settings\n[General]\nEndState=True\nNewSettings=False\nnote\n"
                                "ToolBar=False\n[Font]\nFontSize=12.5\n";
        QTest::newRow("marks and comments") << head << false;
        QTest::newRow("NUL in the last row") << head + QByteArray("[General]\nDefaultMenu=Tr\0ue\n", 26) << true;
    }
    void handEditedFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, readFailure);
        QTemporaryDir dir;
        const QString path = testing::writeFile(dir.filePath("Jotbook.ini"), file);
        testing::ScriptedPlatform sp;
        platform::IniSettings ini(path);
        platform::Platform p = sp.platform();
        p.settings = &ini;
        FrmMain frm(p);
        QVERIFY(frm.Form_Load(QString()));

        QCOMPARE(sp.messages.texts(), readFailure ? QStringList{ReadFailure} : QStringList());
        QVERIFY(!frm.mainActions().mnuToolbar->isChecked());
        QCOMPARE(frm.textBox().fontSpec().size, 12.5);
        QVERIFY(!frm.mainActions().mnuDefaultMenu->isChecked());
        const QByteArray after = testing::readFile(path);
        QVERIFY(after.startsWith("\xEF\xBB\xBF# my settings\n[General]\nEndState=False\nNewSettings=False\nnote\nToolBar=False\n"));
        QVERIFY(after.contains("FontName=Courier New\n"));
        QVERIFY(after.contains("DefaultMenu=False\n"));
        QVERIFY(!after.contains('\0'));
    }

    // ---- writing --------------------------------------------------------------------------------

    void writeGroups_data()
    {
        QTest::addColumn<bool>("autoOnly");
        QTest::addColumn<bool>("saveForm");
        QTest::newRow("start-up: A and O") << false << false;
        QTest::newRow("read failure, options kept: W, A and O") << false << true;
        QTest::newRow("shutdown: W and A") << true << true;
        QTest::newRow("A only") << true << false;
    }
    void writeGroups()
    {
        QFETCH(bool, autoOnly);
        QFETCH(bool, saveForm);
        Run run;
        run.frm.mnuRestoreWindow_Click();
        run.frm.move(100, 50);
        run.frm.SaveSettings(autoOnly ? SettingsStore::Options::NotWritten : SettingsStore::Options::Written,
                             saveForm ? SettingsStore::Geometry::Written : SettingsStore::Geometry::NotWritten);
        QStringList expected = (saveForm ? GroupW : QStringList()) + GroupA;
        if (!autoOnly)
            expected += GroupO;
        QCOMPARE(run.sp.settings.writeLog, expected);
        QVERIFY(run.sp.messages.asked.isEmpty());
    }

    void geometryConditions_data()
    {
        QTest::addColumn<QRect>("geometry");       // pixels: position and size
        QTest::addColumn<int>("state");            // 0 normal, 1 minimised, 2 maximised
        QTest::addColumn<bool>("position");
        QTest::addColumn<bool>("size");
        QTest::addColumn<bool>("stateWritten");

        const double tx = platform::WindowGeometry::twipsPerPixelX(), ty = platform::WindowGeometry::twipsPerPixelY();
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        const int minW = pixelsFor(3000, tx), minH = pixelsFor(2000, ty);   // the smallest valid size
        QTest::newRow("on screen") << QRect(100, 50, 500, 400) << 0 << true << true << true;
        QTest::newRow("left exactly 0") << QRect(0, 50, 500, 400) << 0 << false << true << true;
        QTest::newRow("top exactly 0") << QRect(100, 0, 500, 400) << 0 << false << true << true;
        QTest::newRow("left off screen") << QRect(-20, 50, 500, 400) << 0 << false << true << true;
        QTest::newRow("left at the screen width") << QRect(screen.width(), 50, 500, 400) << 0 << false << true << true;
        QTest::newRow("left just inside") << QRect(screen.width() - 1, 1, 500, 400) << 0 << true << true << true;
        QTest::newRow("top at the screen height") << QRect(100, screen.height(), 500, 400) << 0 << false << true << true;
        QTest::newRow("smallest valid size") << QRect(100, 50, minW, minH) << 0 << true << true << true;
        QTest::newRow("too narrow") << QRect(100, 50, minW - 1, 400) << 0 << true << false << true;
        QTest::newRow("too low") << QRect(100, 50, 500, minH - 1) << 0 << true << false << true;
        QTest::newRow("maximised") << QRect(100, 50, 500, 400) << 2 << false << false << true;
        QTest::newRow("minimised") << QRect(100, 50, 500, 400) << 1 << false << false << false;
    }
    void geometryConditions()
    {
        QFETCH(QRect, geometry);
        QFETCH(int, state);
        QFETCH(bool, position);
        QFETCH(bool, size);
        QFETCH(bool, stateWritten);
        Run run;
        run.frm.move(geometry.topLeft());
        run.frm.resize(geometry.size());
        QCOMPARE(run.frm.pos(), geometry.topLeft());
        QCOMPARE(run.frm.size(), geometry.size());
        run.frm.geometryTwips().setState(state);
        QCOMPARE(run.frm.geometryTwips().state(), state);

        run.frm.SaveSettings(SettingsStore::Options::NotWritten, SettingsStore::Geometry::Written);
        const QStringList &log = run.sp.settings.writeLog;
        QCOMPARE(log.contains("General/FormLeft"), position);
        QCOMPARE(log.contains("General/FormTop"), position);
        QCOMPARE(log.contains("General/FormWidth"), size);
        QCOMPARE(log.contains("General/FormHeight"), size);
        QCOMPARE(log.contains("General/FormState"), stateWritten);
        if (position)
            QCOMPARE(run.storedNumber("General/FormLeft"), geometry.left() * platform::WindowGeometry::twipsPerPixelX());
        if (size)
            QCOMPARE(run.storedNumber("General/FormHeight"), geometry.height() * platform::WindowGeometry::twipsPerPixelY());
        if (stateWritten)
            QCOMPARE(run.stored("General/FormState"), QString::number(state));
        for (const QString &key : GroupA)
            QVERIFY2(log.contains(key), qPrintable(key));
    }

    // A failing write: one warning; what was written before it stays, the rest keeps the old text.
    void failingWrite()
    {
        Run run;
        const QStringList all = GroupW + GroupA + GroupO;
        for (const QString &key : all)
            run.store(key, QStringLiteral("old"));
        run.frm.mnuRestoreWindow_Click();
        run.frm.move(100, 50);
        run.sp.settings.failAfterWrites = 10;
        run.frm.SaveSettings(SettingsStore::Options::Written, SettingsStore::Geometry::Written);

        QCOMPARE(run.sp.messages.texts(), QStringList{WriteFailure});
        const platform::MessageRequest &r = run.sp.messages.asked.first().request;
        QCOMPARE(r.icon, MsgIcon::Warning);
        QCOMPARE(r.buttons, MsgButtons::Ok);
        for (int i = 0; i < all.size(); ++i) {
            const bool written = i < 10;
            QVERIFY2((run.stored(all[i]) != QLatin1String("old")) == written, qPrintable(all[i]));
        }
    }

    void failingWriteAtShutdownStillCloses()
    {
        Run run;
        QVERIFY(run.frm.Form_Load(QString()));
        run.sp.messages.asked.clear();
        run.sp.settings.failAfterWrites = run.sp.settings.writeLog.size();
        QVERIFY(run.frm.close());
        QCOMPARE(run.sp.messages.texts(), QStringList{WriteFailure});
        QCOMPARE(run.stored("General/EndState"), QStringLiteral("False"));
    }

    // ---- the question at shutdown ---------------------------------------------------------------

    void shutdownQuestion_data()
    {
        QTest::addColumn<bool>("changeOption");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("optionSaved");
        QTest::newRow("nothing changed") << false << true << MsgAnswer::Yes << false << true << false;
        QTest::newRow("changed, Yes") << true << true << MsgAnswer::Yes << true << true << true;
        QTest::newRow("changed, No") << true << true << MsgAnswer::No << true << true << false;
        QTest::newRow("changed, Cancel") << true << true << MsgAnswer::Cancel << true << false << false;
        QTest::newRow("changed, no confirmation") << true << false << MsgAnswer::Cancel << false << true << true;
    }
    void shutdownQuestion()
    {
        QFETCH(bool, changeOption);
        QFETCH(bool, confirm);
        QFETCH(MsgAnswer, answer);
        QFETCH(bool, asked);
        QFETCH(bool, closed);
        QFETCH(bool, optionSaved);
        Run run;
        run.store("General/ConfirmSettings", confirm ? "True" : "False");
        QVERIFY(run.frm.Form_Load(QString()));
        run.frm.show();
        QCOMPARE(run.stored("General/CheckLength"), QStringLiteral("True"));
        if (changeOption)
            run.frm.mainActions().mnuCheckLen->trigger();
        run.sp.messages.asked.clear();
        run.sp.messages.answers = {answer};

        QCOMPARE(run.frm.close(), closed);
        QCOMPARE(run.frm.isVisible(), !closed);
        QCOMPARE(run.sp.messages.texts().contains(SettingsQuestion), asked);
        if (asked) {
            QCOMPARE(run.sp.messages.asked.size(), 1);
            const platform::MessageRequest &r = run.sp.messages.asked.first().request;
            QCOMPARE(r.icon, MsgIcon::Question);
            QCOMPARE(r.buttons, MsgButtons::YesNoCancel);
            QCOMPARE(r.title, QStringLiteral("Jotbook"));
        }
        QCOMPARE(run.stored("General/CheckLength"), optionSaved ? QStringLiteral("False") : QStringLiteral("True"));
        // A completed shutdown marks the run as ended and keeps this run's window state.
        QCOMPARE(run.stored("General/EndState"), closed ? QStringLiteral("True") : QStringLiteral("False"));
        QCOMPARE(run.sp.settings.values.contains("General/FormState"), closed);
    }

    void confirmationToggleAloneAsksNothing()
    {
        Run run;
        QVERIFY(run.frm.Form_Load(QString()));
        QCOMPARE(run.stored("General/ConfirmSettings"), QStringLiteral("True"));
        run.frm.mainActions().mnuConfirmSettings->trigger();
        QVERIFY(!run.frm.mainActions().mnuConfirmSettings->isChecked());
        QVERIFY(!run.frm.settings().UserChangeSettings());
        run.sp.messages.asked.clear();
        QVERIFY(run.frm.close());
        QVERIFY(run.sp.messages.asked.isEmpty());
        QCOMPARE(run.stored("General/ConfirmSettings"), QStringLiteral("False"));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
