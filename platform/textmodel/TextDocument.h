#pragma once
// The document's text as the program holds it: its bytes (TextBuffer.h), a revision that moves
// with every change, and the undo history. It knows no view. Every edit goes through replace(),
// and undo and redo through the same change of the bytes; each change is told before
// (aboutToChange) and after (changed), so that views and watchers follow the text without
// reading it again. setText() starts afresh and is told as a reset.
//
// A selection is only handed through: an edit is given the selection it found and the one it
// leaves, and undo and redo give back the selection to show.

#include "platform/textmodel/TextBuffer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>

#include <optional>
#include <vector>

namespace platform {

// How an edit joins the undo history. Typing and deleting character by character go on in one
// undo step until something else happens (closeTyping(), or an edit of another kind); every
// other edit is a step of its own, unless it is Joined: then it belongs to the step before
// (a drop that moves text takes it out and puts it in as one step).
enum class EditKind { Typing, DeletingBack, DeletingForward, Other, Joined };

class TextDocument : public QObject {
    Q_OBJECT
public:
    using Break = TextBuffer::Break;

    struct Selection {
        qsizetype anchor = 0;
        qsizetype caret = 0;
        bool operator==(const Selection &) const = default;
    };

    explicit TextDocument(QObject *parent = nullptr);
    ~TextDocument() override;

    const TextBuffer &buffer() const { return m_buffer; }
    // The whole text; shares the document's bytes.
    QByteArray text() const { return m_buffer.text(); }
    qsizetype size() const { return m_buffer.size(); }
    // Increases whenever the text changes; lets callers cache what they derive from the text.
    quint64 revision() const { return m_revision; }

    // Replaces everything and empties the undo history. All or nothing: when it fails (it throws
    // std::bad_alloc, also for a text beyond INT_MAX bytes, which positions cannot count) the
    // text, the revision and the history stay as they were.
    void setText(const QByteArray &text);
    // Replaces [pos, pos + length) (clamped to the text) with bytes and records it as kind; before
    // and after are the selections around the edit, which undo and redo give back. Nothing
    // happens when nothing is removed or inserted.
    void replace(qsizetype pos, qsizetype length, QByteArrayView bytes, EditKind kind, Selection before,
                 Selection after);
    // Ends the run of typing or deleting: the next edit starts a step of its own.
    void closeTyping() { m_typingOpen = false; }

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // Take back (make again) the last step and close the typing run. They return the selection
    // to show, or none when there was no step: after an undo the selection the step replaced,
    // else the caret after what came back (as Qt's text widgets do); after a redo the selection
    // the step left.
    std::optional<Selection> undo();
    std::optional<Selection> redo();
    void clearHistory();

Q_SIGNALS:
    // [pos, pos + length) is about to be replaced; the text is still as it was.
    void aboutToChange(qsizetype pos, qsizetype length);
    // removed bytes at pos were replaced by inserted bytes.
    void changed(qsizetype pos, qsizetype removed, qsizetype inserted);
    // setText() is about to replace everything, and has replaced it.
    void aboutToReset();
    void reset();
    void undoAvailable(bool available);
    void redoAvailable(bool available);

private:
    // One change of the text: [pos, pos + length) holds what replaced text. Undoing or redoing the
    // step puts text back and turns the step into its inverse.
    struct Step {
        qsizetype pos = 0;
        qsizetype length = 0;
        TextBuffer::Span text;
    };
    struct Entry {
        std::vector<Step> steps;   // in the order they were made
        EditKind kind = EditKind::Other;
        Selection before;
        Selection after;
    };

    // The change of the bytes behind every edit, undo and redo: returns what was removed.
    TextBuffer::Span apply(qsizetype pos, qsizetype length, const TextBuffer::Span &text);
    void record(EditKind kind, qsizetype pos, qsizetype inserted, TextBuffer::Span &&removed, Selection before,
                Selection after);
    std::optional<Selection> applyHistory(bool undo);
    void tellHistory(bool undoBefore, bool redoBefore);

    TextBuffer m_buffer;
    quint64 m_revision = 0;
    std::vector<Entry> m_undo;
    std::vector<Entry> m_redo;
    bool m_typingOpen = false;
};

} // namespace platform
