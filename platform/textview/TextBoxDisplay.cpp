// Painting and scrolling. The view shows rows from the top row down; the top row is kept as the
// position where it starts, which is also the value of the vertical scroll bar, so the bar
// stays honest without laying out the lines that are not on screen.
#include "platform/textview/TextBox_p.h"

#include <QApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTextCharFormat>

#include <algorithm>
#include <climits>
#include <cmath>

namespace platform {

namespace {

// Space around the text inside the view, as Qt's own text widgets leave it.
constexpr int kMargin = 4;

} // namespace

int TextBox::Private::viewRows() const
{
    return qMax(1, (q->viewport()->height() - kMargin) / rows.rowHeight());
}

qreal TextBox::Private::textWidth() const
{
    return qMax(1, q->viewport()->width() - 2 * kMargin);
}

TextRows::Row TextBox::Private::topRow() const
{
    return rows.rowAt(top);
}

const std::vector<TextRows::Row> &TextBox::Private::visibleRows() const
{
    const std::array<quint64, 3> state{rows.generation(), quint64(top), quint64(viewRows())};
    if (state != visibleFor) {
        visible.clear();
        for (TextRows::Row r = topRow(); r.isValid() && int(visible.size()) <= viewRows(); r = rows.nextRow(r))
            visible.push_back(r);
        visibleFor = state;
    }
    return visible;
}

int TextBox::Private::rowIndex(const TextRows::Row &row) const
{
    const std::vector<TextRows::Row> &shown = visibleRows();
    const auto it = std::find(shown.begin(), shown.end(), row);
    if (it != shown.end())
        return int(it - shown.begin());
    return rows.rowStart(row) < top ? -1 : INT_MAX;
}

int TextBox::Private::rowY(int index) const
{
    return kMargin + index * rows.rowHeight();
}

QRect TextBox::Private::rowsRect(qsizetype from, qsizetype to) const
{
    const int first = rowIndex(rows.rowAt(from));
    const int last = rowIndex(rows.rowAt(to));
    if (first == INT_MAX || last < 0)
        return QRect();
    const int y1 = first < 0 ? 0 : rowY(first);
    const int y2 = last == INT_MAX ? q->viewport()->height() : rowY(last + 1);
    return QRect(0, y1, q->viewport()->width(), y2 - y1);
}

qsizetype TextBox::Private::lastTop() const
{
    if (lastTopKnown < 0)
        lastTopKnown = rows.rowStart(rows.advance(rows.lastRow(), -(viewRows() - 1)));
    return lastTopKnown;
}

void TextBox::Private::setTop(qsizetype pos)
{
    top = rows.rowStart(rows.rowAt(qMin(pos, lastTop())));
}

void TextBox::Private::scrollRows(int count)
{
    const qsizetype before = top;
    setTop(rows.rowStart(rows.advance(topRow(), count)));
    if (top == before)
        return;
    updateScrollBar();
    q->viewport()->update();
}

void TextBox::Private::ensureVisible(qsizetype pos)
{
    const TextRows::Row row = rows.rowAt(pos);
    const qsizetype before = top;
    if (rows.rowStart(row) < top)
        setTop(rows.rowStart(row));
    else if (rowIndex(row) >= viewRows())
        setTop(rows.rowStart(rows.advance(row, -(viewRows() - 1))));
    if (top == before)
        return;
    updateScrollBar();
    q->viewport()->update();
}

// Where the bar's slider is drawn for these values.
static QRect sliderRect(QScrollBar *bar, int maximum, int value, int pageStep)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Vertical;
    option.minimum = 0;
    option.maximum = maximum;
    option.sliderPosition = option.sliderValue = value;
    option.singleStep = 1;
    option.pageStep = pageStep;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
}

void TextBox::Private::updateScrollBar()
{
    QScrollBar *bar = q->verticalScrollBar();
    const int maximum = int(lastTop());
    const int value = int(top);
    // Only the number of bytes on screen can have changed, which the slider cannot show.
    if (maximum == barShown[0] && value == barShown[1] && viewRows() == barShown[2])
        return;
    barShown = {maximum, value, viewRows()};
    const int page = int(qMax<qsizetype>(1, rows.rowStart(rows.advance(topRow(), viewRows())) - top));
    // Typing moves the end of the text by a byte at a time, which the bar cannot show; repainting
    // it for nothing would cost more than the keystroke.
    const bool sameLook = (value == 0) == (bar->value() == 0) && (value == maximum) == (bar->value() == bar->maximum())
                          && sliderRect(bar, maximum, value, page)
                                 == sliderRect(bar, bar->maximum(), bar->value(), bar->pageStep());
    if (sameLook || bar->isSliderDown())
        return;
    settingScroll = true;
    bar->setRange(0, maximum);
    bar->setPageStep(page);
    bar->setValue(value);
    settingScroll = false;
}

void TextBox::Private::relayout()
{
    lastTopKnown = -1;
    barShown = {-1, -1, -1};
    rows.setWidth(textWidth());
    setTop(top);
    updateScrollBar();
    q->viewport()->update();
}

qsizetype TextBox::Private::hit(const QPoint &point) const
{
    const int index = int(std::floor(double(point.y() - kMargin) / rows.rowHeight()));
    const TextRows::Row row = rows.advance(topRow(), index);
    const QTextLine line = rows.textLine(row);
    const qsizetype local = line.xToCursor(point.x() - kMargin);
    const qsizetype pos = qBound(rows.rowStart(row), row.segment.start + local, rows.rowEnd(row));
    return snap(pos);
}

int TextBox::Private::layoutOffset(const TextRows::Segment &segment, qsizetype pos) const
{
    qsizetype local = pos - segment.start;
    const qsizetype at = rows.preeditPosition();
    if (at >= segment.start && at <= segment.end && pos >= at)
        local += pos == at ? preeditCursor : preedit.size();
    return int(local);
}

QRect TextBox::Private::caretRect(qsizetype pos) const
{
    const TextRows::Row row = rows.rowAt(pos);
    const int index = rowIndex(row);
    if (index < 0 || index == INT_MAX)
        return QRect();
    const qreal x = rows.textLine(row).cursorToX(layoutOffset(row.segment, pos));
    return QRect(kMargin + int(x), rowY(index), 1, rows.rowHeight());
}

void TextBox::Private::updateCaret()
{
    q->viewport()->update(caretRect(caret).adjusted(-2, 0, 2, 0));
}

void TextBox::Private::restartBlink()
{
    caretOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (q->hasFocus() && !readOnly && flash > 0)
        blinkTimer.start(flash / 2, q);
    else
        blinkTimer.stop();
    updateCaret();
}

void TextBox::Private::rememberShown(qsizetype pos, qsizetype length)
{
    if (shownRemembered)
        return;
    shownRows.clear();
    for (const TextRows::Row &row : visibleRows()) {
        ShownRow shown{row.segment.start, row.segment.end, row.line};
        // The bytes next to a change decide what a CR or LF there is, so they count as touched.
        if (row.segment.end >= pos && row.segment.start <= pos + length) {
            shown.start = rows.rowStart(row);
            shown.end = rows.rowEnd(row);
        }
        shownRows.push_back(shown);
    }
    shownMarks = caretRect(caret).adjusted(-2, 0, 2, 0);
    if (hasSelection())
        shownMarks |= rowsRect(selStart(), selEnd());
    shownRemembered = true;
}

void TextBox::Private::shownEdited(qsizetype pos, qsizetype length, qsizetype delta)
{
    const auto after = [&](qsizetype p) { return p >= pos + length ? p + delta : p; };
    for (ShownRow &row : shownRows) {
        if (row.changed)
            continue;
        if (row.start >= 0)   // by its text, which stays unless the change is inside it
            row.changed = row.end > pos && row.start < pos + length;
        else
            row.changed = row.segmentEnd >= pos && row.segmentStart <= pos + length;
        row.segmentStart = after(row.segmentStart);
        row.segmentEnd = after(row.segmentEnd);
        if (row.start >= 0 && row.start >= pos + length) {
            row.start += delta;
            row.end += delta;
        }
    }
}

QRegion TextBox::Private::changedRows()
{
    QRegion region = shownMarks;
    const std::vector<TextRows::Row> &now = visibleRows();
    const size_t count = qMax(now.size(), shownRows.size());
    const int width = q->viewport()->width();
    for (size_t i = 0; i < count; ++i) {
        bool same = i < now.size() && i < shownRows.size() && !shownRows[i].changed;
        if (same && shownRows[i].start >= 0) {
            same = shownRows[i].start == rows.rowStart(now[i]) && shownRows[i].end == rows.rowEnd(now[i]);
        } else if (same) {
            const TextRows::Segment &segment = now[i].segment;
            same = shownRows[i].segmentStart == segment.start && shownRows[i].segmentEnd == segment.end
                   && shownRows[i].line == now[i].line;
        }
        if (!same)
            region |= QRect(0, rowY(int(i)), width, rows.rowHeight());
    }
    if (hasSelection())
        region |= rowsRect(selStart(), selEnd());
    shownRows.clear();
    shownMarks = QRegion();
    shownRemembered = false;
    return region;
}

// ---- the widget ---------------------------------------------------------------------------------

QRect TextBox::caretRect() const
{
    return d->caretRect(d->caret);
}

QRect TextBox::characterRect(int pos) const
{
    const QRect start = d->caretRect(pos);
    if (start.isNull() || pos >= d->buffer.size())
        return start;
    const TextRows::Row row = d->rows.rowAt(pos);
    const qsizetype next = qMin(d->nextChar(pos), d->rows.rowEnd(row));
    const qreal x = d->rows.textLine(row).cursorToX(d->layoutOffset(row.segment, next));
    return QRect(start.left(), start.top(), qMax(1, kMargin + int(x) - start.left()), start.height());
}

int TextBox::positionAt(const QPoint &point) const
{
    return int(d->hit(point));
}

int TextBox::firstVisiblePosition() const
{
    return int(d->top);
}

void TextBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect clip = event->rect();
    const QPalette &pal = palette();
    const int h = d->rows.rowHeight();
    painter.setPen(pal.text().color());
    QTextCharFormat selected;
    selected.setBackground(pal.highlight());
    selected.setForeground(pal.highlightedText());
    const qsizetype from = d->selStart(), to = d->selEnd();
    const bool caretShown = d->caretOn && hasFocus() && !d->readOnly;
    const TextRows::Segment caretSegment = caretShown ? d->rows.segmentAt(d->caret) : TextRows::Segment();
    const TextRows::Segment dropSegment = d->dropCaret >= 0 ? d->rows.segmentAt(d->dropCaret) : TextRows::Segment();

    const TextRows::Row top = d->topRow();
    int y = kMargin - top.line * h;   // the top of the segment's first row
    for (TextRows::Segment segment = top.segment; segment.isValid() && y <= clip.bottom();
         segment = d->rows.nextSegment(segment)) {
        QTextLayout *layout = d->rows.layout(segment);
        const int height = layout->lineCount() * h;
        if (y + height > clip.top()) {
            const QPointF origin(kMargin, y);
            QList<QTextLayout::FormatRange> selections;
            if (from < to && from < segment.end && to > segment.start) {
                const qsizetype a = qMax(from, segment.start), b = qMin(to, segment.end);
                selections.append({d->layoutOffset(segment, a), d->layoutOffset(segment, b) - d->layoutOffset(segment, a),
                                   selected});
            }
            layout->draw(&painter, origin, selections, clip);
            if (segment.isLastOfLine() && segment.end < d->buffer.size() && from <= segment.end && to > segment.end) {
                // The selected break: a space-wide block after the line.
                const QTextLine last = layout->lineAt(layout->lineCount() - 1);
                const qreal x = kMargin + last.x() + last.naturalTextWidth();
                painter.fillRect(QRectF(x, y + last.y(), QFontMetricsF(d->rows.font()).horizontalAdvance(QLatin1Char(' ')), h),
                                 pal.highlight());
            }
            if (caretSegment.isValid() && caretSegment == segment)
                layout->drawCursor(&painter, origin, d->layoutOffset(segment, d->caret), 1);
            if (dropSegment.isValid() && dropSegment == segment)
                layout->drawCursor(&painter, origin, d->layoutOffset(segment, d->dropCaret), 1);
        }
        y += height;
    }
}

void TextBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    d->relayout();
}

void TextBox::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
        d->rows.setFont(font());
        d->relayout();
        break;
    case QEvent::PaletteChange:
    case QEvent::ActivationChange:
    case QEvent::EnabledChange:
        viewport()->update();
        break;
    default:
        break;
    }
}

void TextBox::scrollContentsBy(int dx, int dy)
{
    Q_UNUSED(dx);
    Q_UNUSED(dy);
    if (d->settingScroll)
        return;
    // The user moved the bar: the row that holds the bar's position comes to the top. The bar's
    // range may lag the text by a row or two (it is left alone while its slider looks the same),
    // so its end is the last screenful and nothing goes past that.
    const QScrollBar *bar = verticalScrollBar();
    d->setTop(bar->value() >= bar->maximum() ? d->lastTop() : bar->value());
    viewport()->update();
}

} // namespace platform
