#include "platform/textmodel/TextDocument.h"

#include <climits>
#include <new>

namespace platform {

TextDocument::TextDocument(QObject *parent) : QObject(parent) {}

TextDocument::~TextDocument() = default;

void TextDocument::setText(const QByteArray &text)
{
    if (text.size() > INT_MAX)
        throw std::bad_alloc();
    TextBuffer fresh;
    fresh.setText(text);
    // Nothing below can fail.
    const bool undoBefore = canUndo(), redoBefore = canRedo();
    emit aboutToReset();
    m_buffer = std::move(fresh);
    m_undo.clear();
    m_redo.clear();
    m_typingOpen = false;
    ++m_revision;
    emit reset();
    tellHistory(undoBefore, redoBefore);
}

TextBuffer::Span TextDocument::apply(qsizetype pos, qsizetype length, const TextBuffer::Span &text)
{
    emit aboutToChange(pos, length);
    TextBuffer::Span removed = m_buffer.replace(pos, length, text);
    ++m_revision;
    emit changed(pos, length, text.size());
    return removed;
}

void TextDocument::replace(qsizetype pos, qsizetype length, QByteArrayView bytes, EditKind kind, Selection before,
                           Selection after)
{
    pos = qBound<qsizetype>(0, pos, size());
    length = qBound<qsizetype>(0, length, size() - pos);
    if (length == 0 && bytes.isEmpty())
        return;
    const bool undoBefore = canUndo(), redoBefore = canRedo();
    TextBuffer::Span removed = apply(pos, length, TextBuffer::Span(bytes.toByteArray()));
    record(kind, pos, bytes.size(), std::move(removed), before, after);
    tellHistory(undoBefore, redoBefore);
}

void TextDocument::record(EditKind kind, qsizetype pos, qsizetype inserted, TextBuffer::Span &&removed,
                          Selection before, Selection after)
{
    m_redo.clear();
    if (kind == EditKind::Joined && !m_undo.empty()) {
        m_undo.back().steps.push_back(Step{pos, inserted, std::move(removed)});
        m_undo.back().after = after;
        m_typingOpen = false;
        return;
    }
    if (m_typingOpen && !m_undo.empty() && m_undo.back().kind == kind && m_undo.back().steps.size() == 1) {
        Entry &last = m_undo.back();
        Step &step = last.steps.front();
        bool merged = false;
        if (kind == EditKind::Typing && removed.isEmpty() && pos == step.pos + step.length) {
            step.length += inserted;
            merged = true;
        } else if (kind == EditKind::DeletingBack && inserted == 0 && step.length == 0
                   && pos + removed.size() == step.pos) {
            step.pos = pos;
            step.text.prepend(removed);
            merged = true;
        } else if (kind == EditKind::DeletingForward && inserted == 0 && step.length == 0 && pos == step.pos) {
            step.text.append(removed);
            merged = true;
        }
        if (merged) {
            last.after = after;
            return;
        }
    }
    Entry entry;
    entry.steps.push_back(Step{pos, inserted, std::move(removed)});
    entry.kind = kind == EditKind::Joined ? EditKind::Other : kind;
    entry.before = before;
    entry.after = after;
    m_typingOpen = entry.kind != EditKind::Other;
    m_undo.push_back(std::move(entry));
}

std::optional<TextDocument::Selection> TextDocument::undo()
{
    return applyHistory(true);
}

std::optional<TextDocument::Selection> TextDocument::redo()
{
    return applyHistory(false);
}

std::optional<TextDocument::Selection> TextDocument::applyHistory(bool undo)
{
    std::vector<Entry> &from = undo ? m_undo : m_redo;
    std::vector<Entry> &to = undo ? m_redo : m_undo;
    m_typingOpen = false;
    if (from.empty())
        return std::nullopt;
    const bool undoBefore = canUndo(), redoBefore = canRedo();
    Entry entry = std::move(from.back());
    from.pop_back();
    const auto step = [this](Step &s) {
        TextBuffer::Span removed = apply(s.pos, s.length, s.text);
        s.length = s.text.size();
        s.text = std::move(removed);
    };
    Selection shown;
    if (undo) {
        for (auto it = entry.steps.rbegin(); it != entry.steps.rend(); ++it)
            step(*it);
        // A selection the edit replaced comes back selected; otherwise the caret goes after
        // what came back.
        const Step &first = entry.steps.front();
        const bool selected = entry.before.anchor != entry.before.caret;
        shown = selected ? entry.before : Selection{first.pos + first.length, first.pos + first.length};
    } else {
        for (Step &s : entry.steps)
            step(s);
        shown = entry.after;
    }
    to.push_back(std::move(entry));
    tellHistory(undoBefore, redoBefore);
    return shown;
}

void TextDocument::clearHistory()
{
    const bool undoBefore = canUndo(), redoBefore = canRedo();
    m_undo.clear();
    m_redo.clear();
    m_typingOpen = false;
    tellHistory(undoBefore, redoBefore);
}

void TextDocument::tellHistory(bool undoBefore, bool redoBefore)
{
    if (undoBefore != canUndo())
        emit undoAvailable(canUndo());
    if (redoBefore != canRedo())
        emit redoAvailable(canRedo());
}

} // namespace platform
