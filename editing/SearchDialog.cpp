#include "editing/SearchDialog.h"

#include "app/FrmMain.h"
#include "editing/DialogHelpers.h"
#include "editing/TextSearch.h"
#include "platform/Ansi.h"
#include "platform/TextBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

int SearchDialog::s_open = 0;

SearchDialog::SearchDialog(FrmMain &frm, const QString &caption, int clientWidthTwips, int clientHeightTwips,
                           const QString &findCaption, const QString &defaultCaption, qint32 &matchCaseSetting)
    : SmallDialog(frm, caption, clientWidthTwips, clientHeightTwips)
    , LFind(new QLabel(findCaption, this))
    , TFind(new QLineEdit(this))
    , CMatchCase(new QCheckBox(tr("&С учётом регистра"), this))
    , CmdDefault(new QPushButton(defaultCaption, this))
    , CmdCancel(new QPushButton(tr("&Отмена"), this))
    , m_matchCaseSetting(matchCaseSetting)
{
    ++s_open;
    LFind->setBuddy(TFind);
    CmdDefault->setDefault(true);
    connect(TFind, &QLineEdit::textChanged, this, &SearchDialog::TFind_Change);
    connect(CmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

SearchDialog::~SearchDialog()
{
    // The cached document copies serve only open dialogs.
    if (--s_open == 0)
        TextSearch::releaseCache();
}

void SearchDialog::loadSearch()
{
    MdlFunctions::PositionDialog(this, frm);
    // The 0-based caret offset is taken as the 1-based start, so a hit that ends at the caret
    // is found first.
    const int caret = frm.TTextBlock ? frm.TTextBlock->selStart() : 0;
    SearchStart = caret >= 1 ? caret : 1;
    CMatchCase->setChecked(m_matchCaseSetting != 0);
    TFind->setText(frm.FindTemp.isEmpty() ? tr("Образец поиска") : frm.FindTemp);
    TFind_Change();
}

void SearchDialog::TFind_Change()
{
    CmdDefault->setEnabled(!TFind->text().isEmpty());
}

qint64 SearchDialog::findNext(QByteArray &pattern)
{
    const QString text = TFind->text();
    pattern = platform::Ansi::fromUnicode(text);
    // A character the code page cannot hold cannot be in the document either (it would
    // otherwise be searched as '?').
    for (QChar ch : text) {
        if (!platform::Ansi::isRepresentable(ch))
            return 0;
    }
    if (!frm.TTextBlock)
        return 0;
    return TextSearch::findInBox(*frm.TTextBlock, pattern, SearchStart, CMatchCase->isChecked());
}

void SearchDialog::askToContinue()
{
    const MsgAnswer answer = frm.msgBox(tr("Поиск по документу завершен.") + QStringLiteral("\r\n\r\n") + tr("Продолжить?"),
                                        MsgButtons::YesNo, MsgIcon::Information, 1);
    if (answer == MsgAnswer::Yes) {
        SearchStart = 1;
        MdlFunctions::SelectAllText(TFind, true);
    } else {
        close();
    }
}

void SearchDialog::showFailure(const QString &text)
{
    frm.msgBox(text, MsgButtons::Ok, MsgIcon::Warning);
}

void SearchDialog::Form_Unload()
{
    frm.FindTemp = TFind->text();
    m_matchCaseSetting = CMatchCase->isChecked() ? 1 : 0;
}
