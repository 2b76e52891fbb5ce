#include "editing/TextSearch.h"

#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"

#include <QPointer>

#include <array>

namespace TextSearch {

qsizetype find(QByteArrayView text, QByteArrayView pattern, qsizetype start)
{
    if (pattern.isEmpty())
        return 0;
    const qsizetype from = start > 1 ? start - 1 : 0;
    if (from > text.size() - pattern.size())
        return 0;
    const qsizetype at = text.indexOf(pattern, from);
    return at < 0 ? 0 : at + 1;
}

namespace {

// Upper case of every byte into out, reusing out's memory: a fresh 20 MB buffer costs more in
// page faults than the conversion itself.
void upperInto(const QByteArray &text, QByteArray &out)
{
    static const auto table = [] {
        std::array<uchar, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = platform::Ansi::toUpper(uchar(i));
        return t;
    }();
    out.resize(text.size());
    const auto *from = reinterpret_cast<const uchar *>(text.constData());
    auto *to = reinterpret_cast<uchar *>(out.data());
    for (qsizetype i = 0, n = text.size(); i < n; ++i)
        to[i] = table[from[i]];
}

} // namespace

// One copy is enough: there is one document, and both dialogs search the same box. It holds the
// text from the start of some line to the end: a search needs nothing before its start position,
// and near the end of a large document that is a small part of it.
struct BoxSearch::Copy {
    QPointer<platform::TextBox> box;
    quint64 revision = 0;
    qsizetype offset = 0;   // 0-based model position of text[0]
    QByteArray text;
    QByteArray upper;       // valid only with haveUpper; its memory is reused
    bool haveUpper = false;

    void invalidate() { *this = Copy(); }

    // The text from at most the 0-based position from on.
    const QByteArray &textOf(const platform::TextBox &source, qsizetype from)
    {
        if (box != &source || revision != source.revision() || from < offset) {
            haveUpper = false;
            box = nullptr;
            text = QByteArray();   // never hold two versions of a big document at once
            int lineStart = 0;
            text = source.textFromLineOf(int(from), &lineStart);
            offset = lineStart;
            box = const_cast<platform::TextBox *>(&source);
            revision = source.revision();
        }
        return text;
    }

    const QByteArray &upperOf(const platform::TextBox &source, qsizetype from)
    {
        textOf(source, from);
        if (!haveUpper) {
            upperInto(text, upper);
            haveUpper = true;
        }
        return upper;
    }
};

BoxSearch::BoxSearch() : d(std::make_unique<Copy>()) {}
BoxSearch::~BoxSearch() = default;

qsizetype BoxSearch::find(const platform::TextBox &box, const QByteArray &pattern, qsizetype start, bool matchCase)
{
    Copy &c = *d;
    const qsizetype from = start > 1 ? start - 1 : 0;
    const QByteArray &haystack = matchCase ? c.textOf(box, from) : c.upperOf(box, from);
    const QByteArray needle = matchCase ? pattern : platform::Ansi::toUpper(pattern);
    const qsizetype found = TextSearch::find(haystack, needle, from - c.offset + 1);
    return found ? found + c.offset : 0;
}

void BoxSearch::noteReplacement(const platform::TextBox &box, quint64 revisionBefore, qsizetype start,
                                qsizetype length, const QByteArray &replacement)
{
    Copy &c = *d;
    if (c.box != &box || c.revision != revisionBefore)
        return;   // the next search reads the text anew anyway
    // Breaks may be normalised by the box; the inserted text must be exactly what was asked for.
    auto hasBreak = [](QByteArrayView bytes) { return bytes.contains('\r') || bytes.contains('\n'); };
    const qsizetype at = start - c.offset;
    const bool inside = at >= 0 && length >= 0 && at + length <= c.text.size();
    if (!inside || hasBreak(replacement) || hasBreak(QByteArrayView(c.text).sliced(at, length))
        || box.selStart() != start || box.selectedText() != replacement
        || c.offset + c.text.size() - length + replacement.size() != box.textLength()) {
        c.invalidate();
        return;
    }
    c.text.replace(at, length, replacement);
    if (c.haveUpper)
        c.upper.replace(at, length, platform::Ansi::toUpper(replacement));
    c.revision = box.revision();
}

void BoxSearch::replaceHit(platform::TextBox &box, qsizetype p, const QByteArray &pattern, const QByteArray &replacement)
{
    const int start = int(p - 1);
    box.setSel(start, start + int(pattern.size()));
    const quint64 revision = box.revision();
    box.replaceSel(replacement, true);
    box.setSel(start, start + int(replacement.size()));
    noteReplacement(box, revision, start, pattern.size(), replacement);
    box.scrollCaret();
}

void BoxSearch::release()
{
    d->invalidate();
}

} // namespace TextSearch
