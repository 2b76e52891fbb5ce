#pragma once
// Forward search in the document's 8-bit text, as the Find and Replace dialogs use it.
// Positions are 1-based character positions of the model text (a CR LF counts as two); 0 means
// "not found".

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <memory>

namespace platform { class TextBox; }

namespace TextSearch {

// The 1-based position of the first occurrence of pattern in text that begins at or after the
// 1-based position start (values below 1 count as 1), or 0 when there is none. An empty pattern
// is never found.
qsizetype find(QByteArrayView text, QByteArrayView pattern, qsizetype start);

// Searches in a text box's current text. Without matchCase both the text and the pattern are
// compared in upper case (Windows-1251 case mapping, which keeps the length, so the position is
// valid in the original text).
//
// The text and its upper-case copy are kept per text box and revision: a press after an edit reads
// the text anew, repeated presses on an unchanged text reuse it. The Find and Replace dialogs share
// one searcher, owned with them; it drops its copies when the last of them closes (release).
class BoxSearch {
public:
    BoxSearch();
    ~BoxSearch();
    BoxSearch(const BoxSearch &) = delete;
    BoxSearch &operator=(const BoxSearch &) = delete;

    qsizetype find(const platform::TextBox &box, const QByteArray &pattern, qsizetype start, bool matchCase);

    // Tells the searcher that the caller has just replaced length characters at the 0-based start
    // with replacement through the box and selected the inserted text; revisionBefore is the box's
    // revision before the replacement. When the copy held that revision it is patched in place
    // instead of being read anew on the next search (each Replace press edits the document).
    void noteReplacement(const platform::TextBox &box, quint64 revisionBefore, qsizetype start, qsizetype length,
                         const QByteArray &replacement);

    // Replaces the hit of pattern at the 1-based position p with replacement as one undo step,
    // selects the inserted text, keeps the copy current and scrolls the caret into view.
    void replaceHit(platform::TextBox &box, qsizetype p, const QByteArray &pattern, const QByteArray &replacement);

    // Drops the copies.
    void release();

private:
    struct Copy;
    std::unique_ptr<Copy> d;
};

} // namespace TextSearch
