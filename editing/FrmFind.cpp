#include "editing/FrmFind.h"

#include "editing/EditDialogs.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/DialogHelpers.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FrmFind::FrmFind(const EditContext &context)
    : SearchDialog(context, tr("Поиск текста"), 5175, 1455, tr("Н&айти что:"), tr("&Найти"),
                   context.memory.RET_REG_FINDMATCHCASE)
{
    setObjectName(QStringLiteral("FrmFind"));
    TFind->setObjectName(QStringLiteral("TFind"));
    CMatchCase->setObjectName(QStringLiteral("CMatchCase"));
    CmdFind->setObjectName(QStringLiteral("CmdFind"));
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));

    auto *layout = new QGridLayout(this);
    layout->addWidget(LFind, 0, 0);
    layout->addWidget(TFind, 0, 1);
    layout->addWidget(CmdFind, 0, 2);
    layout->addWidget(CMatchCase, 1, 0, 1, 2);
    layout->addWidget(CmdCancel, 1, 2);

    connect(CmdFind, &QPushButton::clicked, this, &FrmFind::CmdFind_Click);
    Form_Load();
}

void FrmFind::Form_Load()
{
    loadSearch();
    MdlFunctions::SelectAllText(TFind, false);
}

void FrmFind::CmdFind_Click()
{
    guarded(tr("При поиске текста произошла ошибка!"), [this] {
        QByteArray pattern;
        const qint64 p = findNext(pattern);
        if (p == 0) {
            askToContinue();
            return;
        }
        platform::TextBox &box = ctx.box;
        box.setSel(int(p - 1), int(p - 1 + pattern.size()));
        box.scrollCaret();
        SearchStart = p + pattern.size();
    });
}
