// What screen readers and other assistive tools see of the text box: an editable text as it is
// shown, its caret and selection. A break that ends a row is one character, "\n", as in every Qt
// and GTK text view; a CR or LF inside a line is the one symbol shown for it. So offsets count a
// CR LF as one, while the program's own positions count it as two: the line index turns one into
// the other, and every answer reads only the part of the text it is about.
#include "platform/textview/TextBox_p.h"

#include <QAccessibleWidget>

namespace platform {

namespace {

// A text of this size is told in full; beyond it, by its length, and a tool that wants more asks.
constexpr qsizetype kToldInFull = 1 << 20;

} // namespace

int TextBox::Private::accessibleOffset(qsizetype pos) const
{
    pos = snap(pos);
    return int(buffer.breakLength() == 1 ? pos : pos - buffer.lineOf(pos));
}

qsizetype TextBox::Private::modelPosition(int offset) const
{
    if (buffer.breakLength() == 1 || offset <= 0)
        return qBound<qsizetype>(0, qsizetype(offset), buffer.size());
    // The last line that starts at or before offset, counted in the tools' characters.
    qsizetype low = 0, high = buffer.lineCount() - 1;
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (buffer.lineStart(mid) - mid <= offset)
            low = mid;
        else
            high = mid - 1;
    }
    return qMin(offset + low, buffer.lineEnd(low));
}

QString TextBox::Private::accessibleText(qsizetype from, qsizetype to) const
{
    const qsizetype size = buffer.size();
    from = qBound<qsizetype>(0, from, size);
    to = qBound(from, to, size);
    return outgoingText(buffer.mid(from, to - from), buffer.dominantBreak(), Marks::AsShown,
                        from > 0 ? buffer.at(from - 1) : 0, to < size ? buffer.at(to) : 0);
}

TextBox::Private::AccessibleChange TextBox::Private::accessibleChangeAt(qsizetype pos, qsizetype length) const
{
    // A CR before the change and an LF after it can join a break or leave one.
    AccessibleChange change;
    change.from = pos;
    change.to = pos + length;
    change.widened[0] = change.from > 0 && buffer.at(change.from - 1) == '\r';
    change.widened[1] = change.to < buffer.size() && buffer.at(change.to) == '\n';
    change.from -= change.widened[0];
    change.to += change.widened[1];
    change.offset = accessibleOffset(change.from);
    if (change.to - change.from <= kToldInFull)
        change.removed = accessibleText(change.from, change.to);
    else
        change.removed = QString(accessibleOffset(change.to) - change.offset, QLatin1Char(' '));
    return change;
}

void TextBox::Private::tellAccessibleChange(const AccessibleChange &change, qsizetype delta) const
{
    QString removed = change.removed;
    QString inserted = accessibleText(change.from, change.to + delta);
    int offset = change.offset;
    // What the widening took in and the change left as it was is no part of it.
    if (change.widened[0] && !removed.isEmpty() && !inserted.isEmpty() && removed.front() == inserted.front()) {
        removed.remove(0, 1);
        inserted.remove(0, 1);
        ++offset;
    }
    if (change.widened[1] && !removed.isEmpty() && !inserted.isEmpty() && removed.back() == inserted.back()) {
        removed.chop(1);
        inserted.chop(1);
    }
    if (removed.isEmpty() && inserted.isEmpty())
        return;
    if (removed.isEmpty()) {
        QAccessibleTextInsertEvent event(q, offset, inserted);
        QAccessible::updateAccessibility(&event);
    } else if (inserted.isEmpty()) {
        QAccessibleTextRemoveEvent event(q, offset, removed);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextUpdateEvent event(q, offset, removed, inserted);
        QAccessible::updateAccessibility(&event);
    }
}

void TextBox::Private::tellAccessibleReset(int countBefore) const
{
    QAccessibleTextUpdateEvent event(q, 0, QString(qMin<qsizetype>(countBefore, kToldInFull), QLatin1Char(' ')),
                                     accessibleText(0, kToldInFull));
    QAccessible::updateAccessibility(&event);
}

void TextBox::Private::tellAccessibleCaret(bool selectionToo) const
{
    QAccessibleTextCursorEvent cursorEvent(q, accessibleOffset(caret));
    QAccessible::updateAccessibility(&cursorEvent);
    if (selectionToo) {
        QAccessibleTextSelectionEvent selectionEvent(q, accessibleOffset(selStart()), accessibleOffset(selEnd()));
        selectionEvent.setCursorPosition(accessibleOffset(caret));
        QAccessible::updateAccessibility(&selectionEvent);
    }
}

class TextBoxAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
public:
    explicit TextBoxAccessible(TextBox *view) : QAccessibleWidget(view, QAccessible::EditableText) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        switch (type) {
        case QAccessible::TextInterface: return static_cast<QAccessibleTextInterface *>(this);
        case QAccessible::EditableTextInterface:
            return view()->isReadOnly() ? nullptr : static_cast<QAccessibleEditableTextInterface *>(this);
        default: return QAccessibleWidget::interface_cast(type);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.multiLine = true;
        s.selectableText = true;
        s.editable = !view()->isReadOnly();
        s.readOnly = view()->isReadOnly();
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return d()->accessibleText(0, d()->buffer.size());
        return QAccessibleWidget::text(t);
    }

    // ---- text ----
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && d()->hasSelection()) {
            *startOffset = d()->accessibleOffset(d()->selStart());
            *endOffset = d()->accessibleOffset(d()->selEnd());
        }
    }
    int selectionCount() const override { return d()->hasSelection() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0)
            view()->setSel(-1, 0);
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0)
            view()->setSel(int(model(startOffset)), int(model(endOffset)));
    }
    int cursorPosition() const override { return d()->accessibleOffset(d()->caret); }
    void setCursorPosition(int position) override
    {
        const int pos = int(model(position));
        view()->setSel(pos, pos);
    }
    QString text(int startOffset, int endOffset) const override
    {
        return d()->accessibleText(model(startOffset), model(endOffset));
    }
    int characterCount() const override { return d()->accessibleOffset(d()->buffer.size()); }
    QRect characterRect(int offset) const override
    {
        const QRect r = view()->characterRect(int(model(offset)));
        return r.isNull() ? r : QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return d()->accessibleOffset(view()->positionAt(view()->viewport()->mapFromGlobal(point)));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        d()->ensureVisible(model(endIndex));
        d()->ensureVisible(model(startIndex));
    }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        Q_UNUSED(offset);
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                         int *endOffset) const override
    {
        qsizetype from = 0, to = 0;
        rangeAt(model(offset), boundary, &from, &to);
        return answer(from, to, startOffset, endOffset);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                             int *endOffset) const override
    {
        qsizetype from = 0, to = 0;
        rangeAt(model(offset), boundary, &from, &to);
        if (from > 0)
            rangeAt(d()->previousChar(from), boundary, &from, &to);
        else
            to = 0;
        return answer(from, to, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                            int *endOffset) const override
    {
        const qsizetype pos = model(offset);
        qsizetype from = 0, to = 0;
        rangeAt(pos, boundary, &from, &to);
        if (to < d()->buffer.size() && to > pos)
            rangeAt(to, boundary, &from, &to);
        else
            from = to = d()->buffer.size();
        return answer(from, to, startOffset, endOffset);
    }

    // ---- editable text ----
    void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, QString()); }
    void insertText(int offset, const QString &text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        view()->setSel(int(model(startOffset)), int(model(endOffset)));
        view()->replaceSel(d()->incoming(text, true));
    }

private:
    TextBox *view() const { return static_cast<TextBox *>(widget()); }
    TextBox::Private *d() const { return view()->d; }
    qsizetype model(int offset) const { return d()->modelPosition(offset); }

    QString answer(qsizetype from, qsizetype to, int *startOffset, int *endOffset) const
    {
        *startOffset = d()->accessibleOffset(from);
        *endOffset = d()->accessibleOffset(to);
        return d()->accessibleText(from, to);
    }

    // The piece of text of the given kind that holds offset. A row or a line includes the break
    // that ends it, as assistive tools expect.
    void rangeAt(qsizetype pos, QAccessible::TextBoundaryType boundary, qsizetype *from, qsizetype *to) const
    {
        const TextBox::Private *p = d();
        const qsizetype size = p->buffer.size();
        pos = qBound<qsizetype>(0, pos, size);
        switch (boundary) {
        case QAccessible::CharBoundary:
            *from = p->snap(pos);
            *to = p->nextChar(*from);
            return;
        case QAccessible::WordBoundary:
            p->wordAt(pos, from, to);
            return;
        case QAccessible::LineBoundary: {
            const TextRows::Row row = p->rows.rowAt(pos);
            *from = p->rows.rowStart(row);
            *to = p->rows.rowEnd(row);
            if (*to == row.segment.end && row.segment.isLastOfLine() && *to < size)
                *to += p->buffer.breakLength();
            return;
        }
        case QAccessible::SentenceBoundary:
        case QAccessible::ParagraphBoundary: {
            const qsizetype line = p->buffer.lineOf(pos);
            *from = p->buffer.lineStart(line);
            *to = qMin(size, p->buffer.lineEnd(line) + p->buffer.breakLength());
            return;
        }
        case QAccessible::NoBoundary:
            *from = 0;
            *to = size;
            return;
        }
    }
};

QAccessibleInterface *textBoxAccessibleFactory(const QString &className, QObject *object)
{
    if (object && object->isWidgetType() && className == QLatin1String(TextBox::staticMetaObject.className()))
        return new TextBoxAccessible(static_cast<TextBox *>(object));
    return nullptr;
}

} // namespace platform
