// The text box over the program's text model (whose own cases are in tst_textdocument): model
// positions and selections, what enters from keys, clipboard and drops, the appearance
// properties; and the view itself: caret motions over wrapped rows, where rows, alignment and the
// selection are painted, the mouse, long lines, the scroll bar, read-only, input methods and what
// accessibility reports.
#include "platform/interfaces/RuntimeError.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QMimeData>
#include <QPaintEvent>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QUrl>

#include <functional>

using namespace platform;
using Break = TextBox::Break;

Q_DECLARE_METATYPE(platform::TextBox::Break)

namespace {

void typeText(QWidget *target, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

} // namespace

class TstTextBox : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void randomRangesSelectTheirBytes();
    void lengthAndPositionsCountModelChars_data();
    void lengthAndPositionsCountModelChars();
    void setSelClampsAndClears();
    void replaceSelIsOneUndoStep_data();
    void replaceSelIsOneUndoStep();
    void replaceSelWithoutUndo();
    void textFromLineOfEveryPosition();
    void refillKeepsAppearance();
    void typedTextIsFiltered();
    void enterInsertsTheDominantBreak_data();
    void enterInsertsTheDominantBreak();
    void pasteNormalisesBreaksAndFilters();
    void copyAndCutPutRowBreaksAsNewlines();
    void clearSelDeletesOnlyASelection();
    void dropsOfOtherDataLeaveItWithItsSource_data();
    void dropsOfOtherDataLeaveItWithItsSource();
    void alignment();
    void fontSpec();
    void colours();

    void keysAsInQtTextWidgets_data();
    void keysAsInQtTextWidgets();
    void wrappedRowsKeepWithinTheView();
    void endStopsBeforeANoBreakSpaceThatEndsARow();
    void alignmentPlacesTheRows_data();
    void alignmentPlacesTheRows();
    void selectionIsPaintedWhereItIs();
    void editsRepaintWhatChanged_data();
    void editsRepaintWhatChanged();
    void mouseSelects();
    void longLineIsShownInPieces();
    void scrollBarFollowsTheTopRow();
    void readOnlyMovesButDoesNotEdit();
    void inputMethodComposesAtTheCaret();
    void accessibleTextIsAsShown();

private:
    TextBox *box = nullptr;
};

void TstTextBox::init()
{
    box = new TextBox;
    box->resize(400, 300);
}

void TstTextBox::cleanup()
{
    delete box;
    box = nullptr;
}

void TstTextBox::randomRangesSelectTheirBytes()
{
    static const char *const pieces[] = {"\r\n", "\r", "\n", "a", "\xE9", "\xA0", "\r\r\n", "\n\r"};
    QRandomGenerator random(1251);
    for (int round = 0; round < 300; ++round) {
        QByteArray text;
        const int count = random.bounded(40);
        for (int i = 0; i < count; ++i)
            text.append(pieces[random.bounded(int(std::size(pieces)))]);
        box->setText(text);
        // Selecting every model range reads back exactly those bytes.
        const int a = random.bounded(int(text.size()) + 1);
        const int b = a + random.bounded(int(text.size()) - a + 1);
        box->setSel(a, b);
        const bool insidePair = [&](int p) {
            return p > 0 && p < text.size() && text[p - 1] == '\r' && text[p] == '\n';
        }(a) || (b > 0 && b < text.size() && text[b - 1] == '\r' && text[b] == '\n');
        if (!insidePair || box->dominantBreak() != Break::CrLf)
            QCOMPARE(box->selectedText(), text.mid(a, b - a));
    }
}

void TstTextBox::lengthAndPositionsCountModelChars_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QByteArray>("selected");
    QTest::newRow("after CR LF") << QByteArray("ab\r\ncd") << 4 << 5 << QByteArray("c");
    QTest::newRow("over CR LF") << QByteArray("ab\r\ncd") << 1 << 5 << QByteArray("b\r\nc");
    QTest::newRow("many lines") << QByteArray("1\r\n22\r\n333\r\n4444") << 12 << 14 << QByteArray("44");
    QTest::newRow("placeholders count 1") << QByteArray("a\rb\r\nc\r\nd") << 1 << 6 << QByteArray("\rb\r\nc");
    QTest::newRow("LF dominant") << QByteArray("a\nb\r\nc\nd") << 2 << 6 << QByteArray("b\r\nc");
}

void TstTextBox::lengthAndPositionsCountModelChars()
{
    QFETCH(QByteArray, text);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QByteArray, selected);
    box->setText(text);
    QCOMPARE(box->textLength(), int(text.size()));
    box->setSel(start, end);
    QCOMPARE(box->selStart(), start);
    QCOMPARE(box->selLength(), end - start);
    QCOMPARE(box->selectedText(), selected);
    QCOMPARE(box->caretPosition(), end);
}

void TstTextBox::setSelClampsAndClears()
{
    box->setText("ab\r\ncd");
    box->setSel(1, 100);
    QCOMPARE(box->selStart(), 1);
    QCOMPARE(box->selLength(), 5);
    box->setSel(0, -1);
    QCOMPARE(box->selLength(), 6);
    box->setSel(2, 5);
    box->setSel(-1, 0);
    QCOMPARE(box->selLength(), 0);
    QCOMPARE(box->selStart(), 5);
    // A position between CR and LF is the end of that line.
    box->setSel(3, 3);
    QCOMPARE(box->selStart(), 2);
}

void TstTextBox::replaceSelIsOneUndoStep_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("insert");
    QTest::newRow("CR LF doc, mixed insert") << QByteArray("ab\r\ncd") << QByteArray("x\ry\r\nz\n");
    QTest::newRow("CR doc") << QByteArray("a\rb\rc") << QByteArray("1\r\n2\r3\n");
    QTest::newRow("LF doc, Cyrillic") << QByteArray("a\nb") << QByteArray("\xEF\xF0\xE8\n\xE2\xE5\xF2");
}

void TstTextBox::replaceSelIsOneUndoStep()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, insert);
    box->setText(text);
    QVERIFY(!box->canUndo());
    box->setSel(1, 4);
    box->replaceSel(insert);
    QByteArray expected = text;
    expected.replace(1, 3, insert);
    QCOMPARE(box->text(), expected);
    QCOMPARE(box->selStart(), 1 + int(insert.size()));
    QCOMPARE(box->selLength(), 0);
    QVERIFY(box->canUndo());
    box->undoEdit();
    QCOMPARE(box->text(), text);
    QVERIFY(!box->canUndo());
}

void TstTextBox::replaceSelWithoutUndo()
{
    box->setText("abc");
    typeText(box, QStringLiteral("x"));
    box->setSel(0, 1);
    box->replaceSel("Z\r\n", false);
    QCOMPARE(box->text(), QByteArray("Z\r\nabc"));
    QVERIFY(!box->canUndo());
    box->emptyUndoBuffer();
    QVERIFY(!box->canUndo());
}

void TstTextBox::textFromLineOfEveryPosition()
{
    const QByteArray samples[] = {"ab\r\ncd\r\n\r\nef", "a\rb\nc\r\nd\n\ne", "\n\nx\r", "plain"};
    for (const QByteArray &sample : samples) {
        box->setText(sample);
        // An edit and its undo leave the same text, but it must now be read from the document.
        box->setSel(0, 0);
        box->replaceSel("z");
        box->undoEdit();
        const QByteArray whole = box->text();
        QCOMPARE(whole, sample);
        for (int pos = 0; pos <= whole.size(); ++pos) {
            box->replaceSel("z");   // keep the text unknown to the box
            box->undoEdit();
            int lineStart = -1;
            const QByteArray tail = box->textFromLineOf(pos, &lineStart);
            QVERIFY2(lineStart >= 0 && lineStart <= pos, qPrintable(QString::number(pos)));
            // The tail starts at the beginning of a line: at 0 or just after a break.
            QVERIFY(lineStart == 0 || whole.at(lineStart - 1) == '\n' || whole.at(lineStart - 1) == '\r');
            QCOMPARE(tail, whole.mid(lineStart));
        }
    }
}

void TstTextBox::refillKeepsAppearance()
{
    box->setAlignmentValue(2);
    FontSpec font = box->fontSpec();
    font.size = 14;
    font.italic = true;
    box->setFontSpec(font);
    box->setText("first\r\ntext");
    box->setSel(2, 4);
    box->setText("second\rtext\r");
    QCOMPARE(box->text(), QByteArray("second\rtext\r"));
    QCOMPARE(box->selStart(), 0);
    QCOMPARE(box->selLength(), 0);
    QVERIFY(!box->canUndo());
    QCOMPARE(box->alignment(), Qt::AlignHCenter);
    QCOMPARE(box->font().italic(), true);
    QCOMPARE(box->font().pointSizeF(), 14.0);
    QCOMPARE(box->lineCount(), 3);
}

void TstTextBox::typedTextIsFiltered()
{
    box->setText("");
    for (QChar ch : QStringLiteral("Привет, ёж"))
        typeText(box, QString(ch));
    typeText(box, QStringLiteral("中"));
    typeText(box, QStringLiteral("😀"));
    typeText(box, QStringLiteral("€"));
    typeText(box, QString(QChar(0x240D)));
    QCOMPARE(box->text(), Ansi::fromUnicode(QStringLiteral("Привет, ёж??€?")));

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("я中\u2028"));
    QApplication::sendEvent(box, &commit);
    QCOMPARE(box->text(), Ansi::fromUnicode(QStringLiteral("Привет, ёж??€?я?\r\n")));
}

void TstTextBox::enterInsertsTheDominantBreak_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("CR LF") << QByteArray("ab") << QByteArray("a\r\n\r\nb");
    QTest::newRow("LF") << QByteArray("a\nb") << QByteArray("a\n\n\nb");
    QTest::newRow("CR") << QByteArray("a\rb") << QByteArray("a\r\r\rb");
}

void TstTextBox::enterInsertsTheDominantBreak()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    box->setText(text);
    box->setSel(1, 1);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(box->text(), expected);
}

void TstTextBox::pasteNormalisesBreaksAndFilters()
{
    box->setText("x\ry\rz");
    box->setSel(1, 1);
    QApplication::clipboard()->setText(QStringLiteral("a\r\nb\nc\rd\u2029e\u2028f中\u240A"));
    box->pasteClip();
    QCOMPARE(box->text(), QByteArray("xa\rb\rc\rd\re\rf??\ry\rz"));
    box->undoEdit();
    QCOMPARE(box->text(), QByteArray("x\ry\rz"));
}

void TstTextBox::copyAndCutPutRowBreaksAsNewlines()
{
    box->setText("a\r\nb\rc\xA0\xE9\r\nd");
    box->setSel(0, 8);
    box->copySel();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a\nb\rc\u00A0й"));
    box->setSel(1, 5);
    box->cutSel();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("\nb\r"));
    QCOMPARE(box->text(), QByteArray("ac\xA0\xE9\r\nd"));
    // Pasted back, it is the bytes it was, the lone CR too.
    box->pasteClip();
    QCOMPARE(box->text(), QByteArray("a\r\nb\rc\xA0\xE9\r\nd"));
    // A document whose rows end in LF takes the text, with its own breaks.
    box->setText("x\ny\n");
    box->setSel(1, 1);
    box->pasteClip();
    QCOMPARE(box->text(), QByteArray("x\nb\n\ny\n"));
}

void TstTextBox::clearSelDeletesOnlyASelection()
{
    box->setText("ab\r\ncd");
    box->setSel(2, 2);
    box->clearSel();
    QCOMPARE(box->text(), QByteArray("ab\r\ncd"));
    box->setSel(1, 5);
    box->clearSel();
    QCOMPARE(box->text(), QByteArray("ad"));
    QVERIFY(box->canUndo());
}

void TstTextBox::dropsOfOtherDataLeaveItWithItsSource_data()
{
    QTest::addColumn<bool>("files");
    QTest::addColumn<Qt::DropActions>("offered");
    QTest::addColumn<bool>("taken");        // what the owner does with the drop
    QTest::addColumn<int>("whileDragging"); // the action the source is told: during the drag,
    QTest::addColumn<int>("afterDrop");     // and when it ends
    const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QTest::newRow("files opened") << true << all << true << int(Qt::CopyAction) << int(Qt::CopyAction);
    QTest::newRow("files, link only") << true << Qt::DropActions(Qt::LinkAction) << true << int(Qt::LinkAction)
                                      << int(Qt::LinkAction);
    QTest::newRow("text refused") << false << (Qt::CopyAction | Qt::MoveAction) << false << int(Qt::CopyAction)
                                  << int(Qt::IgnoreAction);
    QTest::newRow("text, move only") << false << Qt::DropActions(Qt::MoveAction) << false << int(Qt::IgnoreAction)
                                     << int(Qt::IgnoreAction);
}

// Files and foreign data go to the owner; a move is never accepted (its source would delete what
// it sent), and a drop the owner does not take ends as ignored.
void TstTextBox::dropsOfOtherDataLeaveItWithItsSource()
{
    QFETCH(bool, files);
    QFETCH(Qt::DropActions, offered);
    QFETCH(bool, taken);
    QFETCH(int, whileDragging);
    QFETCH(int, afterDrop);
    box->setText("keep");
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QMimeData data;
    if (files)
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt"))});
    data.setText(QStringLiteral("/tmp/a.txt"));
    QList<const QMimeData *> handed;
    connect(box, &TextBox::dataDropped, this, [&](QDropEvent *drop) {
        handed << drop->mimeData();
        drop->setAccepted(taken);
    });

    // Shift proposes a move, as a text editor's drag does.
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(box->viewport(), &enter);
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(box->viewport(), &move);
    QCOMPARE(move.isAccepted() ? int(move.dropAction()) : int(Qt::IgnoreAction), whileDragging);
    QCOMPARE(enter.isAccepted(), move.isAccepted());
    if (move.isAccepted()) {
        QDropEvent drop(at, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(box->viewport(), &drop);
        QCOMPARE(drop.isAccepted() ? int(drop.dropAction()) : int(Qt::IgnoreAction), afterDrop);
        QCOMPARE(handed, QList<const QMimeData *>{&data});
    }
    QCOMPARE(box->text(), QByteArray("keep"));
}

// Where each alignment puts the rows is alignmentPlacesTheRows'; any other value is refused.
void TstTextBox::alignment()
{
    box->setText("a");
    box->setAlignmentValue(1);
    for (int bad : {7, -1, 3}) {
        try {
            box->setAlignmentValue(bad);
            QFAIL("accepted an invalid alignment");
        } catch (const RuntimeError &e) {
            QCOMPARE(e.code, 380);
        }
    }
    QCOMPARE(box->alignmentValue(), 1);
}

void TstTextBox::fontSpec()
{
    const FontSpec designed;
    QCOMPARE(box->fontSpec(), designed);
    QCOMPARE(box->font().pointSizeF(), 9.75);

    FontSpec spec;
    spec.name = QStringLiteral("DejaVu Serif");
    spec.size = 13.5;
    spec.italic = spec.underline = spec.strikethrough = true;
    spec.weight = 300;
    spec.charset = 0;
    box->setFontSpec(spec);
    QCOMPARE(box->fontSpec(), spec);
    QCOMPARE(box->font().family(), spec.name);
    QCOMPARE(box->font().pointSizeF(), 13.5);
    QCOMPARE(box->font().weight(), QFont::Light);
    QVERIFY(box->font().italic() && box->font().underline() && box->font().strikeOut());

    // Turning bold on sets weight 700; a new weight decides bold.
    spec = box->fontSpec();
    spec.bold = true;
    box->setFontSpec(spec);
    QCOMPARE(box->fontSpec().weight, 700);
    QCOMPARE(box->font().weight(), QFont::Bold);
    spec = box->fontSpec();
    spec.weight = 400;
    box->setFontSpec(spec);
    QCOMPARE(box->fontSpec().bold, false);
    spec.weight = 800;
    box->setFontSpec(spec);
    QCOMPARE(box->fontSpec().bold, true);
    QCOMPARE(box->fontSpec().weight, 800);

    box->setCharset(204);
    QCOMPARE(box->fontSpec().charset, 204);

    const auto rejects = [&](const FontSpec &bad) {
        try {
            box->setFontSpec(bad);
        } catch (const RuntimeError &e) {
            return e.code == 380;
        }
        return false;
    };
    const FontSpec before = box->fontSpec();
    FontSpec bad = before;
    bad.size = 0;
    QVERIFY(rejects(bad));
    bad.size = 2048.5;
    QVERIFY(rejects(bad));
    bad = before;
    bad.charset = 256;
    QVERIFY(rejects(bad));
    bad = before;
    bad.weight = 1001;
    QVERIFY(rejects(bad));
    QCOMPARE(box->fontSpec(), before);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, box->setCharset(-1));
}

void TstTextBox::colours()
{
    QCOMPARE(box->foreColor(), 0u);
    QCOMPARE(box->backColor(), 0xFFFFFFu);
    box->setForeColor(0x00332211);
    box->setBackColor(0x00CCBBAA);
    QCOMPARE(box->foreColor(), 0x00332211u);
    QCOMPARE(box->backColor(), 0x00CCBBAAu);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        QCOMPARE(box->palette().color(group, QPalette::Text), QColor(0x11, 0x22, 0x33));
        QCOMPARE(box->palette().color(group, QPalette::Base), QColor(0xAA, 0xBB, 0xCC));
    }
    QVERIFY_THROWS_EXCEPTION(RuntimeError, box->setForeColor(0x1000000));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, box->setBackColor(0xFFFFFFFF));
    QCOMPARE(box->foreColor(), 0x00332211u);
    QCOMPARE(box->backColor(), 0x00CCBBAAu);
}

// ---- the view ----------------------------------------------------------------------------------

namespace {

// Runs a little script on the box: "t:abc" types, "k:Backspace" or "k:Ctrl+Left" presses keys,
// "d:4" double-clicks the character at 4, "z" undoes and "y" redoes.
void play(TextBox *box, const QString &script)
{
    for (const QString &step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step.startsWith(QLatin1String("t:"))) {
            for (QChar ch : step.mid(2))
                typeText(box, QString(ch));
        } else if (step.startsWith(QLatin1String("k:"))) {
            const QKeyCombination keys = QKeySequence(step.mid(2))[0];
            QTest::keyClick(box, keys.key(), keys.keyboardModifiers());
        } else if (step.startsWith(QLatin1String("d:"))) {
            const QPoint at = box->characterRect(step.mid(2).toInt()).center();
            QTest::mouseDClick(box->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        } else if (step == QLatin1String("z")) {
            QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        } else if (step == QLatin1String("y")) {
            QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        }
    }
}

} // namespace

void TstTextBox::keysAsInQtTextWidgets_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("caret");
    const QByteArray nbsp = "ab\xA0" "cd", spaces = "abc\r\n  ";
    QTest::newRow("Shift+Up on the first row") << QByteArray("abc") << 3 << "k:Shift+Up" << QByteArray("abc") << 3 << 0;
    QTest::newRow("Shift+Down on the last row") << QByteArray("abc\r\ndef") << 5 << "k:Shift+Down"
                                                << QByteArray("abc\r\ndef") << 5 << 8;
    QTest::newRow("Up and Down there alone") << QByteArray("abc") << 1 << "k:Up k:Down" << QByteArray("abc") << 1 << 1;
    QTest::newRow("Ctrl+A forgets the column") << QByteArray("abcdefghij\r\nab\r\nabcde") << 0
                                               << "k:End k:Down k:Ctrl+A k:Up k:Up"
                                               << QByteArray("abcdefghij\r\nab\r\nabcde") << 5 << 5;
    QTest::newRow("Ctrl+Left over a line of spaces") << spaces << 7 << "k:Ctrl+Left" << spaces << 5 << 5;
    QTest::newRow("Ctrl+Backspace over a line of spaces") << spaces << 7 << "k:Ctrl+Backspace" << QByteArray("abc\r\n") << 5 << 5;
    QTest::newRow("Ctrl+Right over a no-break space") << nbsp << 0 << "k:Ctrl+Right" << nbsp << 3 << 3;
    QTest::newRow("Ctrl+Delete over a no-break space") << nbsp << 0 << "k:Ctrl+Del" << QByteArray("cd") << 0 << 0;
    QTest::newRow("double click on a no-break space") << QByteArray("ab\xA0 cd") << 0 << "d:2" << QByteArray("ab\xA0 cd") << 2 << 4;
    QTest::newRow("undo of Ctrl+Delete") << QByteArray("vib") << 0 << "k:Ctrl+Del z" << QByteArray("vib") << 3 << 3;
    QTest::newRow("undo of Ctrl+Backspace") << QByteArray("vib") << 3 << "k:Ctrl+Backspace z" << QByteArray("vib") << 3 << 3;
    QTest::newRow("undo of a deleted selection") << QByteArray("vib") << 3 << "k:Shift+Left k:Shift+Left k:Del z"
                                                 << QByteArray("vib") << 3 << 1;
}

void TstTextBox::keysAsInQtTextWidgets()
{
    QFETCH(QByteArray, text);
    QFETCH(int, from);
    QFETCH(QString, keys);
    QFETCH(QByteArray, after);
    QFETCH(int, anchor);
    QFETCH(int, caret);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    box->setText(text);
    box->setSel(from, from);
    play(box, keys);
    QCOMPARE(box->text(), after);
    QCOMPARE(box->anchorPosition(), anchor);
    QCOMPARE(box->caretPosition(), caret);
}

// How the caret moves over wrapped rows is compared with QPlainTextEdit in tst_textbox_keys.
void TstTextBox::wrappedRowsKeepWithinTheView()
{
    box->resize(220, 200);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QByteArray line;
    for (int i = 0; i < 30; ++i)
        line += "word" + QByteArray::number(i % 10) + ' ';
    box->setText(line + "\r\nshort");
    QVERIFY(box->characterRect(int(line.size()) - 1).y() > box->characterRect(0).y());   // the line wrapped
    for (int pos = 0; pos < line.size(); pos += 7)
        QVERIFY(box->characterRect(pos).right() <= box->viewport()->width());
}

void TstTextBox::endStopsBeforeANoBreakSpaceThatEndsARow()
{
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    // A word too long for a row is cut anywhere: somewhere the cut falls after the no-break space.
    for (int n = 1; n < 200; ++n) {
        box->setText(QByteArray(n, 'x') + "\xA0" + QByteArray(200, 'y'));
        const int firstRow = box->characterRect(0).y();
        if (box->characterRect(n).y() == firstRow && box->characterRect(n + 1).y() > firstRow) {
            QTest::keyClick(box, Qt::Key_End);
            QCOMPARE(box->caretPosition(), n);
            return;
        }
    }
    QFAIL("no row ends with the no-break space");
}

void TstTextBox::alignmentPlacesTheRows_data()
{
    QTest::addColumn<int>("value");
    QTest::newRow("left") << 0;
    QTest::newRow("right") << 1;
    QTest::newRow("centre") << 2;
}

void TstTextBox::alignmentPlacesTheRows()
{
    QFETCH(int, value);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    box->setText("ab\r\nabcdef");
    box->setAlignmentValue(value);
    const int width = box->viewport()->width();
    const QRect a = box->characterRect(0), f = box->characterRect(9);
    const int leftGap = box->characterRect(4).left(), rightGap = width - f.right();
    QVERIFY(a.y() < f.y());
    switch (value) {
    case 0: QCOMPARE(a.left(), leftGap); QVERIFY(leftGap < 10); break;
    case 1: QVERIFY(qAbs((width - box->characterRect(1).right()) - rightGap) <= 1); QVERIFY(rightGap < 10); break;
    case 2: QVERIFY(qAbs(leftGap - rightGap) <= 2); QVERIFY(a.left() > leftGap); break;
    }
}

void TstTextBox::selectionIsPaintedWhereItIs()
{
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    box->setText("aaaa bbbb\r\ncccc");
    box->setSel(5, 9);
    const QImage shown = box->viewport()->grab().toImage();
    const QColor highlight = box->palette().color(QPalette::Active, QPalette::Highlight);
    const QColor base = box->palette().color(QPalette::Active, QPalette::Base);
    const auto at = [&](int pos) { return shown.pixelColor(box->characterRect(pos).topLeft() + QPoint(1, 0)); };
    QCOMPARE(at(6), highlight);
    QCOMPARE(at(1), base);
    QCOMPARE(at(12), base);
}

namespace {

// The regions the viewport paints while recording is on.
class PaintRecorder : public QObject {
public:
    QRegion painted;
    bool on = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (on && event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

QByteArray numberedLines(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "line " + QByteArray::number(i) + " xxxxxxxx\r\n";
    return text;
}

// Where a scroll bar's slider is drawn with this maximum, and whether it is at either end.
QList<int> shownBar(QScrollBar *bar, int maximum)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.maximum = maximum;
    option.sliderPosition = option.sliderValue = qMin(bar->value(), maximum);
    option.pageStep = bar->pageStep();
    const QRect slider = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
    return {slider.top(), slider.height(), option.sliderValue == 0, option.sliderValue == maximum};
}

} // namespace

void TstTextBox::editsRepaintWhatChanged_data()
{
    // Steps are separated by "|": "t:text" types it a key at a time, "k:Ctrl+X*3" presses keys
    // (three times), "c:text" puts text on the clipboard. The view is checked after every key.
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("steps");
    const QByteArray paragraph = Ansi::fromUnicode(QStringLiteral(
        "Первая строка текста, довольно длинная, чтобы посмотреть, как работает перенос слов в окне.\r\nниже\r\nещё"));
    QTest::newRow("typing until words wrap, undo, redo")
        << paragraph.mid(paragraph.indexOf('\r')) << 0 << 0
        << QStringLiteral("t:Вторая строка текста, довольно длинная, чтобы посмотреть, как работает перенос "
                          "слов в окне редактора при ширине окна.|k:Ctrl+Z|k:Ctrl+Shift+Z");
    QTest::newRow("deleting until a word fits above, undo")
        << paragraph << 0 << 0 << QStringLiteral("k:Down|k:Home|k:Delete*14|k:Ctrl+Z");
    QTest::newRow("inserting at the start of a wrapped paragraph, undo")
        << paragraph << 0 << 0 << QStringLiteral("t:Ещё одно слово и |k:Ctrl+Z");
    QTest::newRow("Enter in a wrapped paragraph, undo, redo")
        << paragraph << 0 << 30 << QStringLiteral("k:Return*2|k:Ctrl+Z|k:Ctrl+Shift+Z");
    QTest::newRow("paste of several lines, undo")
        << paragraph << 0 << 20 << QStringLiteral("c:один\nдва\r\nтри|k:Ctrl+V|k:Ctrl+Z");
    QTest::newRow("typing in a centred line")
        << Ansi::fromUnicode(QStringLiteral("по центру\r\nвторая")) << 2 << 4 << QStringLiteral("t:ещё|k:Backspace*2");
    QTest::newRow("typing in a right-aligned line")
        << Ansi::fromUnicode(QStringLiteral("справа\r\nвторая")) << 1 << 6 << QStringLiteral("t:ещё|k:Ctrl+Z");
    QTest::newRow("Ctrl+A then a letter, undo") << numberedLines(100) << 0 << 0 << QStringLiteral("k:Ctrl+A|t:z|k:Ctrl+Z");
    QTest::newRow("Backspace over a selection to the end, undo")
        << numberedLines(12) << 0 << 40 << QStringLiteral("k:Ctrl+Shift+End|k:Backspace|k:Ctrl+Z");
    QTest::newRow("Ctrl+Shift+End then Delete, undo")
        << numberedLines(12) << 0 << 40 << QStringLiteral("k:Ctrl+Shift+End|k:Delete|k:Ctrl+Z");
    QTest::newRow("cutting the whole text, undo")
        << numberedLines(12) << 0 << 0 << QStringLiteral("k:Ctrl+A|k:Ctrl+X|k:Ctrl+Z");
    QTest::newRow("paste of many lines into an empty text")
        << QByteArray() << 0 << 0 << "c:" + QString::fromLatin1(numberedLines(60)) + "|k:Ctrl+V|k:Ctrl+Home|k:PgDown";
}

// What an edit paints must equal a full redraw of the new text: every pixel that differs from the
// view before lies in the regions painted after it, and the scroll bar looks as for the same text
// set afresh. And no more than that: every row the edit repainted whole changed somewhere.
void TstTextBox::editsRepaintWhatChanged()
{
    QFETCH(QByteArray, text);
    QFETCH(int, alignment);
    QFETCH(int, caret);
    QFETCH(QString, steps);
    const int flashTime = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);   // the caret shows without blinking
    const auto restoreFlash = qScopeGuard([flashTime] { QApplication::setCursorFlashTime(flashTime); });
    TextBox fresh;
    for (TextBox *b : {box, &fresh}) {
        b->setText(text);
        b->setAlignmentValue(alignment);
    }
    fresh.resize(box->size());
    fresh.setAttribute(Qt::WA_DontShowOnScreen);
    fresh.show();
    box->setSel(caret, caret);
    box->show();
    box->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(box));
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QWidget *view = box->viewport();
    PaintRecorder recorder;
    view->installEventFilter(&recorder);

    const auto check = [&](const QString &step, const std::function<void()> &act) {
        const QImage before = view->grab().toImage();
        recorder.painted = QRegion();
        recorder.on = true;
        act();
        QCoreApplication::processEvents();   // the paint that the edit asked for
        recorder.on = false;
        const QImage after = view->grab().toImage();
        const QRect topLeft = box->characterRect(box->firstVisiblePosition());
        const int rowHeight = topLeft.height(), firstRow = topLeft.top();
        QList<bool> rowChanged((after.height() - firstRow) / rowHeight, false);
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
                if (before.pixel(x, y) == after.pixel(x, y))
                    continue;
                QVERIFY2(recorder.painted.contains(QPoint(x, y)),
                         qPrintable(QStringLiteral("%1: (%2, %3) changed, not repainted").arg(step).arg(x).arg(y)));
                if (y >= firstRow && (y - firstRow) / rowHeight < rowChanged.size())
                    rowChanged[(y - firstRow) / rowHeight] = true;
            }
        }
        for (int row = 0; row < rowChanged.size(); ++row) {
            const QRect band(0, firstRow + row * rowHeight, after.width(), rowHeight);
            QVERIFY2(rowChanged[row] || !QRegion(band).subtracted(recorder.painted).isEmpty(),
                     qPrintable(QStringLiteral("%1: row %2 repainted, not changed").arg(step).arg(row)));
        }
        fresh.setText(box->text());
        QScrollBar *bar = box->verticalScrollBar();
        QVERIFY2(shownBar(bar, bar->maximum()) == shownBar(bar, fresh.verticalScrollBar()->maximum()),
                 qPrintable(step + ": the scroll bar is not as for the same text set afresh"));
    };

    for (const QString &step : steps.split(QLatin1Char('|'))) {
        const QString what = step.mid(2);
        if (step.startsWith(QLatin1String("c:"))) {
            QApplication::clipboard()->setText(what);
        } else if (step.startsWith(QLatin1String("t:"))) {
            for (qsizetype i = 0; i < what.size() && !QTest::currentTestFailed(); ++i)
                check(step.left(2 + i + 1), [&] { typeText(box, what.mid(i, 1)); });
        } else {
            const QStringList keys = what.split(QLatin1Char('*'));
            const QKeyCombination combination = QKeySequence::fromString(keys.first())[0];
            for (int i = 0; i < keys.value(1, QStringLiteral("1")).toInt() && !QTest::currentTestFailed(); ++i)
                check(step, [&] { QTest::keyClick(box, combination.key(), combination.keyboardModifiers()); });
        }
        if (QTest::currentTestFailed())
            return;
    }
}

void TstTextBox::mouseSelects()
{
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    box->setText("alpha beta\r\ngamma");
    QWidget *view = box->viewport();
    const auto leftOf = [&](int pos) { return box->characterRect(pos).center() - QPoint(box->characterRect(pos).width() / 3, 0); };
    QTest::mouseClick(view, Qt::LeftButton, {}, leftOf(7));
    QCOMPARE(box->caretPosition(), 7);
    QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, leftOf(14));
    QCOMPARE(box->selStart(), 7);
    QCOMPARE(box->selLength(), 7);
    QTest::mouseDClick(view, Qt::LeftButton, {}, leftOf(13));
    QCOMPARE(box->selectedText(), QByteArray("gamma"));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mousePress(view, Qt::LeftButton, {}, leftOf(1));
    QTest::mouseMove(view, leftOf(8));
    QTest::mouseRelease(view, Qt::LeftButton, {}, leftOf(8));
    QCOMPARE(box->selectedText(), QByteArray("lpha be"));
}

void TstTextBox::longLineIsShownInPieces()
{
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QByteArray line;
    while (line.size() < 200000)
        line += "lorem ipsum dolor sit amet ";
    box->setText(line);
    // Positions and places agree on both sides of where the line is cut for laying out.
    for (int pos : {4090, 4096, 4100, 8190, 8200, 150000}) {
        box->setSel(pos, pos);
        box->scrollCaret();
        const QRect r = box->characterRect(pos);
        QVERIFY2(box->viewport()->rect().contains(r.center()), qPrintable(QString::number(pos)));
        QCOMPARE(box->positionAt(r.center() - QPoint(r.width() / 3, 0)), pos);
    }
    QTest::keyClick(box, Qt::Key_End);
    QVERIFY(box->caretPosition() < line.size());
    box->setSel(0, 0);
    typeText(box, QStringLiteral("X"));
    QCOMPARE(box->text(), "X" + line);
}

void TstTextBox::scrollBarFollowsTheTopRow()
{
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QByteArray text;
    for (int i = 0; i < 5000; ++i)
        text += "line " + QByteArray::number(i) + "\r\n";
    box->setText(text);
    QScrollBar *bar = box->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(bar->value(), box->firstVisiblePosition());
    QCOMPARE(bar->value(), bar->maximum());
    // Dragging the slider shows the row that holds its position.
    bar->setSliderPosition(text.size() / 2);
    const int top = box->firstVisiblePosition();
    QVERIFY(top <= text.size() / 2 && top > text.size() / 2 - 12);
    QCOMPARE(text.at(top - 1), '\n');
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(text.at(box->firstVisiblePosition() - 1), '\n');
    QVERIFY(box->firstVisiblePosition() > top);
    // Rows added and removed at the end, too few for the slider to show them: the bar's end is
    // still the last screenful, as Ctrl+End shows it.
    for (const char *edits : {"k:Return k:Return k:Return", "k:Backspace k:Backspace k:Backspace k:Backspace"}) {
        QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        play(box, QLatin1String(edits));
        bar->setValue(0);
        bar->setValue(bar->maximum());
        const int dragged = box->firstVisiblePosition();
        QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(dragged, box->firstVisiblePosition());
    }
}

void TstTextBox::readOnlyMovesButDoesNotEdit()
{
    box->setText("read only");
    box->setReadOnly(true);
    box->setSel(0, 0);
    typeText(box, QStringLiteral("x"));
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClick(box, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(box, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(box->selectedText(), QByteArray("re"));
    box->pasteClip();
    box->cutSel();
    QCOMPARE(box->text(), QByteArray("read only"));
    QVERIFY(!box->canUndo());
    QVERIFY(!box->inputMethodQuery(Qt::ImEnabled).toBool());
}

void TstTextBox::inputMethodComposesAtTheCaret()
{
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    box->setText("ab\r\ncd");
    box->setSel(5, 5);
    const QRect before = box->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QInputMethodEvent compose(QStringLiteral("\u044F\u044F"), {{QInputMethodEvent::Cursor, 2, 1}});
    QApplication::sendEvent(box, &compose);
    QCOMPARE(box->text(), QByteArray("ab\r\ncd"));   // composing is not editing
    QVERIFY(box->inputMethodQuery(Qt::ImCursorRectangle).toRect().x() > before.x());
    QCOMPARE(box->inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("cd"));
    QCOMPARE(box->inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u044F"));
    QApplication::sendEvent(box, &commit);
    QCOMPARE(box->text(), QByteArray("ab\r\nc\xFF" "d"));
    QCOMPARE(box->inputMethodQuery(Qt::ImCursorRectangle).toRect().y(), before.y());
}

// Assistive tools get the text as shown: a row-ending break is one "\n", a CR or LF inside a line
// its symbol, and every offset they see or give counts so.
void TstTextBox::accessibleTextIsAsShown()
{
    box->setText("ab\r\nc\xE9\rd\r\n\r\nx\ny");
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(box);
    QCOMPARE(a->role(), QAccessible::EditableText);
    QVERIFY(!a->valueInterface());
    QAccessibleTextInterface *t = a->textInterface();
    const QString shown = QStringLiteral("ab\nc\u0439\u240Dd\n\nx\u240Ay");
    QCOMPARE(t->characterCount(), int(shown.size()));
    QCOMPARE(t->text(0, t->characterCount()), shown);
    QCOMPARE(t->text(3, 6), QStringLiteral("c\u0439\u240D"));
    const auto at = [t](int offset, QAccessible::TextBoundaryType boundary, int direction = 0) {
        int from = -1, to = -1;
        const QString text = direction < 0 ? t->textBeforeOffset(offset, boundary, &from, &to)
                             : direction > 0 ? t->textAfterOffset(offset, boundary, &from, &to)
                                             : t->textAtOffset(offset, boundary, &from, &to);
        return QStringLiteral("%1-%2 %3").arg(from).arg(to).arg(text);
    };
    QCOMPARE(at(1, QAccessible::LineBoundary), QStringLiteral("0-3 ab\n"));
    QCOMPARE(at(5, QAccessible::LineBoundary), QStringLiteral("3-8 c\u0439\u240Dd\n"));
    QCOMPARE(at(1, QAccessible::LineBoundary, 1), QStringLiteral("3-8 c\u0439\u240Dd\n"));
    QCOMPARE(at(9, QAccessible::LineBoundary, -1), QStringLiteral("8-9 \n"));
    QCOMPARE(at(11, QAccessible::LineBoundary), QStringLiteral("9-12 x\u240Ay"));
    QCOMPARE(at(2, QAccessible::CharBoundary), QStringLiteral("2-3 \n"));
    QCOMPARE(t->characterRect(3).topLeft(), box->viewport()->mapToGlobal(box->characterRect(4).topLeft()));
    QCOMPARE(t->offsetAtPoint(t->characterRect(9).center()), 9);
    t->setSelection(0, 3, 5);
    QCOMPARE(box->selectedText(), QByteArray("c\xE9"));
    QCOMPARE(t->cursorPosition(), 5);
    a->editableTextInterface()->insertText(3, QStringLiteral("\u044F\n"));
    QCOMPARE(box->text(), QByteArray("ab\r\n\xFF\r\nc\xE9\rd\r\n\r\nx\ny"));
    // U+00A0 stays a no-break space in what the box shows.
    box->setText("a\xA0" "b");
    QCOMPARE(t->text(0, 3), QStringLiteral("a\u00A0b"));
    // Where a lone CR ends the rows, it is the "\n".
    box->setText("a\rb\rc\nd");
    QCOMPARE(t->text(0, t->characterCount()), QStringLiteral("a\nb\nc\u240Ad"));
    // Over any mix of breaks, each offset is one character of the whole, which has no CR.
    static const char *const pieces[] = {"\r\n", "\r", "\n", "a", "\r\r\n", "\n\r"};
    QRandomGenerator random(866);
    for (int round = 0; round < 200; ++round) {
        QByteArray mix;
        for (int i = random.bounded(30); i > 0; --i)
            mix += pieces[random.bounded(int(std::size(pieces)))];
        box->setText(mix);
        const QString all = t->text(0, t->characterCount());
        QVERIFY(all.size() == t->characterCount() && !all.contains(QLatin1Char('\r')));
        for (int offset = 0; offset < all.size(); ++offset)
            QCOMPARE(t->text(offset, offset + 1), all.mid(offset, 1));
    }
}

QTEST_MAIN(TstTextBox)
#include "tst_textbox.moc"
