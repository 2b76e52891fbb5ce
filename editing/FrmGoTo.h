#pragma once
// The Go-to dialog: selects the character with a given 1-based number (a CR LF counts as two).

#include "platform/ui/SmallDialog.h"

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
struct EditContext;

class FrmGoTo : public platform::SmallDialog {
    Q_OBJECT
public:
    explicit FrmGoTo(const EditContext &context);

    // The character number the text stands for in a document of the given length, or nothing
    // when it is not acceptable: not a number for the user's locale, greater than the length,
    // below 1, with a fractional part, or beyond 32 bits.
    static std::optional<int> characterNumber(const QString &text, qint64 documentLength);

private:
    void Form_Load();
    void Form_Unload() override;
    void TGoTo_Change();
    void CmdGo_Click();

    QLabel *LGoTo;
    QLineEdit *TGoTo;
    QPushButton *CmdGo;
    QPushButton *CmdCancel;
    const EditContext &ctx;
};
