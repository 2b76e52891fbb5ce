#pragma once
// What the text box keeps, shared by its source files: TextBox.cpp (the text document, the
// selection and the view's half of every change), TextBoxDisplay.cpp (painting and scrolling), TextBoxInput.cpp (keyboard,
// mouse, input methods, clipboard and drops) and TextBoxAccessible.cpp.

#include "platform/textview/TextBox.h"
#include "platform/textview/TextRows.h"

#include <QAccessible>
#include <QBasicTimer>
#include <QPoint>
#include <QPointer>
#include <QRegion>

#include <array>
#include <vector>

namespace platform {

class SelectionData;

// The box's accessible object, for QAccessible (TextBoxAccessible.cpp).
QAccessibleInterface *textBoxAccessibleFactory(const QString &className, QObject *object);
// Model bytes as text for the world outside the box: each break of the dominant kind becomes
// "\n"; every other CR and LF stays as it is, or becomes the symbol the view shows for it.
// before and after are the bytes around them (0 for none), which decide what a CR or LF at either
// end is (TextBox.cpp).
enum class Marks { AsTheyAre, AsShown };
QString outgoingText(QByteArrayView bytes, TextBuffer::Break dominant, Marks marks, char before = 0, char after = 0);
// Clipboard and drag data for model bytes: their text and the bytes themselves (TextBoxInput.cpp).
QMimeData *modelMimeData(const QByteArray &model, TextBuffer::Break dominant);

// Where the keys take the caret. A row is what the screen shows; a line ends at a break.
enum class Motion {
    NextChar, PreviousChar, NextWord, PreviousWord, StartOfRow, EndOfRow, StartOfLine, EndOfLine,
    NextRow, PreviousRow, NextPage, PreviousPage, StartOfText, EndOfText
};

struct TextBox::Private {
    explicit Private(TextBox *view) : q(view) {}

    // ---- text and selection (TextBox.cpp) ----
    qsizetype selStart() const { return qMin(anchor, caret); }
    qsizetype selEnd() const { return qMax(anchor, caret); }
    bool hasSelection() const { return anchor != caret; }
    qsizetype snap(qsizetype pos) const;            // clamped, and never inside a dominant CR LF
    qsizetype nextChar(qsizetype pos) const;
    qsizetype previousChar(qsizetype pos) const;
    QByteArray breakBytes() const;
    // Text entering from keys, clipboard or drops: breaks of any kind become the dominant break
    // when keepBreaks is set, and what Windows-1251 cannot hold becomes '?'.
    QByteArray incoming(const QString &text, bool keepBreaks) const;
    // What pasting data inserts: the model bytes the box itself put there, or its text as incoming.
    QByteArray pasted(const QMimeData *data) const;
    QString decode(qsizetype pos, qsizetype length) const;

    void setSelection(qsizetype newAnchor, qsizetype newCaret);
    // Replaces [pos, pos + length) with bytes as one edit of the given kind; the caret goes after
    // the new bytes.
    void edit(qsizetype pos, qsizetype length, QByteArrayView bytes, EditKind kind);
    void editSelection(QByteArrayView bytes, EditKind kind) { edit(selStart(), selEnd() - selStart(), bytes, kind); }
    void applyHistory(bool undo);
    void closeTyping() { doc.closeTyping(); }
    // The view's half of every change of the document: the rows, the selection, the primary
    // selection and what assistive tools are told follow each change; the box repaints and tells
    // the world once the edit it makes is done (endEdit), or at once for a change made elsewhere.
    void documentAboutToChange(qsizetype pos, qsizetype length);
    void documentChanged(qsizetype pos, qsizetype removed, qsizetype inserted);
    void documentAboutToReset();
    void documentReset();
    void beginEdit();
    void endEdit();
    // Tells the world and repaints what the changes since the last call made different.
    void textEdited(bool hadSelection);
    void updatePrimarySelection();

    // ---- accessibility (TextBoxAccessible.cpp) ----
    // Assistive tools count the characters shown: a break that ends a row is one ("\n").
    int accessibleOffset(qsizetype pos) const;
    qsizetype modelPosition(int offset) const;
    QString accessibleText(qsizetype from, qsizetype to) const;
    // A change of the text as assistive tools see it: what [from, to) showed before it.
    struct AccessibleChange {
        qsizetype from = 0;
        qsizetype to = 0;
        int offset = 0;
        QString removed;
        bool widened[2] = {false, false};   // by a CR before it, an LF after it
    };
    AccessibleChange accessibleChangeAt(qsizetype pos, qsizetype length) const;
    void tellAccessibleChange(const AccessibleChange &change, qsizetype delta) const;
    void tellAccessibleReset(int countBefore) const;
    void tellAccessibleCaret(bool selectionToo) const;

    // ---- moving (TextBoxInput.cpp) ----
    qsizetype nextWord(qsizetype pos) const;
    qsizetype previousWord(qsizetype pos) const;
    void wordAt(qsizetype pos, qsizetype *from, qsizetype *to) const;
    qsizetype endOfRow(const TextRows::Row &row) const;
    void move(Motion motion, bool select);
    // An edit key that found nothing to edit still ends a run of typing and the column Up and
    // Down aim at, as an edit does.
    void nothingEdited() { closeTyping(); goalX = -1; }

    // ---- display (TextBoxDisplay.cpp) ----
    int viewRows() const;
    qreal textWidth() const;
    TextRows::Row topRow() const;
    // The rows on screen, from the top one down (one more than fits).
    const std::vector<TextRows::Row> &visibleRows() const;
    // Rows from the top row to row (negative above it), or INT_MAX when it is further below
    // than the view.
    int rowIndex(const TextRows::Row &row) const;
    int rowY(int index) const;
    QRect rowsRect(qsizetype from, qsizetype to) const;  // the rows showing [from, to], clipped
    qsizetype lastTop() const;      // the top row's start when the last row is at the bottom
    void setTop(qsizetype pos);
    void scrollRows(int count);
    void ensureVisible(qsizetype pos);
    void updateScrollBar();
    void relayout();
    qsizetype hit(const QPoint &point) const;
    // The offset of pos in its segment's layout, which also holds the text being composed.
    int layoutOffset(const TextRows::Segment &segment, qsizetype pos) const;
    QRect caretRect(qsizetype pos) const;
    void updateCaret();
    void restartBlink();
    // Repainting after edits: before the first change of an edit the rows on screen are
    // remembered, with the caret and the selection, and each change moves them with the text or
    // marks them changed. changedRows() is then what must be painted again: every row that is not
    // the same row of the same text in the same place, and where the marks were and are.
    void rememberShown(qsizetype pos, qsizetype length);
    void shownEdited(qsizetype pos, qsizetype length, qsizetype delta);
    QRegion changedRows();

    TextBox *q;
    TextDocument doc;
    const TextBuffer &buffer = doc.buffer();
    mutable TextRows rows{buffer};
    qsizetype anchor = 0;
    qsizetype caret = 0;
    qreal goalX = -1;               // where Up and Down aim, while they repeat
    qsizetype top = 0;              // the start of the first row shown
    mutable qsizetype lastTopKnown = -1;   // lastTop() while nothing before it changed, else -1
    mutable std::vector<TextRows::Row> visible;
    mutable std::array<quint64, 3> visibleFor{~0ull, 0, 0};   // rows generation, top and rows it holds
    bool settingScroll = false;
    // A row on screen. A row of a segment that no change touched is known by its segment and its
    // place in it; one of the segment the first change is in, by the text it shows.
    struct ShownRow {
        qsizetype segmentStart = 0;
        qsizetype segmentEnd = 0;
        int line = 0;
        qsizetype start = -1;       // the row's text, when it is known by it
        qsizetype end = -1;
        bool changed = false;
    };
    std::vector<ShownRow> shownRows;
    QRegion shownMarks;
    bool shownRemembered = false;
    std::array<int, 3> barShown{-1, -1, -1};   // last top, top and rows the bar was set for

    // The edit in progress: how many of the box's own edits are open, whether it began with a
    // selection, and what a change learnt before the bytes changed.
    int editing = 0;
    bool editHadSelection = false;
    bool outsideEdit = false;
    struct PendingChange {
        qsizetype first = 0;        // the lines the change can touch (TextRows::affectedRange)
        qsizetype last = 0;
        bool lastScreenMoves = false;
        bool accessible = false;
        AccessibleChange accessibleChange;
    } pending;
    int accessibleCountBefore = 0;  // of a reset
    bool resetHadSelection = false;

    bool readOnly = false;
    int alignment = 0;
    FontSpec font;
    quint32 foreColor = 0x000000;
    quint32 backColor = 0xFFFFFF;

    QBasicTimer blinkTimer;
    bool caretOn = true;
    QBasicTimer scrollTimer;        // scrolls while a mouse selection is dragged past the edge
    QBasicTimer clickTimer;         // a third click within this time selects the line
    QPoint lastMouse;
    double wheelRows = 0;           // rows the wheel has turned but not yet scrolled
    bool selecting = false;
    bool dragPending = false;       // pressed inside the selection: a drag may follow
    QPoint pressPoint;
    qsizetype dropCaret = -1;
    bool ownDrop = false;           // the drag that ends now started here
    bool ownDropDone = false;       // ... and was dropped here
    QString preedit;
    int preeditCursor = 0;
    QPointer<SelectionData> primary;
};

} // namespace platform
