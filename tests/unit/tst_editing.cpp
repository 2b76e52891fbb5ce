// The search core and the case and stamp commands, on a real text box.
#include "editing/Editing.h"
#include "editing/TextSearch.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"

#include <QLocale>
#include <QTest>

using platform::Ansi::fromUnicode;
using platform::TextBox;

class TestEditing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { search.release(); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void find_data();
    void find();
    void findInBoxFoldsCaseOnlyWithoutMatchCase_data();
    void findInBoxFoldsCaseOnlyWithoutMatchCase();
    void findInBoxSeesEveryEdit();
    void findInBoxTellsBoxesApart();
    void replacementsKeepTheCacheExact_data();
    void replacementsKeepTheCacheExact();

    void changeCase_data();
    void changeCase();
    void changeCaseWithoutSelectionDoesNothing();
    void timeDateReplacesSelectionOrInserts();
    void timeDateUsesLocaleTimeSeparator();

private:
    TextSearch::BoxSearch search;
};

void TestEditing::find_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("first") << QByteArray("abcabc") << QByteArray("bc") << qint64(1) << qint64(2);
    QTest::newRow("start inside a hit") << QByteArray("abcabc") << QByteArray("bc") << qint64(3) << qint64(5);
    QTest::newRow("none after the last") << QByteArray("abcabc") << QByteArray("bc") << qint64(6) << qint64(0);
    QTest::newRow("start below 1") << QByteArray("abc") << QByteArray("a") << qint64(0) << qint64(1);
    QTest::newRow("longer than the text") << QByteArray("ab") << QByteArray("abc") << qint64(1) << qint64(0);
    QTest::newRow("empty pattern") << QByteArray("abc") << QByteArray() << qint64(1) << qint64(0);
    QTest::newRow("CR LF counts two") << QByteArray("ab\r\ncd") << QByteArray("cd") << qint64(1) << qint64(5);
    QTest::newRow("across a break") << QByteArray("ab\r\ncd") << QByteArray("b\r\nc") << qint64(1) << qint64(2);
    QTest::newRow("high bytes") << fromUnicode(QStringLiteral("ыяЯя")) << fromUnicode(QStringLiteral("я"))
                                << qint64(3) << qint64(4);
}

void TestEditing::find()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, pattern);
    QFETCH(qint64, start);
    QFETCH(qint64, expected);
    QCOMPARE(TextSearch::find(text, pattern, start), expected);
}

void TestEditing::findInBoxFoldsCaseOnlyWithoutMatchCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("expectedHits");   // the text at each hit, in order

    const QString greetings = QStringLiteral("ПРИВЕТ, Привет и привет");
    QTest::newRow("any case") << greetings << QStringLiteral("привет") << false
                              << QStringLiteral("ПРИВЕТ|Привет|привет");
    QTest::newRow("match case") << greetings << QStringLiteral("привет") << true << QStringLiteral("привет");
    QTest::newRow("ё both ways") << QStringLiteral("ёлка ЁЛКА") << QStringLiteral("Ёлка") << false
                                 << QStringLiteral("ёлка|ЁЛКА");
    QTest::newRow("caseless µ") << QStringLiteral("µ x µ") << QStringLiteral("µ") << false << QStringLiteral("µ|µ");
}

void TestEditing::findInBoxFoldsCaseOnlyWithoutMatchCase()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, matchCase);
    QFETCH(QString, expectedHits);

    TextBox box;
    box.setText(fromUnicode(text));
    const QByteArray p = fromUnicode(pattern);
    QStringList hits;
    for (qint64 start = 1;;) {
        const qint64 at = search.find(box, p, start, matchCase);
        if (at == 0)
            break;
        hits << text.mid(at - 1, p.size());
        start = at + p.size();
    }
    QCOMPARE(hits.join(QLatin1Char('|')), expectedHits);
}

void TestEditing::findInBoxSeesEveryEdit()
{
    TextBox box;
    box.setText("one two");
    QCOMPARE(search.find(box, "three", 1, true), 0);
    QCOMPARE(search.find(box, "THREE", 1, false), 0);

    box.setSel(4, 7);
    box.replaceSel("three", true);
    QCOMPARE(search.find(box, "three", 1, true), 5);
    QCOMPARE(search.find(box, "THREE", 1, false), 5);

    box.undoEdit();
    QCOMPARE(search.find(box, "three", 1, true), 0);
    QCOMPARE(search.find(box, "TWO", 1, false), 5);

    box.setText("xx two");
    QCOMPARE(search.find(box, "two", 1, true), 4);
}

void TestEditing::findInBoxTellsBoxesApart()
{
    TextBox first;
    TextBox second;
    first.setText("needle");
    second.setText("hay needle");
    QCOMPARE(search.find(first, "needle", 1, true), 1);
    QCOMPARE(search.find(second, "needle", 1, true), 5);
    QCOMPARE(search.find(first, "NEEDLE", 1, false), 1);

    // A box created where a destroyed one lived must not inherit its text.
    auto *gone = new TextBox;
    gone->setText("ghost");
    QCOMPARE(search.find(*gone, "ghost", 1, true), 1);
    delete gone;
    auto *fresh = new TextBox;
    QCOMPARE(search.find(*fresh, "ghost", 1, true), 0);
    delete fresh;
}

void TestEditing::replacementsKeepTheCacheExact_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<bool>("matchCase");

    QTest::newRow("grows") << QByteArray("a-A-a\r\na") << QByteArray("a") << QByteArray("Bab") << false;
    QTest::newRow("shrinks") << QByteArray("abc abc\r\nabc") << QByteArray("abc") << QByteArray("c") << true;
    QTest::newRow("deletes") << QByteArray("xyXYxy") << QByteArray("XY") << QByteArray() << false;
    QTest::newRow("inserts breaks") << QByteArray("a;b;c") << QByteArray(";") << QByteArray("\r\n") << true;
    QTest::newRow("removes breaks") << QByteArray("a\r\nb\nc") << QByteArray("\n") << QByteArray("-") << true;
}

// Each replacement is reported to the search cache, which patches its copy; every later search
// must give what a search on the freshly read text gives.
void TestEditing::replacementsKeepTheCacheExact()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArray, replacement);
    QFETCH(bool, matchCase);

    TextBox box;
    box.setText(text);
    const QByteArray needle = matchCase ? pattern : platform::Ansi::toUpper(pattern);
    qint64 start = 1;
    for (int press = 0; press < 10; ++press) {
        const QByteArray now = box.text();
        const qint64 expected = TextSearch::find(matchCase ? now : platform::Ansi::toUpper(now), needle, start);
        const qint64 p = search.find(box, pattern, start, matchCase);
        QCOMPARE(p, expected);
        if (p == 0)
            break;
        box.setSel(int(p - 1), int(p - 1 + pattern.size()));
        const quint64 revision = box.revision();
        box.replaceSel(replacement, true);
        box.setSel(int(p - 1), int(p - 1 + replacement.size()));
        search.noteReplacement(box, revision, p - 1, pattern.size(), replacement);
        start = p + replacement.size();
    }
    // Taking the replacements back is an ordinary edit.
    while (box.canUndo())
        box.undoEdit();
    QCOMPARE(box.text(), text);
    QCOMPARE(search.find(box, pattern, 1, matchCase),
             TextSearch::find(matchCase ? text : platform::Ansi::toUpper(text), needle, 1));
}

void TestEditing::changeCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<QString>("expected");

    QTest::newRow("upper mixed") << QStringLiteral("a привет World b") << 2 << 12 << true
                                 << QStringLiteral("a ПРИВЕТ WORLD b");
    QTest::newRow("lower ё") << QStringLiteral("ЁЛКА µ") << 0 << 6 << false << QStringLiteral("ёлка µ");
    QTest::newRow("across CR LF") << QStringLiteral("ab\r\ncd") << 1 << 4 << true << QStringLiteral("aB\r\nCd");
}

void TestEditing::changeCase()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(bool, upper);
    QFETCH(QString, expected);

    TextBox box;
    box.setText(fromUnicode(text));
    box.setSel(start, start + length);
    EditCommands::ChangeCase(box, upper);
    QCOMPARE(box.text(), fromUnicode(expected));
    QCOMPARE(box.selStart(), start);
    QCOMPARE(box.selLength(), length);

    box.undoEdit();   // one step takes the whole conversion back
    QCOMPARE(box.text(), fromUnicode(text));
}

void TestEditing::changeCaseWithoutSelectionDoesNothing()
{
    TextBox box;
    box.setText("abc");
    box.setSel(1, 1);
    EditCommands::ChangeCase(box, true);
    QCOMPARE(box.text(), QByteArray("abc"));
    QVERIFY(!box.canUndo());
}

void TestEditing::timeDateReplacesSelectionOrInserts()
{
    const QDateTime now(QDate(2031, 2, 3), QTime(7, 8, 59));
    const QByteArray stamp = "07:08 03.02.2031";

    TextBox box;
    box.setText("x abc y");
    box.setSel(2, 5);
    EditCommands::InsertTimeDate(box, now);
    QCOMPARE(box.text(), "x " + stamp + " y");
    QCOMPARE(box.selLength(), 0);
    QCOMPARE(box.selStart(), 2 + stamp.size());

    box.setSel(0, 0);
    EditCommands::InsertTimeDate(box, QDateTime(QDate(2030, 12, 31), QTime(23, 59)));
    QVERIFY(box.text().startsWith("23:59 31.12.2030x "));

    box.undoEdit();
    QCOMPARE(box.text(), "x " + stamp + " y");
}

void TestEditing::timeDateUsesLocaleTimeSeparator()
{
    // Finnish writes times with a dot; the separator is read back from how the locale shows a time.
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    const QString shown = QLocale().toString(QTime(23, 45), QLocale::ShortFormat);
    const QString separator = shown.mid(2, shown.indexOf(QLatin1String("45")) - 2);
    QVERIFY(!separator.isEmpty());

    TextBox box;
    EditCommands::InsertTimeDate(box, QDateTime(QDate(2026, 12, 6), QTime(9, 5)));
    QCOMPARE(box.text(), fromUnicode(QStringLiteral("09") + separator + QStringLiteral("05 06.12.2026")));
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
