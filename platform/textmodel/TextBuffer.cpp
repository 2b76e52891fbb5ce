#include "platform/textmodel/TextBuffer.h"

#include <QtAlgorithms>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace platform {

namespace {

// A new text is cut into leaves of this size; typing grows a leaf up to kLeafMax, then it is
// split. After an edit, a leaf smaller than kLeafMin is merged with its neighbour.
constexpr qsizetype kLeafSize = 32 * 1024;
constexpr qsizetype kLeafMax = 64 * 1024;
constexpr qsizetype kLeafMin = 2 * 1024;
// Edits up to this size change the bytes of one leaf in place; larger ones move whole leaves.
constexpr qsizetype kSmallEdit = 4 * 1024;

// Calls f(i) for every CR and LF in p[from, to).
template <typename F>
void forEachCrOrLf(const char *p, qsizetype from, qsizetype to, F &&f)
{
    qsizetype i = from;
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= to; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        while (mask) {
            f(i + qCountTrailingZeroBits(mask));
            mask &= mask - 1;
        }
    }
#endif
    for (; i < to; ++i) {
        if (p[i] == '\r' || p[i] == '\n')
            f(i);
    }
}

TextBuffer::Leaf sliceOf(const TextBuffer::Leaf &leaf, qsizetype from, qsizetype size)
{
    TextBuffer::Leaf slice;
    slice.store = leaf.store;
    slice.offset = leaf.offset + from;
    slice.size = size;
    // A whole leaf keeps its count (its neighbours' bytes come along); a part is counted again
    // where it lands.
    slice.breaks = from == 0 && size == leaf.size ? leaf.breaks : -1;
    return slice;
}

TextBuffer::Leaf leafOf(const QByteArray &bytes)
{
    TextBuffer::Leaf leaf;
    leaf.store = bytes;
    leaf.size = bytes.size();
    leaf.breaks = -1;
    return leaf;
}

} // namespace

void (*TextBuffer::allocationHook)(qsizetype bytes) = nullptr;

// ---- spans ----------------------------------------------------------------------------------------

TextBuffer::Span::Span(const QByteArray &bytes) : m_size(bytes.size())
{
    if (!bytes.isEmpty())
        m_leaves.push_back(leafOf(bytes));
}

QByteArray TextBuffer::Span::toByteArray() const
{
    if (m_leaves.size() == 1 && m_leaves.front().offset == 0 && m_leaves.front().size == m_leaves.front().store.size())
        return m_leaves.front().store;
    QByteArray out(m_size, Qt::Uninitialized);
    char *p = out.data();
    for (const Leaf &leaf : m_leaves) {
        memcpy(p, leaf.data(), size_t(leaf.size));
        p += leaf.size;
    }
    return out;
}

void TextBuffer::Span::append(const Span &other)
{
    if (other.isEmpty())
        return;
    std::vector<Leaf> joined = m_leaves;
    for (const Leaf &leaf : other.m_leaves) {
        Leaf &last = joined.empty() ? joined.emplace_back() : joined.back();
        if (last.size > 0 && (last.size < kLeafMin || leaf.size < kLeafMin) && last.size + leaf.size <= kLeafSize) {
            QByteArray bytes;
            bytes.reserve(last.size + leaf.size);
            bytes.append(last.data(), last.size).append(leaf.data(), leaf.size);
            last = leafOf(bytes);
        } else if (last.size == 0) {
            last = sliceOf(leaf, 0, leaf.size);
        } else {
            joined.push_back(sliceOf(leaf, 0, leaf.size));
        }
    }
    // Their ends meet here, so the counts at the seam are no longer known.
    for (Leaf &leaf : joined)
        leaf.breaks = -1;
    m_leaves.swap(joined);
    m_size += other.m_size;
}

void TextBuffer::Span::prepend(const Span &other)
{
    Span joined = other;
    joined.append(*this);
    *this = std::move(joined);
}

// ---- the text -------------------------------------------------------------------------------------

void TextBuffer::setText(const QByteArray &text)
{
    const qsizetype size = text.size();
    const qsizetype count = (size + kLeafSize - 1) / kLeafSize;
    if (allocationHook)
        allocationHook(size);
    // Everything is built aside; the buffer changes only when nothing can fail any more.
    std::vector<Leaf> leaves(static_cast<size_t>(count));
    std::vector<qsizetype> starts(static_cast<size_t>(count) + 1, 0);
    std::vector<qsizetype> lines(static_cast<size_t>(count) + 1, 0);
    std::vector<std::array<qsizetype, 3>> kinds(static_cast<size_t>(count));   // CR LF, lone CR, lone LF

    const char *p = text.constData();
    std::array<qsizetype, 3> total{};
    for (qsizetype k = 0; k < count; ++k) {
        const qsizetype from = k * kLeafSize;
        const qsizetype to = qMin(size, from + kLeafSize);
        Leaf &leaf = leaves[size_t(k)];
        leaf.store = text;
        leaf.offset = from;
        leaf.size = to - from;
        std::array<qsizetype, 3> &n = kinds[size_t(k)];
        forEachCrOrLf(p, from, to, [&](qsizetype i) {
            if (p[i] == '\n')
                ++n[i > 0 && p[i - 1] == '\r' ? 0 : 2];
            else if (i + 1 == size || p[i + 1] != '\n')
                ++n[1];
        });
        for (int kind = 0; kind < 3; ++kind)
            total[size_t(kind)] += n[size_t(kind)];
    }
    Break dominant = Break::CrLf;
    if (total[1] > total[0] && total[1] > total[2])
        dominant = Break::Cr;
    else if (total[2] > total[0] && total[2] > total[1])
        dominant = Break::Lf;
    const size_t kind = dominant == Break::CrLf ? 0 : dominant == Break::Cr ? 1 : 2;
    for (qsizetype k = 0; k < count; ++k) {
        leaves[size_t(k)].breaks = kinds[size_t(k)][kind];
        starts[size_t(k) + 1] = starts[size_t(k)] + leaves[size_t(k)].size;
        lines[size_t(k) + 1] = lines[size_t(k)] + leaves[size_t(k)].breaks;
    }

    m_leaves.swap(leaves);
    m_leafStart.swap(starts);
    m_leafLine.swap(lines);
    m_indexValid = count;
    m_hint = 0;
    m_size = size;
    m_break = dominant;
}

char TextBuffer::at(qsizetype pos) const
{
    Q_ASSERT(pos >= 0 && pos < m_size);
    const qsizetype i = leafAt(pos);
    return m_leaves[size_t(i)].data()[pos - m_leafStart[size_t(i)]];
}

QByteArray TextBuffer::mid(qsizetype pos, qsizetype length) const
{
    pos = qBound<qsizetype>(0, pos, m_size);
    length = qBound<qsizetype>(0, length, m_size - pos);
    QByteArray out(length, Qt::Uninitialized);
    char *p = out.data();
    read(pos, length, [&p](QByteArrayView piece) {
        memcpy(p, piece.data(), size_t(piece.size()));
        p += piece.size();
        return true;
    });
    return out;
}

TextBuffer::Span TextBuffer::span(qsizetype pos, qsizetype length) const
{
    Span s;
    pos = qBound<qsizetype>(0, pos, m_size);
    length = qBound<qsizetype>(0, length, m_size - pos);
    if (length == 0)
        return s;
    const qsizetype end = pos + length;
    for (qsizetype i = leafAt(pos); pos < end; ++i) {
        const Leaf &leaf = m_leaves[size_t(i)];
        const qsizetype local = pos - m_leafStart[size_t(i)];
        const qsizetype n = qMin(leaf.size - local, end - pos);
        s.m_leaves.push_back(sliceOf(leaf, local, n));
        pos += n;
    }
    s.m_size = length;
    return s;
}

QByteArray TextBuffer::text() const
{
    if (m_leaves.empty())
        return QByteArray();
    // Still one array, in order (the text as it was set, or as the last call built it)?
    const QByteArray &first = m_leaves.front().store;
    bool whole = first.size() == m_size;
    qsizetype at = 0;
    for (auto it = m_leaves.cbegin(); whole && it != m_leaves.cend(); ++it) {
        whole = it->store.constData() == first.constData() && it->offset == at;
        at += it->size;
    }
    if (whole)
        return first;
    QByteArray built(m_size, Qt::Uninitialized);
    char *p = built.data();
    for (const Leaf &leaf : m_leaves) {
        memcpy(p, leaf.data(), size_t(leaf.size));
        p += leaf.size;
    }
    // The leaves now share the new array; the old ones are freed unless someone else holds them.
    at = 0;
    for (Leaf &leaf : m_leaves) {
        leaf.store = built;
        leaf.offset = at;
        at += leaf.size;
    }
    return built;
}

// ---- breaks ---------------------------------------------------------------------------------------

// Whether byte c, between the bytes before and after it, is the last byte of a dominant break.
bool TextBuffer::endsBreakAt(char before, char c, char after) const
{
    switch (m_break) {
    case Break::CrLf: return c == '\n' && before == '\r';
    case Break::Lf: return c == '\n' && before != '\r';
    case Break::Cr: return c == '\r' && after != '\n';
    }
    return false;
}

// The breaks ending in leaf[from, to); before and after are the bytes around the leaf (0 at the
// ends of the text). Appends their offsets to *ends when given.
qsizetype TextBuffer::countEnds(const Leaf &leaf, char before, char after, qsizetype from, qsizetype to,
                                std::vector<quint32> *ends) const
{
    from = qMax<qsizetype>(0, from);
    to = qMin(leaf.size, to);
    const char *d = leaf.data();
    const qsizetype n = leaf.size;
    qsizetype count = 0;
    forEachCrOrLf(d, from, to, [&](qsizetype k) {
        if (endsBreakAt(k > 0 ? d[k - 1] : before, d[k], k + 1 < n ? d[k + 1] : after)) {
            ++count;
            if (ends)
                ends->push_back(quint32(k));
        }
    });
    return count;
}

char TextBuffer::byteBefore(qsizetype leaf) const
{
    if (leaf <= 0)
        return 0;
    const Leaf &l = m_leaves[size_t(leaf) - 1];
    return l.data()[l.size - 1];
}

char TextBuffer::byteAfter(qsizetype leaf) const
{
    if (leaf + 1 >= qsizetype(m_leaves.size()))
        return 0;
    return m_leaves[size_t(leaf) + 1].data()[0];
}

void TextBuffer::recount(qsizetype leaf)
{
    if (leaf < 0 || leaf >= qsizetype(m_leaves.size()))
        return;
    Leaf &l = m_leaves[size_t(leaf)];
    l.ends.clear();
    l.breaks = countEnds(l, byteBefore(leaf), byteAfter(leaf), 0, l.size, &l.ends);
    l.endsKnown = true;
    touch(leaf);
}

const std::vector<quint32> &TextBuffer::endsOf(qsizetype leaf) const
{
    Leaf &l = m_leaves[size_t(leaf)];
    if (!l.endsKnown) {
        l.ends.clear();
        l.ends.reserve(size_t(l.breaks));
        countEnds(l, byteBefore(leaf), byteAfter(leaf), 0, l.size, &l.ends);
        l.endsKnown = true;
    }
    return l.ends;
}

// ---- the index --------------------------------------------------------------------------------------

void TextBuffer::updateIndex() const
{
    const qsizetype count = qsizetype(m_leaves.size());
    if (m_indexValid >= count && qsizetype(m_leafStart.size()) == count + 1)
        return;
    m_leafStart.resize(size_t(count) + 1);
    m_leafLine.resize(size_t(count) + 1);
    m_leafStart[0] = 0;
    m_leafLine[0] = 0;
    for (qsizetype i = qMin(m_indexValid, count); i < count; ++i) {
        m_leafStart[size_t(i) + 1] = m_leafStart[size_t(i)] + m_leaves[size_t(i)].size;
        m_leafLine[size_t(i) + 1] = m_leafLine[size_t(i)] + m_leaves[size_t(i)].breaks;
    }
    m_indexValid = count;
}

qsizetype TextBuffer::leafAt(qsizetype pos) const
{
    updateIndex();
    const qsizetype count = qsizetype(m_leaves.size());
    Q_ASSERT(count > 0);
    if (m_hint < count && m_leafStart[size_t(m_hint)] <= pos && pos < m_leafStart[size_t(m_hint) + 1])
        return m_hint;
    const auto it = std::upper_bound(m_leafStart.begin(), m_leafStart.begin() + count, pos);
    m_hint = qBound<qsizetype>(0, qsizetype(it - m_leafStart.begin()) - 1, count - 1);
    return m_hint;
}

qsizetype TextBuffer::lineCount() const
{
    updateIndex();
    return m_leafLine[m_leaves.size()] + 1;
}

qsizetype TextBuffer::lineOf(qsizetype pos) const
{
    pos = qBound<qsizetype>(0, pos, m_size);
    if (pos == 0)
        return 0;
    const qsizetype i = leafAt(pos - 1);
    const std::vector<quint32> &ends = endsOf(i);
    const auto local = quint32(pos - m_leafStart[size_t(i)]);
    return m_leafLine[size_t(i)] + qsizetype(std::lower_bound(ends.begin(), ends.end(), local) - ends.begin());
}

qsizetype TextBuffer::lineStart(qsizetype line) const
{
    if (line <= 0 || m_leaves.empty())
        return 0;
    updateIndex();
    const qsizetype count = qsizetype(m_leaves.size());
    const qsizetype k = qMin(line, m_leafLine[size_t(count)]) - 1;   // the break before the line
    if (k < 0)
        return 0;
    const auto it = std::upper_bound(m_leafLine.begin(), m_leafLine.begin() + count + 1, k);
    const qsizetype i = qsizetype(it - m_leafLine.begin()) - 1;
    return m_leafStart[size_t(i)] + qsizetype(endsOf(i)[size_t(k - m_leafLine[size_t(i)])]) + 1;
}

qsizetype TextBuffer::lineEnd(qsizetype line) const
{
    if (line + 1 >= lineCount())
        return m_size;
    return lineStart(line + 1) - breakLength();
}

bool TextBuffer::insideBreak(qsizetype pos) const
{
    return m_break == Break::CrLf && pos > 0 && pos < m_size && at(pos - 1) == '\r' && at(pos) == '\n';
}

// ---- edits ----------------------------------------------------------------------------------------

TextBuffer::Span TextBuffer::replace(qsizetype pos, qsizetype length, QByteArrayView text)
{
    pos = qBound<qsizetype>(0, pos, m_size);
    length = qBound<qsizetype>(0, length, m_size - pos);
    Span removed;
    if (length == 0 && text.isEmpty())
        return removed;
    if (editInLeaf(pos, length, text, &removed))
        return removed;
    std::vector<Leaf> leaves;
    for (qsizetype from = 0; from < text.size(); from += kLeafSize)
        leaves.push_back(leafOf(text.sliced(from, qMin(kLeafSize, text.size() - from)).toByteArray()));
    spliceLeaves(pos, length, std::move(leaves), &removed);
    return removed;
}

TextBuffer::Span TextBuffer::replace(qsizetype pos, qsizetype length, const Span &text)
{
    if (text.size() <= kSmallEdit)
        return replace(pos, length, QByteArrayView(text.toByteArray()));
    pos = qBound<qsizetype>(0, pos, m_size);
    length = qBound<qsizetype>(0, length, m_size - pos);
    Span removed;
    std::vector<Leaf> leaves;
    leaves.reserve(text.m_leaves.size());
    for (const Leaf &leaf : text.m_leaves)
        leaves.push_back(sliceOf(leaf, 0, leaf.size));
    spliceLeaves(pos, length, std::move(leaves), &removed);
    return removed;
}

// Small edits inside one leaf: the leaf's bytes change in place (after copying them once when
// they are shared), and only the breaks near the edit are looked at again.
bool TextBuffer::editInLeaf(qsizetype pos, qsizetype length, QByteArrayView text, Span *removed)
{
    if (m_leaves.empty() || length > kSmallEdit || text.size() > kSmallEdit)
        return false;
    const qsizetype i = leafAt(pos);
    Leaf &leaf = m_leaves[size_t(i)];
    const qsizetype local = pos - m_leafStart[size_t(i)];
    const qsizetype newSize = leaf.size - length + text.size();
    if (local + length > leaf.size || newSize > kLeafMax || newSize == 0)
        return false;

    if (length > 0)
        *removed = Span(QByteArray(leaf.data() + local, length));
    const char before = byteBefore(i);
    const char after = byteAfter(i);
    const qsizetype count = qsizetype(m_leaves.size());
    // The bytes whose role can change: the edited ones and one on each side, which may lie in
    // the neighbouring leaves.
    const bool touchesStart = local == 0 && i > 0;
    const bool touchesEnd = local + length == leaf.size && i + 1 < count;
    const auto edge = [&](qsizetype j, bool last) {
        const Leaf &l = m_leaves[size_t(j)];
        return last ? countEnds(l, byteBefore(j), byteAfter(j), l.size - 1, l.size)
                    : countEnds(l, byteBefore(j), byteAfter(j), 0, 1);
    };
    const qsizetype prevEdge = touchesStart ? edge(i - 1, true) : 0;
    const qsizetype nextEdge = touchesEnd ? edge(i + 1, false) : 0;
    const qsizetype windowFrom = qMax<qsizetype>(0, local - 1);
    const qsizetype oldWindow = countEnds(leaf, before, after, windowFrom, local + length + 1);

    if (!leaf.store.isDetached() || leaf.offset != 0 || leaf.size != leaf.store.size()) {
        QByteArray own;
        own.reserve(qMin(kLeafMax, newSize + 256));
        own.append(leaf.data(), leaf.size);
        leaf.store = own;
        leaf.offset = 0;
    }
    leaf.store.replace(local, length, text);
    leaf.size = newSize;
    m_size += text.size() - length;

    std::vector<quint32> window;
    const qsizetype newWindow = countEnds(leaf, before, after, windowFrom, local + text.size() + 1,
                                          leaf.endsKnown ? &window : nullptr);
    leaf.breaks += newWindow - oldWindow;
    if (leaf.endsKnown) {
        auto &ends = leaf.ends;
        const auto lo = std::lower_bound(ends.begin(), ends.end(), quint32(windowFrom));
        const auto hi = std::upper_bound(lo, ends.end(), quint32(local + length));
        const qsizetype shift = text.size() - length;
        for (auto it = hi; it != ends.end(); ++it)
            *it = quint32(qsizetype(*it) + shift);
        const auto at = ends.erase(lo, hi);
        ends.insert(at, window.begin(), window.end());
    }
    touch(i);
    const auto fixEdge = [&](qsizetype j, bool last, qsizetype old) {
        const qsizetype now = edge(j, last);
        if (now != old) {
            Leaf &l = m_leaves[size_t(j)];
            l.breaks += now - old;
            l.endsKnown = false;
            touch(j);
        }
    };
    if (touchesStart)
        fixEdge(i - 1, true, prevEdge);
    if (touchesEnd)
        fixEdge(i + 1, false, nextEdge);
    return true;
}

// Cuts the leaf that holds pos in two so that a leaf starts at pos; returns its index. Both
// halves share the leaf's bytes.
qsizetype TextBuffer::splitAt(qsizetype pos)
{
    const qsizetype count = qsizetype(m_leaves.size());
    if (pos >= m_size)
        return count;
    const qsizetype i = leafAt(pos);
    const qsizetype local = pos - m_leafStart[size_t(i)];
    if (local == 0)
        return i;
    Leaf &leaf = m_leaves[size_t(i)];
    Leaf right = sliceOf(leaf, local, leaf.size - local);
    const qsizetype leftBreaks = countEnds(leaf, byteBefore(i), byteAfter(i), 0, local);
    right.breaks = leaf.breaks - leftBreaks;
    if (leaf.endsKnown) {
        const auto cut = std::lower_bound(leaf.ends.begin(), leaf.ends.end(), quint32(local));
        for (auto it = cut; it != leaf.ends.end(); ++it)
            right.ends.push_back(quint32(*it - local));
        right.endsKnown = true;
        leaf.ends.erase(cut, leaf.ends.end());
    }
    leaf.size = local;
    leaf.breaks = leftBreaks;
    m_leaves.insert(m_leaves.begin() + i + 1, std::move(right));
    touch(i);
    return i + 1;
}

// Replaces the leaves of [pos, pos + length) with the given ones, handing the old ones to
// *removed.
void TextBuffer::spliceLeaves(qsizetype pos, qsizetype length, std::vector<Leaf> &&leaves, Span *removed)
{
    const qsizetype first = splitAt(pos);
    const qsizetype last = splitAt(pos + length);
    const auto begin = m_leaves.begin() + first;
    const auto end = m_leaves.begin() + last;
    removed->m_leaves.clear();
    for (auto it = begin; it != end; ++it) {
        removed->m_leaves.push_back(std::move(*it));
        removed->m_leaves.back().ends.clear();
        removed->m_leaves.back().endsKnown = false;
    }
    // The removed pieces lose their neighbours: count their ends again when they come back.
    if (!removed->m_leaves.empty()) {
        removed->m_leaves.front().breaks = -1;
        removed->m_leaves.back().breaks = -1;
    }
    removed->m_size = length;
    const auto at = m_leaves.erase(begin, end);
    qsizetype inserted = 0;
    for (const Leaf &leaf : leaves)
        inserted += leaf.size;
    const qsizetype added = qsizetype(leaves.size());
    m_leaves.insert(at, std::make_move_iterator(leaves.begin()), std::make_move_iterator(leaves.end()));
    m_size += inserted - length;
    touch(first - 1);

    // Count again what the seams can have changed: the leaves on both sides and the pieces
    // whose count was not carried over.
    recount(first - 1);
    for (qsizetype k = first; k < first + added; ++k) {
        if (m_leaves[size_t(k)].breaks < 0 || k == first || k == first + added - 1)
            recount(k);
    }
    recount(first + added);
    mergeSmall(first + added);
    mergeSmall(first);
}

// Joins leaf k with the one before it when one of them is small and together they fit.
void TextBuffer::mergeSmall(qsizetype k)
{
    if (k <= 0 || k >= qsizetype(m_leaves.size()))
        return;
    Leaf &left = m_leaves[size_t(k) - 1];
    const Leaf &right = m_leaves[size_t(k)];
    if ((left.size >= kLeafMin && right.size >= kLeafMin) || left.size + right.size > kLeafSize)
        return;
    QByteArray joined;
    joined.reserve(left.size + right.size);
    joined.append(left.data(), left.size);
    joined.append(right.data(), right.size);
    const bool endsKnown = left.endsKnown && right.endsKnown;
    if (endsKnown) {
        for (quint32 e : right.ends)
            left.ends.push_back(quint32(e + left.size));
    }
    left.endsKnown = endsKnown;
    if (!endsKnown)
        left.ends.clear();
    left.breaks += right.breaks;
    left.store = joined;
    left.offset = 0;
    left.size = joined.size();
    m_leaves.erase(m_leaves.begin() + k);
    touch(k - 1);
}

} // namespace platform
