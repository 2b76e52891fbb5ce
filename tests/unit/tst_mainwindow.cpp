// The main window as the user meets it: menus, context menus, toolbar, status bar, the title and
// the change question, the option items, the window geometry and the state refresh.

#include "app/FrmMain.h"
#include "chrome/StatusBar.h"
#include "chrome/Toolbar.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/WindowGeometry.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cmath>
#include <utility>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

const QString NewTitle = QStringLiteral("Новый документ - Jotbook");
const QString BadSizeNotice = QStringLiteral("Окно имеет недопустимый размер.\r\n\r\nНастройки такого окна не сохраняются.");

QString changedQuestion(const QString &name)
{
    return QStringLiteral("Документ \"%1\" был изменён.\r\n\r\nСохранить эти изменения?").arg(name);
}

using Run = testing::MainWindowRun;
using testing::readFile;
using testing::writeFile;

QImage pictureOf(const QIcon &icon) { return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32); }

} // namespace

Q_DECLARE_METATYPE(platform::MsgAnswer)

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QApplication::setQuitOnLastWindowClosed(false);
    }

    // ---- menus ----------------------------------------------------------------------------------

    void menuBar()
    {
        Run run;
        QStringList titles;
        for (QAction *a : run.frm.menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"&Файл", "&Правка", "&Вид", "Ф&ормат", "&Справка"}));
    }

    void menuItems_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");    // empty: the menu bar; "-": nowhere (a hidden menu)
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("check");         // -1 no check mark, 0 clear, 1 checked
        const auto row = [](const char *name, const char *parent, const char *caption, const char *key = "",
                            int check = -1) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent)
                                << QString::fromUtf8(caption) << QString::fromLatin1(key) << check;
        };
        row("mnuFile", "", "&Файл");
        row("mnuNew", "mnuFile", "&Создать", "Ctrl+N");
        row("mnuOpen", "mnuFile", "&Открыть...", "Ctrl+O");
        row("mnuSave", "mnuFile", "Со&хранить", "Ctrl+S");
        row("mnuSaveAs", "mnuFile", "Сох&ранить как...");
        row("mnuCheckLen", "mnuFile", "&Проверка размера", "Ctrl+L", 1);
        row("mnuCheckData", "mnuFile", "Провер&ка данных", "Ctrl+D", 1);
        row("mnuReadKeys", "mnuFile", "О&бработка ключей", "Ctrl+K", 1);
        row("mnuCoding", "mnuFile", "О&ткрывать в кодировке");
        row("mnuCodingWin", "mnuCoding", "Текст (&Windows)", "", 1);
        row("mnuCodingDos", "mnuCoding", "Текст (DO&S)", "", 0);
        row("mnuCodingKoi", "mnuCoding", "Текст (K&OI)", "", 0);
        row("mnuSetCyrillic", "mnuCoding", "По&дключать кириллицу", "", 1);
        row("mnuPrintSetup", "mnuFile", "П&араметры печати...");
        row("mnuPrint", "mnuFile", "П&ечать", "Ctrl+P");
        row("mnuRecentFile", "mnuFile", "Пос&ледний документ");
        row("mnuRecent", "mnuRecentFile", "");
        row("mnuExit", "mnuFile", "&Выход");
        row("mnuEdit", "", "&Правка");
        row("mnuUndo", "mnuEdit", "&Отменить", "Ctrl+Z");
        row("mnuUCase", "mnuEdit", "&Все прописные", "F1");
        row("mnuLCase", "mnuEdit", "В&се строчные", "F2");
        row("mnuCut", "mnuEdit", "В&ырезать", "Ctrl+X");
        row("mnuCopy", "mnuEdit", "&Копировать", "Ctrl+C");
        row("mnuPaste", "mnuEdit", "Вс&тавить", "Ctrl+V");
        row("mnuDelete", "mnuEdit", "&Удалить", "Del");
        row("mnuFind", "mnuEdit", "&Найти...", "Ctrl+F");
        row("mnuFindNext", "mnuEdit", "Н&айти далее...", "F3");
        row("mnuReplace", "mnuEdit", "&Заменить...", "Ctrl+H");
        row("mnuGoTo", "mnuEdit", "П&ерейти...", "Ctrl+G");
        row("mnuSelectAll", "mnuEdit", "Вы&делить всё", "Ctrl+A");
        row("mnuTimeDate", "mnuEdit", "В&ремя и дата", "F5");
        row("mnuView", "", "&Вид");
        row("mnuRestoreWindow", "mnuView", "В&осстановить окно", "Ctrl+W");
        row("mnuMinimizeToTray", "mnuView", "&Минимизировать в трей", "F6", 0);
        row("mnuAlwaysOnTop", "mnuView", "Пов&ерх всех окон", "F7", 0);
        row("mnuTransparensy", "mnuView", "&Полупрозрачность", "F4", 0);
        row("mnuTransparensySettings", "mnuView", "&Дополнительно");
        row("mnuCheckMouse", "mnuTransparensySettings", "&Следить за курсором", "", 0);
        row("mnuToolbar", "mnuView", "П&анель инструментов", "Ctrl+T", 1);
        row("mnuStatusBar", "mnuView", "Па&нель состояния", "Ctrl+I", 1);
        row("mnuToolbarStatusBarSettings", "mnuView", "Допо&лнительно");
        row("mnuShowToolTips", "mnuToolbarStatusBarSettings", "О&тображать подсказки", "", 1);
        row("mnuShowInfo", "mnuToolbarStatusBarSettings", "Ото&бражать информацию", "", 1);
        row("mnuPopupMenu", "mnuView", "Контекстное мен&ю", "Ctrl+M", 1);
        row("mnuPopupMenuSettings", "mnuView", "Дополн&ительно");
        row("mnuDefaultMenu", "mnuPopupMenuSettings", "Станда&ртное меню", "", 0);
        row("mnuConfirmSettings", "mnuView", "Спра&шивать о настройках", "Ctrl+U", 1);
        row("mnuFormat", "", "Ф&ормат");
        row("mnuBackColor", "mnuFormat", "&Цвет заливки");
        row("mnuColor", "mnuBackColor", "&Выбрать цвет...");
        row("mnuDefaultColor", "mnuBackColor", "&По умолчанию (Белая)");
        row("mnuFont", "mnuFormat", "&Шрифт...");
        row("mnuHelp", "", "&Справка");
        row("mnuCallHelp", "mnuHelp", "&Вызов справки");
        row("mnuAbout", "mnuHelp", "&О программе");
        row("mnuPopup", "-", "TBPopUp");
        row("mnuPUPrint", "mnuPopup", "&Печать");
        row("mnuPUFont", "mnuPopup", "&Шрифт...");
        row("mnuPUUndo", "mnuPopup", "&Отменить");
        row("mnuPUUCase", "mnuPopup", "&Все прописные");
        row("mnuPULCase", "mnuPopup", "В&се строчные");
        row("mnuPUCut", "mnuPopup", "В&ырезать");
        row("mnuPUCopy", "mnuPopup", "&Копировать");
        row("mnuPUPaste", "mnuPopup", "Вс&тавить");
        row("mnuPUDelete", "mnuPopup", "&Удалить");
        row("mnuPUFind", "mnuPopup", "&Найти...");
        row("mnuPUFindNext", "mnuPopup", "Н&айти далее...");
        row("mnuPUSelectAll", "mnuPopup", "Вы&делить всё");
        row("mnuPopUp2", "-", "TBPopUp2");
        row("mnuPU2GoTo", "mnuPopUp2", "&Перейти...");
    }
    void menuItems()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QString, caption);
        QFETCH(QString, key);
        QFETCH(int, check);
        Run run;   // before the settings are read
        QAction *a = run.named(name);
        QVERIFY2(a, "no such item");
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->shortcut(), QKeySequence(key));
        QCOMPARE(a->isCheckable(), check >= 0);
        QCOMPARE(a->isChecked(), check == 1);
        QList<QAction *> siblings;
        if (parent.isEmpty())
            siblings = run.frm.menuBar()->actions();
        else if (parent != QLatin1String("-"))
            siblings = run.frm.findChild<QMenu *>(parent)->actions();
        QCOMPARE(siblings.contains(a), parent != QLatin1String("-"));
    }

    void contextMenuItemRunsItsTwin()
    {
        Run run;
        run.start();
        run.frm.textBox().setText("\xe0\xe1\xe2 abc def");   // "абв abc def"
        run.frm.textBox().setSel(0, 7);
        run.frm.TGlobalState_Timer();
        run.frm.mainActions().mnuPUUCase->trigger();
        QCOMPARE(run.frm.textBox().text(), QByteArray("\xc0\xc1\xc2 ABC def"));
        run.frm.textBox().setSel(0, -1);
        run.frm.TGlobalState_Timer();
        run.frm.mainActions().mnuPULCase->trigger();
        QCOMPARE(run.frm.textBox().text(), QByteArray("\xe0\xe1\xe2 abc def"));
    }

    // The menu's accelerators win over the text box's own keys, except the standard editing keys.
    void accelerators()
    {
        Run run;
        run.start();
        run.frm.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&run.frm));
        platform::TextBox *box = &run.frm.textBox();
        box->setFocus();
        box->setText("abc def");
        box->setSel(0, 3);
        run.frm.TGlobalState_Timer();
        const QStringList opened = run.sp.shell.opened;
        QTest::keyClick(box, Qt::Key_F1);
        QCOMPARE(box->text(), QByteArray("ABC def"));
        QCOMPARE(run.sp.shell.opened, opened);   // F1 is not the help

        box->setSel(0, 0);
        QTest::keyClick(box, Qt::Key_K, Qt::ControlModifier);
        QVERIFY(!run.frm.mainActions().mnuReadKeys->isChecked());
        QCOMPARE(box->text(), QByteArray("ABC def"));
        QVERIFY(run.frm.settings().UserChangeSettings());
    }

    // ---- toolbar and status bar -----------------------------------------------------------------

    void toolbar()
    {
        // Eighteen items; a button that has a menu item is that item's own action, so both are
        // enabled alike and run the same handler.
        Run run;
        const MainActions &m = run.frm.mainActions();
        const MainToolbar &bar = run.frm.toolbar();
        const QStringList keys = {"NewBtn", "OpenBtn", "SaveBtn", "", "PrintBtn", "", "CutBtn", "CopyBtn", "PasteBtn",
                                  "UndoBtn", "", "FindBtn", "", "CopyAllBtn", "", "LeftBtn", "CenterBtn", "RightBtn"};
        const QList<QAction *> actions = bar.actions();
        QCOMPARE(actions.size(), keys.size());
        for (int i = 0; i < actions.size(); ++i) {
            QCOMPARE(actions[i]->isSeparator(), keys[i].isEmpty());
            if (keys[i].isEmpty())
                continue;
            QCOMPARE(actions[i], bar.button(keys[i]));
            QVERIFY2(!actions[i]->icon().isNull() && !actions[i]->statusTip().isEmpty(), qPrintable(keys[i]));
        }
        const QList<std::pair<const char *, QAction *>> shared = {
            {"NewBtn", m.mnuNew}, {"OpenBtn", m.mnuOpen}, {"SaveBtn", m.mnuSave},   {"PrintBtn", m.mnuPrint},
            {"CutBtn", m.mnuCut}, {"CopyBtn", m.mnuCopy}, {"PasteBtn", m.mnuPaste}, {"UndoBtn", m.mnuUndo},
            {"FindBtn", m.mnuFind}};
        for (const auto &[key, item] : shared) {
            QCOMPARE(bar.button(QString::fromLatin1(key)), item);
            QVERIFY(!item->isIconVisibleInMenu());
        }
    }

    void alignmentButtons()
    {
        Run run;
        run.start();
        QVERIFY(!run.frm.settings().UserChangeSettings());
        QAction *center = run.frm.toolbar().button(QStringLiteral("CenterBtn"));
        QAction *left = run.frm.toolbar().button(QStringLiteral("LeftBtn"));
        const QImage centerUp = pictureOf(QIcon(QStringLiteral(":/icons/CenterBtn.png")));
        const QImage centerDown = pictureOf(QIcon(QStringLiteral(":/icons/CenterBtn2.png")));
        const QImage leftUp = pictureOf(QIcon(QStringLiteral(":/icons/LeftBtn.png")));
        const QImage leftDown = pictureOf(QIcon(QStringLiteral(":/icons/LeftBtn2.png")));
        QVERIFY(centerUp != centerDown);
        QCOMPARE(pictureOf(left->icon()), leftDown);     // the start-up alignment is left
        QCOMPARE(pictureOf(center->icon()), centerUp);

        auto *button = qobject_cast<QToolButton *>(run.frm.toolbar().widgetForAction(center));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(run.frm.textBox().alignmentValue(), 2);
        QVERIFY(run.frm.textBox().alignment() & Qt::AlignHCenter);
        QCOMPARE(pictureOf(center->icon()), centerDown);
        QCOMPARE(pictureOf(left->icon()), leftUp);
        QVERIFY(run.frm.settings().UserChangeSettings());
    }

    // ---- title and the change question ----------------------------------------------------------

    void title_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("new") << QString() << NewTitle;
        QTest::newRow("two dots") << "/docs/report.final.txt" << "report.final - Jotbook";
        QTest::newRow("33 characters") << "/docs/" + QString(33, 'n') + ".txt" << QString(29, 'n') + "... - Jotbook";
    }
    void title()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        Run run;
        run.frm.document().Commit(QByteArray(), path, platform::FileCoding::Ansi);
        QCOMPARE(run.frm.windowTitle(), title);
        // Screen readers name the text box as the caption names the document.
        QCOMPARE(run.frm.textBox().accessibleName(), title.chopped(int(std::size(" - Jotbook")) - 1));
    }

    void changeQuestion_data()
    {
        QTest::addColumn<QString>("file");      // empty: a new document
        QTest::addColumn<QString>("name");
        QTest::newRow("new document") << QString() << "Новый документ";
        QTest::newRow("report") << "report.txt" << "report";
        QTest::newRow("long name, not shortened") << QString(40, 'L') + ".txt" << QString(40, 'L');
    }
    void changeQuestion()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QTemporaryDir dir;
        Run run;
        run.start();
        if (!file.isEmpty())
            QVERIFY(run.frm.OpenTextFile(writeFile(dir.filePath(file), "text"), true, false));
        const QByteArray text = run.frm.textBox().text();
        const QString path = run.frm.document().GlobalFileName();
        const QString title = run.frm.windowTitle();
        QTest::keyClick(&run.frm.textBox(), Qt::Key_X);
        QVERIFY(run.frm.textBox().text() != text);
        const QByteArray changed = run.frm.textBox().text();

        run.sp.messages.answers = {MsgAnswer::Cancel};
        run.frm.mainActions().mnuNew->trigger();
        QCOMPARE(run.sp.messages.asked.size(), 1);
        const platform::MessageRequest &r = run.sp.messages.asked.first().request;
        QCOMPARE(r.text, changedQuestion(name));
        QCOMPARE(r.icon, MsgIcon::Warning);
        QCOMPARE(r.buttons, MsgButtons::YesNoCancel);
        QCOMPARE(r.defaultButton, 1);
        QCOMPARE(r.title, QStringLiteral("Jotbook"));
        // Cancel leaves everything as it was.
        QCOMPARE(run.frm.textBox().text(), changed);
        QCOMPARE(run.frm.document().SourceText(), text);
        QCOMPARE(run.frm.document().GlobalFileName(), path);
        QCOMPARE(run.frm.windowTitle(), title);
    }

    void typedAndDeletedIsUnchanged()
    {
        Run run;
        run.start();
        QTest::keyClick(&run.frm.textBox(), Qt::Key_A);
        QCOMPARE(run.frm.textBox().text(), QByteArray("a"));
        QTest::keyClick(&run.frm.textBox(), Qt::Key_Backspace);
        run.frm.mainActions().mnuNew->trigger();
        QVERIFY(run.sp.messages.asked.isEmpty());
        QVERIFY(run.frm.close());
        QVERIFY(run.sp.messages.asked.isEmpty());
    }

    // Yes to the question goes on only when the document really was saved.
    void answerYes_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("disableSave");
        QTest::addColumn<bool>("chooseName");   // the Save As answer for an unnamed document
        QTest::addColumn<bool>("proceeds");
        QTest::newRow("Save As cancelled") << false << false << false << false;
        QTest::newRow("saving refused") << true << true << false << false;
        QTest::newRow("saved under a new name") << false << false << true << true;
        QTest::newRow("saved in place") << true << false << false << true;
    }
    void answerYes()
    {
        QFETCH(bool, named);
        QFETCH(bool, disableSave);
        QFETCH(bool, chooseName);
        QFETCH(bool, proceeds);
        QTemporaryDir dir;
        Run run;
        run.start();
        QString path = dir.filePath(QStringLiteral("chosen.txt"));
        if (named) {
            path = writeFile(dir.filePath(QStringLiteral("old.txt")), QByteArray());
            QVERIFY(run.frm.OpenTextFile(path, true, false));
        }
        if (chooseName)
            run.sp.dialogs.saveAnswers.push_back({path, 1});
        run.frm.documentSettings().RET_REG_DISABLESAVE = disableSave;
        run.frm.textBox().replaceSel("draft");
        run.sp.messages.answers = {MsgAnswer::Yes};

        run.frm.mainActions().mnuNew->trigger();
        QCOMPARE(run.sp.messages.asked.first().request.text, changedQuestion(named ? "old" : "Новый документ"));
        QCOMPARE(run.sp.dialogs.saveRequests.size(), named ? 0 : 1);
        if (disableSave)
            QCOMPARE(run.sp.messages.texts().value(1),
                     path + QStringLiteral("\r\n\r\nНе удалось сохранить этот файл!\r\nСохранение файла отключено."));
        if (proceeds) {
            QCOMPARE(run.sp.messages.asked.size(), 1);
            QCOMPARE(readFile(path), QByteArray("draft"));
            QCOMPARE(run.frm.textBox().text(), QByteArray());
            QVERIFY(run.frm.document().GlobalFileName().isEmpty());
            QCOMPARE(run.frm.windowTitle(), NewTitle);
        } else {
            QCOMPARE(run.frm.textBox().text(), QByteArray("draft"));
            QVERIFY(run.frm.textBox().text() != run.frm.document().SourceText());
            QVERIFY(!QFile::exists(path) || readFile(path).isEmpty());
        }
    }

    // ---- option items ---------------------------------------------------------------------------

    void optionToggles()
    {
        Run run;
        run.start();
        const MainActions &m = run.frm.mainActions();

        m.mnuCheckData->trigger();
        QVERIFY(!m.mnuCheckData->isChecked());
        QVERIFY(run.frm.settings().UserChangeSettings());
        m.mnuCheckData->trigger();
        QVERIFY(m.mnuCheckData->isChecked());
        QVERIFY(run.frm.settings().UserChangeSettings());

        m.mnuAlwaysOnTop->trigger();
        QVERIFY(m.mnuAlwaysOnTop->isChecked());
        QVERIFY(run.frm.windowFlags() & Qt::WindowStaysOnTopHint);
        m.mnuAlwaysOnTop->trigger();
        QVERIFY(!(run.frm.windowFlags() & Qt::WindowStaysOnTopHint));

        m.mnuTransparensy->trigger();
        QVERIFY(m.mnuTransparensy->isChecked());
        QCOMPARE(run.frm.windowOpacity(), run.frm.chromeSettings().RET_REG_TRANSPARENSYLEVEL / 255.0);
        QVERIFY(run.frm.windowOpacity() < 1.0);
        m.mnuTransparensy->trigger();
        QCOMPARE(run.frm.windowOpacity(), 1.0);
    }

    void codingChoice()
    {
        {
            Run run;
            run.start();
            run.frm.mainActions().mnuCodingWin->trigger();
            QVERIFY(run.frm.mainActions().mnuCodingWin->isChecked());
            QVERIFY(!run.frm.mainActions().mnuCodingDos->isChecked());
            QVERIFY(!run.frm.mainActions().mnuCodingKoi->isChecked());
            QVERIFY(run.frm.settings().UserChangeSettings());
        }
        {
            Run run;
            run.sp.settings.values.insert("General/CodingDos", "True");
            run.sp.settings.values.insert("General/CodingKoi", "True");
            run.start();
            const MainActions &m = run.frm.mainActions();
            QVERIFY(m.mnuCodingDos->isChecked());
            QVERIFY(m.mnuCodingKoi->isChecked());
            m.mnuCodingKoi->trigger();
            QVERIFY(!m.mnuCodingWin->isChecked());
            QVERIFY(!m.mnuCodingDos->isChecked());
            QVERIFY(m.mnuCodingKoi->isChecked());
        }
    }

    // ---- geometry -------------------------------------------------------------------------------

    void badSizeNoticeOnce()
    {
        testing::MemorySettings store;
        {
            Run run(&store);
            run.start();
            run.frm.showMinimized();
            QTRY_COMPARE(run.countOf(BadSizeNotice), 1);
            const platform::MessageRequest &r = run.sp.messages.asked.first().request;
            QCOMPARE(r.icon, MsgIcon::Information);
            QCOMPARE(r.buttons, MsgButtons::Ok);
            QVERIFY(run.frm.shellSettings().RET_REG_BADSIZE);
            run.frm.showNormal();
            run.frm.showMinimized();
            QTest::qWait(50);
            QCOMPARE(run.countOf(BadSizeNotice), 1);
            run.frm.showNormal();
            QVERIFY(run.frm.close());
            QCOMPARE(store.value("General", "BadSize"), QStringLiteral("True"));
        }
        {
            // Once for a store, ever.
            Run run(&store);
            run.start();
            run.frm.showMinimized();
            QTest::qWait(50);
            QCOMPARE(run.countOf(BadSizeNotice), 0);
        }
    }

    void tooSmallWindow()
    {
        Run run;
        run.start();
        const int minW = int(std::ceil(3000 / platform::WindowGeometry::twipsPerPixelX()));
        run.frm.resize(minW, 400);
        QTest::qWait(50);
        if (run.frm.width() != minW)
            QSKIP("the window's layout does not allow the threshold width here");
        QCOMPARE(run.countOf(BadSizeNotice), 0);
        // A resize while the notice is open brings no second one.
        bool resizedInside = false;
        run.sp.messages.onShow = [&](const platform::MessageRequest &) {
            if (!std::exchange(resizedInside, true)) {
                run.frm.resize(minW - 2, 400);
                QCoreApplication::processEvents();   // as the box's own event loop does
            }
        };
        run.frm.resize(minW - 1, 400);
        QTRY_VERIFY(resizedInside);
        QCOMPARE(run.countOf(BadSizeNotice), 1);
    }

    void barsAndTextBox()
    {
        Run run;
        run.start();
        const auto textTop = [&] { return run.frm.textBox().geometry().top(); };
        QCOMPARE(textTop(), run.frm.toolbar().geometry().bottom() + 1);
        run.frm.mainActions().mnuToolbar->trigger();
        // The text box now starts right under the menu bar, at the top of the central area.
        QTRY_COMPARE(textTop(), run.frm.menuBar()->geometry().bottom() + 1);
        run.frm.mainActions().mnuStatusBar->trigger();
        QTRY_COMPARE(run.frm.textBox().geometry().bottom(), run.frm.rect().bottom());
        run.frm.mainActions().mnuToolbar->trigger();
        QTRY_COMPARE(textTop(), run.frm.toolbar().geometry().bottom() + 1);
    }

    void restoreWindow()
    {
        Run run;
        run.start();
        const double tx = platform::WindowGeometry::twipsPerPixelX(), ty = platform::WindowGeometry::twipsPerPixelY();
        const auto whole = [](double v) { return qint64(std::nearbyint(v)); };
        const double topTwips = double(whole(platform::WindowGeometry::screenHeight()) / 2 - whole(600 * ty) / 2);
        const double leftTwips = double(whole(platform::WindowGeometry::screenWidth()) / 2 - whole(800 * tx) / 2);
        const QPoint standard(int(std::nearbyint(leftTwips / tx)), int(std::nearbyint(topTwips / ty)));

        run.frm.move(standard + QPoint(30, 40));
        run.frm.resize(500, 400);
        QTRY_COMPARE(run.frm.size(), QSize(500, 400));
        run.frm.TGlobalState_Timer();
        QVERIFY(run.frm.mainActions().mnuRestoreWindow->isEnabled());

        run.frm.mainActions().mnuRestoreWindow->trigger();
        QTRY_COMPARE(run.frm.size(), QSize(800, 600));
        QTRY_COMPARE(run.frm.pos(), standard);
        run.frm.TGlobalState_Timer();
        QVERIFY(!run.frm.mainActions().mnuRestoreWindow->isEnabled());

        run.frm.move(standard + QPoint(1, 0));
        QTRY_COMPARE(run.frm.pos(), standard + QPoint(1, 0));
        run.frm.TGlobalState_Timer();
        QVERIFY(run.frm.mainActions().mnuRestoreWindow->isEnabled());

        run.frm.showMaximized();
        QTRY_VERIFY(!run.frm.mainActions().mnuRestoreWindow->isEnabled());
        run.frm.TGlobalState_Timer();
        QVERIFY(!run.frm.mainActions().mnuRestoreWindow->isEnabled());
        run.frm.showNormal();
        QTRY_VERIFY(run.frm.mainActions().mnuRestoreWindow->isEnabled());
    }

    // ---- the state refresh ----------------------------------------------------------------------

    void refreshFollowsTheText()
    {
        Run run;
        run.start();
        const MainActions &m = run.frm.mainActions();
        QAction *findBtn = run.frm.toolbar().button(QStringLiteral("FindBtn"));
        QAction *copyAllBtn = run.frm.toolbar().button(QStringLiteral("CopyAllBtn"));
        run.frm.TGlobalState_Timer();
        for (QAction *a : {m.mnuFind, m.mnuFindNext, m.mnuReplace, m.mnuGoTo, m.mnuSelectAll, findBtn, copyAllBtn})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));

        // Typing is enough: the refresh follows the text box by itself.
        QTest::keyClick(&run.frm.textBox(), Qt::Key_A);
        for (QAction *a : {m.mnuFind, m.mnuFindNext, m.mnuReplace, m.mnuGoTo, m.mnuSelectAll, findBtn, copyAllBtn})
            QTRY_VERIFY2(a->isEnabled(), qPrintable(a->objectName()));

        run.frm.textBox().setSel(0, -1);
        run.frm.TGlobalState_Timer();
        QVERIFY(!m.mnuSelectAll->isEnabled());
        QVERIFY(m.mnuUCase->isEnabled());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
