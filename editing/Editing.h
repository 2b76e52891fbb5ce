#pragma once
// The Edit menu's commands that are more than one operation of the text box.

#include <QDateTime>

namespace platform { class TextBox; }

namespace EditCommands {
// Converts the selection to upper (or lower) case as one undoable replacement and selects it again.
void ChangeCase(platform::TextBox &box, bool toUpper);
// Replaces the selection (or inserts at the caret) with the stamp "hh:mm dd.mm.yyyy".
void InsertTimeDate(platform::TextBox &box, const QDateTime &now);
}
