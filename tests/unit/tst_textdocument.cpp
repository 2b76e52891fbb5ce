// The text document without a view: exact bytes and breaks through edits and their undo, the
// undo steps as the keys make them, all-or-nothing setText, and what each change tells.
#include "platform/textmodel/TextDocument.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <new>

using namespace platform;
using Selection = TextDocument::Selection;

namespace {

// An edit and its undo make the document read its bytes again instead of giving back what setText
// was handed.
QByteArray readBack(TextDocument &doc)
{
    doc.replace(doc.size(), 0, "x", EditKind::Other, {}, {});
    doc.undo();
    return doc.text();
}

// Runs edits as the text box makes them from keys, on a caret and anchor of its own:
//   "t:abc" types character by character, "B" is Backspace, "D" Delete, "E" Enter, "<" moves the
//   caret one left, "N" a key that finds nothing to edit, "K:4-7" deletes that range as a word
//   deletion does, "S:1-3" selects, "M:6" drops the selection at 6 as a move, "z" undoes and "y"
//   redoes.
struct Keys {
    TextDocument &doc;
    Selection sel;

    qsizetype from() const { return qMin(sel.anchor, sel.caret); }
    qsizetype to() const { return qMax(sel.anchor, sel.caret); }
    // Before a CR LF counts as one character.
    qsizetype charBefore(qsizetype pos) const { return pos >= 2 && doc.text().mid(pos - 2, 2) == "\r\n" ? 2 : 1; }
    void edit(qsizetype pos, qsizetype length, const QByteArray &bytes, EditKind kind)
    {
        const qsizetype end = pos + bytes.size();
        doc.replace(pos, length, bytes, kind, sel, {end, end});
        sel = {end, end};
    }
    void replaceSelection(const QByteArray &bytes, EditKind kind) { edit(from(), to() - from(), bytes, kind); }
    void history(bool undo)
    {
        if (const std::optional<Selection> shown = undo ? doc.undo() : doc.redo())
            sel = *shown;
    }

    void play(const QString &script)
    {
        for (const QString &step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QList<int> at = [&] {
                QList<int> numbers;
                for (const QString &n : step.mid(2).split(QLatin1Char('-')))
                    numbers << n.toInt();
                return numbers;
            }();
            switch (step.at(0).toLatin1()) {
            case 't':
                for (QChar ch : step.mid(2))
                    replaceSelection(QByteArray(1, ch.toLatin1()), EditKind::Typing);
                break;
            case 'B':
                if (from() != to())
                    replaceSelection({}, EditKind::Other);
                else
                    edit(sel.caret - charBefore(sel.caret), charBefore(sel.caret), {}, EditKind::DeletingBack);
                break;
            case 'D': edit(sel.caret, 1, {}, EditKind::DeletingForward); break;
            case 'E': replaceSelection("\r\n", EditKind::Other); break;
            case '<':
                doc.closeTyping();
                sel.anchor = sel.caret = sel.caret - 1;
                break;
            case 'N': doc.closeTyping(); break;
            case 'S':
                doc.closeTyping();
                sel = {at[0], at[1]};
                break;
            case 'K': edit(at[0], at[1] - at[0], {}, EditKind::Other); break;
            case 'M': {
                const QByteArray moved = doc.text().mid(from(), to() - from());
                const qsizetype target = at[0] > to() ? at[0] - moved.size() : at[0];
                const Selection after{target, target + moved.size()};
                doc.replace(from(), moved.size(), {}, EditKind::Other, sel, after);
                doc.replace(target, 0, moved, EditKind::Joined, sel, after);
                sel = after;
                break;
            }
            case 'z': history(true); break;
            case 'y': history(false); break;
            }
        }
    }
};

} // namespace

class TstTextDocument : public QObject {
    Q_OBJECT
private slots:
    void everyByteRoundTrips();
    void randomBreakMixesRoundTrip();
    void undoSteps_data();
    void undoSteps();
    void setTextEmptiesTheHistoryAndMovesTheRevision();
    void failedSetTextChangesNothing();
    void eachChangeIsToldBeforeAndAfter();
};

void TstTextDocument::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    TextDocument doc;
    doc.setText(all);
    QCOMPARE(doc.text(), all);
    QCOMPARE(readBack(doc), all);
    QCOMPARE(doc.size(), 256);
}

void TstTextDocument::randomBreakMixesRoundTrip()
{
    static const char *const pieces[] = {"\r\n", "\r", "\n", "a", "\xE9", "\xA0", "\r\r\n", "\n\r"};
    QRandomGenerator random(1251);
    TextDocument doc;
    for (int round = 0; round < 300; ++round) {
        QByteArray text;
        for (int i = random.bounded(40); i > 0; --i)
            text.append(pieces[random.bounded(int(std::size(pieces)))]);
        doc.setText(text);
        QCOMPARE(readBack(doc), text);
        // A piece of it taken out and put back at once, between any two bytes.
        const qsizetype a = random.bounded(int(text.size()) + 1);
        const qsizetype b = a + random.bounded(int(text.size() - a) + 1);
        const QByteArray piece = text.mid(a, b - a);
        doc.replace(a, b - a, {}, EditKind::Other, {}, {});
        doc.replace(a, 0, piece, EditKind::Other, {}, {});
        QCOMPARE(doc.text(), text);
        QCOMPARE(doc.size(), text.size());
    }
}

void TstTextDocument::undoSteps_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QString>("edits");
    QTest::addColumn<QByteArrayList>("undone");   // the text after each further undo
    QTest::addColumn<int>("caretBack");            // the caret after the last undo; -1: the selection
    QTest::newRow("a typed run") << QByteArray() << 0 << 0 << "t:abc" << QByteArrayList{""} << 0;
    QTest::newRow("moving splits a run") << QByteArray() << 0 << 0 << "t:ab < t:c" << QByteArrayList{"ab", ""} << 0;
    QTest::newRow("a key that finds nothing splits a run") << QByteArray() << 0 << 0 << "t:ab N t:c"
                                                           << QByteArrayList{"ab", ""} << 0;
    QTest::newRow("Enter stands alone") << QByteArray() << 0 << 0 << "t:ab E t:cd"
                                        << QByteArrayList{"ab\r\n", "ab", ""} << 0;
    QTest::newRow("backspaces") << QByteArray("ab\r\ncd") << 6 << 6 << "B B B" << QByteArrayList{"ab\r\ncd"} << 6;
    // What comes back of a deletion is not selected; the caret goes after it.
    QTest::newRow("deletes") << QByteArray("abcd") << 0 << 0 << "D D" << QByteArrayList{"abcd"} << 2;
    QTest::newRow("a word deletion") << QByteArray("one two") << 7 << 7 << "K:4-7" << QByteArrayList{"one two"} << 7;
    QTest::newRow("typing over a selection") << QByteArray("hello") << 0 << 5 << "t:xy" << QByteArrayList{"hello"} << -1;
    QTest::newRow("a moving drop is one step") << QByteArray("abcdef") << 1 << 3 << "M:6" << QByteArrayList{"abcdef"}
                                               << -1;
    QTest::newRow("undo, redo, undo") << QByteArray("q") << 1 << 1 << "t:w z y" << QByteArrayList{"q"} << 1;
}

void TstTextDocument::undoSteps()
{
    QFETCH(QByteArray, text);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(QString, edits);
    QFETCH(QByteArrayList, undone);
    QFETCH(int, caretBack);
    TextDocument doc;
    doc.setText(text);
    Keys keys{doc, {selStart, selEnd}};
    keys.play(edits);
    const QByteArray edited = doc.text();
    for (const QByteArray &expected : undone) {
        QVERIFY(doc.canUndo());
        keys.play(QStringLiteral("z"));
        QCOMPARE(doc.text(), expected);
    }
    QVERIFY(!doc.canUndo());
    // A selection comes back with the text, and redoing everything gives the edit again.
    const Selection back = caretBack < 0 ? Selection{selStart, selEnd} : Selection{caretBack, caretBack};
    QCOMPARE(keys.sel.anchor, back.anchor);
    QCOMPARE(keys.sel.caret, back.caret);
    while (doc.canRedo())
        keys.play(QStringLiteral("y"));
    QCOMPARE(doc.text(), edited);
}

void TstTextDocument::setTextEmptiesTheHistoryAndMovesTheRevision()
{
    TextDocument doc;
    doc.setText("one");
    doc.replace(3, 0, "!", EditKind::Typing, {3, 3}, {4, 4});
    QVERIFY(doc.canUndo());
    const quint64 before = doc.revision();
    doc.setText("two\r\nlines");
    QVERIFY(doc.revision() != before);
    QVERIFY(!doc.canUndo() && !doc.canRedo());
    const quint64 loaded = doc.revision();
    QCOMPARE(doc.text(), QByteArray("two\r\nlines"));
    QCOMPARE(doc.revision(), loaded);
    doc.replace(0, 0, "x", EditKind::Other, {}, {});
    QVERIFY(doc.revision() != loaded);
}

void TstTextDocument::failedSetTextChangesNothing()
{
    TextDocument doc;
    doc.setText("keep\r\nthis");
    doc.replace(1, 2, "EE", EditKind::Other, {1, 3}, {3, 3});
    const quint64 revision = doc.revision();
    QSignalSpy resets(&doc, &TextDocument::aboutToReset);
    TextBuffer::allocationHook = [](qsizetype) { throw std::bad_alloc(); };
    QVERIFY_THROWS_EXCEPTION(std::bad_alloc, doc.setText(QByteArray(1 << 20, 'x')));
    TextBuffer::allocationHook = nullptr;
    QCOMPARE(doc.text(), QByteArray("kEEp\r\nthis"));
    QVERIFY(doc.canUndo());
    QCOMPARE(doc.revision(), revision);
    QCOMPARE(doc.buffer().lineCount(), 2);
    QCOMPARE(resets.count(), 0);
}

void TstTextDocument::eachChangeIsToldBeforeAndAfter()
{
    TextDocument doc;
    doc.setText("one\r\ntwo");
    // A watcher that keeps a copy of the text from what it is told alone.
    QByteArray copy = doc.text();
    QByteArray seenBefore;
    QList<bool> undoable;
    connect(&doc, &TextDocument::aboutToChange, [&](qsizetype pos, qsizetype length) {
        seenBefore = doc.text().mid(pos, length);
    });
    connect(&doc, &TextDocument::changed, [&](qsizetype pos, qsizetype removed, qsizetype inserted) {
        QCOMPARE(copy.mid(pos, removed), seenBefore);
        copy.replace(pos, removed, doc.text().mid(pos, inserted));
    });
    connect(&doc, &TextDocument::reset, [&] { copy = doc.text(); });
    connect(&doc, &TextDocument::undoAvailable, [&](bool available) { undoable << available; });
    Keys keys{doc, {3, 3}};
    keys.play("t:ab B E K:0-2 z z y S:1-3 M:6");
    QCOMPARE(copy, doc.text());
    doc.replace(2, 100, "end", EditKind::Other, {}, {});   // clamped to the text
    QCOMPARE(copy, doc.text());
    doc.setText("new");
    QCOMPARE(copy, QByteArray("new"));
    QCOMPARE(undoable, (QList<bool>{true, false}));
}

QTEST_GUILESS_MAIN(TstTextDocument)
#include "tst_textdocument.moc"
