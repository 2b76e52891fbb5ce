#pragma once
// The main window. It owns the running program's state (document, options, remembered dialog
// texts, timers); the work is done by small collaborators it calls: the settings table
// (SettingsStore), loading and saving (document/), the edit commands and dialogs (editing/), the
// window chrome (chrome/).

#include "app/MainMenus.h"
#include "platform/Platform.h"

#include <QByteArray>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>

class QAction;
class QTimer;
class QToolBar;
class QMimeData;

namespace platform { class TextBox; }
class MainStatusBar;
class MainToolbar;
class SettingsStore;
class WindowGeometry;
class Documents;
class StateRefresh;
class FrmFind;
class FrmReplace;
class FrmGoTo;

class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(platform::Platform &platform, QWidget *parent = nullptr);
    ~FrmMain() override;

    // The start-up sequence. Returns false when the program must end at once (a refused second
    // copy, or a failed start-up after its message); no shutdown step runs then.
    bool Form_Load(const QString &commandLine);

    // ---- owned state ----------------------------------------------------------------------------
    platform::Platform &platform;
    MainMenus menus;
    platform::TextBox *TTextBlock = nullptr;
    MainToolbar *TMainToolbar = nullptr;
    MainStatusBar *SMainStatusBar = nullptr;
    QTimer *TGlobalState = nullptr;   // 25 ms: state refresh
    QTimer *TWindowState = nullptr;   // 250 ms: window-state tracking (with the tray icon)

    // document
    QString GlobalFileName;
    QByteArray SourceText;

    // settings mirrors without a menu item
    bool UserChangeSettings = false;
    bool RET_REG_BADSIZE = false;
    bool RET_REG_ENDSTATE = false;
    bool RET_REG_NEWSETTINGS = false;
    qint32 RET_REG_TRANSPARENSYLEVEL = 0;
    qint32 RET_REG_TRANSPARENSYINDEX = 0;
    qint32 RET_REG_REPLACEMATCHCASE = 0;
    qint32 RET_REG_FINDMATCHCASE = 0;
    bool RET_REG_PRINTPORTRAIT = false;
    bool RET_REG_PRINTLANDSCAPE = false;
    qint32 RET_REG_PRINTCOPIES = 0;
    bool RET_REG_DISABLESAVE = false;
    QString RET_REG_EXECONSTART;
    bool RET_REG_LOADALL = false;
    bool RET_REG_MULTIPLEINSTANCE = false;
    bool RET_REG_UNLOADONESCAPE = false;

    // remembered dialog texts
    QString FindTemp;
    QString ReplaceTemp;
    QString GoToTemp;

    // the small windows, while they exist
    QPointer<FrmFind> frmFind;
    QPointer<FrmReplace> frmReplace;
    QPointer<FrmGoTo> frmGoTo;

    // ---- public procedures ----------------------------------------------------------------------
    void GetSettings();
    void SaveSettings(bool bAutoOnly, bool bSaveForm);
    bool IsSettingsChanged();

    void CreateTitle();
    bool IsTextChanged();
    bool OpenTextFile(const QString &strFileName, bool bLoadAll, bool bOpenAsData);
    bool SaveTextFile(const QString &strFileName, bool bSave);
    void WriteRecentFile(const QString &strFileName);
    void CheckForKeys(const QString &strText, bool bCommand);

    void CheckGlobalState();
    void ApplyWindowOptions();
    void SetAlignmentButtons();

    WindowGeometry &geometryTwips() { return *m_geometry; }

    // A message box titled "Jotbook" owned by this window.
    platform::MsgAnswer msgBox(const QString &text, platform::MsgButtons buttons, platform::MsgIcon icon,
                               int defaultButton = 1);

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
    void mnuConfirmSettings_Click();
    // Format
    void mnuColor_Click();
    void mnuDefaultColor_Click();
    void mnuFont_Click();
    // Help
    void mnuCallHelp_Click();

    void TGlobalState_Timer();
    void TTextBlock_OLEDragDrop(const QMimeData *data, Qt::DropActions offered);
    void TMainToolbar_ButtonClick(const QString &key);

protected:
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
    int GetToolbarHeight();
    int GetStatusBarHeight();
    void plainToggle(QAction *item);
    void chooseCoding(QAction *item);
    void scheduleGlobalStateCheck();
    bool isDocumentChanged() const;
    bool isStandardEditAction(const QAction *a) const;
    QString helpFile() const;

    std::unique_ptr<WindowGeometry> m_geometry;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<Documents> m_documents;
    std::unique_ptr<StateRefresh> m_refresh;
    bool m_shutdownDone = false;
    bool m_checkPending = false;
};
