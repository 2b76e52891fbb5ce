#pragma once
// What the Find and Replace dialogs share: the pattern box with its label, the match-case box,
// the default and Cancel buttons, the 1-based position where the next search begins, and the
// question at the end of the document.

#include "platform/ui/SmallDialog.h"

#include <QByteArray>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct EditContext;

class SearchDialog : public platform::SmallDialog {
    Q_OBJECT
public:
    qint64 searchStart() const { return SearchStart; }

protected:
    // matchCaseSetting is the remembered setting that keeps this dialog's match-case state.
    SearchDialog(const EditContext &context, const QString &caption, int clientWidthTwips, int clientHeightTwips,
                 const QString &findCaption, const QString &defaultCaption, qint32 &matchCaseSetting);

    // Load steps up to filling the pattern box: placing, start position, match case, pattern.
    void loadSearch();
    // The 1-based position of the next hit of the pattern from SearchStart, 0 when there is none.
    // The pattern as searched (Windows-1251) is returned in pattern.
    qint64 findNext(QByteArray &pattern);
    // No hit up to the end: ask whether to go on from the top.
    void askToContinue();
    // Runs one press of the default button; a failure shows failureText.
    template <class Step>
    void guarded(const QString &failureText, Step step);
    void Form_Unload() override;

    QLabel *LFind;
    QLineEdit *TFind;
    QCheckBox *CMatchCase;
    QPushButton *CmdDefault;
    QPushButton *CmdCancel;
    qint64 SearchStart = 1;
    const EditContext &ctx;

private:
    void TFind_Change();
    void showFailure(const QString &text);

    qint32 &m_matchCaseSetting;
};

template <class Step>
void SearchDialog::guarded(const QString &failureText, Step step)
{
    try {
        step();
    } catch (const std::exception &) {
        showFailure(failureText);
    }
}
