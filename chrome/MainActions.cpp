#include "chrome/MainActions.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace {

struct Builder {
    QWidget *owner;

    QAction *item(QMenu *menu, const char *name, const QString &caption, const QKeySequence &key = {},
                  bool checkable = false, bool checked = false)
    {
        auto *a = new QAction(caption, owner);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
            owner->addAction(a);
        }
        if (checkable) {
            a->setCheckable(true);
            a->setChecked(checked);
        }
        menu->addAction(a);
        return a;
    }

    QAction *option(QMenu *menu, const char *name, const QString &caption, bool checked,
                    const QKeySequence &key = {})
    {
        return item(menu, name, caption, key, true, checked);
    }

    QMenu *menu(QMenu *parent, const char *name, const QString &caption)
    {
        QMenu *m = parent->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    }

    // A context-menu item: runs its menu-bar twin and is enabled exactly when the twin is.
    QAction *twin(QMenu *menu, const char *name, const QString &caption, QAction *target)
    {
        auto *a = new QAction(caption, owner);
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(target->isEnabled());
        QObject::connect(a, &QAction::triggered, target, [target] { target->trigger(); });
        QObject::connect(target, &QAction::changed, a, [a, target] { a->setEnabled(target->isEnabled()); });
        menu->addAction(a);
        return a;
    }
};

QMenu *topMenu(QMenuBar *bar, const char *name, const QString &caption)
{
    QMenu *m = bar->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    return m;
}

} // namespace

void MainActions::build(QMenuBar *bar, QWidget *owner)
{
    Builder b{owner};
    const auto ctrl = [](Qt::Key k) { return QKeySequence(Qt::CTRL | k); };

    mnuFile = topMenu(bar, "mnuFile", QStringLiteral("&Файл"));
    mnuNew = b.item(mnuFile, "mnuNew", QStringLiteral("&Создать"), ctrl(Qt::Key_N));
    mnuOpen = b.item(mnuFile, "mnuOpen", QStringLiteral("&Открыть..."), ctrl(Qt::Key_O));
    mnuSave = b.item(mnuFile, "mnuSave", QStringLiteral("Со&хранить"), ctrl(Qt::Key_S));
    mnuSaveAs = b.item(mnuFile, "mnuSaveAs", QStringLiteral("Сох&ранить как..."));
    mnuFile->addSeparator();
    mnuCheckLen = b.option(mnuFile, "mnuCheckLen", QStringLiteral("&Проверка размера"), true, ctrl(Qt::Key_L));
    mnuCheckData = b.option(mnuFile, "mnuCheckData", QStringLiteral("Провер&ка данных"), true, ctrl(Qt::Key_D));
    mnuReadKeys = b.option(mnuFile, "mnuReadKeys", QStringLiteral("О&бработка ключей"), true, ctrl(Qt::Key_K));
    mnuFile->addSeparator();
    mnuCoding = b.menu(mnuFile, "mnuCoding", QStringLiteral("О&ткрывать в кодировке"));
    mnuCodingWin = b.option(mnuCoding, "mnuCodingWin", QStringLiteral("Текст (&Windows)"), true);
    mnuCodingDos = b.option(mnuCoding, "mnuCodingDos", QStringLiteral("Текст (DO&S)"), false);
    mnuCodingKoi = b.option(mnuCoding, "mnuCodingKoi", QStringLiteral("Текст (K&OI)"), false);
    mnuCoding->addSeparator();
    mnuSetCyrillic = b.option(mnuCoding, "mnuSetCyrillic", QStringLiteral("По&дключать кириллицу"), true);
    mnuFile->addSeparator();
    mnuPrintSetup = b.item(mnuFile, "mnuPrintSetup", QStringLiteral("П&араметры печати..."));
    mnuPrint = b.item(mnuFile, "mnuPrint", QStringLiteral("П&ечать"), ctrl(Qt::Key_P));
    mnuFile->addSeparator();
    mnuRecentFile = b.menu(mnuFile, "mnuRecentFile", QStringLiteral("Пос&ледний документ"));
    mnuRecent = b.item(mnuRecentFile, "mnuRecent", QString());
    mnuFile->addSeparator();
    mnuExit = b.item(mnuFile, "mnuExit", QStringLiteral("&Выход"));

    mnuEdit = topMenu(bar, "mnuEdit", QStringLiteral("&Правка"));
    mnuUndo = b.item(mnuEdit, "mnuUndo", QStringLiteral("&Отменить"), ctrl(Qt::Key_Z));
    mnuEdit->addSeparator();
    mnuUCase = b.item(mnuEdit, "mnuUCase", QStringLiteral("&Все прописные"), QKeySequence(Qt::Key_F1));
    mnuLCase = b.item(mnuEdit, "mnuLCase", QStringLiteral("В&се строчные"), QKeySequence(Qt::Key_F2));
    mnuEdit->addSeparator();
    mnuCut = b.item(mnuEdit, "mnuCut", QStringLiteral("В&ырезать"), ctrl(Qt::Key_X));
    mnuCopy = b.item(mnuEdit, "mnuCopy", QStringLiteral("&Копировать"), ctrl(Qt::Key_C));
    mnuPaste = b.item(mnuEdit, "mnuPaste", QStringLiteral("Вс&тавить"), ctrl(Qt::Key_V));
    mnuDelete = b.item(mnuEdit, "mnuDelete", QStringLiteral("&Удалить"), QKeySequence(Qt::Key_Delete));
    mnuEdit->addSeparator();
    mnuFind = b.item(mnuEdit, "mnuFind", QStringLiteral("&Найти..."), ctrl(Qt::Key_F));
    mnuFindNext = b.item(mnuEdit, "mnuFindNext", QStringLiteral("Н&айти далее..."), QKeySequence(Qt::Key_F3));
    mnuReplace = b.item(mnuEdit, "mnuReplace", QStringLiteral("&Заменить..."), ctrl(Qt::Key_H));
    mnuGoTo = b.item(mnuEdit, "mnuGoTo", QStringLiteral("П&ерейти..."), ctrl(Qt::Key_G));
    mnuEdit->addSeparator();
    mnuSelectAll = b.item(mnuEdit, "mnuSelectAll", QStringLiteral("Вы&делить всё"), ctrl(Qt::Key_A));
    mnuTimeDate = b.item(mnuEdit, "mnuTimeDate", QStringLiteral("В&ремя и дата"), QKeySequence(Qt::Key_F5));

    mnuView = topMenu(bar, "mnuView", QStringLiteral("&Вид"));
    mnuRestoreWindow = b.item(mnuView, "mnuRestoreWindow", QStringLiteral("В&осстановить окно"), ctrl(Qt::Key_W));
    mnuMinimizeToTray = b.option(mnuView, "mnuMinimizeToTray", QStringLiteral("&Минимизировать в трей"), false,
                                 QKeySequence(Qt::Key_F6));
    mnuAlwaysOnTop = b.option(mnuView, "mnuAlwaysOnTop", QStringLiteral("Пов&ерх всех окон"), false,
                              QKeySequence(Qt::Key_F7));
    mnuView->addSeparator();
    mnuTransparensy = b.option(mnuView, "mnuTransparensy", QStringLiteral("&Полупрозрачность"), false,
                               QKeySequence(Qt::Key_F4));
    mnuTransparensySettings = b.menu(mnuView, "mnuTransparensySettings", QStringLiteral("&Дополнительно"));
    mnuCheckMouse = b.option(mnuTransparensySettings, "mnuCheckMouse", QStringLiteral("&Следить за курсором"), false);
    mnuView->addSeparator();
    mnuToolbar = b.option(mnuView, "mnuToolbar", QStringLiteral("П&анель инструментов"), true, ctrl(Qt::Key_T));
    mnuStatusBar = b.option(mnuView, "mnuStatusBar", QStringLiteral("Па&нель состояния"), true, ctrl(Qt::Key_I));
    mnuToolbarStatusBarSettings = b.menu(mnuView, "mnuToolbarStatusBarSettings", QStringLiteral("Допо&лнительно"));
    mnuShowToolTips = b.option(mnuToolbarStatusBarSettings, "mnuShowToolTips", QStringLiteral("О&тображать подсказки"), true);
    mnuShowInfo = b.option(mnuToolbarStatusBarSettings, "mnuShowInfo", QStringLiteral("Ото&бражать информацию"), true);
    mnuView->addSeparator();
    mnuPopupMenu = b.option(mnuView, "mnuPopupMenu", QStringLiteral("Контекстное мен&ю"), true, ctrl(Qt::Key_M));
    mnuPopupMenuSettings = b.menu(mnuView, "mnuPopupMenuSettings", QStringLiteral("Дополн&ительно"));
    mnuDefaultMenu = b.option(mnuPopupMenuSettings, "mnuDefaultMenu", QStringLiteral("Станда&ртное меню"), false);
    mnuView->addSeparator();
    mnuConfirmSettings = b.option(mnuView, "mnuConfirmSettings", QStringLiteral("Спра&шивать о настройках"), true,
                                  ctrl(Qt::Key_U));

    mnuFormat = topMenu(bar, "mnuFormat", QStringLiteral("Ф&ормат"));
    mnuBackColor = b.menu(mnuFormat, "mnuBackColor", QStringLiteral("&Цвет заливки"));
    mnuColor = b.item(mnuBackColor, "mnuColor", QStringLiteral("&Выбрать цвет..."));
    mnuBackColor->addSeparator();
    mnuDefaultColor = b.item(mnuBackColor, "mnuDefaultColor", QStringLiteral("&По умолчанию (Белая)"));
    mnuFont = b.item(mnuFormat, "mnuFont", QStringLiteral("&Шрифт..."));

    mnuHelp = topMenu(bar, "mnuHelp", QStringLiteral("&Справка"));
    mnuCallHelp = b.item(mnuHelp, "mnuCallHelp", QStringLiteral("&Вызов справки"));
    mnuHelp->addSeparator();
    mnuAbout = b.item(mnuHelp, "mnuAbout", QStringLiteral("&О программе"));

    // The two context menus exist only as popups; they are never added to the menu bar.
    mnuPopup = new QMenu(QStringLiteral("TBPopUp"), owner);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuPUPrint = b.twin(mnuPopup, "mnuPUPrint", QStringLiteral("&Печать"), mnuPrint);
    mnuPopup->addSeparator();
    mnuPUFont = b.twin(mnuPopup, "mnuPUFont", QStringLiteral("&Шрифт..."), mnuFont);
    mnuPopup->addSeparator();
    mnuPUUndo = b.twin(mnuPopup, "mnuPUUndo", QStringLiteral("&Отменить"), mnuUndo);
    mnuPopup->addSeparator();
    mnuPUUCase = b.twin(mnuPopup, "mnuPUUCase", QStringLiteral("&Все прописные"), mnuUCase);
    mnuPULCase = b.twin(mnuPopup, "mnuPULCase", QStringLiteral("В&се строчные"), mnuLCase);
    mnuPopup->addSeparator();
    mnuPUCut = b.twin(mnuPopup, "mnuPUCut", QStringLiteral("В&ырезать"), mnuCut);
    mnuPUCopy = b.twin(mnuPopup, "mnuPUCopy", QStringLiteral("&Копировать"), mnuCopy);
    mnuPUPaste = b.twin(mnuPopup, "mnuPUPaste", QStringLiteral("Вс&тавить"), mnuPaste);
    mnuPUDelete = b.twin(mnuPopup, "mnuPUDelete", QStringLiteral("&Удалить"), mnuDelete);
    mnuPopup->addSeparator();
    mnuPUFind = b.twin(mnuPopup, "mnuPUFind", QStringLiteral("&Найти..."), mnuFind);
    mnuPUFindNext = b.twin(mnuPopup, "mnuPUFindNext", QStringLiteral("Н&айти далее..."), mnuFindNext);
    mnuPopup->addSeparator();
    mnuPUSelectAll = b.twin(mnuPopup, "mnuPUSelectAll", QStringLiteral("Вы&делить всё"), mnuSelectAll);

    mnuPopUp2 = new QMenu(QStringLiteral("TBPopUp2"), owner);
    mnuPopUp2->setObjectName(QStringLiteral("mnuPopUp2"));
    mnuPU2GoTo = b.twin(mnuPopUp2, "mnuPU2GoTo", QStringLiteral("&Перейти..."), mnuGoTo);
}
