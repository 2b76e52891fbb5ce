// The text document under random edits, undos and redos, against plain byte arrays.
//
// The input is a text, then a NUL, then operations (a text alone is loaded and read back). Each
// operation is a byte (what) and the bytes it needs: typing, Backspace and Delete at a caret, a
// replacement of any range by any bytes, a drop that moves a range, undo, redo, a caret move
// (which ends a typing run) and emptying the history. Checked after each:
//   - the text is the plain model's, byte for byte, and its line count is the model's;
//   - a watcher that applies only what aboutToChange and changed tell keeps the same text;
//   - every undo goes back to a text the edits made earlier (or the loaded one), every redo
//     forward to a later one, and with nothing left to redo the text is the newest again;
//   - the revision moves exactly when the text may have changed.

#include "platform/textmodel/TextDocument.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <vector>

using platform::EditKind;
using platform::TextDocument;

namespace {

void check(bool ok)
{
    if (!ok)
        abort();
}

class Input {
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool atEnd() const { return m_pos >= m_size; }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    qsizetype number(qsizetype below)   // 0 .. below - 1
    {
        const unsigned value = unsigned(byte()) << 8 | byte();
        return below > 0 ? qsizetype(value % unsigned(below)) : 0;
    }
    QByteArray bytes(qsizetype count)
    {
        QByteArray out;
        while (count-- > 0 && !atEnd())
            out.append(char(byte()));
        return out;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

qsizetype linesOf(const QByteArray &t, TextDocument::Break kind)
{
    qsizetype lines = 1;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const bool crlf = t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n';
        switch (kind) {
        case TextDocument::Break::CrLf: lines += crlf; break;
        case TextDocument::Break::Cr: lines += t[i] == '\r' && !crlf; break;
        case TextDocument::Break::Lf: lines += t[i] == '\n' && (i == 0 || t[i - 1] != '\r'); break;
        }
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const uint8_t *nul = static_cast<const uint8_t *>(memchr(data, 0, size));
    const size_t textSize = nul ? size_t(nul - data) : size;
    QByteArray model(reinterpret_cast<const char *>(data), qsizetype(textSize));
    Input ops(data + textSize + (nul ? 1 : 0), nul ? size - textSize - 1 : 0);

    TextDocument doc;
    doc.setText(model);
    QByteArray watched;
    QByteArray before;
    QObject::connect(&doc, &TextDocument::reset, [&] { watched = doc.text(); });
    QObject::connect(&doc, &TextDocument::aboutToChange, [&](qsizetype pos, qsizetype length) {
        check(pos >= 0 && length >= 0 && pos + length <= doc.size());
        before = doc.text().mid(pos, length);
    });
    QObject::connect(&doc, &TextDocument::changed, [&](qsizetype pos, qsizetype removed, qsizetype inserted) {
        check(watched.mid(pos, removed) == before);
        watched.replace(pos, removed, doc.text().mid(pos, inserted));
    });
    watched = doc.text();
    check(doc.text() == model && !doc.canUndo() && !doc.canRedo());

    // The texts the edits made, oldest first; undo and redo move the current one.
    std::vector<QByteArray> states{model};
    size_t current = 0;
    qsizetype caret = 0;
    TextDocument::Selection selection;
    const auto edit = [&](qsizetype pos, qsizetype length, const QByteArray &bytes, EditKind kind) {
        const quint64 revision = doc.revision();
        const qsizetype end = pos + bytes.size();
        doc.replace(pos, length, bytes, kind, selection, {end, end});
        model.replace(pos, length, bytes);
        check((doc.revision() != revision) == (length > 0 || !bytes.isEmpty()));
        if (length > 0 || !bytes.isEmpty()) {
            states.resize(current + 1);
            states.push_back(model);
            current = states.size() - 1;
        }
        caret = end;
        selection = {caret, caret};
    };
    const auto history = [&](bool undo) {
        const bool could = undo ? doc.canUndo() : doc.canRedo();
        const std::optional<TextDocument::Selection> shown = undo ? doc.undo() : doc.redo();
        check(could == shown.has_value());
        if (!shown)
            return;
        check(shown->anchor >= 0 && shown->caret >= 0 && shown->anchor <= doc.size() && shown->caret <= doc.size());
        // The nearest state in that direction that holds the text.
        size_t found = current;
        if (undo) {
            for (size_t i = current; i-- > 0;) {
                if (states[i] == doc.text()) {
                    found = i;
                    break;
                }
            }
        } else {
            for (size_t i = current + 1; i < states.size(); ++i) {
                if (states[i] == doc.text()) {
                    found = i;
                    break;
                }
            }
        }
        check(found != current);
        current = found;
        model = states[current];
        if (!doc.canRedo())
            check(doc.text() == states.back());
        caret = shown->caret;
        selection = *shown;
    };

    for (int steps = 0; !ops.atEnd() && steps < 2000; ++steps) {
        const uint8_t what = ops.byte();
        const qsizetype length = model.size();
        switch (what % 9) {
        case 0:   // typing, a character at a time
            for (int n = 1 + (what >> 4); n > 0 && !ops.atEnd(); --n)
                edit(caret, 0, ops.bytes(1), EditKind::Typing);
            break;
        case 1:   // Backspace
            if (caret > 0)
                edit(caret - 1, 1, {}, EditKind::DeletingBack);
            else
                doc.closeTyping();
            break;
        case 2:   // Delete
            if (caret < length)
                edit(caret, 1, {}, EditKind::DeletingForward);
            else
                doc.closeTyping();
            break;
        case 3: {   // any range by any bytes
            const qsizetype pos = ops.number(length + 1);
            const qsizetype count = ops.number(length - pos + 1);
            edit(pos, count, ops.bytes(what >> 3), EditKind::Other);
            break;
        }
        case 4:
            history(true);
            break;
        case 5:
            history(false);
            break;
        case 6:   // the caret moves
            doc.closeTyping();
            caret = ops.number(length + 1);
            selection = {caret, caret};
            break;
        case 7: {   // a drop that moves [from, to) to at, as one step
            const qsizetype from = ops.number(length + 1);
            const qsizetype to = from + ops.number(length - from + 1);
            const qsizetype at = ops.number(length + 1);
            if (to == from || (at >= from && at <= to))
                break;
            const QByteArray moved = model.mid(from, to - from);
            const qsizetype target = at > to ? at - moved.size() : at;
            const TextDocument::Selection after{target, target + moved.size()};
            doc.replace(from, to - from, {}, EditKind::Other, {from, to}, after);
            doc.replace(target, 0, moved, EditKind::Joined, {from, to}, after);
            model.remove(from, moved.size());
            model.insert(target, moved);
            states.resize(current + 1);
            states.push_back(model);
            current = states.size() - 1;
            caret = after.caret;
            selection = after;
            break;
        }
        case 8:   // the history emptied: what came before is out of reach
            doc.clearHistory();
            check(!doc.canUndo() && !doc.canRedo());
            states = {model};
            current = 0;
            break;
        }
        check(doc.text() == model && doc.size() == model.size());
        check(watched == model);
    }
    check(doc.buffer().lineCount() == linesOf(model, doc.buffer().dominantBreak()));
    return 0;
}
