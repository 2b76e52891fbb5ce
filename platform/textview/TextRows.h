#pragma once
// The rows the text box shows: each line of the buffer wrapped at the view's width. Only the
// lines that are asked for are decoded and laid out, and their layouts are kept until an edit
// touches them.
//
// A line longer than kPieceSize bytes is laid out in pieces of about that size, each starting a
// new row, so that a line of many megabytes costs no more than the pieces on screen. A piece
// ends after a space or tab shortly before its nominal end when there is one, so the early row
// end looks like an ordinary wrap.
//
// Breaks of the dominant kind end a line and are not shown; every other CR and LF is shown as
// the symbol for it (U+240D, U+240A).

#include "platform/textmodel/TextBuffer.h"

#include <QFont>
#include <QHash>
#include <QString>
#include <QTextLayout>

#include <memory>

namespace platform {

class TextRows {
public:
    static constexpr qsizetype kPieceSize = 4096;

    // A laid-out unit: a whole line, or one piece of a long one.
    struct Segment {
        qsizetype start = -1;      // first byte shown
        qsizetype end = -1;        // after the last byte shown; the break, if any, follows
        qsizetype lineStart = -1;
        qsizetype lineEnd = -1;    // where the line's content ends
        qsizetype piece = 0;       // index of the piece in its line

        bool isValid() const { return start >= 0; }
        bool isLastOfLine() const { return end == lineEnd; }
        bool operator==(const Segment &o) const { return start == o.start && end == o.end; }
    };

    struct Row {
        Segment segment;
        int line = 0;              // index of the row in the segment's layout

        bool isValid() const { return segment.isValid(); }
        bool operator==(const Row &o) const { return segment == o.segment && line == o.line; }
        bool operator!=(const Row &o) const { return !(*this == o); }
    };

    explicit TextRows(const TextBuffer &buffer);
    ~TextRows();

    void setFont(const QFont &font);
    void setWidth(qreal width);
    void setAlignment(Qt::Alignment alignment);
    // Text being composed by an input method, shown at pos without being part of the buffer.
    void setPreedit(qsizetype pos, const QString &text, const QList<QTextLayout::FormatRange> &formats);
    qsizetype preeditPosition() const { return m_preeditText.isEmpty() ? -1 : m_preeditPos; }

    int rowHeight() const { return m_rowHeight; }
    // Changes whenever a row may have moved or changed: lets callers keep what they found.
    quint64 generation() const { return m_generation; }
    const QFont &font() const { return m_font; }

    // Forgets every layout.
    void clear();
    // Called after the buffer replaced [pos, pos + removed) with inserted bytes. first and last
    // are the positions, before the edit, of the first and last byte whose line may have changed.
    void edited(qsizetype first, qsizetype last, qsizetype delta);
    // The range of lines an edit of [pos, pos + length) can change, in the text before it.
    void affectedRange(qsizetype pos, qsizetype length, qsizetype *first, qsizetype *last) const;

    Segment segmentAt(qsizetype pos) const;
    Segment nextSegment(const Segment &segment) const;
    Segment previousSegment(const Segment &segment) const;
    QTextLayout *layout(const Segment &segment);

    Row rowAt(qsizetype pos);
    Row nextRow(const Row &row);
    Row previousRow(const Row &row);
    Row lastRow();
    // Moves count rows down (up when negative) as far as the text goes; *moved gets how many.
    Row advance(Row row, int count, int *moved = nullptr);
    qsizetype rowStart(const Row &row);
    qsizetype rowEnd(const Row &row);
    QTextLine textLine(const Row &row);

private:
    struct Entry;
    qsizetype pieceStart(qsizetype lineStart, qsizetype piece) const;
    Segment pieceOf(qsizetype lineStart, qsizetype lineEnd, qsizetype piece) const;
    QString textOf(const Segment &segment) const;
    void evict();

    const TextBuffer &m_buffer;
    QFont m_font;
    qreal m_width = 100;
    int m_rowHeight = 1;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    qsizetype m_preeditPos = -1;
    QString m_preeditText;
    QList<QTextLayout::FormatRange> m_preeditFormats;
    QHash<qsizetype, Entry *> m_cache;   // by segment start
    quint64 m_clock = 0;
    quint64 m_generation = 0;
};

} // namespace platform
