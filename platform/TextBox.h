#pragma once
// The document's text box: a QPlainTextEdit that offers the operations of a classic multi-line
// edit control in the program's text model.
//
// Text model: one character per byte of Windows-1251 (see Ansi.h); the model text is a QByteArray
// of those bytes. Line breaks are kept exactly: CR LF, lone CR and lone LF may be mixed. The most
// frequent kind (CR LF on a tie or when there is none) is the "dominant" break and is held as Qt's
// block separator; every other break is shown inside its block as a visible placeholder character
// that maps back on reading: U+240D for a lone CR, U+240A for a lone LF, both for a CR LF. Neither
// is in Windows-1251, so they cannot be typed or pasted. Enter and pasted breaks insert the
// dominant break; typed, pasted or dropped characters the code page cannot hold become '?'.
// Copy and cut put the model text (real CR and LF) on the clipboard.
// Positions and lengths count model characters: a CR LF is two.

#include "platform/Platform.h"

#include <QByteArray>
#include <QPlainTextEdit>

class QMimeData;
class QTextBlock;

namespace platform {

class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    enum class Break { CrLf, Cr, Lf };

    explicit TextBox(QWidget *parent = nullptr);
    ~TextBox() override;

    // ---- text ----
    QByteArray text() const;                       // the whole model text; kept until the next change
    // The model text from the start of the line that holds modelPos to the end; *lineStart
    // receives the line's model position (0 when the whole text is returned).
    QByteArray textFromLineOf(int modelPos, int *lineStart) const;
    void setText(const QByteArray &text);          // replaces everything; empties the undo buffer
    int textLength() const;                        // model characters, cheap
    bool isEmptyText() const;                      // cheap
    Break dominantBreak() const;
    // Increases whenever the text changes; lets callers cache what they derive from text().
    quint64 revision() const;

    // ---- selection (0-based model positions) ----
    int selStart() const;
    int selLength() const;
    QByteArray selectedText() const;
    // end exclusive, both clamped to the text; the anchor goes to start and the caret to end.
    // start -1 removes the selection and leaves the caret where it is; a negative end is the end.
    void setSel(int start, int end);
    void replaceSel(const QByteArray &text, bool canUndo = true);  // one undo step
    void scrollCaret();

    // ---- edit-control commands ----
    bool canUndo() const;
    void undoEdit();
    void emptyUndoBuffer();
    void cutSel();
    void copySel();
    void pasteClip();
    void clearSel();

    // ---- appearance ----
    int alignmentValue() const;                    // 0 left, 1 right, 2 centre
    void setAlignmentValue(int value);             // throws RuntimeError(380) for other values
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

Q_SIGNALS:
    // Something other than the box's own text was dropped on it (files, foreign data).
    void dataDropped(const QMimeData *data, Qt::DropActions offered);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    int modelPosition(int qtPos) const;     // O(log n)
    int qtPosition(int modelPos) const;     // O(log^2 n); inside a CR LF pair: the block's end
    bool isOwnDrag(const QDropEvent *event) const;
    QByteArray encodeFrom(const QTextBlock &first) const;

    struct Private;
    Private *d;
};

} // namespace platform
