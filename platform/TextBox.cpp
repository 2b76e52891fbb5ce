#include "platform/TextBox.h"

#include "platform/Ansi.h"
#include "platform/RuntimeError.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <cstring>

namespace platform {

namespace {

// Breaks that are not the dominant kind live inside their block as these visible marks. Neither
// is in Windows-1251, so they can never be typed or pasted as text.
constexpr char16_t kCrMark = 0x240D;   // SYMBOL FOR CARRIAGE RETURN
constexpr char16_t kLfMark = 0x240A;   // SYMBOL FOR LINE FEED

// The model text is put into the document in pieces of about this size, cut after a line end.
constexpr qsizetype kChunkSize = 1 << 20;

// The mime type that carries the model bytes of the box's own selection, so a move inside the
// box keeps every kind of break.
const QString kModelMime = QStringLiteral("application/x-jotbook-model-text");

QColor colourFromBgr(quint32 colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

QByteArray breakBytes(TextBox::Break kind)
{
    switch (kind) {
    case TextBox::Break::Cr: return QByteArrayLiteral("\r");
    case TextBox::Break::Lf: return QByteArrayLiteral("\n");
    case TextBox::Break::CrLf: break;
    }
    return QByteArrayLiteral("\r\n");
}

TextBox::Break dominantOf(const QByteArray &text)
{
    qsizetype crlf = 0, cr = 0, lf = 0;
    const char *p = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == '\r') {
            if (i + 1 < n && p[i + 1] == '\n') {
                ++crlf;
                ++i;
            } else {
                ++cr;
            }
        } else if (p[i] == '\n') {
            ++lf;
        }
    }
    if (cr > crlf && cr > lf)
        return TextBox::Break::Cr;
    if (lf > crlf && lf > cr)
        return TextBox::Break::Lf;
    return TextBox::Break::CrLf;
}

// Decodes model bytes for the document: a break of the dominant kind becomes '\n' (a block
// separator), every other break its marks. Reuses out's memory.
void decodeModel(const char *bytes, qsizetype size, TextBox::Break dominant, QString &out)
{
    Ansi::toUnicode(bytes, size, out);
    QChar *p = out.data();
    qsizetype w = 0;
    for (qsizetype r = 0; r < size; ++r) {
        const char16_t c = p[r].unicode();
        if (c == u'\r') {
            const bool pair = r + 1 < size && p[r + 1].unicode() == u'\n';
            if (pair && dominant == TextBox::Break::CrLf) {
                p[w++] = QLatin1Char('\n');
                ++r;
            } else if (!pair && dominant == TextBox::Break::Cr) {
                p[w++] = QLatin1Char('\n');
            } else {
                p[w++] = QChar(kCrMark);
                if (pair) {
                    p[w++] = QChar(kLfMark);
                    ++r;
                }
            }
        } else if (c == u'\n') {
            p[w++] = dominant == TextBox::Break::Lf ? QChar(QLatin1Char('\n')) : QChar(kLfMark);
        } else {
            p[w++] = p[r];
        }
    }
    out.truncate(w);
}

// Writes the model bytes of a piece of document text to out and returns the end; paragraph
// separators (as a cursor's selected text holds them) become the dominant break. out must have
// room for modelSize(text, separator) bytes.
char *encodeModel(const QString &text, const QByteArray &separator, char *out)
{
    const QChar *src = text.constData();
    const qsizetype size = text.size();
    qsizetype begin = 0;
    for (qsizetype i = 0; i <= size; ++i) {
        if (i < size && src[i].unicode() != QChar::ParagraphSeparator)
            continue;
        Ansi::fromUnicode(src + begin, i - begin, out);
        for (qsizetype k = begin; k < i; ++k, ++out) {
            if (src[k].unicode() == kCrMark)
                *out = '\r';
            else if (src[k].unicode() == kLfMark)
                *out = '\n';
        }
        if (i < size) {
            memcpy(out, separator.constData(), separator.size());
            out += separator.size();
        }
        begin = i + 1;
    }
    return out;
}

qsizetype modelSize(const QString &text, const QByteArray &separator)
{
    return text.size() + text.count(QChar(QChar::ParagraphSeparator)) * (separator.size() - 1);
}

// Text that enters from the keyboard, the clipboard or a drop: every kind of line break becomes
// '\n' (the dominant break) when keepBreaks is set, and each character Windows-1251 cannot hold
// becomes one '?'.
QString filterIncoming(const QString &text, bool keepBreaks)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        const char16_t c = ch.unicode();
        if (keepBreaks && (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator
                           || c == QChar::LineSeparator)) {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out.append(QLatin1Char('\n'));
        } else if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(QLatin1Char('?'));
            ++i;
        } else {
            out.append(Ansi::isRepresentable(ch) ? ch : QChar(QLatin1Char('?')));
        }
    }
    return out;
}

bool needsFilter(const QString &text)
{
    for (QChar ch : text) {
        if (!Ansi::isRepresentable(ch))
            return true;
    }
    return false;
}

} // namespace

struct TextBox::Private {
    Break dominant = Break::CrLf;
    quint64 revision = 0;
    // The model text while the document is unchanged since it was set or last read, so that
    // saving or comparing an untouched document does not build it again. Shares its bytes with
    // the caller's copy; dropped at the first change.
    QByteArray knownText;
    bool textKnown = false;
    int alignment = 0;
    FontSpec font;
    quint32 foreColor = 0x000000;
    quint32 backColor = 0xFFFFFF;
    bool inOwnDrop = false;
};

TextBox::TextBox(QWidget *parent) : QPlainTextEdit(parent), d(new Private)
{
    // A fixed viewport width spares the document a relayout of every block when the scroll bar
    // comes and goes.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setAcceptDrops(true);
    connect(document(), &QTextDocument::contentsChange, this, [this] {
        ++d->revision;
        d->knownText = QByteArray();
        d->textKnown = false;
    });
    setFontSpec(d->font);
    setForeColor(d->foreColor);
    setBackColor(d->backColor);
}

TextBox::~TextBox()
{
    delete d;
}

// ---- positions ----------------------------------------------------------------------------------

int TextBox::modelPosition(int qtPos) const
{
    if (d->dominant != Break::CrLf)
        return qtPos;
    return qtPos + document()->findBlock(qtPos).blockNumber();
}

int TextBox::qtPosition(int modelPos) const
{
    QTextDocument *doc = document();
    const int qtEnd = doc->characterCount() - 1;
    if (modelPos <= 0)
        return 0;
    if (d->dominant != Break::CrLf)
        return qMin(modelPos, qtEnd);
    // The last block whose model start (Qt start + its number of earlier CR LF) is <= modelPos.
    int lo = 0, hi = doc->blockCount() - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (doc->findBlockByNumber(mid).position() + mid <= modelPos)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(lo);
    // Between the CR and the LF of a pair: the end of the block.
    return qMin(modelPos - lo, block.position() + block.length() - 1);
}

// ---- text ---------------------------------------------------------------------------------------

QByteArray TextBox::text() const
{
    if (d->textKnown)
        return d->knownText;
    QByteArray out = encodeFrom(document()->begin());
    d->knownText = out;
    d->textKnown = true;
    return out;
}

QByteArray TextBox::textFromLineOf(int modelPos, int *lineStart) const
{
    if (d->textKnown || modelPos <= 0) {
        *lineStart = 0;
        return text();
    }
    const QTextBlock block = document()->findBlock(qtPosition(qMin(modelPos, textLength())));
    *lineStart = modelPosition(block.position());
    return encodeFrom(block);
}

QByteArray TextBox::encodeFrom(const QTextBlock &first) const
{
    const QByteArray separator = breakBytes(d->dominant);
    QByteArray out(textLength() - modelPosition(first.position()), Qt::Uninitialized);
    char *p = out.data();
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (block != first) {
            memcpy(p, separator.constData(), separator.size());
            p += separator.size();
        }
        p = encodeModel(block.text(), separator, p);
    }
    Q_ASSERT(p == out.constData() + out.size());
    return out;
}

void TextBox::setText(const QByteArray &text)
{
    d->dominant = dominantOf(text);
    QTextDocument *doc = document();
    doc->setUndoRedoEnabled(false);
    // Clearing frees the old text at once; removing it through a cursor would leave it in the
    // document's buffer beside the new text.
    if (!isEmptyText())
        doc->clear();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    QString piece;
    const char *bytes = text.constData();
    const qsizetype size = text.size();
    for (qsizetype begin = 0; begin < size;) {
        qsizetype end = qMin(size, begin + kChunkSize);
        if (end < size) {
            // Cut after the last LF of the piece, or at least never between a CR and its LF.
            const qsizetype lf = QByteArrayView(bytes + begin, end - begin).lastIndexOf('\n');
            if (lf > 0)
                end = begin + lf + 1;
            else if (bytes[end - 1] == '\r' && bytes[end] == '\n')
                ++end;
        }
        decodeModel(bytes + begin, end - begin, d->dominant, piece);
        cursor.insertText(piece);
        begin = end;
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    setTextCursor(QTextCursor(doc));
    // Every byte comes back as it went in.
    d->knownText = text;
    d->textKnown = true;
}

int TextBox::textLength() const
{
    const QTextDocument *doc = document();
    const int qtLength = doc->characterCount() - 1;
    return d->dominant == Break::CrLf ? qtLength + doc->blockCount() - 1 : qtLength;
}

bool TextBox::isEmptyText() const
{
    return document()->characterCount() <= 1;
}

TextBox::Break TextBox::dominantBreak() const
{
    return d->dominant;
}

quint64 TextBox::revision() const
{
    return d->revision;
}

// ---- selection ----------------------------------------------------------------------------------

int TextBox::selStart() const
{
    return modelPosition(textCursor().selectionStart());
}

int TextBox::selLength() const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return 0;
    return modelPosition(cursor.selectionEnd()) - modelPosition(cursor.selectionStart());
}

QByteArray TextBox::selectedText() const
{
    const QString selected = textCursor().selectedText();
    const QByteArray separator = breakBytes(d->dominant);
    QByteArray out(modelSize(selected, separator), Qt::Uninitialized);
    encodeModel(selected, separator, out.data());
    return out;
}

void TextBox::setSel(int start, int end)
{
    QTextCursor cursor = textCursor();
    if (start == -1) {
        cursor.clearSelection();
    } else {
        const int length = textLength();
        if (end < 0)
            end = length;
        cursor.setPosition(qtPosition(qBound(0, start, length)));
        cursor.setPosition(qtPosition(qBound(0, end, length)), QTextCursor::KeepAnchor);
    }
    setTextCursor(cursor);
}

void TextBox::replaceSel(const QByteArray &text, bool canUndo)
{
    QString piece;
    decodeModel(text.constData(), text.size(), d->dominant, piece);
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(piece);
    cursor.endEditBlock();
    setTextCursor(cursor);
    if (!canUndo)
        emptyUndoBuffer();
}

void TextBox::scrollCaret()
{
    ensureCursorVisible();
}

// ---- edit-control commands ----------------------------------------------------------------------

bool TextBox::canUndo() const
{
    return document()->isUndoAvailable();
}

void TextBox::undoEdit()
{
    undo();
}

void TextBox::emptyUndoBuffer()
{
    document()->clearUndoRedoStacks();
}

void TextBox::cutSel()
{
    cut();
}

void TextBox::copySel()
{
    copy();
}

void TextBox::pasteClip()
{
    paste();
}

void TextBox::clearSel()
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return;
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

// ---- appearance ---------------------------------------------------------------------------------

int TextBox::alignmentValue() const
{
    return d->alignment;
}

void TextBox::setAlignmentValue(int value)
{
    static constexpr Qt::Alignment kAlignments[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    if (value < 0 || value > 2)
        throw RuntimeError(ErrorCode::InvalidValue);
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(kAlignments[value]);
    document()->setDefaultTextOption(option);
    d->alignment = value;
}

FontSpec TextBox::fontSpec() const
{
    return d->font;
}

void TextBox::setFontSpec(const FontSpec &font)
{
    if (!(font.size > 0 && font.size <= 2048) || font.weight < 0 || font.weight > 1000
        || font.charset < 0 || font.charset > 255)
        throw RuntimeError(ErrorCode::InvalidValue);
    FontSpec spec = font;
    if (spec.bold != (spec.weight >= 600)) {
        // Bold and weight disagree: the one that changed against the current font wins, bold
        // when both changed.
        if (spec.bold != d->font.bold)
            spec.weight = spec.bold ? 700 : 400;
        else
            spec.bold = spec.weight >= 600;
    }
    QFont qfont(spec.name);
    qfont.setPointSizeF(spec.size);
    qfont.setWeight(QFont::Weight(spec.weight == 0 ? 400 : spec.weight));
    qfont.setItalic(spec.italic);
    qfont.setUnderline(spec.underline);
    qfont.setStrikeOut(spec.strikethrough);
    qfont.setStyleHint(QFont::TypeWriter);
    setFont(qfont);
    d->font = spec;
}

void TextBox::setCharset(int charset)
{
    if (charset < 0 || charset > 255)
        throw RuntimeError(ErrorCode::InvalidValue);
    d->font.charset = charset;
}

quint32 TextBox::foreColor() const
{
    return d->foreColor;
}

void TextBox::setForeColor(quint32 colour)
{
    if (colour > 0xFFFFFF)
        throw RuntimeError(ErrorCode::InvalidValue);
    QPalette pal = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        pal.setColor(group, QPalette::Text, colourFromBgr(colour));
    setPalette(pal);
    d->foreColor = colour;
}

quint32 TextBox::backColor() const
{
    return d->backColor;
}

void TextBox::setBackColor(quint32 colour)
{
    if (colour > 0xFFFFFF)
        throw RuntimeError(ErrorCode::InvalidValue);
    QPalette pal = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        pal.setColor(group, QPalette::Base, colourFromBgr(colour));
    setPalette(pal);
    d->backColor = colour;
}

// ---- input --------------------------------------------------------------------------------------

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Whatever the modifiers: the dominant break, never Qt's line separator.
        QTextCursor cursor = textCursor();
        cursor.insertText(QStringLiteral("\n"));
        setTextCursor(cursor);
        ensureCursorVisible();
        event->accept();
        return;
    }
    if (!event->text().isEmpty() && needsFilter(event->text())) {
        QKeyEvent filtered(event->type(), event->key(), event->modifiers(),
                           filterIncoming(event->text(), false), event->isAutoRepeat(),
                           event->count());
        QPlainTextEdit::keyPressEvent(&filtered);
        event->setAccepted(filtered.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::inputMethodEvent(QInputMethodEvent *event)
{
    if (!needsFilter(event->commitString())) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(filterIncoming(event->commitString(), true),
                             event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}

bool TextBox::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText() || source->hasFormat(kModelMime);
}

void TextBox::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly())
        return;
    if (d->inOwnDrop && source->hasFormat(kModelMime)) {
        // Moved or copied inside the box: the bytes exactly as they were.
        replaceSel(source->data(kModelMime));
        ensureCursorVisible();
        return;
    }
    if (!source->hasText())
        return;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(filterIncoming(source->text(), true));
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData *TextBox::createMimeDataFromSelection() const
{
    const QByteArray model = selectedText();
    auto *data = new QMimeData;
    data->setText(Ansi::toUnicode(model));
    data->setData(kModelMime, model);
    return data;
}

// ---- drops --------------------------------------------------------------------------------------

bool TextBox::isOwnDrag(const QDropEvent *event) const
{
    const auto *source = qobject_cast<const QWidget *>(event->source());
    return source && (source == this || isAncestorOf(source)) && !event->mimeData()->hasUrls();
}

void TextBox::dragEnterEvent(QDragEnterEvent *event)
{
    QPlainTextEdit::dragEnterEvent(event);
    event->acceptProposedAction();
}

void TextBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (isOwnDrag(event))
        QPlainTextEdit::dragMoveEvent(event);
    event->acceptProposedAction();
}

void TextBox::dropEvent(QDropEvent *event)
{
    if (isOwnDrag(event) && !isReadOnly()) {
        d->inOwnDrop = true;
        QPlainTextEdit::dropEvent(event);
        d->inOwnDrop = false;
        return;
    }
    // Files and foreign data are the owner's business; take away the drop caret first.
    QDragLeaveEvent leave;
    QPlainTextEdit::dragLeaveEvent(&leave);
    event->acceptProposedAction();
    emit dataDropped(event->mimeData(), event->possibleActions());
}

} // namespace platform
