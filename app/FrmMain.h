#pragma once
// The main window and the program's composition root. It creates the subsystems and hands each
// the small context it needs (text box, messenger, choosers, options); it runs the start-up and
// shutdown sequences, the option items, the window's geometry rules and the command line; every
// other command is a handler here that calls into its subsystem.

#include "app/SettingsStore.h"
#include "chrome/ChromeSettings.h"
#include "chrome/MainActions.h"
#include "document/Documents.h"
#include "printing/PrintSettings.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QMimeData;
class CursorFollowing;
class Document;
class FrmAbout;
class TrayWatch;
class EditDialogs;
class EditorMenus;
class MainStatusBar;
class MainToolbar;
class Recovery;
class StateRefresh;
class ToolbarHelp;
struct SearchMemory;
namespace platform {
struct DialogHost;
struct Platform;
class Messenger;
class TextBox;
class WindowGeometry;
}

class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(platform::Platform &platform, QWidget *parent = nullptr);
    ~FrmMain() override;

    // The start-up sequence. Returns false when the program must end at once (a refused second
    // copy, or a failed start-up after its message); no shutdown step runs then.
    bool Form_Load(const QString &commandLine);

    // ---- procedures --------------------------------------------------------------------------------
    void GetSettings();
    void SaveSettings(SettingsStore::Options options, SettingsStore::Geometry geometry);
    // True when the user cancelled: the caller must not go on.
    bool IsSettingsChanged();
    // True when the caller may go on and replace the text (unchanged, saved, or discarded).
    bool IsTextChanged();
    bool OpenTextFile(const QString &strFileName, bool bLoadAll, bool bOpenAsData);
    bool SaveTextFile(const QString &strFileName, bool bSave);
    // bCommand true: strText is the command line; false: the start of a text just loaded.
    void CheckForKeys(const QString &strText, bool bCommand);
    void CheckGlobalState();
    void ApplyWindowOptions();
    void SetAlignmentButtons();

    // ---- the parts, for the program's own windows and for tests ------------------------------------
    platform::TextBox &textBox() const { return *TTextBlock; }
    const MainActions &mainActions() const { return m_actions; }
    MainToolbar &toolbar() const { return *TMainToolbar; }
    MainStatusBar &mainStatusBar() const { return *SMainStatusBar; }
    Document &document() const { return *m_document; }
    Documents &documents() const { return *m_documents; }
    Recovery &recovery() const { return *m_recovery; }
    StateRefresh &refresh() const { return *m_refresh; }
    CursorFollowing &cursorFollowing() const { return *m_cursorFollowing; }
    EditDialogs &editDialogs() const { return *m_editDialogs; }
    SettingsStore &settings() const { return *m_settings; }
    platform::WindowGeometry &geometryTwips() const { return *m_geometry; }
    ShellSettings &shellSettings() { return m_shell; }
    DocumentSettings &documentSettings() { return m_documentSettings; }
    ChromeSettings &chromeSettings() { return m_chromeSettings; }
    PrintSettings &printSettings() { return m_printSettings; }
    SearchMemory &searchMemory();
    TrayWatch &trayWatch() const { return *m_trayWatch; }
    FrmAbout *frmAbout() const;

public Q_SLOTS:
    // File
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    void mnuCheckLen_Click();
    void mnuCheckData_Click();
    void mnuReadKeys_Click();
    void mnuCodingWin_Click();
    void mnuCodingDos_Click();
    void mnuCodingKoi_Click();
    void mnuSetCyrillic_Click();
    void mnuPrintSetup_Click();
    void mnuPrint_Click();
    void mnuRecent_Click();
    void mnuExit_Click();
    // Edit
    void mnuUndo_Click();
    void mnuUCase_Click();
    void mnuLCase_Click();
    void mnuCut_Click();
    void mnuCopy_Click();
    void mnuPaste_Click();
    void mnuDelete_Click();
    void mnuFind_Click();
    void mnuFindNext_Click();
    void mnuReplace_Click();
    void mnuGoTo_Click();
    void mnuSelectAll_Click();
    void mnuTimeDate_Click();
    // View
    void mnuRestoreWindow_Click();
    void mnuMinimizeToTray_Click();
    void mnuAlwaysOnTop_Click();
    void mnuTransparensy_Click();
    void mnuCheckMouse_Click();
    void mnuToolbar_Click();
    void mnuStatusBar_Click();
    void mnuShowToolTips_Click();
    void mnuShowInfo_Click();
    void mnuPopupMenu_Click();
    void mnuDefaultMenu_Click();
    // Format
    void mnuColor_Click();
    void mnuDefaultColor_Click();
    void mnuFont_Click();
    // Help
    void mnuCallHelp_Click();
    void mnuAbout_Click();

    void TGlobalState_Timer();
    // True when the drop was taken (a file opened); the drag's source is told so.
    bool TTextBlock_OLEDragDrop(const QMimeData *data, Qt::DropActions offered);
    // The toolbar buttons that have no menu item: CopyAllBtn, LeftBtn, CenterBtn, RightBtn.
    void TMainToolbar_ButtonClick(const QString &key);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void connectActions();
    void Form_QueryUnload(bool &cancel);
    void Form_KeyDown(int keyCode);
    void CheckEndState();
    void ReadCommandLine(const QString &commandLine);
    bool OpenStampLine();
    void LogStamp();
    void SystemStamp();
    void InsertSystemReport();
    int GetToolbarHeight();
    int GetStatusBarHeight();
    void optionChanged();
    void chooseCoding(QAction *item);
    void scheduleGlobalStateCheck();
    bool isStandardEditAction(const QAction *a) const;
    DocumentOptions documentOptions() const;
    QString helpFile() const;
    void showAbout(bool modal);
    // What the small windows know of this one.
    platform::DialogHost dialogHost();

    platform::Platform &m_platform;
    std::unique_ptr<platform::Messenger> m_messages;
    MainActions m_actions;
    platform::TextBox *TTextBlock = nullptr;
    MainToolbar *TMainToolbar = nullptr;
    MainStatusBar *SMainStatusBar = nullptr;

    ShellSettings m_shell;
    DocumentSettings m_documentSettings;
    ChromeSettings m_chromeSettings;
    PrintSettings m_printSettings;

    std::unique_ptr<platform::WindowGeometry> m_geometry;
    std::unique_ptr<Document> m_document;
    std::unique_ptr<Documents> m_documents;
    std::unique_ptr<Recovery> m_recovery;
    std::unique_ptr<EditDialogs> m_editDialogs;
    std::unique_ptr<StateRefresh> m_refresh;
    std::unique_ptr<ToolbarHelp> m_toolbarHelp;
    std::unique_ptr<CursorFollowing> m_cursorFollowing;
    std::unique_ptr<EditorMenus> m_editorMenus;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<TrayWatch> m_trayWatch;
    QPointer<FrmAbout> m_about;
    bool m_shutdownDone = false;
    bool m_checkPending = false;
};
