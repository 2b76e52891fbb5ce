#include "about/FrmAbout.h"

#include "about/MdlOther.h"
#include "platform/interfaces/Platform.h"
#include "platform/interfaces/ShellOpenFile.h"
#include "platform/interfaces/Version.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/Messenger.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QVersionNumber>

using platform::MsgButtons;
using platform::MsgIcon;

const QString FrmAbout::Mail = QStringLiteral("jotbook@example.org");

namespace {

const QString Copyright = QStringLiteral("© Разработчики Jotbook, 2026");

const char *const Thanks[] = {
    "Ирина Воронцова (irina.vorontsova@example.org) - проверка перекодировки KOI8-R и CP866",
    "Павел Гусев - советы по работе с областью уведомлений",
    "Марина Лебедева (m.lebedeva@example.org) - вычитка справки",
    "------------------------------",
    "Веб-сайту Qt Project (https://www.qt.io)",
    "Веб-сайту Debian (https://www.debian.org)",
    "Веб-сайту freedesktop.org (https://www.freedesktop.org)",
};

QString thanksText()
{
    QStringList lines;
    for (const char *line : Thanks)
        lines << QString::fromUtf8(line);
    return lines.join(QStringLiteral("\r\n"));
}

// The logo: the program's name on a band in the desktop's highlight colour, drawn at the screen's
// density.
QPixmap logoPicture(const QSize &size, qreal ratio, const QPalette &palette, const QFont &base)
{
    QPixmap picture(size * ratio);
    picture.setDevicePixelRatio(ratio);
    QPainter p(&picture);
    QLinearGradient band(0, 0, size.width(), 0);
    band.setColorAt(0, palette.color(QPalette::Highlight).darker(140));
    band.setColorAt(1, palette.color(QPalette::Highlight).lighter(130));
    const QRect area(QPoint(0, 0), size);
    p.fillRect(area, band);
    QFont name = base;
    name.setBold(true);
    name.setPixelSize(size.height() * 11 / 20);
    p.setFont(name);
    p.setPen(palette.color(QPalette::HighlightedText));
    p.drawText(area.adjusted(10, 0, -10, 0), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Jotbook"));
    return picture;
}

} // namespace

FrmAbout::FrmAbout(const AboutContext &context)
    : SmallDialog(context.host, tr("О программе"), 5535, 5295)
    , ctx(context)
    , IIcon(new QLabel(this))
    , ILogo(new QLabel(this))
    , LProgram(new QLabel(this))
    , LVersion(new QLabel(this))
    , LAutor(new QLabel(this))
    , LMail(new QLabel(this))
    , TThanks(new QPlainTextEdit(this))
    , PLevel(new QProgressBar(this))
    , LLevel(new QLabel(this))
    , LFrMem(new QLabel(this))
    , LAvMem(new QLabel(this))
    , TMemory(new QTimer(this))
    , CmdSystem(new QPushButton(tr("&Система"), this))
    , CmdClose(new QPushButton(tr("&Закрыть"), this))
{
    setObjectName(QStringLiteral("FrmAbout"));
    const std::initializer_list<std::pair<QWidget *, const char *>> names = {
        {IIcon, "IIcon"},   {ILogo, "ILogo"},   {LProgram, "LProgram"}, {LVersion, "LVersion"},
        {LAutor, "LAutor"}, {LMail, "LMail"},   {TThanks, "TThanks"},   {PLevel, "PLevel"},
        {LLevel, "LLevel"}, {LFrMem, "LFrMem"}, {LAvMem, "LAvMem"},     {CmdSystem, "CmdSystem"},
        {CmdClose, "CmdClose"}};
    for (const auto &[widget, name] : names)
        widget->setObjectName(QLatin1String(name));
    TMemory->setObjectName(QStringLiteral("TMemory"));

    // Top to bottom: icon and logo, what the program is, the thanks, then the figures and the
    // buttons; the two groups of captions and values are aligned each in its own grid.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(9, 9, 9, 9);
    layout->setSpacing(4);
    auto *top = new QHBoxLayout;
    top->addWidget(IIcon);
    top->addWidget(ILogo, 1);
    layout->addLayout(top);
    const auto grid = [&] {
        auto *g = new QGridLayout;
        g->setVerticalSpacing(2);
        g->setColumnStretch(1, 1);
        layout->addLayout(g);
        return g;
    };
    const auto info = [this](QGridLayout *g, const QString &caption, QWidget *value) {
        const int row = g->rowCount();
        g->addWidget(new QLabel(caption, this), row, 0);
        g->addWidget(value, row, 1, 1, 2);
    };
    QGridLayout *program = grid();
    info(program, tr("Текстовый редактор:"), LProgram);
    info(program, tr("Версия:"), LVersion);
    info(program, tr("Автор:"), LAutor);
    info(program, tr("Электронный адрес:"), LMail);
    auto *etched = new QFrame(this);   // LLight and LDark
    etched->setFrameShape(QFrame::HLine);
    etched->setFrameShadow(QFrame::Sunken);
    layout->addWidget(etched);
    layout->addWidget(new QLabel(tr("Особая благодарность:"), this));
    layout->addWidget(TThanks, 1);
    QGridLayout *figures = grid();
    figures->addWidget(new QLabel(tr("Загруженность программы:"), this), 0, 0);
    figures->addWidget(PLevel, 0, 1);
    figures->addWidget(LLevel, 0, 2);
    info(figures, tr("Свободная физическая память:"), LFrMem);
    info(figures, tr("Доступная физическая память:"), LAvMem);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CmdSystem);
    buttons->addStretch(1);
    buttons->addWidget(CmdClose);
    layout->addLayout(buttons);

    if (host.mainWindow)
        IIcon->setPixmap(host.mainWindow->windowIcon().pixmap(QSize(32, 32), devicePixelRatioF()));
    ILogo->setMinimumSize(1, 40);

    TThanks->setReadOnly(true);
    TThanks->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TThanks->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette face = TThanks->palette();
    face.setColor(QPalette::Base, palette().color(QPalette::Button));
    TThanks->setPalette(face);
    PLevel->setRange(0, LevelMax);
    PLevel->setTextVisible(false);
    LMail->setCursor(Qt::PointingHandCursor);
    // The address is reached with Tab and opened with Enter or Space as well; it shows underlined
    // while it has the focus.
    LMail->setFocusPolicy(Qt::TabFocus);
    LMail->setAccessibleDescription(tr("Написать письмо автору"));
    LMail->installEventFilter(this);
    CmdClose->setAutoDefault(false);
    CmdSystem->setAutoDefault(false);

    TMemory->setInterval(context.memoryRefresh);
    connect(TMemory, &QTimer::timeout, this, &FrmAbout::ShowMemoryInfo);
    connect(CmdSystem, &QPushButton::clicked, this, &FrmAbout::CmdSystem_Click);
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::reject);   // Escape too
    Form_Load();
    TMemory->start();
    TThanks->setFocus();   // the address comes first in the tab order, but Enter should not write a mail
}

void FrmAbout::showEvent(QShowEvent *event)
{
    // Drawn for the width the window has (a larger font widens it) and the screen's density.
    ILogo->setPixmap(logoPicture(QSize(ILogo->width(), 40), devicePixelRatioF(), palette(), font()));
    SmallDialog::showEvent(event);
}

void FrmAbout::Show(QPointer<FrmAbout> &slot, const AboutContext &context, bool modal)
{
    if (slot && !slot->isUnloaded()) {
        platform::bringBack(slot, true);
        return;
    }
    slot = new FrmAbout(context);
    if (modal) {
        slot->exec();
    } else if (context.host.mainWindow && !context.host.mainWindow->isVisible()) {
        // At start-up the main window is shown after this: the greeting follows it, so that the
        // window manager puts it above its owner.
        QTimer::singleShot(0, slot, &QWidget::show);
    } else {
        slot->show();
    }
}

const QList<FrmAbout::SystemTool> &FrmAbout::systemTools()
{
    static const QList<SystemTool> tools = {
        {"hardinfo", {}},
        {"gnome-system-monitor", {}},
        {"plasma-systemmonitor", {}},
        {"mate-system-monitor", {}},
        {"xfce4-taskmanager", {}},
        {"lxtask", {}},
    };
    return tools;
}

QString FrmAbout::memoryText(quint64 bytes)
{
    return MdlOther::FormatMemory(bytes / 1024) + QStringLiteral(" КБ");
}

QString FrmAbout::versionText(const QString &version)
{
    const QVersionNumber v = QVersionNumber::fromString(version);
    return QString::number(v.majorVersion()) + QLatin1Char('.') + QString::number(v.minorVersion());
}

void FrmAbout::Form_Load()
{
    ShowMemoryInfo();
    LProgram->setText(QStringLiteral("\"Jotbook\""));
    LVersion->setText(versionText(QStringLiteral(JOTBOOK_VERSION_STRING)));
    LAutor->setText(Copyright);
    LMail->setText(Mail);
    LMail_MouseUp();
    TThanks->setPlainText(thanksText());
    const int level = levelValue(ctx.box.textLength());
    PLevel->setValue(level);
    LLevel->setText(levelText(level));
    // The thanks box takes no keys (the keyboard cannot move its caret) and sees no right or
    // middle button presses; Tab and Escape still reach the window.
    TThanks->installEventFilter(this);
    TThanks->viewport()->installEventFilter(this);
}

void FrmAbout::Form_Unload()
{
    TMemory->stop();
    TThanks->removeEventFilter(this);
    TThanks->viewport()->removeEventFilter(this);
}

void FrmAbout::ShowMemoryInfo()
{
    LAvMem->setText(memoryText(ctx.facts.totalPhysicalMemory()));
    LFrMem->setText(memoryText(ctx.facts.availablePhysicalMemory()));
}

bool FrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == TThanks && type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        return key != Qt::Key_Tab && key != Qt::Key_Backtab && key != Qt::Key_Escape;
    }
    if (watched == TThanks->viewport() && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) {
        const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
        return button == Qt::RightButton || button == Qt::MiddleButton;
    }
    if (watched == LMail) {
        if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                LMail_Click();
                return true;
            }
        } else if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
            QFont font = LMail->font();
            font.setUnderline(type == QEvent::FocusIn);
            LMail->setFont(font);
        } else if (type == QEvent::MouseButtonPress) {
            LMail_MouseDown();
        } else if (type == QEvent::MouseButtonRelease) {
            LMail_MouseUp();
            if (LMail->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
                LMail_Click();
        }
    }
    return SmallDialog::eventFilter(watched, event);
}

void FrmAbout::LMail_MouseDown()
{
    QPalette p = LMail->palette();
    p.setColor(QPalette::WindowText, palette().color(QPalette::Base));
    LMail->setPalette(p);
}

void FrmAbout::LMail_MouseUp()
{
    QPalette p = LMail->palette();
    p.setColor(QPalette::WindowText, palette().color(QPalette::Highlight));
    LMail->setPalette(p);
}

void FrmAbout::LMail_Click()
{
    MdlFunctions::ShellOpenFile(ctx.shell, QStringLiteral("mailto:") + LMail->text(), this);
}

void FrmAbout::CmdSystem_Click()
{
    // The first system information program in PATH; the desktop may have none of them.
    for (const SystemTool &tool : systemTools()) {
        const QString path = ctx.programs ? ctx.programs->find(QLatin1String(tool.name)) : QString();
        if (path.isEmpty())
            continue;
        if (ctx.programs->start(path, tool.arguments))
            return;
        break;
    }
    ctx.messages.msgBox(tr("Ошибка при запуске '%1'!").arg(QLatin1String(systemTools().first().name)), MsgButtons::Ok,
                        MsgIcon::Critical);
}
