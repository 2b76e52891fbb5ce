#pragma once
// Helpers shared by the small windows (Find, Replace, Go to, print settings, About).

class QLineEdit;
class QString;
class QWidget;

namespace MdlFunctions {

// Selects the whole text of the box; with focus also activates its window and gives the box the
// keyboard focus. Never fails.
void SelectAllText(QLineEdit *box, bool focus);

// Gives every text box of the window the character set (of the editor's font). Qt draws text from
// Unicode whatever a font's character set, so the set has no visible effect here; it is kept as
// the dynamic property "charset" (an int) on each text box, for code that asks for it.
void ApplyTextCharset(QWidget *window, int charset);

// Places the dialog at one eighteenth of the main window's width from its left edge and one
// sixth of its height from its top edge; the dialog's size stays. No correction is made for a
// dialog that ends up partly off the screen.
void PositionDialog(QWidget *dialog, QWidget *mainWindow);

// The value of the number at the start of text, read with a dot as the only decimal separator
// whatever the locale: optional sign, digits, optional fraction, optional exponent; what follows
// is ignored. 0 when the text does not start with a number; infinite beyond the range of double.
double leadingValue(const QString &text);

} // namespace MdlFunctions
