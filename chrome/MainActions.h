#pragma once
// The main window's actions, declared once. The menu bar, the two context menus and the toolbar
// are all built from these, so every command has exactly one handler: a toolbar button is the
// menu item's own action, and a context-menu item (which has a caption of its own and shows no
// accelerator) triggers its menu item and is always enabled exactly when the item is. Only the
// toolbar buttons without a menu item (copy all and the three alignments) have actions of their
// own (MainToolbar). The check mark of an option item is the option itself.

#include <QList>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

struct MainActions {
    // top-level menus
    QMenu *mnuFile = nullptr;
    QMenu *mnuEdit = nullptr;
    QMenu *mnuView = nullptr;
    QMenu *mnuFormat = nullptr;
    QMenu *mnuHelp = nullptr;
    // sub-menus
    QMenu *mnuCoding = nullptr;
    QMenu *mnuRecentFile = nullptr;
    QMenu *mnuTransparensySettings = nullptr;
    QMenu *mnuToolbarStatusBarSettings = nullptr;
    QMenu *mnuPopupMenuSettings = nullptr;
    QMenu *mnuBackColor = nullptr;
    // hidden context menus, never in the menu bar
    QMenu *mnuPopup = nullptr;
    QMenu *mnuPopUp2 = nullptr;

    // File
    QAction *mnuNew = nullptr;
    QAction *mnuOpen = nullptr;
    QAction *mnuSave = nullptr;
    QAction *mnuSaveAs = nullptr;
    QAction *mnuCheckLen = nullptr;
    QAction *mnuCheckData = nullptr;
    QAction *mnuReadKeys = nullptr;
    QAction *mnuCodingWin = nullptr;
    QAction *mnuCodingDos = nullptr;
    QAction *mnuCodingKoi = nullptr;
    QAction *mnuSetCyrillic = nullptr;
    QAction *mnuPrintSetup = nullptr;
    QAction *mnuPrint = nullptr;
    QAction *mnuRecent = nullptr;
    QAction *mnuExit = nullptr;
    // Edit
    QAction *mnuUndo = nullptr;
    QAction *mnuUCase = nullptr;
    QAction *mnuLCase = nullptr;
    QAction *mnuCut = nullptr;
    QAction *mnuCopy = nullptr;
    QAction *mnuPaste = nullptr;
    QAction *mnuDelete = nullptr;
    QAction *mnuFind = nullptr;
    QAction *mnuFindNext = nullptr;
    QAction *mnuReplace = nullptr;
    QAction *mnuGoTo = nullptr;
    QAction *mnuSelectAll = nullptr;
    QAction *mnuTimeDate = nullptr;
    // View
    QAction *mnuRestoreWindow = nullptr;
    QAction *mnuMinimizeToTray = nullptr;
    QAction *mnuAlwaysOnTop = nullptr;
    QAction *mnuTransparensy = nullptr;
    QAction *mnuCheckMouse = nullptr;
    QAction *mnuToolbar = nullptr;
    QAction *mnuStatusBar = nullptr;
    QAction *mnuShowToolTips = nullptr;
    QAction *mnuShowInfo = nullptr;
    QAction *mnuPopupMenu = nullptr;
    QAction *mnuDefaultMenu = nullptr;
    QAction *mnuConfirmSettings = nullptr;
    // Format
    QAction *mnuColor = nullptr;
    QAction *mnuDefaultColor = nullptr;
    QAction *mnuFont = nullptr;
    // Help
    QAction *mnuCallHelp = nullptr;
    QAction *mnuAbout = nullptr;
    // context-menu twins: each triggers its menu-bar item and follows its enabled state
    QAction *mnuPUPrint = nullptr;
    QAction *mnuPUFont = nullptr;
    QAction *mnuPUUndo = nullptr;
    QAction *mnuPUUCase = nullptr;
    QAction *mnuPULCase = nullptr;
    QAction *mnuPUCut = nullptr;
    QAction *mnuPUCopy = nullptr;
    QAction *mnuPUPaste = nullptr;
    QAction *mnuPUDelete = nullptr;
    QAction *mnuPUFind = nullptr;
    QAction *mnuPUFindNext = nullptr;
    QAction *mnuPUSelectAll = nullptr;
    QAction *mnuPU2GoTo = nullptr;

    // Creates every menu and action; the five top-level menus go into the menu bar, the two
    // context menus stay hidden. Actions with shortcuts are also added to shortcutOwner so that
    // their accelerators work wherever the focus is inside the window.
    void build(QMenuBar *menuBar, QWidget *shortcutOwner);
};
