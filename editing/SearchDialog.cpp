#include "editing/SearchDialog.h"

#include "editing/EditDialogs.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/DialogHelpers.h"
#include "platform/ui/Messenger.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

SearchDialog::SearchDialog(const EditContext &context, const QString &caption, int clientWidthTwips,
                           int clientHeightTwips, const QString &findCaption, const QString &defaultCaption,
                           qint32 &matchCaseSetting)
    : SmallDialog(context.host, caption, clientWidthTwips, clientHeightTwips)
    , LFind(new QLabel(findCaption, this))
    , TFind(new QLineEdit(this))
    , CMatchCase(new QCheckBox(tr("&С учётом регистра"), this))
    , CmdDefault(new QPushButton(defaultCaption, this))
    , CmdCancel(new QPushButton(tr("&Отмена"), this))
    , ctx(context)
    , m_matchCaseSetting(matchCaseSetting)
{
    LFind->setBuddy(TFind);
    CmdDefault->setDefault(true);
    connect(TFind, &QLineEdit::textChanged, this, &SearchDialog::TFind_Change);
    connect(CmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SearchDialog::loadSearch()
{
    MdlFunctions::PositionDialog(this, host.mainWindow);
    // The 0-based caret offset is taken as the 1-based start, so a hit that ends at the caret
    // is found first.
    const int caret = ctx.box.selStart();
    SearchStart = caret >= 1 ? caret : 1;
    CMatchCase->setChecked(m_matchCaseSetting != 0);
    TFind->setText(ctx.memory.FindTemp.isEmpty() ? tr("Образец поиска") : ctx.memory.FindTemp);
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
    return ctx.search.find(ctx.box, pattern, SearchStart, CMatchCase->isChecked());
}

void SearchDialog::askToContinue()
{
    const MsgAnswer answer = ctx.messages.msgBox(tr("Поиск по документу завершен.") + QStringLiteral("\r\n\r\n") + tr("Продолжить?"),
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
    ctx.messages.msgBox(text, MsgButtons::Ok, MsgIcon::Warning);
}

void SearchDialog::Form_Unload()
{
    ctx.memory.FindTemp = TFind->text();
    m_matchCaseSetting = CMatchCase->isChecked() ? 1 : 0;
}
