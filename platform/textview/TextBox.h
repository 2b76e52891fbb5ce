#pragma once
// The document's text box: a view of its own over the program's text model that offers the
// operations of a classic multi-line edit control. The text, its revision and the undo history
// are its TextDocument's (platform/textmodel/TextDocument.h), which others may read, watch and
// set; the box keeps the selection, the rows on screen and what the user does.
//
// Text model: one character per byte of Windows-1251 (platform/textmodel/Ansi.h); the text is held
// as those bytes (TextBuffer.h) and never converted as a whole. Line breaks are kept exactly: CR
// LF, lone CR and lone LF may be mixed. The most frequent kind (CR LF on a tie or when there is
// none) is the "dominant" break: it ends a row on screen; every other CR or LF is shown as a visible
// symbol (U+240D, U+240A) inside its line. Enter and pasted breaks insert the dominant break;
// typed, pasted or dropped characters the code page cannot hold become '?'. Copy and cut put the
// text on the clipboard with each dominant break as "\n" and the other CR and LF as they are,
// and the model bytes beside it, which a paste into the box takes back exactly. Positions and
// lengths count model characters, so a CR LF is two; the caret never stands between the CR and
// the LF of a dominant break. Assistive tools count as the screen shows: a break is one character.
//
// Only the lines on screen are decoded and laid out (TextRows.h), with word wrap at the view's
// width, so opening, typing and scrolling cost the same on a large document as on a small one.

#include "platform/interfaces/FontSpec.h"
#include "platform/textmodel/TextBuffer.h"
#include "platform/textmodel/TextDocument.h"

#include <QAbstractScrollArea>
#include <QByteArray>

#include <functional>

class QMenu;

namespace platform {

class TextBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    using Break = TextBuffer::Break;

    explicit TextBox(QWidget *parent = nullptr);
    ~TextBox() override;

    // ---- text ----
    TextDocument &document();
    const TextDocument &document() const;
    QByteArray text() const;                       // the whole model text; shares the box's bytes
    // The model text from the start of the line that holds modelPos to the end; *lineStart
    // receives the line's model position (0 when the whole text is returned).
    QByteArray textFromLineOf(int modelPos, int *lineStart) const;
    // Calls f with the bytes of [pos, pos + length) piece by piece, copying nothing; f returns
    // false to stop early.
    void readText(int pos, int length, const std::function<bool(QByteArrayView)> &f) const;
    // Replaces everything and empties the undo buffer. All or nothing: when it fails (it throws
    // std::bad_alloc) the box keeps its text, selection and undo buffer.
    void setText(const QByteArray &text);
    int textLength() const;                        // model characters, cheap
    bool isEmptyText() const;                      // cheap
    Break dominantBreak() const;
    int lineCount() const;                         // lines as the dominant breaks make them
    // Increases whenever the text changes; lets callers cache what they derive from text().
    quint64 revision() const;

    // ---- selection (0-based model positions) ----
    int selStart() const;
    int selLength() const;
    QByteArray selectedText() const;
    // end exclusive, both clamped to the text; the anchor goes to start and the caret to end.
    // start -1 removes the selection and leaves the caret where it is; a negative end is the end.
    void setSel(int start, int end);
    int caretPosition() const;                     // the moving end of the selection
    int anchorPosition() const;                    // the fixed end
    void replaceSel(const QByteArray &text, bool canUndo = true);  // one undo step
    void scrollCaret();

    // ---- edit-control commands ----
    bool canUndo() const;
    bool canRedo() const;
    void undoEdit();
    void redoEdit();
    void emptyUndoBuffer();
    void cutSel();
    void copySel();
    void pasteClip();
    void clearSel();
    void selectAll();
    bool isReadOnly() const;
    void setReadOnly(bool readOnly);
    // The box's own context menu (undo, clipboard commands, select all); the caller owns it.
    QMenu *createStandardContextMenu();

    // ---- appearance ----
    int alignmentValue() const;                    // 0 left, 1 right, 2 centre
    void setAlignmentValue(int value);             // throws RuntimeError(380) for other values
    Qt::Alignment alignment() const;               // the same as Qt::AlignLeft/AlignRight/AlignHCenter
    FontSpec fontSpec() const;
    // Throws RuntimeError(380) unless 0 < size <= 2048, 0 <= weight <= 1000, 0 <= charset <= 255.
    // Bold and weight are kept consistent like a Windows font object: bold == (weight >= 600).
    // A spec where they agree is kept exactly; where they disagree, the field that differs from
    // the current font wins (bold when both differ): a new bold sets weight 700 (400 when
    // cleared), a new weight sets bold to weight >= 600.
    void setFontSpec(const FontSpec &font);
    // Only remembered (Qt picks glyphs by Unicode); throws RuntimeError(380) outside 0..255.
    void setCharset(int charset);
    quint32 foreColor() const;                     // 0x00BBGGRR
    void setForeColor(quint32 colour);             // throws RuntimeError(380) above 0xFFFFFF
    quint32 backColor() const;
    void setBackColor(quint32 colour);

    // ---- geometry, in viewport coordinates ----
    QRect caretRect() const;
    // The rectangle of the character at pos (a caret-wide one at the end of a line).
    QRect characterRect(int pos) const;
    int positionAt(const QPoint &point) const;
    // The model position shown first, at the top left of the view.
    int firstVisiblePosition() const;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

Q_SIGNALS:
    void textChanged();
    void selectionChanged();
    void cursorPositionChanged();
    void undoAvailable(bool available);
    void redoAvailable(bool available);
    // Something other than the box's own text was dropped on it (files, foreign data), with an
    // action that leaves the data with its source. A receiver that takes the data accepts the
    // drop; left ignored, it tells the source that nothing was taken.
    void dataDropped(QDropEvent *drop);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend class TextBoxAccessible;
    struct Private;
    Private *d;
};

} // namespace platform
