#include "editing/FrmGoTo.h"

#include "editing/EditDialogs.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/DialogHelpers.h"
#include "platform/ui/Messenger.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <cmath>
#include <limits>

using platform::MsgButtons;
using platform::MsgIcon;

FrmGoTo::FrmGoTo(const EditContext &context)
    : SmallDialog(context.host, tr("Переход"), 3975, 1455)
    , LGoTo(new QLabel(tr("&Номер символа:"), this))
    , TGoTo(new QLineEdit(this))
    , CmdGo(new QPushButton(tr("&Перейти"), this))
    , CmdCancel(new QPushButton(tr("&Отмена"), this))
    , ctx(context)
{
    setObjectName(QStringLiteral("FrmGoTo"));
    TGoTo->setObjectName(QStringLiteral("TGoTo"));
    CmdGo->setObjectName(QStringLiteral("CmdGo"));
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    LGoTo->setBuddy(TGoTo);
    CmdGo->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addWidget(LGoTo, 0, 0);
    layout->addWidget(TGoTo, 0, 1);
    layout->addWidget(CmdGo, 0, 2);
    layout->addWidget(CmdCancel, 1, 2);

    connect(TGoTo, &QLineEdit::textChanged, this, &FrmGoTo::TGoTo_Change);
    connect(CmdGo, &QPushButton::clicked, this, &FrmGoTo::CmdGo_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    Form_Load();
}

void FrmGoTo::Form_Load()
{
    MdlFunctions::PositionDialog(this, host.mainWindow);
    TGoTo->setText(ctx.memory.GoToTemp.isEmpty() ? QStringLiteral("1") : ctx.memory.GoToTemp);
    TGoTo_Change();
    MdlFunctions::SelectAllText(TGoTo, false);
}

void FrmGoTo::TGoTo_Change()
{
    CmdGo->setEnabled(!TGoTo->text().isEmpty());
}

std::optional<int> FrmGoTo::characterNumber(const QString &text, qint64 documentLength)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || MdlFunctions::leadingValue(text) > double(documentLength))
        return std::nullopt;
    // Anything that is not a whole character number inside the document is refused as well
    // (the comparisons are false for NaN).
    if (!(value >= 1 && value <= double(documentLength) && value <= std::numeric_limits<qint32>::max())
        || value != std::floor(value))
        return std::nullopt;
    return int(value);
}

void FrmGoTo::CmdGo_Click()
{
    platform::TextBox &box = ctx.box;
    const std::optional<int> n = characterNumber(TGoTo->text(), box.textLength());
    if (!n) {
        ctx.messages.msgBox(tr("Неверное значение!") + QStringLiteral("\r\n\r\n") + tr("Проверьте правильность ввода."),
                   MsgButtons::Ok, MsgIcon::Warning);
        MdlFunctions::SelectAllText(TGoTo, true);
        return;
    }
    box.setSel(*n - 1, *n);
    box.scrollCaret();
}

void FrmGoTo::Form_Unload()
{
    ctx.memory.GoToTemp = TGoTo->text();
}
