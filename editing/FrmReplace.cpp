#include "editing/FrmReplace.h"

#include "editing/EditDialogs.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/DialogHelpers.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FrmReplace::FrmReplace(const EditContext &context)
    : SearchDialog(context, tr("Замена текста"), 5295, 1815, tr("З&аменить что:"), tr("&Заменить"),
                   context.memory.RET_REG_REPLACEMATCHCASE)
    , LReplace(new QLabel(tr("За&менить чем:"), this))
    , TReplace(new QLineEdit(this))
{
    setObjectName(QStringLiteral("FrmReplace"));
    TFind->setObjectName(QStringLiteral("TFind"));
    TReplace->setObjectName(QStringLiteral("TReplace"));
    CMatchCase->setObjectName(QStringLiteral("CMatchCase"));
    CmdReplace->setObjectName(QStringLiteral("CmdReplace"));
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    LReplace->setBuddy(TReplace);

    auto *layout = new QGridLayout(this);
    layout->addWidget(LFind, 0, 0);
    layout->addWidget(TFind, 0, 1);
    layout->addWidget(CmdReplace, 0, 2);
    layout->addWidget(LReplace, 1, 0);
    layout->addWidget(TReplace, 1, 1);
    layout->addWidget(CmdCancel, 1, 2);
    layout->addWidget(CMatchCase, 2, 0, 1, 2);
    setTabOrder(TFind, TReplace);
    setTabOrder(TReplace, CMatchCase);

    connect(CmdReplace, &QPushButton::clicked, this, &FrmReplace::CmdReplace_Click);
    Form_Load();
}

void FrmReplace::Form_Load()
{
    loadSearch();
    TReplace->setText(ctx.memory.ReplaceTemp.isEmpty() ? tr("Образец замены") : ctx.memory.ReplaceTemp);
    MdlFunctions::SelectAllText(TFind, false);
}

void FrmReplace::CmdReplace_Click()
{
    guarded(tr("При замене текста произошла ошибка!"), [this] {
        QByteArray pattern;
        const QByteArray replacement = platform::Ansi::fromUnicode(TReplace->text());
        const qint64 p = findNext(pattern);
        if (p == 0) {
            askToContinue();
            return;
        }
        ctx.search.replaceHit(ctx.box, p, pattern, replacement);
        // Go on after the inserted text: a replacement that holds the pattern is not replaced again.
        SearchStart = p + replacement.size();
    });
}

void FrmReplace::Form_Unload()
{
    SearchDialog::Form_Unload();
    ctx.memory.ReplaceTemp = TReplace->text();
}
