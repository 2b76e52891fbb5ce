// What the user does in the box: keys, input methods, the mouse, the context menu and drops.
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox_p.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCharFormat>

namespace platform {

namespace {

// The model bytes of the box's own selection travel with its text, so that a move inside the box
// keeps every kind of break.
const QString kModelMime = QStringLiteral("application/x-jotbook-model-text");

// Word moves look at most this far, so that a line of a million letters costs no more.
constexpr qsizetype kWordReach = 64 * 1024;

// What the platform's standard key bindings ask of the box.
enum class Command {
    Move, SelectAll, Copy, Cut, Paste, Undo, Redo, DeleteStartOfWord, DeleteEndOfWord, DeleteEndOfLine
};

struct Binding {
    QKeySequence::StandardKey key;
    Command command;
    // Kept by the box when a shortcut of the window wants the same keys, as Qt's own text
    // widgets keep them.
    bool claimed = false;
    Motion motion = Motion::NextChar;
    bool select = false;
};

// In the order they are matched, as Qt's text widgets match them.
constexpr Binding kBindings[] = {
    {QKeySequence::SelectAll, Command::SelectAll, true},
    {QKeySequence::Copy, Command::Copy, true},
    {QKeySequence::MoveToNextChar, Command::Move, false, Motion::NextChar},
    {QKeySequence::MoveToPreviousChar, Command::Move, false, Motion::PreviousChar},
    {QKeySequence::MoveToNextWord, Command::Move, true, Motion::NextWord},
    {QKeySequence::MoveToPreviousWord, Command::Move, true, Motion::PreviousWord},
    {QKeySequence::MoveToNextLine, Command::Move, false, Motion::NextRow},
    {QKeySequence::MoveToPreviousLine, Command::Move, false, Motion::PreviousRow},
    {QKeySequence::MoveToNextPage, Command::Move, false, Motion::NextPage},
    {QKeySequence::MoveToPreviousPage, Command::Move, false, Motion::PreviousPage},
    {QKeySequence::MoveToStartOfLine, Command::Move, false, Motion::StartOfRow},
    {QKeySequence::MoveToEndOfLine, Command::Move, false, Motion::EndOfRow},
    {QKeySequence::MoveToStartOfBlock, Command::Move, false, Motion::StartOfLine},
    {QKeySequence::MoveToEndOfBlock, Command::Move, false, Motion::EndOfLine},
    {QKeySequence::MoveToStartOfDocument, Command::Move, true, Motion::StartOfText},
    {QKeySequence::MoveToEndOfDocument, Command::Move, true, Motion::EndOfText},
    {QKeySequence::SelectNextChar, Command::Move, false, Motion::NextChar, true},
    {QKeySequence::SelectPreviousChar, Command::Move, false, Motion::PreviousChar, true},
    {QKeySequence::SelectNextWord, Command::Move, true, Motion::NextWord, true},
    {QKeySequence::SelectPreviousWord, Command::Move, true, Motion::PreviousWord, true},
    {QKeySequence::SelectNextLine, Command::Move, false, Motion::NextRow, true},
    {QKeySequence::SelectPreviousLine, Command::Move, false, Motion::PreviousRow, true},
    {QKeySequence::SelectNextPage, Command::Move, false, Motion::NextPage, true},
    {QKeySequence::SelectPreviousPage, Command::Move, false, Motion::PreviousPage, true},
    {QKeySequence::SelectStartOfLine, Command::Move, true, Motion::StartOfRow, true},
    {QKeySequence::SelectEndOfLine, Command::Move, true, Motion::EndOfRow, true},
    {QKeySequence::SelectStartOfBlock, Command::Move, true, Motion::StartOfLine, true},
    {QKeySequence::SelectEndOfBlock, Command::Move, true, Motion::EndOfLine, true},
    {QKeySequence::SelectStartOfDocument, Command::Move, true, Motion::StartOfText, true},
    {QKeySequence::SelectEndOfDocument, Command::Move, true, Motion::EndOfText, true},
    {QKeySequence::Undo, Command::Undo, true},
    {QKeySequence::Redo, Command::Redo, true},
    {QKeySequence::Cut, Command::Cut, true},
    {QKeySequence::Paste, Command::Paste, true},
    {QKeySequence::DeleteStartOfWord, Command::DeleteStartOfWord},
    {QKeySequence::DeleteEndOfWord, Command::DeleteEndOfWord},
    {QKeySequence::DeleteEndOfLine, Command::DeleteEndOfLine},
};

// The binding of the event's keys. Looking each standard key up in the platform theme, as
// QKeyEvent::matches() does, costs more than typing a character; the table is built once.
const Binding *bindingOf(const QKeyEvent *e)
{
    static const QHash<int, const Binding *> table = [] {
        QHash<int, const Binding *> t;
        for (const Binding &b : kBindings) {
            for (const QKeySequence &sequence : QKeySequence::keyBindings(b.key)) {
                if (sequence.count() == 1 && !t.contains(sequence[0].toCombined()))
                    t.insert(sequence[0].toCombined(), &b);
            }
        }
        return t;
    }();
    const QKeyCombination keys(e->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier), Qt::Key(e->key()));
    return table.value(keys.toCombined(), nullptr);
}

// The keys the box keeps for itself when a shortcut of the window wants them too.
bool isCommonTextEditShortcut(const QKeyEvent *ke)
{
    const Qt::KeyboardModifiers modifiers = ke->modifiers();
    if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier || modifiers == Qt::KeypadModifier) {
        if (ke->key() < Qt::Key_Escape)
            return true;
        switch (ke->key()) {
        case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Delete: case Qt::Key_Home: case Qt::Key_End:
        case Qt::Key_Backspace: case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
        case Qt::Key_Tab:
            return true;
        default:
            return false;
        }
    }
    const Binding *binding = bindingOf(ke);
    return binding && binding->claimed;
}

// Characters of one class make a word: letters and digits, spaces (the no-break space too), other
// signs; a break is a class of its own.
int charClass(char byte)
{
    if (byte == '\r' || byte == '\n')
        return 3;
    const QChar ch = Ansi::toUnicode(uchar(byte));
    if (ch.isSpace())
        return 0;
    return ch.isLetterOrNumber() || ch == QLatin1Char('_') ? 1 : 2;
}

} // namespace

QMimeData *modelMimeData(const QByteArray &model, TextBuffer::Break dominant)
{
    auto *data = new QMimeData;
    data->setText(outgoingText(model, dominant, Marks::AsTheyAre));
    data->setData(kModelMime, model);
    return data;
}

QByteArray TextBox::Private::pasted(const QMimeData *data) const
{
    // Text the box put there itself comes back as the bytes it was, when they read here as the
    // same text: a document with another kind of break takes the text.
    const QString text = data->text();
    if (data->hasFormat(kModelMime)) {
        const QByteArray model = data->data(kModelMime);
        if (outgoingText(model, buffer.dominantBreak(), Marks::AsTheyAre) == text)
            return model;
    }
    return incoming(text, true);
}

// ---- moving the caret ---------------------------------------------------------------------------

qsizetype TextBox::Private::nextWord(qsizetype pos) const
{
    const qsizetype size = buffer.size(), limit = qMin(size, pos + kWordReach);
    if (pos >= size)
        return size;
    const int cls = charClass(buffer.at(pos));
    if (cls == 3)
        return nextChar(pos);
    while (pos < limit && charClass(buffer.at(pos)) == cls)
        ++pos;
    while (pos < limit && charClass(buffer.at(pos)) == 0)
        ++pos;
    return pos;
}

qsizetype TextBox::Private::previousWord(qsizetype pos) const
{
    const qsizetype limit = qMax<qsizetype>(0, pos - kWordReach), from = pos;
    while (pos > limit && charClass(buffer.at(pos - 1)) == 0)
        --pos;
    if (pos <= 0)
        return 0;
    const int cls = charClass(buffer.at(pos - 1));
    if (cls == 3)   // spaces before it end at the start of their line
        return pos < from ? pos : previousChar(pos);
    while (pos > limit && charClass(buffer.at(pos - 1)) == cls)
        --pos;
    return pos;
}

void TextBox::Private::wordAt(qsizetype pos, qsizetype *from, qsizetype *to) const
{
    const qsizetype size = buffer.size();
    *from = *to = pos;
    if (size == 0)
        return;
    if (pos >= size || charClass(buffer.at(pos)) == 3)
        pos = qMax<qsizetype>(0, pos - 1);
    const int cls = charClass(buffer.at(pos));
    if (cls == 3)
        return;
    *from = *to = pos;
    while (*from > 0 && pos - *from < kWordReach && charClass(buffer.at(*from - 1)) == cls)
        --*from;
    while (*to < size && *to - pos < kWordReach && charClass(buffer.at(*to)) == cls)
        ++*to;
}

qsizetype TextBox::Private::endOfRow(const TextRows::Row &row) const
{
    // Before the space the row wrapped at, as Qt's text widgets do.
    const qsizetype end = rows.rowEnd(row);
    const bool wrapped = end < row.segment.end || !row.segment.isLastOfLine();
    if (wrapped && end > rows.rowStart(row)) {
        if (Ansi::toUnicode(uchar(buffer.at(end - 1))).isSpace())   // the no-break space too
            return end - 1;
    }
    return end;
}

void TextBox::Private::move(Motion motion, bool select)
{
    qsizetype target = caret;
    qreal goal = -1;   // where Up and Down aim after this move: only they keep it
    switch (motion) {
    case Motion::NextChar:
        target = hasSelection() && !select ? selEnd() : nextChar(caret);
        break;
    case Motion::PreviousChar:
        target = hasSelection() && !select ? selStart() : previousChar(caret);
        break;
    case Motion::NextWord: target = nextWord(caret); break;
    case Motion::PreviousWord: target = previousWord(caret); break;
    case Motion::StartOfRow: target = rows.rowStart(rows.rowAt(caret)); break;
    case Motion::EndOfRow: target = endOfRow(rows.rowAt(caret)); break;
    case Motion::StartOfLine: target = buffer.lineStart(buffer.lineOf(caret)); break;
    case Motion::EndOfLine: target = buffer.lineEnd(buffer.lineOf(caret)); break;
    case Motion::StartOfText: target = 0; break;
    case Motion::EndOfText: target = buffer.size(); break;
    case Motion::NextRow:
    case Motion::PreviousRow:
    case Motion::NextPage:
    case Motion::PreviousPage: {
        const TextRows::Row row = rows.rowAt(caret);
        goal = goalX >= 0 ? goalX : rows.textLine(row).cursorToX(layoutOffset(row.segment, caret));
        const bool page = motion == Motion::NextPage || motion == Motion::PreviousPage;
        const int step = page ? viewRows() : 1;
        const bool down = motion == Motion::NextRow || motion == Motion::NextPage;
        int moved = 0;
        const TextRows::Row to = rows.advance(row, down ? step : -step, &moved);
        if (moved == 0) {
            // On the first or the last row, Shift+Up and Shift+Down select to the start or the
            // end of the text, as in Qt's text widgets; other keys leave everything as it is.
            if (!select || page) {
                closeTyping();
                goalX = goal;
                return;
            }
            target = down ? buffer.size() : 0;
            goal = -1;
            break;
        }
        if (page)
            scrollRows(moved);   // the caret keeps its place on the screen
        const QTextLine line = rows.textLine(to);
        target = qBound(rows.rowStart(to), to.segment.start + line.xToCursor(goal), rows.rowEnd(to));
        break;
    }
    }
    closeTyping();
    setSelection(select ? anchor : target, target);
    goalX = goal;
    ensureVisible(caret);
}

// ---- keys -----------------------------------------------------------------------------------------

bool TextBox::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && !d->readOnly
        && isCommonTextEditShortcut(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

bool TextBox::focusNextPrevChild(bool next)
{
    // Tab is a character here.
    if (!d->readOnly)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TextBox::keyPressEvent(QKeyEvent *e)
{
    const bool editable = !d->readOnly;
    const QString text = e->text();
    const Qt::KeyboardModifiers modifiers = e->modifiers() & ~Qt::KeypadModifier;
    const bool shift = modifiers == Qt::ShiftModifier;
    e->accept();
    // Characters and the keys used most are handled before the standard key bindings are looked
    // at, which costs more than typing.
    if (editable && !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && !text.isEmpty()
        && (text.at(0).isPrint() || text == QLatin1String("\t"))) {
        d->editSelection(d->incoming(text, false), EditKind::Typing);
        d->ensureVisible(d->caret);
        return;
    }
    if (editable && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        // Whatever the modifiers: the dominant break.
        d->editSelection(d->breakBytes(), EditKind::Other);
        d->ensureVisible(d->caret);
        return;
    }
    if (modifiers == Qt::NoModifier || shift) {
        switch (e->key()) {
        case Qt::Key_Left: d->move(Motion::PreviousChar, shift); return;
        case Qt::Key_Right: d->move(Motion::NextChar, shift); return;
        case Qt::Key_Up: d->move(Motion::PreviousRow, shift); return;
        case Qt::Key_Down: d->move(Motion::NextRow, shift); return;
        case Qt::Key_Home: d->move(Motion::StartOfRow, shift); return;
        case Qt::Key_End: d->move(Motion::EndOfRow, shift); return;
        case Qt::Key_PageUp: d->move(Motion::PreviousPage, shift); return;
        case Qt::Key_PageDown: d->move(Motion::NextPage, shift); return;
        case Qt::Key_Backspace:
            if (!editable)
                break;
            if (d->hasSelection())
                d->editSelection(QByteArrayView(), EditKind::Other);
            else if (d->caret > 0)
                d->edit(d->previousChar(d->caret), d->caret - d->previousChar(d->caret), QByteArrayView(),
                        EditKind::DeletingBack);
            else
                d->nothingEdited();
            d->ensureVisible(d->caret);
            return;
        case Qt::Key_Delete:
            if (!editable || shift)
                break;   // Shift+Delete cuts
            if (d->hasSelection())
                d->editSelection(QByteArrayView(), EditKind::Other);
            else if (d->caret < d->buffer.size())
                d->edit(d->caret, d->nextChar(d->caret) - d->caret, QByteArrayView(), EditKind::DeletingForward);
            else
                d->nothingEdited();
            d->ensureVisible(d->caret);
            return;
        default:
            break;
        }
    }
    const Binding *binding = bindingOf(e);
    if (binding && binding->command == Command::Move) {
        d->move(binding->motion, binding->select);
        return;
    }
    if (binding && binding->command == Command::SelectAll) {
        selectAll();
        return;
    }
    if (binding && binding->command == Command::Copy) {
        copySel();
        return;
    }
    if (!editable) {
        e->ignore();
        return;
    }
    switch (binding ? binding->command : Command::Move) {
    case Command::Undo: undoEdit(); break;
    case Command::Redo: redoEdit(); break;
    case Command::Cut: cutSel(); break;
    case Command::Paste: pasteClip(); break;
    case Command::DeleteStartOfWord:
    case Command::DeleteEndOfWord: {
        // The word goes as an edit of its own, not as a selection: undo gives it back unselected.
        const qsizetype to = binding->command == Command::DeleteStartOfWord ? d->previousWord(d->caret)
                                                                           : d->nextWord(d->caret);
        if (d->hasSelection())
            d->editSelection(QByteArrayView(), EditKind::Other);
        else if (to != d->caret)
            d->edit(qMin(to, d->caret), qAbs(to - d->caret), QByteArrayView(), EditKind::Other);
        else
            d->nothingEdited();
        break;
    }
    case Command::DeleteEndOfLine:
        d->edit(d->caret, d->buffer.lineEnd(d->buffer.lineOf(d->caret)) - d->caret, QByteArrayView(), EditKind::Other);
        break;
    default: {
        // What is left: text whose first character only becomes printable here (a character
        // outside the BMP becomes '?'), or a key the box has no use for.
        const QByteArray bytes = d->incoming(text, false);
        if (bytes.isEmpty() || !Ansi::toUnicode(uchar(bytes.front())).isPrint() || modifiers & Qt::ControlModifier) {
            e->ignore();
            return;
        }
        d->editSelection(bytes, EditKind::Typing);
        break;
    }
    }
    d->ensureVisible(d->caret);
}

// ---- input methods ------------------------------------------------------------------------------

void TextBox::inputMethodEvent(QInputMethodEvent *e)
{
    if (d->readOnly) {
        e->ignore();
        return;
    }
    if (!e->commitString().isEmpty() || e->replacementLength() > 0) {
        if (!d->hasSelection() && (e->replacementStart() != 0 || e->replacementLength() > 0)) {
            d->anchor = d->snap(d->caret + e->replacementStart());
            d->caret = d->snap(d->anchor + e->replacementLength());
        }
        d->editSelection(d->incoming(e->commitString(), true), EditKind::Typing);
    }
    d->preedit = e->preeditString();
    d->preeditCursor = int(d->preedit.size());
    QList<QTextLayout::FormatRange> formats;
    for (const QInputMethodEvent::Attribute &a : e->attributes()) {
        if (a.type == QInputMethodEvent::Cursor)
            d->preeditCursor = a.start;
        else if (a.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            if (format.isValid())
                formats.append({int(d->caret - d->rows.segmentAt(d->caret).start) + a.start, a.length, format});
        }
    }
    d->rows.setPreedit(d->caret, d->preedit, formats);
    d->lastTopKnown = -1;
    d->ensureVisible(d->caret);
    viewport()->update();
    e->accept();
}

QVariant TextBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // Around the caret: its segment (a line, or a piece of a long one).
    const TextRows::Segment segment = d->rows.segmentAt(d->caret);
    switch (query) {
    case Qt::ImEnabled: return !d->readOnly;
    case Qt::ImHints: return int(Qt::ImhMultiLine);
    case Qt::ImFont: return font();
    case Qt::ImCursorRectangle:
        return QRectF(d->caretRect(d->caret).translated(viewport()->geometry().topLeft()));
    case Qt::ImAnchorRectangle:
        return QRectF(d->caretRect(d->anchor).translated(viewport()->geometry().topLeft()));
    case Qt::ImAbsolutePosition: return int(d->caret);
    case Qt::ImSurroundingText: return d->decode(segment.start, segment.end - segment.start);
    case Qt::ImCursorPosition: return int(d->caret - segment.start);
    case Qt::ImAnchorPosition: return int(qBound(segment.start, d->anchor, segment.end) - segment.start);
    case Qt::ImCurrentSelection: return d->decode(d->selStart(), qMin<qsizetype>(d->selEnd() - d->selStart(), 4096));
    case Qt::ImTextBeforeCursor: return d->decode(segment.start, d->caret - segment.start);
    case Qt::ImTextAfterCursor: return d->decode(d->caret, segment.end - d->caret);
    case Qt::ImMaximumTextLength: return QVariant();
    default: return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// ---- the mouse ----------------------------------------------------------------------------------

void TextBox::mousePressEvent(QMouseEvent *e)
{
    const QPoint point = e->position().toPoint();
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    const qsizetype pos = d->hit(point);
    d->closeTyping();
    d->goalX = -1;
    if (d->clickTimer.isActive()
        && (point - d->pressPoint).manhattanLength() < QApplication::startDragDistance()) {
        // The third click: the whole line.
        d->clickTimer.stop();
        const qsizetype line = d->buffer.lineOf(pos);
        d->setSelection(d->buffer.lineStart(line), d->buffer.lineEnd(line));
        return;
    }
    d->pressPoint = point;
    if (!(e->modifiers() & Qt::ShiftModifier) && d->hasSelection() && pos >= d->selStart() && pos < d->selEnd()) {
        d->dragPending = true;
        return;
    }
    d->selecting = true;
    d->lastMouse = point;
    d->setSelection(e->modifiers() & Qt::ShiftModifier ? d->anchor : pos, pos);
}

void TextBox::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint point = e->position().toPoint();
    if (d->dragPending) {
        if ((point - d->pressPoint).manhattanLength() < QApplication::startDragDistance())
            return;
        d->dragPending = false;
        const qsizetype from = d->selStart(), to = d->selEnd();
        const quint64 revision = d->doc.revision();
        auto *drag = new QDrag(this);
        drag->setMimeData(modelMimeData(selectedText(), d->buffer.dominantBreak()));
        d->ownDrop = true;
        d->ownDropDone = false;
        const Qt::DropAction action =
            drag->exec(d->readOnly ? Qt::CopyAction : Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
        d->ownDrop = false;
        // Moved to another program: the text leaves this one.
        if (action == Qt::MoveAction && !d->ownDropDone && d->doc.revision() == revision && !d->readOnly) {
            d->setSelection(from, to);
            d->editSelection(QByteArrayView(), EditKind::Other);
        }
        return;
    }
    if (!d->selecting || !(e->buttons() & Qt::LeftButton))
        return;
    d->lastMouse = point;
    const bool outside = point.y() < 0 || point.y() >= viewport()->height();
    if (outside && !d->scrollTimer.isActive())
        d->scrollTimer.start(50, this);
    else if (!outside)
        d->scrollTimer.stop();
    d->setSelection(d->anchor, d->hit(point));
}

void TextBox::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint point = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        d->scrollTimer.stop();
        d->selecting = false;
        if (d->dragPending) {
            d->dragPending = false;
            const qsizetype pos = d->hit(point);
            d->setSelection(pos, pos);
        }
        return;
    }
    if (e->button() == Qt::MiddleButton && !d->readOnly && QApplication::clipboard()->supportsSelection()) {
        // The X primary selection goes in where the button was released; there may be none.
        const QMimeData *data = QApplication::clipboard()->mimeData(QClipboard::Selection);
        if (data && data->hasText()) {
            const QString text = data->text();
            const qsizetype pos = d->hit(point);
            d->closeTyping();
            d->setSelection(pos, pos);
            d->editSelection(d->incoming(text, true), EditKind::Other);
        }
        e->accept();
    }
}

void TextBox::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    qsizetype from = 0, to = 0;
    d->wordAt(d->hit(e->position().toPoint()), &from, &to);
    d->closeTyping();
    d->setSelection(from, to);
    d->pressPoint = e->position().toPoint();
    d->clickTimer.start(QApplication::doubleClickInterval(), this);
}

void TextBox::wheelEvent(QWheelEvent *e)
{
    // A notch scrolls the usual rows; the finer steps of a touchpad add up to rows.
    d->wheelRows += -e->angleDelta().y() / 120.0 * QApplication::wheelScrollLines();
    const int count = int(d->wheelRows);
    d->wheelRows -= count;
    if (count != 0)
        d->scrollRows(count);
    e->accept();
}

void TextBox::timerEvent(QTimerEvent *e)
{
    if (e->timerId() == d->blinkTimer.timerId()) {
        d->caretOn = !d->caretOn;
        d->updateCaret();
    } else if (e->timerId() == d->scrollTimer.timerId()) {
        // Scrolls faster the further the mouse is past the edge.
        const int y = d->lastMouse.y();
        const int h = viewport()->height();
        const int distance = y < 0 ? y : y >= h ? y - h + 1 : 0;
        if (distance == 0) {
            d->scrollTimer.stop();
            return;
        }
        d->scrollRows(distance / d->rows.rowHeight() + (distance > 0 ? 1 : -1));
        const QPoint inside(d->lastMouse.x(), qBound(0, y, h - 1));
        d->setSelection(d->anchor, d->hit(inside));
    } else if (e->timerId() == d->clickTimer.timerId()) {
        d->clickTimer.stop();
    } else {
        QAbstractScrollArea::timerEvent(e);
    }
}

void TextBox::focusInEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusInEvent(e);
    d->restartBlink();
}

void TextBox::focusOutEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusOutEvent(e);
    d->closeTyping();
    d->blinkTimer.stop();
    d->caretOn = false;
    d->updateCaret();
}

// ---- the context menu ---------------------------------------------------------------------------

QMenu *TextBox::createStandardContextMenu()
{
    // Qt's own texts, so that its translations apply.
    const auto tr = [](const char *text) { return QCoreApplication::translate("QWidgetTextControl", text); };
    auto *menu = new QMenu(this);
    const auto add = [&](const char *name, const char *text, QKeySequence::StandardKey key, bool enabled,
                         void (TextBox::*slot)()) {
        QAction *a = menu->addAction(tr(text) + QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText));
        a->setObjectName(QLatin1String(name));
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, slot);
    };
    const bool editable = !d->readOnly;
    const QMimeData *clip = QApplication::clipboard()->mimeData();
    add("edit-undo", "&Undo", QKeySequence::Undo, editable && canUndo(), &TextBox::undoEdit);
    add("edit-redo", "&Redo", QKeySequence::Redo, editable && canRedo(), &TextBox::redoEdit);
    menu->addSeparator();
    add("edit-cut", "Cu&t", QKeySequence::Cut, editable && d->hasSelection(), &TextBox::cutSel);
    add("edit-copy", "&Copy", QKeySequence::Copy, d->hasSelection(), &TextBox::copySel);
    add("edit-paste", "&Paste", QKeySequence::Paste, editable && clip && clip->hasText(), &TextBox::pasteClip);
    QAction *remove = menu->addAction(tr("Delete"));
    remove->setObjectName(QStringLiteral("edit-delete"));
    remove->setEnabled(editable && d->hasSelection());
    connect(remove, &QAction::triggered, this, &TextBox::clearSel);
    menu->addSeparator();
    add("select-all", "Select All", QKeySequence::SelectAll, !d->buffer.isEmpty(), &TextBox::selectAll);
    return menu;
}

void TextBox::contextMenuEvent(QContextMenuEvent *e)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

// ---- drops --------------------------------------------------------------------------------------

static bool isOwnDrag(const TextBox *view, const QDropEvent *event)
{
    const auto *source = qobject_cast<const QWidget *>(event->source());
    return source && (source == view || view->isAncestorOf(source)) && !event->mimeData()->hasUrls();
}

// Files and foreign data go to the owner, which only reads them: the source is answered with an
// action that leaves its data where it is (after a move it would delete what it sent), or refused.
static Qt::DropAction keepingAction(Qt::DropActions offered)
{
    if (offered & Qt::CopyAction)
        return Qt::CopyAction;
    return offered & Qt::LinkAction ? Qt::LinkAction : Qt::IgnoreAction;
}

static void answerDrag(const TextBox *view, bool readOnly, QDragMoveEvent *e)
{
    if (isOwnDrag(view, e) && !readOnly) {
        e->acceptProposedAction();
        return;
    }
    const Qt::DropAction keep = keepingAction(e->possibleActions());
    e->setDropAction(keep);
    e->setAccepted(keep != Qt::IgnoreAction);
}

void TextBox::dragEnterEvent(QDragEnterEvent *e)
{
    answerDrag(this, d->readOnly, e);
}

void TextBox::dragMoveEvent(QDragMoveEvent *e)
{
    if (isOwnDrag(this, e) && !d->readOnly) {
        const qsizetype pos = d->hit(e->position().toPoint());
        if (pos != d->dropCaret) {
            viewport()->update(d->caretRect(d->dropCaret).adjusted(-2, 0, 2, 0));
            d->dropCaret = pos;
            viewport()->update(d->caretRect(d->dropCaret).adjusted(-2, 0, 2, 0));
        }
    }
    answerDrag(this, d->readOnly, e);
}

void TextBox::dragLeaveEvent(QDragLeaveEvent *e)
{
    viewport()->update(d->caretRect(d->dropCaret).adjusted(-2, 0, 2, 0));
    d->dropCaret = -1;
    e->accept();
}

void TextBox::dropEvent(QDropEvent *e)
{
    viewport()->update(d->caretRect(d->dropCaret).adjusted(-2, 0, 2, 0));
    d->dropCaret = -1;
    if (!isOwnDrag(this, e) || d->readOnly) {
        // Files and foreign data are the owner's business: the drop stays ignored unless it
        // takes them.
        const Qt::DropAction keep = keepingAction(e->possibleActions());
        e->setDropAction(keep);
        e->ignore();
        if (keep != Qt::IgnoreAction)
            emit dataDropped(e);
        return;
    }
    const qsizetype pos = d->hit(e->position().toPoint());
    const QByteArray bytes = e->mimeData()->hasFormat(kModelMime) ? e->mimeData()->data(kModelMime)
                                                                   : d->incoming(e->mimeData()->text(), true);
    const bool move = e->dropAction() == Qt::MoveAction && d->ownDrop;
    const qsizetype from = d->selStart(), to = d->selEnd();
    e->acceptProposedAction();
    d->ownDropDone = true;
    if (move && pos >= from && pos <= to)
        return;   // onto itself
    d->beginEdit();
    const TextDocument::Selection before{d->anchor, d->caret};
    const qsizetype at = move && pos > to ? pos - (to - from) : pos;
    const TextDocument::Selection after{at, at + bytes.size()};
    if (move) {
        // One undo step takes the text out and puts it in.
        d->doc.replace(from, to - from, QByteArrayView(), EditKind::Other, before, after);
        d->doc.replace(at, 0, bytes, EditKind::Joined, before, after);
    } else {
        d->doc.replace(at, 0, bytes, EditKind::Other, before, after);
    }
    d->anchor = after.anchor;
    d->caret = after.caret;
    d->closeTyping();
    d->endEdit();
}

} // namespace platform
