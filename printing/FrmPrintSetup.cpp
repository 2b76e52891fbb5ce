#include "printing/FrmPrintSetup.h"

#include "platform/ui/DialogHelpers.h"
#include "platform/ui/Messenger.h"
#include "platform/ui/WindowGeometry.h"
#include "printing/PrintSettings.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <limits>

using platform::MsgButtons;
using platform::MsgIcon;

FrmPrintSetup::FrmPrintSetup(const PrintSetupContext &context)
    : SmallDialog(context.host, tr("Параметры печати"), 4500, 1740)
    , OPortrait(new QRadioButton(tr("&Книжная ориентация"), this))
    , OLandscape(new QRadioButton(tr("&Альбомная ориентация"), this))
    , LCopies(new QLabel(tr("&Число копий:"), this))
    , TCopies(new QLineEdit(this))
    , CmdOk(new QPushButton(tr("&ОК"), this))
    , CmdCancel(new QPushButton(tr("О&тмена"), this))
    , ctx(context)
{
    setObjectName(QStringLiteral("FrmPrintSetup"));
    OPortrait->setObjectName(QStringLiteral("OPortrait"));
    OLandscape->setObjectName(QStringLiteral("OLandscape"));
    TCopies->setObjectName(QStringLiteral("TCopies"));
    CmdOk->setObjectName(QStringLiteral("CmdOk"));
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    LCopies->setBuddy(TCopies);
    CmdOk->setDefault(true);

    // The two option buttons share their parent and so form one group: selecting one clears the
    // other, and neither is selected until one is chosen.
    auto *layout = new QGridLayout(this);
    layout->addWidget(OPortrait, 0, 0, 1, 2);
    layout->addWidget(OLandscape, 1, 0, 1, 2);
    layout->addWidget(LCopies, 2, 0);
    layout->addWidget(TCopies, 2, 1);
    layout->addWidget(CmdOk, 0, 2);
    layout->addWidget(CmdCancel, 1, 2);
    layout->setColumnStretch(1, 1);

    connect(CmdOk, &QPushButton::clicked, this, &FrmPrintSetup::CmdOk_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    Form_Load();
}

void FrmPrintSetup::showModal(const PrintSetupContext &context)
{
    QPointer<FrmPrintSetup> dialog = new FrmPrintSetup(context);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->exec();
}

void FrmPrintSetup::Form_Load()
{
    const PrintSettings &s = ctx.settings;
    TCopies->setText(QString::number(s.RET_REG_PRINTCOPIES));
    // In this order, landscape ends up selected when both marks are set.
    OPortrait->setChecked(s.RET_REG_PRINTPORTRAIT);
    OLandscape->setChecked(s.RET_REG_PRINTLANDSCAPE);
    MdlFunctions::SelectAllText(TCopies, false);
}

std::optional<qint32> FrmPrintSetup::copiesFrom(const QString &text)
{
    const double copies = platform::roundHalfEven(MdlFunctions::leadingValue(text));
    // False for NaN and the infinities as well.
    if (!(copies >= std::numeric_limits<qint32>::min() && copies <= std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(copies);
}

void FrmPrintSetup::CmdOk_Click()
{
    const std::optional<qint32> copies = copiesFrom(TCopies->text());
    if (!copies) {
        // A number beyond 32 bits is never stored wrapped: the dialog stays open for a new one.
        ctx.messages.msgBox(tr("Неверное значение!") + QStringLiteral("\r\n\r\n") + tr("Проверьте правильность ввода."),
                            MsgButtons::Ok, MsgIcon::Warning);
        MdlFunctions::SelectAllText(TCopies, true);
        return;
    }
    PrintSettings &s = ctx.settings;
    s.RET_REG_PRINTCOPIES = *copies;
    s.RET_REG_PRINTPORTRAIT = OPortrait->isChecked();
    s.RET_REG_PRINTLANDSCAPE = OLandscape->isChecked();
    accept();
}
