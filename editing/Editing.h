#pragma once
// The Edit menu's commands that are more than one operation of the text box, and the three
// modeless dialogs behind Find, Replace and Go to.

#include <QDateTime>

class FrmMain;
namespace platform { class TextBox; }

namespace EditCommands {
// Converts the selection to upper (or lower) case as one undoable replacement and selects it again.
void ChangeCase(platform::TextBox &box, bool toUpper);
// Replaces the selection (or inserts at the caret) with the stamp "hh:mm dd.mm.yyyy".
void InsertTimeDate(platform::TextBox &box, const QDateTime &now);
}

namespace EditDialogs {
// Show the dialog modeless, owned by the main window; if it is open already, only activate it.
void ShowFind(FrmMain &frm);
void ShowReplace(FrmMain &frm);
void ShowGoTo(FrmMain &frm);
}
