#include "platform/textview/TextRows.h"

#include "platform/textmodel/Ansi.h"

#include <QFontMetrics>
#include <QTextOption>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

// CR and LF that do not end a line are shown as these symbols.
constexpr char16_t kCrSymbol = 0x240D;
constexpr char16_t kLfSymbol = 0x240A;

// How far before its nominal end a piece of a long line looks for a space to end after.
constexpr qsizetype kPieceSlack = 128;

// Layouts kept at most, a few screens' worth; the least recently used half goes when there are
// more. Every edit looks at each of them once.
constexpr qsizetype kMaxLayouts = 300;

// Between tab stops, in pixels, as in Qt's text widgets.
constexpr qreal kTabStop = 80;

} // namespace

struct TextRows::Entry {
    std::unique_ptr<QTextLayout> layout;
    qsizetype end = 0;
    qsizetype lineStart = 0;
    quint64 used = 0;
};

TextRows::TextRows(const TextBuffer &buffer) : m_buffer(buffer)
{
    setFont(m_font);
}

TextRows::~TextRows()
{
    clear();
}

void TextRows::setFont(const QFont &font)
{
    m_font = font;
    m_rowHeight = qMax(1, QFontMetrics(font).height());
    clear();
}

void TextRows::setWidth(qreal width)
{
    width = qMax<qreal>(1, width);
    if (width == m_width)
        return;
    m_width = width;
    clear();
}

void TextRows::setAlignment(Qt::Alignment alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    clear();
}

void TextRows::setPreedit(qsizetype pos, const QString &text, const QList<QTextLayout::FormatRange> &formats)
{
    const auto dropAt = [this](qsizetype at) {
        if (at < 0)
            return;
        const Segment segment = segmentAt(at);
        if (Entry *entry = m_cache.take(segment.start))
            delete entry;
    };
    ++m_generation;
    dropAt(preeditPosition());
    m_preeditPos = pos;
    m_preeditText = text;
    m_preeditFormats = formats;
    dropAt(preeditPosition());
}

void TextRows::clear()
{
    ++m_generation;
    qDeleteAll(m_cache);
    m_cache.clear();
}

void TextRows::affectedRange(qsizetype pos, qsizetype length, qsizetype *first, qsizetype *last) const
{
    // A byte's role depends on its neighbours, so the lines of the bytes next to the edit count.
    *first = m_buffer.lineStart(m_buffer.lineOf(qMax<qsizetype>(0, pos - 1)));
    const qsizetype lastLine = m_buffer.lineOf(qMin(m_buffer.size(), pos + length + 1));
    *last = qMin(m_buffer.size(), m_buffer.lineEnd(lastLine) + m_buffer.breakLength());
}

void TextRows::edited(qsizetype first, qsizetype last, qsizetype delta)
{
    ++m_generation;
    QHash<qsizetype, Entry *> kept;
    kept.reserve(m_cache.size());
    for (auto it = m_cache.cbegin(); it != m_cache.cend(); ++it) {
        Entry *entry = it.value();
        const qsizetype start = it.key();
        if (start < first) {
            kept.insert(start, entry);
        } else if (start >= last) {
            entry->end += delta;
            entry->lineStart += delta;
            kept.insert(start + delta, entry);
        } else {
            delete entry;
        }
    }
    m_cache.swap(kept);
    if (m_preeditPos >= last)
        m_preeditPos += delta;
}

// ---- segments -----------------------------------------------------------------------------------

qsizetype TextRows::pieceStart(qsizetype lineStart, qsizetype piece) const
{
    if (piece == 0)
        return lineStart;
    const qsizetype nominal = lineStart + piece * kPieceSize;
    const QByteArray before = m_buffer.mid(nominal - kPieceSlack, kPieceSlack);
    for (qsizetype i = before.size() - 1; i >= 0; --i) {
        if (before[i] == ' ' || before[i] == '\t')
            return nominal - kPieceSlack + i + 1;
    }
    return nominal;
}

TextRows::Segment TextRows::pieceOf(qsizetype lineStart, qsizetype lineEnd, qsizetype piece) const
{
    Segment s;
    s.lineStart = lineStart;
    s.lineEnd = lineEnd;
    s.piece = piece;
    s.start = pieceStart(lineStart, piece);
    const bool more = lineStart + (piece + 1) * kPieceSize < lineEnd;
    s.end = more ? pieceStart(lineStart, piece + 1) : lineEnd;
    return s;
}

TextRows::Segment TextRows::segmentAt(qsizetype pos) const
{
    pos = qBound<qsizetype>(0, pos, m_buffer.size());
    const qsizetype line = m_buffer.lineOf(pos);
    const qsizetype start = m_buffer.lineStart(line);
    const qsizetype end = m_buffer.lineEnd(line);
    pos = qMin(pos, end);   // inside the break: the end of the line
    if (end - start <= kPieceSize)
        return pieceOf(start, end, 0);
    const qsizetype piece = qMin((pos - start) / kPieceSize, (end - start - 1) / kPieceSize);
    Segment s = pieceOf(start, end, piece);
    if (pos >= s.end && !s.isLastOfLine())
        s = pieceOf(start, end, piece + 1);
    return s;
}

TextRows::Segment TextRows::nextSegment(const Segment &segment) const
{
    if (!segment.isLastOfLine())
        return pieceOf(segment.lineStart, segment.lineEnd, segment.piece + 1);
    if (segment.lineEnd >= m_buffer.size())
        return Segment();
    const qsizetype start = segment.lineEnd + m_buffer.breakLength();
    return pieceOf(start, m_buffer.lineEnd(m_buffer.lineOf(start)), 0);
}

TextRows::Segment TextRows::previousSegment(const Segment &segment) const
{
    if (segment.piece > 0)
        return pieceOf(segment.lineStart, segment.lineEnd, segment.piece - 1);
    if (segment.lineStart == 0)
        return Segment();
    const qsizetype line = m_buffer.lineOf(segment.lineStart - 1);
    const qsizetype start = m_buffer.lineStart(line);
    const qsizetype end = m_buffer.lineEnd(line);
    return pieceOf(start, end, end - start <= kPieceSize ? 0 : (end - start - 1) / kPieceSize);
}

QString TextRows::textOf(const Segment &segment) const
{
    QString text(segment.end - segment.start, Qt::Uninitialized);
    QChar *out = text.data();
    m_buffer.read(segment.start, segment.end - segment.start, [&out](QByteArrayView piece) {
        for (char byte : piece) {
            *out++ = byte == '\r' ? QChar(kCrSymbol) : byte == '\n' ? QChar(kLfSymbol) : Ansi::toUnicode(uchar(byte));
        }
        return true;
    });
    return text;
}

QTextLayout *TextRows::layout(const Segment &segment)
{
    Entry *&entry = m_cache[segment.start];
    if (entry && entry->end == segment.end && entry->lineStart == segment.lineStart) {
        entry->used = ++m_clock;
        return entry->layout.get();
    }
    delete entry;
    entry = new Entry;
    entry->end = segment.end;
    entry->lineStart = segment.lineStart;
    entry->used = ++m_clock;
    entry->layout = std::make_unique<QTextLayout>(textOf(segment), m_font);
    QTextLayout *layout = entry->layout.get();
    QTextOption option(m_alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(kTabStop);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    if (m_preeditPos >= segment.start && m_preeditPos <= segment.end && !m_preeditText.isEmpty()) {
        layout->setPreeditArea(int(m_preeditPos - segment.start), m_preeditText);
        layout->setFormats(m_preeditFormats);
    }
    layout->beginLayout();
    for (int row = 0;; ++row) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(m_width);
        line.setPosition(QPointF(0, row * m_rowHeight));
    }
    layout->endLayout();
    if (m_cache.size() > kMaxLayouts)
        evict();
    return layout;
}

void TextRows::evict()
{
    std::vector<quint64> stamps;
    stamps.reserve(size_t(m_cache.size()));
    for (const Entry *entry : std::as_const(m_cache))
        stamps.push_back(entry->used);
    std::nth_element(stamps.begin(), stamps.begin() + stamps.size() / 2, stamps.end());
    const quint64 median = stamps[stamps.size() / 2];
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        if (it.value()->used < median) {
            delete it.value();
            it = m_cache.erase(it);
        } else {
            ++it;
        }
    }
}

// ---- rows ---------------------------------------------------------------------------------------

TextRows::Row TextRows::rowAt(qsizetype pos)
{
    Row row;
    row.segment = segmentAt(pos);
    QTextLayout *lay = layout(row.segment);
    qsizetype local = qBound<qsizetype>(0, pos - row.segment.start, row.segment.end - row.segment.start);
    const qsizetype preedit = preeditPosition();
    if (preedit >= row.segment.start && preedit <= row.segment.end && local > preedit - row.segment.start)
        local += m_preeditText.size();
    row.line = lay->lineForTextPosition(int(local)).lineNumber();
    if (row.line < 0)
        row.line = qMax(0, lay->lineCount() - 1);
    return row;
}

TextRows::Row TextRows::nextRow(const Row &row)
{
    if (row.line + 1 < layout(row.segment)->lineCount())
        return Row{row.segment, row.line + 1};
    return Row{nextSegment(row.segment), 0};
}

TextRows::Row TextRows::previousRow(const Row &row)
{
    if (row.line > 0)
        return Row{row.segment, row.line - 1};
    const Segment previous = previousSegment(row.segment);
    if (!previous.isValid())
        return Row();
    return Row{previous, qMax(0, layout(previous)->lineCount() - 1)};
}

TextRows::Row TextRows::lastRow()
{
    const Segment last = segmentAt(m_buffer.size());
    return Row{last, qMax(0, layout(last)->lineCount() - 1)};
}

TextRows::Row TextRows::advance(Row row, int count, int *moved)
{
    int done = 0;
    while (done != count) {
        const Row next = count > 0 ? nextRow(row) : previousRow(row);
        if (!next.isValid())
            break;
        row = next;
        done += count > 0 ? 1 : -1;
    }
    if (moved)
        *moved = done;
    return row;
}

QTextLine TextRows::textLine(const Row &row)
{
    return layout(row.segment)->lineAt(row.line);
}

qsizetype TextRows::rowStart(const Row &row)
{
    qsizetype local = textLine(row).textStart();
    const qsizetype preedit = preeditPosition();
    if (preedit >= row.segment.start && preedit <= row.segment.end) {
        const qsizetype at = preedit - row.segment.start;
        if (local > at)
            local = qMax(at, local - m_preeditText.size());
    }
    return row.segment.start + local;
}

qsizetype TextRows::rowEnd(const Row &row)
{
    if (row.line + 1 >= layout(row.segment)->lineCount())
        return row.segment.end;
    return rowStart(Row{row.segment, row.line + 1});
}

} // namespace platform
