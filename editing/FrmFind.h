#pragma once
// The Find dialog: searches the document forward for a pattern, one hit per press.

#include "editing/SearchDialog.h"

class FrmFind : public SearchDialog {
    Q_OBJECT
public:
    explicit FrmFind(const EditContext &context);

private:
    void Form_Load();
    void CmdFind_Click();

    QPushButton *&CmdFind = CmdDefault;
};
