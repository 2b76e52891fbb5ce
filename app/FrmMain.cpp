#include "app/FrmMain.h"

#include "app/SettingsStore.h"
#include "app/ShellOpenFile.h"
#include "app/WindowGeometry.h"
#include "chrome/StateRefresh.h"
#include "chrome/StatusBar.h"
#include "chrome/Toolbar.h"
#include "chrome/WindowOptions.h"
#include "document/Documents.h"
#include "document/MdlFunctions.h"
#include "editing/Editing.h"
#include "platform/Ansi.h"
#include "platform/RuntimeError.h"
#include "platform/TextBox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMenuBar>
#include <QTimer>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {
const QString NewDocumentName = QStringLiteral("Новый документ");
const QString AppTitle = QStringLiteral("Jotbook");
} // namespace

static void initResources()
{
    // The pictures live in the program's static library, whose resources must be registered.
    Q_INIT_RESOURCE(resources);
}

FrmMain::FrmMain(platform::Platform &platform, QWidget *parent)
    : QMainWindow(parent), platform(platform), m_geometry(std::make_unique<WindowGeometry>(this))
{
    initResources();
    setObjectName(QStringLiteral("FrmMain"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/jotbook.png")));

    TTextBlock = new platform::TextBox(this);
    TTextBlock->setObjectName(QStringLiteral("TTextBlock"));
    setCentralWidget(TTextBlock);

    menus.build(menuBar(), this);

    TMainToolbar = new MainToolbar(this);
    addToolBar(Qt::TopToolBarArea, TMainToolbar);
    SMainStatusBar = new MainStatusBar(this);
    setStatusBar(SMainStatusBar);

    TGlobalState = new QTimer(this);
    TGlobalState->setObjectName(QStringLiteral("TGlobalState"));
    TGlobalState->setInterval(25);
    TWindowState = new QTimer(this);
    TWindowState->setObjectName(QStringLiteral("TWindowState"));
    TWindowState->setInterval(250);

    m_settings = std::make_unique<SettingsStore>(*this);
    m_documents = std::make_unique<Documents>(*this);
    m_refresh = std::make_unique<StateRefresh>(*this);

    connectActions();
    TTextBlock->installEventFilter(this);

    // Printing and the About window are not part of this build yet: their items stay greyed.
    for (QAction *a : {menus.mnuPrintSetup, menus.mnuPrint, menus.mnuPUPrint, menus.mnuAbout,
                       TMainToolbar->button(QStringLiteral("PrintBtn"))})
        a->setEnabled(false);
}

FrmMain::~FrmMain() = default;

void FrmMain::connectActions()
{
    const MainMenus &m = menus;
    const std::initializer_list<std::pair<QAction *, void (FrmMain::*)()>> handlers = {
        {m.mnuNew, &FrmMain::mnuNew_Click},
        {m.mnuOpen, &FrmMain::mnuOpen_Click},
        {m.mnuSave, &FrmMain::mnuSave_Click},
        {m.mnuSaveAs, &FrmMain::mnuSaveAs_Click},
        {m.mnuCheckLen, &FrmMain::mnuCheckLen_Click},
        {m.mnuCheckData, &FrmMain::mnuCheckData_Click},
        {m.mnuReadKeys, &FrmMain::mnuReadKeys_Click},
        {m.mnuCodingWin, &FrmMain::mnuCodingWin_Click},
        {m.mnuCodingDos, &FrmMain::mnuCodingDos_Click},
        {m.mnuCodingKoi, &FrmMain::mnuCodingKoi_Click},
        {m.mnuSetCyrillic, &FrmMain::mnuSetCyrillic_Click},
        {m.mnuRecent, &FrmMain::mnuRecent_Click},
        {m.mnuExit, &FrmMain::mnuExit_Click},
        {m.mnuUndo, &FrmMain::mnuUndo_Click},
        {m.mnuUCase, &FrmMain::mnuUCase_Click},
        {m.mnuLCase, &FrmMain::mnuLCase_Click},
        {m.mnuCut, &FrmMain::mnuCut_Click},
        {m.mnuCopy, &FrmMain::mnuCopy_Click},
        {m.mnuPaste, &FrmMain::mnuPaste_Click},
        {m.mnuDelete, &FrmMain::mnuDelete_Click},
        {m.mnuFind, &FrmMain::mnuFind_Click},
        {m.mnuFindNext, &FrmMain::mnuFindNext_Click},
        {m.mnuReplace, &FrmMain::mnuReplace_Click},
        {m.mnuGoTo, &FrmMain::mnuGoTo_Click},
        {m.mnuSelectAll, &FrmMain::mnuSelectAll_Click},
        {m.mnuTimeDate, &FrmMain::mnuTimeDate_Click},
        {m.mnuRestoreWindow, &FrmMain::mnuRestoreWindow_Click},
        {m.mnuMinimizeToTray, &FrmMain::mnuMinimizeToTray_Click},
        {m.mnuAlwaysOnTop, &FrmMain::mnuAlwaysOnTop_Click},
        {m.mnuTransparensy, &FrmMain::mnuTransparensy_Click},
        {m.mnuCheckMouse, &FrmMain::mnuCheckMouse_Click},
        {m.mnuToolbar, &FrmMain::mnuToolbar_Click},
        {m.mnuStatusBar, &FrmMain::mnuStatusBar_Click},
        {m.mnuShowToolTips, &FrmMain::mnuShowToolTips_Click},
        {m.mnuShowInfo, &FrmMain::mnuShowInfo_Click},
        {m.mnuPopupMenu, &FrmMain::mnuPopupMenu_Click},
        {m.mnuDefaultMenu, &FrmMain::mnuDefaultMenu_Click},
        {m.mnuConfirmSettings, &FrmMain::mnuConfirmSettings_Click},
        {m.mnuColor, &FrmMain::mnuColor_Click},
        {m.mnuDefaultColor, &FrmMain::mnuDefaultColor_Click},
        {m.mnuFont, &FrmMain::mnuFont_Click},
        {m.mnuCallHelp, &FrmMain::mnuCallHelp_Click},
    };
    for (const auto &[action, handler] : handlers) {
        // A checkable item's handler sets the mark itself: the item's own toggling is undone
        // first, so the handler sees the mark as it was.
        if (action->isCheckable())
            connect(action, &QAction::triggered, this, [this, action, handler](bool checked) {
                action->setChecked(!checked);
                (this->*handler)();
            });
        else
            connect(action, &QAction::triggered, this, handler);
    }
    connect(TMainToolbar, &MainToolbar::buttonClick, this, &FrmMain::TMainToolbar_ButtonClick);
    connect(TTextBlock, &platform::TextBox::dataDropped, this, &FrmMain::TTextBlock_OLEDragDrop);
    connect(TGlobalState, &QTimer::timeout, this, &FrmMain::TGlobalState_Timer);
}

MsgAnswer FrmMain::msgBox(const QString &text, MsgButtons buttons, MsgIcon icon, int defaultButton)
{
    // The box belongs to the window the user is working in (a Find dialog, say), so that the
    // keyboard returns there when it closes.
    QWidget *owner = QApplication::activeWindow();
    if (!owner || !owner->isVisible())
        owner = this;
    return platform.messages->show(owner, {text, AppTitle, icon, buttons, defaultButton});
}

// ---- start-up and shutdown ------------------------------------------------------------------------

bool FrmMain::Form_Load(const QString &commandLine)
{
    UserChangeSettings = false;
    try {
        mnuRestoreWindow_Click();
        GetSettings();
        if (platform.instance->previousInstance() && !RET_REG_MULTIPLEINSTANCE) {
            msgBox(QStringLiteral("Программа уже запущена!\r\n\r\nЗапуск нескольких копий отключён."), MsgButtons::Ok,
                   MsgIcon::Warning);
            return false;
        }
        CheckEndState();
        mnuNew_Click();
        TGlobalState_Timer();
        SetAlignmentButtons();
        ApplyWindowOptions();
        SaveSettings(false, false);
        // A document named on the command line is loaded into the shown window: the text box
        // then lays the text out once, at its final width.
        if (!commandLine.isEmpty())
            show();
        ReadCommandLine(commandLine);
    } catch (const std::exception &) {
        msgBox(QStringLiteral("Программе не удалось запуститься!"), MsgButtons::Ok, MsgIcon::Critical);
        return false;
    }
    m_refresh->start();
    // TWindowState starts with the tray icon, whose hand-over it drives.
    return true;
}

void FrmMain::CheckEndState()
{
    if (!platform.instance->previousInstance()) {
        if (RET_REG_ENDSTATE) {
            RET_REG_ENDSTATE = false;
        } else if (!RET_REG_NEWSETTINGS) {
            msgBox(QStringLiteral("Работа программы не была завершена должным образом!\r\n"
                                  "Все несохранённые данные утеряны, изменённые настройки не сохранены.\r\n"
                                  "Если возникнут сбои в программе, её потребуется переустановить."),
                   MsgButtons::Ok, MsgIcon::Warning);
        }
        if (RET_REG_NEWSETTINGS) {
            MdlFunctions::ShellOpenFile(*platform.shell, helpFile(), this);
            RET_REG_NEWSETTINGS = false;
        }
    }
    if (!RET_REG_EXECONSTART.isEmpty())
        MdlFunctions::ShellOpenFile(*platform.shell, RET_REG_EXECONSTART, this);
}

void FrmMain::ReadCommandLine(const QString &commandLine)
{
    QString text = commandLine;
    if (text.isEmpty())
        return;
    if (text.contains(QLatin1Char('"'))) {
        // The whole line is taken to be one quoted path. A lone quote leaves nothing.
        if (text.size() < 2)
            return;
        text = text.mid(1, text.size() - 2);
    }
    CheckForKeys(text, true);
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void FrmMain::Form_QueryUnload(bool &cancel)
{
    if (m_shutdownDone)
        return;
    if (!IsTextChanged()) {
        cancel = true;
        return;
    }
    cancel = IsSettingsChanged();
    if (cancel)
        return;
    RET_REG_ENDSTATE = true;
    SaveSettings(true, true);
    m_shutdownDone = true;
    m_refresh->stop();
    // Every other window of the program goes with the main window.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isWindow() && w->isVisible())
            w->close();
}

void FrmMain::Form_KeyDown(int keyCode)
{
    if (keyCode == 27 && RET_REG_UNLOADONESCAPE)
        close();
}

bool FrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TTextBlock) {
        if (event->type() == QEvent::ShortcutOverride) {
            // The text box claims some keys for itself (Ctrl+K deletes to the end of the line);
            // the menu's accelerators other than the standard editing keys take precedence.
            auto *ke = static_cast<QKeyEvent *>(event);
            const QKeySequence seq(ke->keyCombination());
            for (QAction *a : actions()) {
                if (a->shortcut() == seq && !isStandardEditAction(a)) {
                    ke->ignore();
                    return true;
                }
            }
        } else if (event->type() == QEvent::KeyPress) {
            auto *ke = static_cast<QKeyEvent *>(event);
            if (ke->key() == Qt::Key_Escape) {
                // Handled here once: the text box has no use for Escape and would pass it on to
                // the window's keyPressEvent, a second close request after a cancelled one.
                Form_KeyDown(27);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool FrmMain::isStandardEditAction(const QAction *a) const
{
    return a == menus.mnuUndo || a == menus.mnuCut || a == menus.mnuCopy || a == menus.mnuPaste ||
           a == menus.mnuDelete || a == menus.mnuSelectAll;
}

void FrmMain::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        Form_KeyDown(27);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void FrmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    scheduleGlobalStateCheck();
}

void FrmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        scheduleGlobalStateCheck();
}

void FrmMain::scheduleGlobalStateCheck()
{
    // Runs once after the event that changed the window's size or state, outside that event, so
    // that the one-time notice never opens inside a resize.
    if (m_checkPending)
        return;
    m_checkPending = true;
    QMetaObject::invokeMethod(this, [this] {
        m_checkPending = false;
        CheckGlobalState();
    }, Qt::QueuedConnection);
}

QString FrmMain::helpFile() const
{
    return platform.facts->programFolder() + QStringLiteral("Jotbook.htm");
}

// ---- settings ------------------------------------------------------------------------------------

void FrmMain::GetSettings() { m_settings->GetSettings(); }
void FrmMain::SaveSettings(bool bAutoOnly, bool bSaveForm) { m_settings->SaveSettings(bAutoOnly, bSaveForm); }
bool FrmMain::IsSettingsChanged() { return m_settings->IsSettingsChanged(); }

void FrmMain::mnuConfirmSettings_Click()
{
    menus.mnuConfirmSettings->setChecked(!menus.mnuConfirmSettings->isChecked());
}

// ---- document state ------------------------------------------------------------------------------

static QString documentName(const QString &path)
{
    return MdlFunctions::RemoveExtension(MdlFunctions::GetFileName(path));
}

void FrmMain::CreateTitle()
{
    const QString name = GlobalFileName.isEmpty() ? NewDocumentName
                                                  : MdlFunctions::ShortenText(documentName(GlobalFileName), 32);
    setWindowTitle(name + QStringLiteral(" - ") + AppTitle);
}

bool FrmMain::IsTextChanged()
{
    const QString name = documentName(GlobalFileName.isEmpty() ? NewDocumentName : GlobalFileName);
    if (!isDocumentChanged())
        return true;
    const MsgAnswer answer = msgBox(QStringLiteral("Документ \"%1\" был изменён.\r\n\r\nСохранить эти изменения?").arg(name),
                                    MsgButtons::YesNoCancel, MsgIcon::Warning, 1);
    switch (answer) {
    case MsgAnswer::Yes:
        // The caller goes on only when the document really was saved: a cancelled Save As or a
        // failed save keeps the text.
        return m_documents->Save();
    case MsgAnswer::No:
        return true;
    default:
        return false;
    }
}

bool FrmMain::isDocumentChanged() const
{
    if (TTextBlock->textLength() != SourceText.size())
        return true;
    return TTextBlock->text() != SourceText;
}

void FrmMain::mnuNew_Click()
{
    if (!IsTextChanged())
        return;
    TTextBlock->emptyUndoBuffer();
    SourceText.clear();
    TTextBlock->setText(QByteArray());
    GlobalFileName.clear();
    CreateTitle();
}

// ---- documents -----------------------------------------------------------------------------------

bool FrmMain::OpenTextFile(const QString &strFileName, bool bLoadAll, bool bOpenAsData)
{
    return m_documents->OpenTextFile(strFileName, bLoadAll, bOpenAsData);
}

bool FrmMain::SaveTextFile(const QString &strFileName, bool bSave)
{
    return m_documents->SaveTextFile(strFileName, bSave);
}

void FrmMain::WriteRecentFile(const QString &strFileName) { m_documents->WriteRecentFile(strFileName); }
void FrmMain::mnuOpen_Click() { m_documents->mnuOpen_Click(); }
void FrmMain::mnuSave_Click() { m_documents->mnuSave_Click(); }
void FrmMain::mnuSaveAs_Click() { m_documents->mnuSaveAs_Click(); }
void FrmMain::mnuRecent_Click() { m_documents->mnuRecent_Click(); }
void FrmMain::mnuFont_Click() { m_documents->mnuFont_Click(); }
void FrmMain::mnuColor_Click() { m_documents->mnuColor_Click(); }
void FrmMain::mnuDefaultColor_Click() { m_documents->mnuDefaultColor_Click(); }

void FrmMain::TTextBlock_OLEDragDrop(const QMimeData *data, Qt::DropActions offered)
{
    m_documents->TTextBlock_OLEDragDrop(data, offered);
}

void FrmMain::CheckForKeys(const QString &strText, bool bCommand)
{
    // The command line names the file to open.
    if (bCommand)
        OpenTextFile(strText, RET_REG_LOADALL, false);
}

// ---- option items --------------------------------------------------------------------------------

void FrmMain::plainToggle(QAction *item)
{
    item->setChecked(!item->isChecked());
    UserChangeSettings = true;
}

void FrmMain::chooseCoding(QAction *item)
{
    menus.mnuCodingWin->setChecked(item == menus.mnuCodingWin);
    menus.mnuCodingDos->setChecked(item == menus.mnuCodingDos);
    menus.mnuCodingKoi->setChecked(item == menus.mnuCodingKoi);
    UserChangeSettings = true;
}

void FrmMain::mnuCheckLen_Click() { plainToggle(menus.mnuCheckLen); }
void FrmMain::mnuCheckData_Click() { plainToggle(menus.mnuCheckData); }
void FrmMain::mnuReadKeys_Click() { plainToggle(menus.mnuReadKeys); }
void FrmMain::mnuSetCyrillic_Click() { plainToggle(menus.mnuSetCyrillic); }
void FrmMain::mnuCheckMouse_Click() { plainToggle(menus.mnuCheckMouse); }
void FrmMain::mnuShowToolTips_Click() { plainToggle(menus.mnuShowToolTips); }
void FrmMain::mnuShowInfo_Click() { plainToggle(menus.mnuShowInfo); }
void FrmMain::mnuPopupMenu_Click() { plainToggle(menus.mnuPopupMenu); }
void FrmMain::mnuDefaultMenu_Click() { plainToggle(menus.mnuDefaultMenu); }
void FrmMain::mnuCodingWin_Click() { chooseCoding(menus.mnuCodingWin); }
void FrmMain::mnuCodingDos_Click() { chooseCoding(menus.mnuCodingDos); }
void FrmMain::mnuCodingKoi_Click() { chooseCoding(menus.mnuCodingKoi); }

void FrmMain::mnuMinimizeToTray_Click()
{
    plainToggle(menus.mnuMinimizeToTray);
}

void FrmMain::mnuAlwaysOnTop_Click()
{
    menus.mnuAlwaysOnTop->setChecked(!menus.mnuAlwaysOnTop->isChecked());
    ApplyWindowOptions();
    UserChangeSettings = true;
}

void FrmMain::mnuTransparensy_Click()
{
    menus.mnuTransparensy->setChecked(!menus.mnuTransparensy->isChecked());
    ApplyWindowOptions();
    UserChangeSettings = true;
}

void FrmMain::mnuToolbar_Click()
{
    plainToggle(menus.mnuToolbar);
    ApplyWindowOptions();
}

void FrmMain::mnuStatusBar_Click()
{
    plainToggle(menus.mnuStatusBar);
    ApplyWindowOptions();
}

// ---- window options and geometry -----------------------------------------------------------------

void FrmMain::ApplyWindowOptions()
{
    WindowOptions::SetTopMost(this, menus.mnuAlwaysOnTop->isChecked());
    WindowOptions::SetTransparency(this, RET_REG_TRANSPARENSYLEVEL, !menus.mnuTransparensy->isChecked());
    CheckGlobalState();
}

void FrmMain::CheckGlobalState()
{
    int state = 0;
    double width = 0, height = 0;
    try {
        state = m_geometry->state();
        width = m_geometry->width();
        height = m_geometry->height();
    } catch (const std::exception &) {
    }
    if (!(state != 1 && width >= 3000 && height >= 2000) && !RET_REG_BADSIZE) {
        msgBox(QStringLiteral("Окно имеет недопустимый размер.\r\n\r\nНастройки такого окна не сохраняются."),
               MsgButtons::Ok, MsgIcon::Information);
        RET_REG_BADSIZE = true;
    }
    SMainStatusBar->setPanelText(QString(255, QLatin1Char(' ')));
    // The window's layout puts the text box between the bars that are shown.
    GetToolbarHeight();
    GetStatusBarHeight();
    menus.mnuRestoreWindow->setEnabled(state != 2);
}

int FrmMain::GetToolbarHeight()
{
    TMainToolbar->setVisible(menus.mnuToolbar->isChecked());
    return TMainToolbar->isHidden() ? 0 : int(roundHalfEven(TMainToolbar->height() * WindowGeometry::twipsPerPixelY()));
}

int FrmMain::GetStatusBarHeight()
{
    SMainStatusBar->setVisible(menus.mnuStatusBar->isChecked());
    return SMainStatusBar->isHidden() ? 0 : int(roundHalfEven(SMainStatusBar->height() * WindowGeometry::twipsPerPixelY()));
}

void FrmMain::mnuRestoreWindow_Click()
{
    WindowGeometry &g = *m_geometry;
    g.setWidth(WindowGeometry::twipsPerPixelX() * 800);
    g.setHeight(WindowGeometry::twipsPerPixelY() * 600);
    const auto whole = [](double v) { return qint64(roundHalfEven(v)); };
    g.setTop(double(whole(WindowGeometry::screenHeight()) / 2 - whole(g.height()) / 2));
    g.setLeft(double(whole(WindowGeometry::screenWidth()) / 2 - whole(g.width()) / 2));
}

void FrmMain::SetAlignmentButtons()
{
    TMainToolbar->showAlignment(TTextBlock->alignmentValue());
}

void FrmMain::TMainToolbar_ButtonClick(const QString &key)
{
    const MainMenus &m = menus;
    const QHash<QString, QAction *> commands = {
        {QStringLiteral("NewBtn"), m.mnuNew},     {QStringLiteral("OpenBtn"), m.mnuOpen},
        {QStringLiteral("SaveBtn"), m.mnuSave},   {QStringLiteral("PrintBtn"), m.mnuPrint},
        {QStringLiteral("CutBtn"), m.mnuCut},     {QStringLiteral("CopyBtn"), m.mnuCopy},
        {QStringLiteral("PasteBtn"), m.mnuPaste}, {QStringLiteral("UndoBtn"), m.mnuUndo},
        {QStringLiteral("FindBtn"), m.mnuFind},
    };
    if (QAction *a = commands.value(key)) {
        a->trigger();
    } else if (key == QLatin1String("CopyAllBtn")) {
        mnuSelectAll_Click();
        mnuCopy_Click();
    } else {
        const QHash<QString, int> alignments = {
            {QStringLiteral("LeftBtn"), 0}, {QStringLiteral("CenterBtn"), 2}, {QStringLiteral("RightBtn"), 1}};
        if (alignments.contains(key)) {
            TTextBlock->setAlignmentValue(alignments.value(key));
            UserChangeSettings = true;
            SetAlignmentButtons();
        }
    }
}

void FrmMain::TGlobalState_Timer()
{
    m_refresh->run();
}

// ---- edit commands -------------------------------------------------------------------------------

void FrmMain::mnuUndo_Click() { TTextBlock->undoEdit(); }
void FrmMain::mnuUCase_Click() { EditCommands::ChangeCase(*TTextBlock, true); }
void FrmMain::mnuLCase_Click() { EditCommands::ChangeCase(*TTextBlock, false); }
void FrmMain::mnuCut_Click() { TTextBlock->cutSel(); }
void FrmMain::mnuCopy_Click() { TTextBlock->copySel(); }
void FrmMain::mnuPaste_Click() { TTextBlock->pasteClip(); }
void FrmMain::mnuDelete_Click() { TTextBlock->clearSel(); }
void FrmMain::mnuSelectAll_Click() { TTextBlock->setSel(0, TTextBlock->textLength()); }
void FrmMain::mnuTimeDate_Click() { EditCommands::InsertTimeDate(*TTextBlock, platform.clock->now()); }

void FrmMain::mnuFind_Click()
{
    FindTemp = platform::Ansi::toUnicode(TTextBlock->selectedText());
    EditDialogs::ShowFind(*this);
}

void FrmMain::mnuFindNext_Click()
{
    EditDialogs::ShowFind(*this);
}

void FrmMain::mnuReplace_Click()
{
    const QByteArray selected = TTextBlock->selectedText();
    if (!selected.isEmpty())
        FindTemp = platform::Ansi::toUnicode(selected);
    EditDialogs::ShowReplace(*this);
}

void FrmMain::mnuGoTo_Click()
{
    EditDialogs::ShowGoTo(*this);
}

// ---- help, exit and the commands that arrive with their own windows ------------------------------

void FrmMain::mnuExit_Click()
{
    close();
}

void FrmMain::mnuCallHelp_Click()
{
    if (!MdlFunctions::ShellOpenFile(*platform.shell, helpFile(), this))
        msgBox(QStringLiteral("Не удалось загрузить файл справки!\r\n\r\nВозможно, он повреждён или отсутствует."),
               MsgButtons::Ok, MsgIcon::Warning);
}
