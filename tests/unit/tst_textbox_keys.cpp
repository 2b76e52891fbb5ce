// The text box against Qt's QPlainTextEdit. Both get the same font, width, wrap, alignment and
// text, then the same random keys; after every key their texts and selections must agree in the
// box's terms (a paragraph break of QPlainTextEdit is CR LF, two positions). The box differs on
// purpose only in these ways, which the test allows and nothing else:
// - A character Windows-1251 lacks becomes '?': the peer's character is replaced by '?' in the
//   same undo step.
// - Shift+Return inserts the text's break; QPlainTextEdit inserts U+2028, which the text cannot
//   hold: the peer's U+2028 becomes a paragraph break in the same undo step.
// - PageUp and PageDown move the caret by the box's rows; QPlainTextEdit moves it by the pixels it
//   scrolled, from where the last page key left it on the screen. Where they differ, the peer
//   takes the box's selection and both forget the column that Up and Down aim at.
// - Undo steps: the box keeps a run of typing, of Backspace or of Delete as one step and every
//   other edit as one of its own; QPlainTextEdit joins edits that follow on and splits at breaks.
//   The peer starts a step where the box does, and undoes and redoes as many of its steps as the
//   box's one took; where that was several, the peer takes the box's selection afterwards.
// - Undoing an edit that replaced a selection selects it again; QPlainTextEdit leaves the caret
//   after the text it gave back. The peer takes the box's selection then.
// After every edit the box's rows also equal the rows of a box given the same text afresh; the
// same check follows random edits the keys cannot make.
//
// JOTBOOK_KEYS_SEED and JOTBOOK_KEYS_COUNT run another or a longer sequence by hand.
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <deque>
#include <optional>
#include <vector>

using namespace platform;

namespace {

struct Key {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers;
    QString text; // a typed character

    QString name() const
    {
        if (!text.isEmpty())
            return QLatin1Char('\'') + text + QLatin1Char('\'');
        return QKeySequence(QKeyCombination(modifiers, key)).toString();
    }
};

// How the box joins edits into undo steps.
enum class Run { None, Typing, Back, Forward, Other };

struct Selection {
    int anchor = 0;
    int caret = 0;
    bool operator==(const Selection &) const = default;
    bool isEmpty() const { return anchor == caret; }
};

// Typed: Russian and Latin letters, digits, signs, spaces, the no-break space and, last, a
// character the code page lacks.
const QString kTyped = QStringLiteral("абвгдеёжзийклмнопрстуфхцчшщъыьэюяЖЩЯabcdefghijklmnopqrstuvwxyzQW"
                                      "      ,.!-(\")0123_\u00A0\u4E2D");

int setting(const char *name, int fallback)
{
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariableIntValue(name) : fallback;
}

const Qt::Key kCaretKeys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,
                              Qt::Key_Home, Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown};

Key randomKey(QRandomGenerator &random, int textLength)
{
    const auto modifiers = [&random] {
        const int m = random.bounded(4);
        return Qt::KeyboardModifiers((m & 1 ? Qt::ShiftModifier : Qt::NoModifier)
                                     | (m & 2 ? Qt::ControlModifier : Qt::NoModifier));
    };
    // Long texts get more deletions, so that the text stays a few screens long.
    const int roll = random.bounded(100) + (textLength > 600 ? 20 : 0);
    if (roll < 40)
        return {kCaretKeys[random.bounded(int(std::size(kCaretKeys)))], modifiers(), {}};
    if (roll < 70)
        return {Qt::Key_unknown, {}, QString(kTyped.at(random.bounded(int(kTyped.size()))))};
    if (roll < 74)
        return {Qt::Key_Return, random.bounded(4) == 0 ? Qt::ShiftModifier : Qt::NoModifier, {}};
    if (roll < 80)
        return {Qt::Key_Z, Qt::ControlModifier, {}};
    if (roll < 83)
        return {Qt::Key_Y, Qt::ControlModifier, {}};
    if (roll < 84)
        return {Qt::Key_A, Qt::ControlModifier, {}};
    return {random.bounded(2) ? Qt::Key_Backspace : Qt::Key_Delete,
            random.bounded(3) == 0 ? Qt::ControlModifier : Qt::NoModifier,
            {}};
}

QByteArray randomText(QRandomGenerator &random)
{
    QString text;
    const int lines = 1 + random.bounded(12);
    for (int line = 0; line < lines; ++line) {
        if (line > 0)
            text += QStringLiteral("\r\n");
        const int length = random.bounded(4) == 0 ? 0 : random.bounded(60);
        for (int i = 0; i < length; ++i)
            text += kTyped.at(random.bounded(int(kTyped.size()) - 1));
    }
    return Ansi::fromUnicode(text);
}

QString escaped(const QByteArray &model)
{
    return Ansi::toUnicode(model)
        .replace(QLatin1String("\r\n"), QLatin1String("\\r\\n"))
        .replace(QChar(0xA0), QLatin1String("\\xA0"));
}

// Gives both boxes the same font, alignment and size.
void setUp(TextBox *box, Qt::Alignment alignment)
{
    FontSpec font;
    font.name = QStringLiteral("Liberation Serif");
    font.size = 14;
    box->setFontSpec(font);
    box->setAlignmentValue(alignment == Qt::AlignLeft ? 0 : alignment == Qt::AlignRight ? 1 : 2);
    box->resize(160, 240);
    box->show();
}

// The first position on screen that a box given the same text afresh puts elsewhere, or -1.
int misplaced(const TextBox &view, TextBox &fresh)
{
    fresh.setText(QByteArray()); // the scroll bar's range starts from nothing
    fresh.setText(view.text());
    // A text keeps the kind of break it was given; given afresh, it may take another.
    if (fresh.dominantBreak() != view.dominantBreak())
        return -1;
    const int top = view.firstVisiblePosition();
    fresh.verticalScrollBar()->setValue(top);
    if (fresh.firstVisiblePosition() != top)
        return top;
    for (int pos = top; pos <= view.textLength(); ++pos) {
        const QRect shown = view.characterRect(pos);
        if (shown.isNull())
            return -1;
        if (shown != fresh.characterRect(pos))
            return pos;
    }
    return -1;
}

// The box and its peer, and the keys they were given.
class Twins {
public:
    Twins(Qt::Alignment alignment, const QByteArray &text)
    {
        setUp(&view, alignment);
        setUp(&fresh, alignment);
        peer.setFont(view.font());
        peer.setLineWrapMode(QPlainTextEdit::WidgetWidth);
        peer.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        peer.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        QTextOption option = peer.document()->defaultTextOption();
        option.setAlignment(alignment);
        peer.document()->setDefaultTextOption(option);
        peer.resize(view.size());
        peer.show();
        peer.resize(peer.width() + view.viewport()->width() - peer.viewport()->width(), peer.height());
        view.setText(text);
        peer.setPlainText(Ansi::toUnicode(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        peer.moveCursor(QTextCursor::Start);
        QObject::connect(peer.document(), &QTextDocument::undoCommandAdded, [this] { ++peerSteps; });
        QObject::connect(&view, &TextBox::textChanged, [this] { ++viewEdits; });
    }

    // The peer's text in the box's terms.
    QByteArray peerText() const
    {
        QByteArray out;
        for (QTextBlock b = peer.document()->begin(); b.isValid(); b = b.next()) {
            if (b != peer.document()->begin())
                out += "\r\n";
            out += Ansi::fromUnicode(b.text());
        }
        return out;
    }
    int toModel(int pos) const { return pos + peer.document()->findBlock(pos).blockNumber(); }
    int toPeer(int pos) const { return pos - int(view.text().left(pos).count("\r\n")); }
    Selection viewSelection() const { return {view.anchorPosition(), view.caretPosition()}; }
    Selection peerSelection() const
    {
        const QTextCursor c = peer.textCursor();
        return {toModel(c.anchor()), toModel(c.position())};
    }
    void setPeerSelection(const Selection &s)
    {
        QTextCursor c = peer.textCursor();
        c.setPosition(toPeer(s.anchor));
        c.setPosition(toPeer(s.caret), QTextCursor::KeepAnchor);
        peer.setTextCursor(c);
    }

    // Sends the key to both and compares; returns the difference, or an empty string.
    QString press(const Key &key)
    {
        history.push_back(key);
        if (history.size() > 40)
            history.pop_front();
        QTextDocument *doc = peer.document();
        const Selection selectionBefore = viewSelection();
        const Run run = runOf(key);
        const int editsBefore = viewEdits;
        const bool used = send(&view, key);
        // The peer starts a new undo step where the box does (it joins edits only while the
        // document is modified); a key the box has no use for changes nothing.
        if (used && (run != lastRun || run == Run::Other || run == Run::None)) {
            doc->setModified(false);
            groupBefore = selectionBefore;
            groupOpen = false;
        }
        if (used)
            lastRun = run;
        const bool undo = key.key == Qt::Key_Z && key.modifiers == Qt::ControlModifier;
        const bool redo = key.key == Qt::Key_Y && key.modifiers == Qt::ControlModifier;
        std::vector<Group> &from = undo ? undoGroups : redoGroups;
        std::vector<Group> &to = undo ? redoGroups : undoGroups;
        const int stepsBefore = peerSteps;
        std::optional<Selection> givenBack;
        bool split = false; // the peer took several steps where the box took one
        if ((undo || redo) && !from.empty()) {
            for (int i = 0; i < from.back().peerSteps; ++i)
                send(&peer, key);
            if (undo && !from.back().before.isEmpty())
                givenBack = from.back().before;
            split = from.back().peerSteps > 1;
            to.push_back(from.back());
            from.pop_back();
        } else {
            send(&peer, key);
            mendPeer(key);
            if (viewEdits != editsBefore && run != Run::None) {
                if (!groupOpen) {
                    undoGroups.push_back({groupBefore, 0});
                    redoGroups.clear();
                    groupOpen = true;
                }
                undoGroups.back().peerSteps += peerSteps - stepsBefore;
            }
        }

        if (view.text() != peerText())
            return describe(QStringLiteral("the texts differ"));
        if (givenBack && viewSelection() != *givenBack)
            return describe(QStringLiteral("undo did not select what the edit replaced"));
        // Where the peer's caret after undo is not the box's for the listed reasons, the peer
        // takes the box's selection.
        if (givenBack || split)
            setPeerSelection(viewSelection());
        if (key.key == Qt::Key_PageUp || key.key == Qt::Key_PageDown) {
            // Where the peer's page keys go depends on what it scrolled before; the box's keep
            // the anchor with Shift and go the right way.
            const Selection s = viewSelection();
            const bool anchorKept =
                key.modifiers & Qt::ShiftModifier ? s.anchor == selectionBefore.anchor : s.anchor == s.caret;
            const bool rightWay =
                key.key == Qt::Key_PageUp ? s.caret <= selectionBefore.caret : s.caret >= selectionBefore.caret;
            if ((s != selectionBefore && !anchorKept) || !rightWay)
                return describe(QStringLiteral("the page key went wrong"));
            if (s != peerSelection()) {
                // Qt hands out the column in whole pixels: both start afresh from here.
                setPeerSelection(s);
                view.setSel(s.anchor, s.caret);
            }
        }
        if (viewSelection() != peerSelection())
            return describe(QStringLiteral("the selections differ"));
        if (viewEdits != editsBefore) {
            if (const int pos = misplaced(view, fresh); pos >= 0)
                return describe(QStringLiteral("position %1 is out of place").arg(pos));
        }
        return QString();
    }

    QString describe(const QString &what) const
    {
        QStringList keys;
        for (const Key &k : history)
            keys << k.name();
        const Selection v = viewSelection(), p = peerSelection();
        return QStringLiteral("%1 after the keys %2\n  box:  \"%3\" selection %4..%5\n  peer: \"%6\" selection %7..%8")
            .arg(what, keys.join(QLatin1Char(' ')), escaped(view.text()))
            .arg(v.anchor)
            .arg(v.caret)
            .arg(escaped(peerText()))
            .arg(p.anchor)
            .arg(p.caret);
    }

    TextBox view;
    QPlainTextEdit peer;

private:
    Run runOf(const Key &key) const
    {
        const bool selection = view.selLength() > 0;
        if (!key.text.isEmpty())
            return Run::Typing;
        if (key.key == Qt::Key_Backspace && key.modifiers == Qt::NoModifier)
            return selection ? Run::Other : Run::Back;
        if (key.key == Qt::Key_Delete && key.modifiers == Qt::NoModifier)
            return selection ? Run::Other : Run::Forward;
        if (key.key == Qt::Key_Backspace || key.key == Qt::Key_Delete || key.key == Qt::Key_Return)
            return Run::Other;
        return Run::None;
    }

    // Presses and releases the key as QTest does; returns whether the widget took it.
    static bool send(QWidget *w, const Key &key)
    {
        // keyToAscii() aborts on keys that have no ASCII character, such as typed Cyrillic.
        const char ascii = key.text.isEmpty() ? QTest::keyToAscii(key.key) : 0;
        const QString text = !key.text.isEmpty() ? key.text : ascii ? QString(QLatin1Char(ascii)) : QString();
        QKeyEvent press(QEvent::KeyPress, key.key, key.modifiers, text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key.key, key.modifiers, text);
        QApplication::sendEvent(w, &release);
        return press.isAccepted();
    }

    // What the peer's text cannot be made to hold as the box does.
    void mendPeer(const Key &key)
    {
        const bool lineSeparator = key.key == Qt::Key_Return && key.modifiers == Qt::ShiftModifier;
        const bool lacking = !key.text.isEmpty() && !Ansi::isRepresentable(key.text.at(0));
        if (!lineSeparator && !lacking)
            return;
        const int at = peer.textCursor().position() - 1;
        QTextCursor c(peer.document());
        c.setPosition(at);
        c.setPosition(at + 1, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        if (lineSeparator)
            c.insertBlock();
        else
            c.insertText(QStringLiteral("?"));
        // The column Up and Down aim at is that of the caret after what the box holds.
        setPeerSelection(peerSelection());
    }

    TextBox fresh;
    std::deque<Key> history;
    // One undo step of the box: the selection before it and the peer's steps it took.
    struct Group {
        Selection before;
        int peerSteps = 0;
    };
    int peerSteps = 0; // undo steps the peer has made
    int viewEdits = 0; // edits the box has made
    Run lastRun = Run::None;
    Selection groupBefore;
    bool groupOpen = false;
    std::vector<Group> undoGroups;
    std::vector<Group> redoGroups;
};

} // namespace

class TstTextBoxKeys : public QObject {
    Q_OBJECT
private slots:
    void sameAsQt_data();
    void sameAsQt();
    void rowsAfterEdits_data();
    void rowsAfterEdits();
};

void TstTextBoxKeys::sameAsQt_data()
{
    QTest::addColumn<int>("alignment");
    QTest::newRow("left") << int(Qt::AlignLeft);
    QTest::newRow("right") << int(Qt::AlignRight);
    QTest::newRow("centre") << int(Qt::AlignHCenter);
}

void TstTextBoxKeys::sameAsQt()
{
    QFETCH(int, alignment);
    const quint32 seed = quint32(setting("JOTBOOK_KEYS_SEED", 2201));
    const int count = setting("JOTBOOK_KEYS_COUNT", 3000);
    QRandomGenerator random(seed);
    for (int done = 0; done < count;) {
        Twins twins(Qt::Alignment(alignment), randomText(random));
        QVERIFY(QTest::qWaitForWindowExposed(&twins.view));
        QVERIFY(QTest::qWaitForWindowExposed(&twins.peer));
        QCoreApplication::processEvents();
        QCOMPARE(twins.view.viewport()->width(), twins.peer.viewport()->width());
        for (int i = 0; i < 300 && done < count; ++i, ++done) {
            const QString difference = twins.press(randomKey(random, twins.view.textLength()));
            if (!difference.isEmpty())
                QFAIL(qPrintable(QStringLiteral("seed %1, key %2: %3").arg(seed).arg(done).arg(difference)));
        }
    }
}

void TstTextBoxKeys::rowsAfterEdits_data() { sameAsQt_data(); }

// Edits the keys cannot make: breaks of every kind, long lines laid out in pieces, the view
// scrolled anywhere.
void TstTextBoxKeys::rowsAfterEdits()
{
    QFETCH(int, alignment);
    static const QByteArray pieces[] = {
        "a", "\xE9\xF2", " ", "  ", "\xA0", "\r\n", "\r", "\n", "word ", QByteArray(60, 'x'), QByteArray(50, ' ')};
    // Longer than a piece of layout.
    const QByteArray longLine = QByteArray("long line ").repeated(500);
    const quint32 seed = quint32(setting("JOTBOOK_KEYS_SEED", 2201));
    const int count = setting("JOTBOOK_KEYS_COUNT", 1800) / 3;
    QRandomGenerator random(seed);
    TextBox view, fresh;
    setUp(&view, Qt::Alignment(alignment));
    setUp(&fresh, Qt::Alignment(alignment));
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const auto someText = [&random] {
        QByteArray text;
        for (int i = random.bounded(12); i > 0; --i)
            text += pieces[random.bounded(int(std::size(pieces)))];
        return text;
    };
    QStringList done;
    for (int i = 0; i < count; ++i) {
        if (i % 200 == 0)
            view.setText(someText() + (i == 0 ? longLine : QByteArray()) + someText() + someText());
        const int length = view.textLength();
        const int at = random.bounded(length + 1), to = qMin(length, at + random.bounded(40));
        switch (random.bounded(6)) {
        case 0:
        case 1:
            view.setSel(at, to);
            view.replaceSel(someText());
            done << QStringLiteral("replace %1..%2").arg(at).arg(to);
            break;
        case 2:
            view.setSel(at, at);
            QTest::keyClick(&view, random.bounded(2) ? Qt::Key_Backspace : Qt::Key_Delete);
            done << QStringLiteral("delete at %1").arg(at);
            break;
        case 3:
            view.undoEdit();
            done << QStringLiteral("undo");
            break;
        case 4:
            view.redoEdit();
            done << QStringLiteral("redo");
            break;
        case 5:
            view.verticalScrollBar()->setValue(random.bounded(length + 1));
            done << QStringLiteral("scroll");
            break;
        }
        if (done.size() > 20)
            done.removeFirst();
        if (const int pos = misplaced(view, fresh); pos >= 0)
            QFAIL(qPrintable(QStringLiteral("seed %1, edit %2: position %3 is out of place after %4")
                                 .arg(seed)
                                 .arg(i)
                                 .arg(pos)
                                 .arg(done.join(QLatin1String(", ")))));
    }
}

QTEST_MAIN(TstTextBoxKeys)
#include "tst_textbox_keys.moc"
