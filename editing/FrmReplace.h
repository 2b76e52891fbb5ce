#pragma once
// The Replace dialog: replaces the next occurrence of a pattern, one per press.

#include "editing/SearchDialog.h"

class FrmReplace : public SearchDialog {
    Q_OBJECT
public:
    explicit FrmReplace(const EditContext &context);

private:
    void Form_Load();
    void Form_Unload() override;
    void CmdReplace_Click();

    QLabel *LReplace;
    QLineEdit *TReplace;
    QPushButton *&CmdReplace = CmdDefault;
};
