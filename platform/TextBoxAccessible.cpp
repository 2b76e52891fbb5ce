// What screen readers and other assistive tools see of the text box: an editable text whose
// characters are the model's (a CR LF is two), its caret and selection, and the caret's position
// as its value. Every answer reads only the part of the text it is about.
#include "platform/TextBox_p.h"

#include <QAccessibleWidget>

namespace platform {

class TextBoxAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface,
                           public QAccessibleValueInterface {
public:
    explicit TextBoxAccessible(TextBox *view) : QAccessibleWidget(view, QAccessible::EditableText) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        switch (type) {
        case QAccessible::TextInterface: return static_cast<QAccessibleTextInterface *>(this);
        case QAccessible::EditableTextInterface:
            return view()->isReadOnly() ? nullptr : static_cast<QAccessibleEditableTextInterface *>(this);
        case QAccessible::ValueInterface: return static_cast<QAccessibleValueInterface *>(this);
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
            return d()->decode(0, d()->buffer.size());
        return QAccessibleWidget::text(t);
    }

    // ---- text ----
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && d()->hasSelection()) {
            *startOffset = int(d()->selStart());
            *endOffset = int(d()->selEnd());
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
            view()->setSel(startOffset, endOffset);
    }
    int cursorPosition() const override { return int(d()->caret); }
    void setCursorPosition(int position) override { view()->setSel(position, position); }
    QString text(int startOffset, int endOffset) const override
    {
        return d()->decode(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(d()->buffer.size()); }
    QRect characterRect(int offset) const override
    {
        const QRect r = view()->characterRect(offset);
        return r.isNull() ? r : QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return view()->positionAt(view()->viewport()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        d()->ensureVisible(endIndex);
        d()->ensureVisible(startIndex);
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
        rangeAt(offset, boundary, &from, &to);
        *startOffset = int(from);
        *endOffset = int(to);
        return d()->decode(from, to - from);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                             int *endOffset) const override
    {
        qsizetype from = 0, to = 0;
        rangeAt(offset, boundary, &from, &to);
        if (from > 0)
            rangeAt(int(from - 1), boundary, &from, &to);
        else
            to = 0;
        *startOffset = int(from);
        *endOffset = int(to);
        return d()->decode(from, to - from);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                            int *endOffset) const override
    {
        qsizetype from = 0, to = 0;
        rangeAt(offset, boundary, &from, &to);
        if (to < d()->buffer.size() && to > offset)
            rangeAt(int(to), boundary, &from, &to);
        else
            from = to = d()->buffer.size();
        *startOffset = int(from);
        *endOffset = int(to);
        return d()->decode(from, to - from);
    }

    // ---- editable text ----
    void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, QString()); }
    void insertText(int offset, const QString &text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        view()->setSel(startOffset, endOffset);
        view()->replaceSel(d()->incoming(text, true));
    }

    // ---- value: the caret's position ----
    QVariant currentValue() const override { return int(d()->caret); }
    void setCurrentValue(const QVariant &value) override { setCursorPosition(value.toInt()); }
    QVariant maximumValue() const override { return characterCount(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    TextBox *view() const { return static_cast<TextBox *>(widget()); }
    TextBox::Private *d() const { return view()->d; }

    // The piece of text of the given kind that holds offset. A row or a line includes the break
    // that ends it, as assistive tools expect.
    void rangeAt(int offset, QAccessible::TextBoundaryType boundary, qsizetype *from, qsizetype *to) const
    {
        const TextBox::Private *p = d();
        const qsizetype size = p->buffer.size();
        const qsizetype pos = qBound<qsizetype>(0, qsizetype(offset), size);
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
