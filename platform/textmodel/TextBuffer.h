#pragma once
// The bytes of a document and the index of its lines.
//
// The bytes live in leaves: slices of implicitly shared byte arrays. Setting a text shares the
// caller's array, taking a range (for the undo history or the primary selection) shares the
// leaves that hold it, and an edit copies at most the one leaf it changes. So a loaded document
// costs its size once, however many copies of it the program keeps, and typing costs the same
// on 20 MB as on 20 bytes.
//
// Lines are separated by breaks of one kind, the dominant kind of the text it was given: CR LF,
// a lone CR or a lone LF, whichever is most frequent (CR LF on a tie or when there is none).
// Every other CR and LF is part of a line. Each leaf counts the breaks that end in it, and the
// sums of these counts are the line-start index: line numbers and line starts take O(log n).
//
// Positions are byte offsets, 0 to size().

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace platform {

class TextBuffer {
public:
    enum class Break { CrLf, Cr, Lf };

    struct Leaf {
        QByteArray store;       // this leaf is store[offset, offset + size)
        qsizetype offset = 0;
        qsizetype size = 0;
        qsizetype breaks = 0;   // breaks whose last byte lies in this leaf
        // Offsets of those last bytes, filled when a line lookup first needs them.
        std::vector<quint32> ends;
        bool endsKnown = false;

        const char *data() const { return store.constData() + offset; }
    };

    // A piece of text that shares its bytes with the buffer it came from.
    class Span {
    public:
        Span() = default;
        explicit Span(const QByteArray &bytes);
        qsizetype size() const { return m_size; }
        bool isEmpty() const { return m_size == 0; }
        QByteArray toByteArray() const;
        // Joins other after (before) this span; small pieces are copied together, so spans
        // grown one byte at a time stay a few pieces.
        void append(const Span &other);
        void prepend(const Span &other);

    private:
        friend class TextBuffer;
        std::vector<Leaf> m_leaves;
        qsizetype m_size = 0;
    };

    TextBuffer() = default;

    // Takes the text, sharing its bytes, and finds its dominant break. Throws std::bad_alloc
    // and then leaves the buffer as it was.
    void setText(const QByteArray &text);

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    Break dominantBreak() const { return m_break; }
    int breakLength() const { return m_break == Break::CrLf ? 2 : 1; }

    char at(qsizetype pos) const;
    QByteArray mid(qsizetype pos, qsizetype length) const;
    Span span(qsizetype pos, qsizetype length) const;
    // The whole text. After edits this builds one array and lets the buffer share it, so the
    // copy costs time once and no memory.
    QByteArray text() const;
    // Calls f(QByteArrayView) for the pieces of [pos, pos + length), in order; stops early when
    // f returns false.
    template <typename F> void read(qsizetype pos, qsizetype length, F &&f) const
    {
        const qsizetype end = qMin(m_size, pos + length);
        pos = qMax<qsizetype>(0, pos);
        if (pos >= end)
            return;
        for (qsizetype i = leafAt(pos); pos < end; ++i) {
            const Leaf &leaf = m_leaves[size_t(i)];
            const qsizetype local = pos - m_leafStart[size_t(i)];
            const qsizetype n = qMin(leaf.size - local, end - pos);
            if (!f(QByteArrayView(leaf.data() + local, n)))
                return;
            pos += n;
        }
    }

    // Replaces length bytes at pos with text and returns what was removed.
    Span replace(qsizetype pos, qsizetype length, QByteArrayView text);
    Span replace(qsizetype pos, qsizetype length, const Span &text);

    // ---- lines ----
    qsizetype lineCount() const;
    // The line holding pos; the bytes of a break belong to the line they end.
    qsizetype lineOf(qsizetype pos) const;
    qsizetype lineStart(qsizetype line) const;
    // Where the line's content ends: the position of its break, or size() for the last line.
    qsizetype lineEnd(qsizetype line) const;
    // True when pos lies between the CR and the LF of a dominant CR LF break.
    bool insideBreak(qsizetype pos) const;

    // Test seam: called before the buffer allocates the index of a new text.
    static void (*allocationHook)(qsizetype bytes);

private:
    bool endsBreakAt(char before, char c, char after) const;
    qsizetype countEnds(const Leaf &leaf, char before, char after, qsizetype from, qsizetype to,
                        std::vector<quint32> *ends = nullptr) const;
    char byteBefore(qsizetype leaf) const;
    char byteAfter(qsizetype leaf) const;
    void recount(qsizetype leaf);
    const std::vector<quint32> &endsOf(qsizetype leaf) const;

    qsizetype leafAt(qsizetype pos) const;   // the leaf holding pos; the last one for size()
    void updateIndex() const;
    void touch(qsizetype leaf) { m_indexValid = qMin(m_indexValid, qMax<qsizetype>(0, leaf)); }
    qsizetype splitAt(qsizetype pos);       // index of the leaf that starts at pos
    bool editInLeaf(qsizetype pos, qsizetype length, QByteArrayView text, Span *removed);
    void spliceLeaves(qsizetype pos, qsizetype length, std::vector<Leaf> &&leaves, Span *removed);
    void mergeSmall(qsizetype leaf);

    mutable std::vector<Leaf> m_leaves;
    // Where each leaf starts and how many breaks end before it; valid below m_indexValid.
    mutable std::vector<qsizetype> m_leafStart;
    mutable std::vector<qsizetype> m_leafLine;
    mutable qsizetype m_indexValid = 0;
    mutable qsizetype m_hint = 0;           // the leaf of the last lookup
    qsizetype m_size = 0;
    Break m_break = Break::CrLf;
};

} // namespace platform
