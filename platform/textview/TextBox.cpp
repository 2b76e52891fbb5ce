#include "platform/textview/TextBox.h"

#include "platform/interfaces/RuntimeError.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox_p.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>


namespace platform {

namespace {

constexpr Qt::Alignment kAlignments[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};

QColor colourFromBgr(quint32 colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

// The symbols the rows show for a CR and an LF inside a line.
constexpr char16_t kCrSymbol = 0x240D;
constexpr char16_t kLfSymbol = 0x240A;

} // namespace

QString outgoingText(QByteArrayView bytes, TextBuffer::Break dominant, Marks marks, char before, char after)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            *out++ = Ansi::toUnicode(uchar(c));
            continue;
        }
        const char previous = i > 0 ? bytes[i - 1] : before;
        const char next = i + 1 < n ? bytes[i + 1] : after;
        bool lineBreak = false;
        switch (dominant) {
        case TextBuffer::Break::CrLf:
            if (c == '\n' && previous == '\r')
                continue;   // the CR stood for the pair
            lineBreak = c == '\r' && next == '\n';
            break;
        case TextBuffer::Break::Cr: lineBreak = c == '\r' && next != '\n'; break;
        case TextBuffer::Break::Lf: lineBreak = c == '\n' && previous != '\r'; break;
        }
        if (lineBreak)
            *out++ = QLatin1Char('\n');
        else if (marks == Marks::AsShown)
            *out++ = QChar(c == '\r' ? kCrSymbol : kLfSymbol);
        else
            *out++ = QLatin1Char(c);
    }
    text.truncate(out - text.constData());
    return text;
}

// The X primary selection. It names a range of the box's text and becomes text only when another
// program asks for it; before the text changes, the box hands it the range's bytes (which share
// the buffer's storage), so it keeps what was selected.
class SelectionData : public QMimeData {
public:
    explicit SelectionData(const TextBuffer *buffer) : m_buffer(buffer), m_break(buffer->dominantBreak()) {}
    void setRange(qsizetype from, qsizetype to)
    {
        m_from = from;
        m_to = to;
        m_frozen = false;
        m_bytes = TextBuffer::Span();
    }
    // Keeps the range's bytes; the buffer may change or go after this.
    void freeze()
    {
        if (m_frozen)
            return;
        m_bytes = m_buffer->span(m_from, m_to - m_from);
        m_break = m_buffer->dominantBreak();
        m_frozen = true;
    }

    QStringList formats() const override { return {QStringLiteral("text/plain")}; }
    bool hasFormat(const QString &mimeType) const override { return mimeType == QLatin1String("text/plain"); }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override
    {
        Q_UNUSED(type);
        if (mimeType != QLatin1String("text/plain"))
            return QVariant();
        return outgoingText(m_frozen ? m_bytes.toByteArray() : m_buffer->mid(m_from, m_to - m_from),
                            m_frozen ? m_break : m_buffer->dominantBreak(), Marks::AsTheyAre);
    }

private:
    const TextBuffer *m_buffer;
    qsizetype m_from = 0;
    qsizetype m_to = 0;
    bool m_frozen = false;
    TextBuffer::Span m_bytes;
    TextBuffer::Break m_break;
};

TextBox::TextBox(QWidget *parent) : QAbstractScrollArea(parent), d(new Private(this))
{
    static const bool accessible = [] {
        QAccessible::installFactory(textBoxAccessibleFactory);
        return true;
    }();
    Q_UNUSED(accessible);

    // A multi-line box with a vertical scroll bar shows it always; the text wraps at the width.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    QScrollBar *bar = verticalScrollBar();
    bar->setSingleStep(1);
    // The bar's value is the position of the top row; its steps are rows and pages of rows.
    connect(bar, &QScrollBar::actionTriggered, this, [this, bar](int action) {
        int count = 0;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: count = 1; break;
        case QAbstractSlider::SliderSingleStepSub: count = -1; break;
        case QAbstractSlider::SliderPageStepAdd: count = d->viewRows(); break;
        case QAbstractSlider::SliderPageStepSub: count = -d->viewRows(); break;
        default: return;
        }
        const TextRows::Row row = d->rows.advance(d->topRow(), count);
        bar->setSliderPosition(int(qMin(d->rows.rowStart(row), d->lastTop())));
    });
    TextDocument *doc = &d->doc;
    connect(doc, &TextDocument::aboutToChange, this, [this](qsizetype pos, qsizetype length) {
        d->documentAboutToChange(pos, length);
    });
    connect(doc, &TextDocument::changed, this, [this](qsizetype pos, qsizetype removed, qsizetype inserted) {
        d->documentChanged(pos, removed, inserted);
    });
    connect(doc, &TextDocument::aboutToReset, this, [this] { d->documentAboutToReset(); });
    connect(doc, &TextDocument::reset, this, [this] { d->documentReset(); });
    connect(doc, &TextDocument::undoAvailable, this, &TextBox::undoAvailable);
    connect(doc, &TextDocument::redoAvailable, this, &TextBox::redoAvailable);
    d->rows.setFont(font());
    d->rows.setWidth(d->textWidth());
    setFontSpec(d->font);
    setForeColor(d->foreColor);
    setBackColor(d->backColor);
    d->updateScrollBar();
}

TextBox::~TextBox()
{
    // The primary selection, if it is ours, outlives the box.
    if (d->primary)
        d->primary->freeze();
    delete d;
}

// ---- positions ----------------------------------------------------------------------------------

qsizetype TextBox::Private::snap(qsizetype pos) const
{
    pos = qBound<qsizetype>(0, pos, buffer.size());
    return buffer.insideBreak(pos) ? pos - 1 : pos;
}

qsizetype TextBox::Private::nextChar(qsizetype pos) const
{
    if (pos >= buffer.size())
        return buffer.size();
    return buffer.insideBreak(pos + 1) ? pos + 2 : pos + 1;
}

qsizetype TextBox::Private::previousChar(qsizetype pos) const
{
    if (pos <= 0)
        return 0;
    return buffer.insideBreak(pos - 1) ? pos - 2 : pos - 1;
}

QByteArray TextBox::Private::breakBytes() const
{
    switch (buffer.dominantBreak()) {
    case Break::Cr: return QByteArrayLiteral("\r");
    case Break::Lf: return QByteArrayLiteral("\n");
    case Break::CrLf: break;
    }
    return QByteArrayLiteral("\r\n");
}

QByteArray TextBox::Private::incoming(const QString &text, bool keepBreaks) const
{
    const QByteArray lineBreak = breakBytes();
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        const char16_t c = ch.unicode();
        if (keepBreaks && (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)) {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out.append(lineBreak);
        } else if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append('?');
            ++i;
        } else {
            out.append(Ansi::fromUnicode(ch));
        }
    }
    return out;
}

QString TextBox::Private::decode(qsizetype pos, qsizetype length) const
{
    return Ansi::toUnicode(buffer.mid(pos, length));
}

// ---- text ---------------------------------------------------------------------------------------

TextDocument &TextBox::document()
{
    return d->doc;
}

const TextDocument &TextBox::document() const
{
    return d->doc;
}

QByteArray TextBox::text() const
{
    return d->buffer.text();
}

QByteArray TextBox::textFromLineOf(int modelPos, int *lineStart) const
{
    Q_UNUSED(modelPos);
    // The whole text shares the box's bytes, which is cheaper than copying a tail of it.
    *lineStart = 0;
    return d->buffer.text();
}

void TextBox::readText(int pos, int length, const std::function<bool(QByteArrayView)> &f) const
{
    d->buffer.read(pos, length, f);
}

void TextBox::setText(const QByteArray &text)
{
    d->doc.setText(text);
}

void TextBox::Private::documentAboutToReset()
{
    resetHadSelection = hasSelection();
    accessibleCountBefore = QAccessible::isActive() ? accessibleOffset(buffer.size()) : 0;
    if (primary)
        primary->freeze();
}

void TextBox::Private::documentReset()
{
    rows.clear();
    lastTopKnown = -1;
    barShown = {-1, -1, -1};
    anchor = caret = 0;
    top = 0;
    goalX = -1;
    if (QAccessible::isActive())
        tellAccessibleReset(accessibleCountBefore);
    updateScrollBar();
    q->viewport()->update();
    restartBlink();
    emit q->textChanged();
    if (resetHadSelection)
        emit q->selectionChanged();
    emit q->cursorPositionChanged();
}

int TextBox::textLength() const
{
    return int(d->buffer.size());
}

bool TextBox::isEmptyText() const
{
    return d->buffer.isEmpty();
}

TextBox::Break TextBox::dominantBreak() const
{
    return d->buffer.dominantBreak();
}

int TextBox::lineCount() const
{
    return int(d->buffer.lineCount());
}

quint64 TextBox::revision() const
{
    return d->doc.revision();
}

// ---- selection ----------------------------------------------------------------------------------

int TextBox::selStart() const
{
    return int(d->selStart());
}

int TextBox::selLength() const
{
    return int(d->selEnd() - d->selStart());
}

QByteArray TextBox::selectedText() const
{
    return d->buffer.mid(d->selStart(), d->selEnd() - d->selStart());
}

int TextBox::caretPosition() const
{
    return int(d->caret);
}

int TextBox::anchorPosition() const
{
    return int(d->anchor);
}

void TextBox::setSel(int start, int end)
{
    d->closeTyping();
    d->goalX = -1;
    if (start == -1) {
        d->setSelection(d->caret, d->caret);
        return;
    }
    const qsizetype length = d->buffer.size();
    d->setSelection(d->snap(start), d->snap(end < 0 ? length : qsizetype(end)));
}

void TextBox::Private::setSelection(qsizetype newAnchor, qsizetype newCaret)
{
    goalX = -1;   // Up and Down set it again after they moved
    newAnchor = snap(newAnchor);
    newCaret = snap(newCaret);
    if (newAnchor == anchor && newCaret == caret)
        return;
    const bool hadSelection = hasSelection();
    const qsizetype oldFrom = selStart(), oldTo = selEnd(), oldCaret = caret, oldAnchor = anchor;
    anchor = newAnchor;
    caret = newCaret;
    // Repaint the rows whose look changed: between the old and the new caret when the anchor
    // stayed, else both selections.
    if (hadSelection || hasSelection()) {
        if (anchor == oldAnchor)
            q->viewport()->update(rowsRect(qMin(oldCaret, caret), qMax(oldCaret, caret)));
        else
            q->viewport()->update(rowsRect(qMin(oldFrom, selStart()), qMax(oldTo, selEnd())));
    }
    q->viewport()->update(caretRect(oldCaret).adjusted(-1, 0, 1, 0));
    restartBlink();
    if (QAccessible::isActive())
        tellAccessibleCaret(hadSelection || hasSelection());
    emit q->cursorPositionChanged();
    if (hadSelection || hasSelection()) {
        updatePrimarySelection();
        emit q->selectionChanged();
    }
}

void TextBox::Private::updatePrimarySelection()
{
    QClipboard *clipboard = QApplication::clipboard();
    if (!hasSelection() || !clipboard->supportsSelection())
        return;
    // While the box owns the selection, its data only learns the new range: handing over new data
    // would ask the X server for the selection on every step of a keyboard selection.
    if (primary) {
        primary->setRange(selStart(), selEnd());
        return;
    }
    auto *data = new SelectionData(&buffer);
    data->setRange(selStart(), selEnd());
    clipboard->setMimeData(data, QClipboard::Selection);
    primary = data;
}

void TextBox::selectAll()
{
    d->closeTyping();
    d->setSelection(0, d->buffer.size());
}

void TextBox::replaceSel(const QByteArray &text, bool canUndo)
{
    d->editSelection(text, EditKind::Other);
    if (!canUndo)
        emptyUndoBuffer();
}

void TextBox::scrollCaret()
{
    d->ensureVisible(d->caret);
}

// ---- edits and the undo history -----------------------------------------------------------------

void TextBox::Private::beginEdit()
{
    if (editing++ == 0)
        editHadSelection = hasSelection();
}

void TextBox::Private::endEdit()
{
    if (--editing == 0)
        textEdited(editHadSelection);
}

void TextBox::Private::documentAboutToChange(qsizetype pos, qsizetype length)
{
    if (editing == 0) {   // a change made elsewhere, told when it is done
        beginEdit();
        outsideEdit = true;
    }
    rows.affectedRange(pos, length, &pending.first, &pending.last);
    pending.accessible = QAccessible::isActive();
    pending.accessibleChange = pending.accessible ? accessibleChangeAt(pos, length) : AccessibleChange();
    if (primary)
        primary->freeze();
    rememberShown(pos, length);
    // The last screenful only moves when the edit is above it: the lines it can change end before
    // the line the last screenful starts in (last is where they end, or the end of the text).
    pending.lastScreenMoves = lastTopKnown >= 0 && pending.last < buffer.lineStart(buffer.lineOf(lastTopKnown));
}

void TextBox::Private::documentChanged(qsizetype pos, qsizetype removed, qsizetype inserted)
{
    const qsizetype delta = inserted - removed;
    rows.edited(pending.first, pending.last, delta);
    shownEdited(pos, removed, delta);
    lastTopKnown = pending.lastScreenMoves ? lastTopKnown + delta : -1;
    const auto map = [&](qsizetype p) { return p <= pos ? p : p >= pos + removed ? p + delta : pos; };
    anchor = snap(map(anchor));
    caret = snap(map(caret));
    top = map(top);
    if (dropCaret >= 0)
        dropCaret = snap(map(dropCaret));
    if (pending.accessible)
        tellAccessibleChange(pending.accessibleChange, delta);
    if (outsideEdit) {
        outsideEdit = false;
        endEdit();
    }
}

void TextBox::Private::edit(qsizetype pos, qsizetype length, QByteArrayView bytes, EditKind kind)
{
    if (length == 0 && bytes.isEmpty())
        return;
    beginEdit();
    const qsizetype end = pos + bytes.size();
    doc.replace(pos, length, bytes, kind, {anchor, caret}, {end, end});
    anchor = caret = end;
    goalX = -1;
    endEdit();
}

void TextBox::Private::applyHistory(bool undo)
{
    closeTyping();
    if (!(undo ? doc.canUndo() : doc.canRedo()))
        return;
    beginEdit();
    const TextDocument::Selection shown = *(undo ? doc.undo() : doc.redo());
    anchor = snap(shown.anchor);
    caret = snap(shown.caret);
    goalX = -1;
    endEdit();
    ensureVisible(caret);
}

void TextBox::Private::textEdited(bool hadSelection)
{
    setTop(top);
    updateScrollBar();
    q->viewport()->update(changedRows());
    restartBlink();
    if (QAccessible::isActive())
        tellAccessibleCaret(hadSelection || hasSelection());
    if (hasSelection())
        updatePrimarySelection();
    emit q->textChanged();
    if (hadSelection || hasSelection())
        emit q->selectionChanged();
    emit q->cursorPositionChanged();
}

bool TextBox::canUndo() const
{
    return d->doc.canUndo();
}

bool TextBox::canRedo() const
{
    return d->doc.canRedo();
}

void TextBox::undoEdit()
{
    d->applyHistory(true);
}

void TextBox::redoEdit()
{
    d->applyHistory(false);
}

void TextBox::emptyUndoBuffer()
{
    d->doc.clearHistory();
}

// ---- clipboard ----------------------------------------------------------------------------------

void TextBox::cutSel()
{
    if (d->readOnly || !d->hasSelection())
        return;
    copySel();
    d->editSelection(QByteArrayView(), EditKind::Other);
}

void TextBox::copySel()
{
    if (!d->hasSelection())
        return;
    QApplication::clipboard()->setMimeData(modelMimeData(selectedText(), d->buffer.dominantBreak()));
}

void TextBox::pasteClip()
{
    if (d->readOnly)
        return;
    const QMimeData *data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    d->editSelection(d->pasted(data), EditKind::Other);
    d->ensureVisible(d->caret);
}

void TextBox::clearSel()
{
    if (d->hasSelection())
        d->editSelection(QByteArrayView(), EditKind::Other);
}

bool TextBox::isReadOnly() const
{
    return d->readOnly;
}

void TextBox::setReadOnly(bool readOnly)
{
    d->readOnly = readOnly;
    setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
    d->restartBlink();
    viewport()->update();
}

// ---- appearance ---------------------------------------------------------------------------------

int TextBox::alignmentValue() const
{
    return d->alignment;
}

void TextBox::setAlignmentValue(int value)
{
    if (value < 0 || value > 2)
        throw RuntimeError(ErrorCode::InvalidValue);
    d->alignment = value;
    d->rows.setAlignment(kAlignments[value]);
    d->relayout();
}

Qt::Alignment TextBox::alignment() const
{
    return kAlignments[d->alignment];
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

} // namespace platform
