#include "app/FrmMain.h"

#include "about/FrmAbout.h"
#include "about/SystemReport.h"
#include "chrome/CursorFollowing.h"
#include "chrome/EditorMenus.h"
#include "chrome/StateRefresh.h"
#include "chrome/StatusBar.h"
#include "chrome/Toolbar.h"
#include "chrome/ToolbarHelp.h"
#include "chrome/TrayWatch.h"
#include "document/CommandLine.h"
#include "document/Document.h"
#include "document/Recovery.h"
#include "editing/EditDialogs.h"
#include "editing/Editing.h"
#include "platform/interfaces/Platform.h"
#include "platform/interfaces/ShellOpenFile.h"
#include "platform/interfaces/Version.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/Messenger.h"
#include "platform/ui/SmallDialog.h"
#include "platform/ui/WindowGeometry.h"
#include "platform/ui/WindowOptions.h"
#include "printing/FrmPrintSetup.h"
#include "printing/PrintDocument.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::roundHalfEven;
using platform::WindowGeometry;

static void initResources()
{
    // The pictures live in the program's static library, whose resources must be registered.
    Q_INIT_RESOURCE(resources);
}

FrmMain::FrmMain(platform::Platform &platform, QWidget *parent)
    : QMainWindow(parent)
    , m_platform(platform)
    , m_messages(std::make_unique<platform::Messenger>(*platform.messages, this))
    , m_geometry(std::make_unique<WindowGeometry>(this))
{
    initResources();
    setObjectName(QStringLiteral("FrmMain"));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/jotbook-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);

    TTextBlock = new platform::TextBox(this);
    TTextBlock->setObjectName(QStringLiteral("TTextBlock"));
    setCentralWidget(TTextBlock);

    m_actions.build(menuBar(), this);
    TMainToolbar = new MainToolbar(m_actions, this);
    addToolBar(Qt::TopToolBarArea, TMainToolbar);
    SMainStatusBar = new MainStatusBar(*platform.locks, this);
    setStatusBar(SMainStatusBar);

    m_document = std::make_unique<Document>(
        Document::Context{TTextBlock->document(), TTextBlock, *m_messages, this, m_actions.mnuRecent});
    m_documents = std::make_unique<Documents>(Documents::Context{
        *m_document, *TTextBlock, *m_messages, *platform.dialogs, this, [this] { return documentOptions(); },
        [this] { optionChanged(); },
        [this](const QByteArray &start) { CheckForKeys(platform::Ansi::toUnicode(start), false); }});
    m_recovery = std::make_unique<Recovery>(
        Recovery::Context{*m_document, *platform.recovery, *platform.clock, *m_messages});
    // Asked to end by a signal: the unsaved text is kept first, then the program ends as it did.
    platform.endRequests->setHandler([this] { m_recovery->WriteRecoveryCopy(false); });
    m_editDialogs = std::make_unique<EditDialogs>(dialogHost(), *TTextBlock, *m_messages);
    m_refresh = std::make_unique<StateRefresh>(
        StateRefresh::Context{m_actions, *TMainToolbar, *TTextBlock, this, *platform.facts}, this);
    m_toolbarHelp = std::make_unique<ToolbarHelp>(ToolbarHelp::Context{*TMainToolbar, *SMainStatusBar, m_actions});
    m_cursorFollowing = std::make_unique<CursorFollowing>(CursorFollowing::Context{
        this, *platform.pointer, m_chromeSettings, m_actions.mnuTransparensy, m_actions.mnuCheckMouse});
    m_editorMenus = std::make_unique<EditorMenus>(EditorMenus::Context{*TTextBlock, m_actions});
    m_settings = std::make_unique<SettingsStore>(
        SettingsStore::Targets{*m_geometry, *TTextBlock, m_actions, m_shell, m_documentSettings, m_chromeSettings,
                               m_editDialogs->memory(), m_printSettings},
        *platform.settings, *m_messages);

    m_trayWatch = std::make_unique<TrayWatch>(TrayWatch::Context{
        this, m_actions.mnuMinimizeToTray, platform.tray, [this] { return m_document->ShortName(); }});

    connectActions();
    TTextBlock->installEventFilter(this);
}

FrmMain::~FrmMain()
{
    m_platform.endRequests->setHandler({});
    // The About window refers to the messenger and goes before it.
    delete m_about;
}

FrmAbout *FrmMain::frmAbout() const
{
    return m_about;
}

SearchMemory &FrmMain::searchMemory()
{
    return m_editDialogs->memory();
}

void FrmMain::connectActions()
{
    // The option items' handlers run after Qt has changed the item's check mark.
    // "Спра&шивать о настройках" needs nothing beyond its mark: it is no option change of its own.
    const MainActions &m = m_actions;
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
        {m.mnuPrintSetup, &FrmMain::mnuPrintSetup_Click},
        {m.mnuPrint, &FrmMain::mnuPrint_Click},
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
        {m.mnuColor, &FrmMain::mnuColor_Click},
        {m.mnuDefaultColor, &FrmMain::mnuDefaultColor_Click},
        {m.mnuFont, &FrmMain::mnuFont_Click},
        {m.mnuCallHelp, &FrmMain::mnuCallHelp_Click},
        {m.mnuAbout, &FrmMain::mnuAbout_Click},
    };
    for (const auto &[action, handler] : handlers)
        connect(action, &QAction::triggered, this, handler);
    connect(TMainToolbar, &MainToolbar::buttonClick, this, &FrmMain::TMainToolbar_ButtonClick);
    connect(m_refresh.get(), &StateRefresh::refreshed, m_toolbarHelp.get(), &ToolbarHelp::CheckToolbarInfo);
    connect(TTextBlock, &platform::TextBox::dataDropped, this, [this](QDropEvent *drop) {
        drop->setAccepted(TTextBlock_OLEDragDrop(drop->mimeData(), drop->possibleActions()));
    });
}

DocumentOptions FrmMain::documentOptions() const
{
    const MainActions &m = m_actions;
    DocumentOptions o;
    o.checkLength = m.mnuCheckLen->isChecked();
    o.checkData = m.mnuCheckData->isChecked();
    o.setCyrillic = m.mnuSetCyrillic->isChecked();
    o.codingDos = m.mnuCodingDos->isChecked();
    o.codingKoi = m.mnuCodingKoi->isChecked();
    o.loadAll = m_documentSettings.RET_REG_LOADALL;
    o.disableSave = m_documentSettings.RET_REG_DISABLESAVE;
    return o;
}

// ---- start-up and shutdown ------------------------------------------------------------------------

bool FrmMain::Form_Load(const QString &commandLine)
{
    m_settings->setUserChangeSettings(false);
    try {
        mnuRestoreWindow_Click();
        GetSettings();
        // Stored geometry from another screen (an unplugged monitor, a smaller display) must not
        // leave the window out of reach.
        m_geometry->fitIntoScreen();
        if (m_platform.instance->previousInstance() && !m_shell.RET_REG_MULTIPLEINSTANCE) {
            m_messages->msgBox(QStringLiteral("Программа уже запущена!\r\n\r\nЗапуск нескольких копий отключён."),
                               MsgButtons::Ok, MsgIcon::Warning);
            return false;
        }
        CheckEndState();
        m_editorMenus->HookTextBox();
        mnuNew_Click();
        if (!m_platform.instance->previousInstance())
            m_recovery->OfferRecoveryCopy();
        TGlobalState_Timer();
        SetAlignmentButtons();
        ApplyWindowOptions();
        SaveSettings(SettingsStore::Options::Written, SettingsStore::Geometry::NotWritten);
        // A document named on the command line is loaded into the shown window: the text box
        // then lays the text out once, at its final width.
        if (!commandLine.isEmpty())
            show();
        // A recovered text gives way to a document named on the command line only after the change
        // question.
        if (commandLine.isEmpty() || IsTextChanged())
            ReadCommandLine(commandLine);
    } catch (const std::exception &) {
        m_messages->msgBox(QStringLiteral("Программе не удалось запуститься!"), MsgButtons::Ok, MsgIcon::Critical);
        return false;
    }
    m_refresh->start();
    m_cursorFollowing->start();
    return true;
}

void FrmMain::CheckEndState()
{
    if (!m_platform.instance->previousInstance()) {
        if (m_shell.RET_REG_ENDSTATE) {
            m_shell.RET_REG_ENDSTATE = false;
        } else if (!m_shell.RET_REG_NEWSETTINGS) {
            m_messages->msgBox(QStringLiteral("Работа программы не была завершена должным образом!\r\n"
                                              "Все несохранённые данные утеряны, изменённые настройки не сохранены.\r\n"
                                              "Если возникнут сбои в программе, её потребуется переустановить."),
                               MsgButtons::Ok, MsgIcon::Warning);
        }
        if (m_shell.RET_REG_NEWSETTINGS) {
            showAbout(false);
            MdlFunctions::ShellOpenFile(*m_platform.shell, helpFile(), this);
            m_shell.RET_REG_NEWSETTINGS = false;
        }
    }
    if (!m_shell.RET_REG_EXECONSTART.isEmpty())
        MdlFunctions::ShellOpenFile(*m_platform.shell, m_shell.RET_REG_EXECONSTART, this);
}

void FrmMain::ReadCommandLine(const QString &commandLine)
{
    if (const std::optional<QString> text = CommandLine::Strip(commandLine))
        CheckForKeys(*text, true);
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
    m_shell.RET_REG_ENDSTATE = true;
    m_editorMenus->UnhookTextBox();
    m_recovery->EndRecovery();
    SaveSettings(SettingsStore::Options::NotWritten, SettingsStore::Geometry::Written);
    m_shutdownDone = true;
    m_refresh->stop();
    m_cursorFollowing->stop();
    // Every other window of the program goes with the main window.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isWindow() && w->isVisible())
            w->close();
}

void FrmMain::Form_KeyDown(int keyCode)
{
    if (keyCode == 27 && m_shell.RET_REG_UNLOADONESCAPE)
        close();
}

bool FrmMain::event(QEvent *event)
{
    // The toolbar's help texts are its actions' status tips; the status bar shows them itself
    // (panel 1), so Qt's own temporary status messages (also from the menus) never appear.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
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
    const MainActions &m = m_actions;
    return a == m.mnuUndo || a == m.mnuCut || a == m.mnuCopy || a == m.mnuPaste || a == m.mnuDelete
        || a == m.mnuSelectAll;
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
    if (event->type() == QEvent::WindowStateChange) {
        scheduleGlobalStateCheck();
        if (m_trayWatch)
            m_trayWatch->check();
    }
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
    return m_platform.facts->dataFolder() + QStringLiteral("Jotbook.htm");
}

// ---- settings ------------------------------------------------------------------------------------

void FrmMain::GetSettings() { m_settings->GetSettings(); }

void FrmMain::SaveSettings(SettingsStore::Options options, SettingsStore::Geometry geometry)
{
    m_settings->SaveSettings(options, geometry);
}

bool FrmMain::IsSettingsChanged() { return m_settings->IsSettingsChanged(); }

void FrmMain::optionChanged()
{
    m_settings->setUserChangeSettings(true);
}

// ---- documents -----------------------------------------------------------------------------------

bool FrmMain::IsTextChanged() { return m_document->IsTextChanged(); }

void FrmMain::mnuNew_Click()
{
    if (m_document->IsTextChanged())
        m_document->New();
}

bool FrmMain::OpenTextFile(const QString &strFileName, bool bLoadAll, bool bOpenAsData)
{
    return m_documents->OpenTextFile(strFileName, bLoadAll, bOpenAsData);
}

bool FrmMain::SaveTextFile(const QString &strFileName, bool bSave)
{
    return m_documents->SaveTextFile(strFileName, bSave);
}

void FrmMain::mnuOpen_Click() { m_documents->mnuOpen_Click(); }
void FrmMain::mnuSave_Click() { m_documents->mnuSave_Click(); }
void FrmMain::mnuSaveAs_Click() { m_documents->mnuSaveAs_Click(); }
void FrmMain::mnuRecent_Click() { m_documents->mnuRecent_Click(); }
void FrmMain::mnuFont_Click() { m_documents->mnuFont_Click(); }
void FrmMain::mnuColor_Click() { m_documents->mnuColor_Click(); }
void FrmMain::mnuDefaultColor_Click() { m_documents->mnuDefaultColor_Click(); }

bool FrmMain::TTextBlock_OLEDragDrop(const QMimeData *data, Qt::DropActions offered)
{
    return m_documents->TTextBlock_OLEDragDrop(data, offered);
}

void FrmMain::CheckForKeys(const QString &strText, bool bCommand)
{
    using CommandLine::Key;
    if (!bCommand) {
        const CommandLine::Marker marker = CommandLine::TextMarker(platform::Ansi::fromUnicode(strText));
        if (marker == CommandLine::Marker::Log)
            LogStamp();
        else if (marker == CommandLine::Marker::System)
            SystemStamp();
        return;
    }
    const CommandLine::Parsed line = CommandLine::Parse(strText);
    // Clearing an option here lasts for this run; it does not count as the user's change.
    if (line.key == Key::NoSizeCheck)
        m_actions.mnuCheckLen->setChecked(false);
    if (line.key == Key::NoDataCheck)
        m_actions.mnuCheckData->setChecked(false);
    // What follows the open acts on whatever the text box then holds, also after a failed open.
    OpenTextFile(line.fileName, m_documentSettings.RET_REG_LOADALL, line.key == Key::OpenAsData);
    if (line.key == Key::Print)
        m_actions.mnuPrint->trigger();
    else if (line.key == Key::LogStamp)
        LogStamp();
    else if (line.key == Key::SystemStamp)
        SystemStamp();
}

// The caret at the end of the text after an empty line, where a stamp goes; false while the keys
// and markers are switched off.
bool FrmMain::OpenStampLine()
{
    if (!m_actions.mnuReadKeys->isChecked())
        return false;
    const int end = TTextBlock->textLength();
    TTextBlock->setSel(end, end);
    TTextBlock->replaceSel("\r\n\r\n", true);
    return true;
}

// An empty line and the time and date at the end of the text.
void FrmMain::LogStamp()
{
    if (OpenStampLine())
        mnuTimeDate_Click();
}

// An empty line and the system report at the end of the text.
void FrmMain::SystemStamp()
{
    if (OpenStampLine())
        InsertSystemReport();
}

void FrmMain::InsertSystemReport()
{
    static const QVersionNumber version = QVersionNumber::fromString(QStringLiteral(JOTBOOK_VERSION_STRING));
    SystemReport::InsertSystemReport(
        *TTextBlock, SystemReport::BuildSystemReport(*m_platform.facts, m_platform.clock->now(), version));
}

// ---- option items --------------------------------------------------------------------------------

void FrmMain::chooseCoding(QAction *item)
{
    m_actions.mnuCodingWin->setChecked(item == m_actions.mnuCodingWin);
    m_actions.mnuCodingDos->setChecked(item == m_actions.mnuCodingDos);
    m_actions.mnuCodingKoi->setChecked(item == m_actions.mnuCodingKoi);
    optionChanged();
}

void FrmMain::mnuCheckLen_Click() { optionChanged(); }
void FrmMain::mnuCheckData_Click() { optionChanged(); }
void FrmMain::mnuReadKeys_Click() { optionChanged(); }
void FrmMain::mnuSetCyrillic_Click() { optionChanged(); }
void FrmMain::mnuCheckMouse_Click() { optionChanged(); }
void FrmMain::mnuShowToolTips_Click() { optionChanged(); }
void FrmMain::mnuShowInfo_Click() { optionChanged(); }
void FrmMain::mnuPopupMenu_Click() { optionChanged(); }
void FrmMain::mnuDefaultMenu_Click() { optionChanged(); }
void FrmMain::mnuMinimizeToTray_Click()
{
    optionChanged();
    m_trayWatch->check();
}
void FrmMain::mnuCodingWin_Click() { chooseCoding(m_actions.mnuCodingWin); }
void FrmMain::mnuCodingDos_Click() { chooseCoding(m_actions.mnuCodingDos); }
void FrmMain::mnuCodingKoi_Click() { chooseCoding(m_actions.mnuCodingKoi); }

void FrmMain::mnuAlwaysOnTop_Click()
{
    ApplyWindowOptions();
    optionChanged();
}

void FrmMain::mnuTransparensy_Click()
{
    ApplyWindowOptions();
    optionChanged();
}

void FrmMain::mnuToolbar_Click()
{
    optionChanged();
    ApplyWindowOptions();
}

void FrmMain::mnuStatusBar_Click()
{
    optionChanged();
    ApplyWindowOptions();
}

// ---- window options and geometry -----------------------------------------------------------------

void FrmMain::ApplyWindowOptions()
{
    platform::WindowOptions::SetTopMost(this, m_actions.mnuAlwaysOnTop->isChecked());
    platform::WindowOptions::SetTransparency(this, m_chromeSettings.transparencyLevel(),
                                             !m_actions.mnuTransparensy->isChecked());
    // A window that follows the pointer is faint at once when the pointer is elsewhere.
    m_cursorFollowing->CheckMousePosition();
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
    if (!(state != 1 && width >= 3000 && height >= 2000) && !m_shell.RET_REG_BADSIZE) {
        // Marked shown before the box opens: the resizes handled while it is open come back here.
        m_shell.RET_REG_BADSIZE = true;
        m_messages->msgBox(QStringLiteral("Окно имеет недопустимый размер.\r\n\r\nНастройки такого окна не сохраняются."),
                           MsgButtons::Ok, MsgIcon::Information);
    }
    SMainStatusBar->setPanelText(QString(255, QLatin1Char(' ')));
    // The next refresh puts "Готово" back unless the pointer rests on the toolbar.
    m_refresh->schedule();
    // The window's layout puts the text box between the bars that are shown.
    GetToolbarHeight();
    GetStatusBarHeight();
    m_actions.mnuRestoreWindow->setEnabled(state != 2);
}

int FrmMain::GetToolbarHeight()
{
    TMainToolbar->setVisible(m_actions.mnuToolbar->isChecked());
    return TMainToolbar->isHidden() ? 0 : int(roundHalfEven(TMainToolbar->height() * WindowGeometry::twipsPerPixelY()));
}

int FrmMain::GetStatusBarHeight()
{
    SMainStatusBar->setVisible(m_actions.mnuStatusBar->isChecked());
    return SMainStatusBar->isHidden() ? 0
                                      : int(roundHalfEven(SMainStatusBar->height() * WindowGeometry::twipsPerPixelY()));
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
    if (key == QLatin1String("CopyAllBtn")) {
        mnuSelectAll_Click();
        mnuCopy_Click();
        return;
    }
    const QHash<QString, int> alignments = {
        {QStringLiteral("LeftBtn"), 0}, {QStringLiteral("CenterBtn"), 2}, {QStringLiteral("RightBtn"), 1}};
    if (alignments.contains(key)) {
        TTextBlock->setAlignmentValue(alignments.value(key));
        optionChanged();
        SetAlignmentButtons();
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
void FrmMain::mnuTimeDate_Click() { EditCommands::InsertTimeDate(*TTextBlock, m_platform.clock->now()); }

void FrmMain::mnuFind_Click()
{
    searchMemory().FindTemp = platform::Ansi::toUnicode(TTextBlock->selectedText());
    m_editDialogs->ShowFind();
}

void FrmMain::mnuFindNext_Click()
{
    m_editDialogs->ShowFind();
}

void FrmMain::mnuReplace_Click()
{
    const QByteArray selected = TTextBlock->selectedText();
    if (!selected.isEmpty())
        searchMemory().FindTemp = platform::Ansi::toUnicode(selected);
    m_editDialogs->ShowReplace();
}

void FrmMain::mnuGoTo_Click()
{
    m_editDialogs->ShowGoTo();
}

platform::DialogHost FrmMain::dialogHost()
{
    return {this, [this] { return TTextBlock->fontSpec().charset; },
            [this] { return m_actions.mnuAlwaysOnTop->isChecked(); }};
}

// ---- printing ------------------------------------------------------------------------------------

void FrmMain::mnuPrintSetup_Click()
{
    FrmPrintSetup::showModal({dialogHost(), m_printSettings, *m_messages});
}

void FrmMain::mnuPrint_Click()
{
    Printing::PrintDocument({*TTextBlock, *m_messages, *m_platform.printers, windowTitle()},
                            m_printSettings.RET_REG_PRINTCOPIES, Printing::orientationOf(m_printSettings));
}

// ---- help and exit -------------------------------------------------------------------------------

void FrmMain::mnuExit_Click()
{
    close();
}

void FrmMain::mnuCallHelp_Click()
{
    if (!MdlFunctions::ShellOpenFile(*m_platform.shell, helpFile(), this))
        m_messages->msgBox(QStringLiteral("Не удалось загрузить файл справки!\r\n\r\nВозможно, он повреждён или отсутствует."),
                           MsgButtons::Ok, MsgIcon::Warning);
}

void FrmMain::mnuAbout_Click()
{
    showAbout(true);
}

void FrmMain::showAbout(bool modal)
{
    FrmAbout::Show(m_about, {dialogHost(), *TTextBlock, *m_messages, *m_platform.shell, *m_platform.facts, m_platform.programs},
                   modal);
}
