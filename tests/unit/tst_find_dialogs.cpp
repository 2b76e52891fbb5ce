// The Find, Replace and Go-to dialogs driven through their controls, on the real main window.
#include "app/FrmMain.h"
#include "editing/FrmFind.h"
#include "editing/FrmGoTo.h"
#include "editing/FrmReplace.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/WindowGeometry.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <cmath>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;
using Range = QPair<int, int>;

namespace {

const QString kEndOfDocument = QStringLiteral("Поиск по документу завершен.\r\n\r\nПродолжить?");
const QString kBadNumber = QStringLiteral("Неверное значение!\r\n\r\nПроверьте правильность ввода.");

template <class W>
W *control(QWidget *dialog, const char *name)
{
    return dialog ? dialog->findChild<W *>(QLatin1String(name)) : nullptr;
}

// Types text as the keyboard would, replacing what the box holds (one key event per character,
// so Cyrillic arrives as typed text).
void typeInto(QLineEdit *box, const QString &text)
{
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &press);
        QApplication::sendEvent(box, &release);
    }
}

void click(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

Range selection(const platform::TextBox &box)
{
    return {box.selStart(), box.selStart() + box.selLength()};
}

} // namespace

class TestFindDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void findWalksHitsThenAsksAndStartsOver();
    void findStartsJustBeforeTheCaret();
    void findNoClosesAndRemembers();
    void findCannotMatchWhatTheCodePageLacks();
    void keysPressTheButtons();
    void defaultButtonFollowsThePattern();
    void reopeningRemembersTextsAndMatchCase();
    void showingAnOpenDialogOnlyActivatesIt();

    void replaceSkipsItsOwnInsertions();
    void replaceWithNothingDeletes();
    void replaceUndoesOneStepAtATime();
    void replaceRemembersItsTexts();

    void goTo_data();
    void goTo();
    void goToReadsTheLocalesNumbers();
    void goToRefusesAndSelectsTheText();
    void goToRemembersItsText();

    void dialogsArePlacedAndSized();
    void activationFollowsTopmostAndCharset();

private:
    void openFind(const QByteArray &text, int caret, const QString &pattern, bool matchCase);
    QList<Range> pressUntilAsked(QPushButton *button, int limit = 20);

    std::unique_ptr<testing::MainWindowRun> run;
    testing::ScriptedPlatform *sp = nullptr;
    FrmMain *frm = nullptr;
};

void TestFindDialogs::init()
{
    run = std::make_unique<testing::MainWindowRun>();
    sp = &run->sp;
    frm = &run->frm;
    frm->searchMemory().RET_REG_FINDMATCHCASE = 1;
    frm->searchMemory().RET_REG_REPLACEMATCHCASE = 1;
}

void TestFindDialogs::cleanup()
{
    run.reset();
    QLocale::setDefault(QLocale::c());
}

void TestFindDialogs::openFind(const QByteArray &text, int caret, const QString &pattern, bool matchCase)
{
    frm->textBox().setText(text);
    frm->textBox().setSel(caret, caret);
    frm->mnuFind_Click();
    QVERIFY(frm->editDialogs().frmFind());
    typeInto(control<QLineEdit>(frm->editDialogs().frmFind(), "TFind"), pattern);
    control<QCheckBox>(frm->editDialogs().frmFind(), "CMatchCase")->setChecked(matchCase);
}

// Presses the button until the end-of-document question comes; returns the selections made.
QList<Range> TestFindDialogs::pressUntilAsked(QPushButton *button, int limit)
{
    QList<Range> hits;
    const qsizetype asked = sp->messages.asked.size();
    for (int i = 0; i < limit && sp->messages.asked.size() == asked; ++i) {
        click(button);
        if (sp->messages.asked.size() == asked)
            hits << selection(frm->textBox());
    }
    return hits;
}

void TestFindDialogs::findWalksHitsThenAsksAndStartsOver()
{
    openFind("abcabc", 0, QStringLiteral("bc"), true);
    QPushButton *find = control<QPushButton>(frm->editDialogs().frmFind(), "CmdFind");
    sp->messages.answers = {MsgAnswer::Yes};

    QCOMPARE(pressUntilAsked(find), (QList<Range>{{1, 3}, {4, 6}}));
    QCOMPARE(sp->messages.asked.size(), 1);
    const platform::MessageRequest &question = sp->messages.asked[0].request;
    QCOMPARE(question.text, kEndOfDocument);
    QCOMPARE(question.title, QStringLiteral("Jotbook"));
    QCOMPARE(question.icon, MsgIcon::Information);
    QCOMPARE(question.buttons, MsgButtons::YesNo);
    QCOMPARE(question.defaultButton, 1);

    // Yes: the pattern is offered for retyping and the next press starts from the top.
    QLineEdit *pattern = control<QLineEdit>(frm->editDialogs().frmFind(), "TFind");
    QVERIFY(frm->editDialogs().frmFind() && frm->editDialogs().frmFind()->isVisible());
    QCOMPARE(pattern->selectedText(), QStringLiteral("bc"));
    QCOMPARE(frm->editDialogs().frmFind()->focusWidget(), pattern);
    click(find);
    QCOMPARE(selection(frm->textBox()), Range(1, 3));
}

void TestFindDialogs::findStartsJustBeforeTheCaret()
{
    // The caret stands after "abc"; the "c" it follows is the first hit.
    openFind("abcabc", 3, QStringLiteral("c"), true);
    click(control<QPushButton>(frm->editDialogs().frmFind(), "CmdFind"));
    QCOMPARE(selection(frm->textBox()), Range(2, 3));

    // Line breaks count as two characters.
    delete frm->editDialogs().frmFind();
    openFind("ab\r\ncd\r\ncd", 0, QStringLiteral("cd"), true);
    QCOMPARE(pressUntilAsked(control<QPushButton>(frm->editDialogs().frmFind(), "CmdFind")), (QList<Range>{{4, 6}, {8, 10}}));
}

void TestFindDialogs::findNoClosesAndRemembers()
{
    openFind("abc", 0, QStringLiteral("x"), false);
    sp->messages.answers = {MsgAnswer::No};
    click(control<QPushButton>(frm->editDialogs().frmFind(), "CmdFind"));
    QCOMPARE(sp->messages.texts(), QStringList{kEndOfDocument});
    QTRY_VERIFY(frm->editDialogs().frmFind().isNull());
    QCOMPARE(frm->searchMemory().FindTemp, QStringLiteral("x"));
    QCOMPARE(frm->searchMemory().RET_REG_FINDMATCHCASE, 0);
}

void TestFindDialogs::findCannotMatchWhatTheCodePageLacks()
{
    // "ę" has no place in the code page; it must not be searched as the '?' it would turn into.
    openFind("what? where?", 0, QStringLiteral("ę"), true);
    click(control<QPushButton>(frm->editDialogs().frmFind(), "CmdFind"));
    QCOMPARE(sp->messages.texts(), QStringList{kEndOfDocument});
    QCOMPARE(frm->textBox().selLength(), 0);
}

void TestFindDialogs::keysPressTheButtons()
{
    openFind("one two one", 2, QStringLiteral("one"), true);
    QLineEdit *pattern = control<QLineEdit>(frm->editDialogs().frmFind(), "TFind");
    QTest::keyClick(pattern, Qt::Key_Return);
    QCOMPARE(selection(frm->textBox()), Range(8, 11));
    QTest::keyClick(pattern, Qt::Key_Escape);
    QTRY_VERIFY(frm->editDialogs().frmFind().isNull());
    QCOMPARE(frm->searchMemory().FindTemp, QStringLiteral("one"));

    frm->mnuGoTo_Click();
    QLineEdit *number = control<QLineEdit>(frm->editDialogs().frmGoTo(), "TGoTo");
    typeInto(number, QStringLiteral("5"));
    QTest::keyClick(number, Qt::Key_Enter);
    QCOMPARE(selection(frm->textBox()), Range(4, 5));
    QTest::keyClick(number, Qt::Key_Escape);
    QTRY_VERIFY(frm->editDialogs().frmGoTo().isNull());
    QCOMPARE(frm->searchMemory().GoToTemp, QStringLiteral("5"));
}

void TestFindDialogs::defaultButtonFollowsThePattern()
{
    frm->textBox().setText("text");
    frm->mnuFind_Click();
    frm->mnuReplace_Click();
    frm->mnuGoTo_Click();
    const QList<QPair<QWidget *, const char *>> dialogs = {
        {frm->editDialogs().frmFind(), "CmdFind"}, {frm->editDialogs().frmReplace(), "CmdReplace"}, {frm->editDialogs().frmGoTo(), "CmdGo"}};
    for (const auto &[dialog, buttonName] : dialogs) {
        QLineEdit *box = control<QLineEdit>(dialog, dialog == frm->editDialogs().frmGoTo() ? "TGoTo" : "TFind");
        QPushButton *button = control<QPushButton>(dialog, buttonName);
        QVERIFY(button->isEnabled());
        QVERIFY(button->isDefault());
        typeInto(box, QString());
        QVERIFY2(!button->isEnabled(), buttonName);
        typeInto(box, QStringLiteral("1"));
        QVERIFY2(button->isEnabled(), buttonName);
    }
    // An empty replacement is allowed.
    typeInto(control<QLineEdit>(frm->editDialogs().frmReplace(), "TReplace"), QString());
    QVERIFY(control<QPushButton>(frm->editDialogs().frmReplace(), "CmdReplace")->isEnabled());
}

void TestFindDialogs::reopeningRemembersTextsAndMatchCase()
{
    frm->textBox().setText("some text");
    frm->searchMemory().RET_REG_FINDMATCHCASE = 7;   // hand-edited settings: any non-zero value is "on"
    frm->mnuFind_Click();
    QLineEdit *pattern = control<QLineEdit>(frm->editDialogs().frmFind(), "TFind");
    QCOMPARE(pattern->text(), QStringLiteral("Образец поиска"));
    QCOMPARE(pattern->selectedText(), pattern->text());
    QVERIFY(control<QCheckBox>(frm->editDialogs().frmFind(), "CMatchCase")->isChecked());

    typeInto(pattern, QStringLiteral("слово"));
    control<QCheckBox>(frm->editDialogs().frmFind(), "CMatchCase")->setChecked(false);
    click(control<QPushButton>(frm->editDialogs().frmFind(), "CmdCancel"));
    QTRY_VERIFY(frm->editDialogs().frmFind().isNull());
    QCOMPARE(frm->searchMemory().FindTemp, QStringLiteral("слово"));
    QCOMPARE(frm->searchMemory().RET_REG_FINDMATCHCASE, 0);

    // Find next keeps the remembered pattern; the placeholder left untouched is remembered too.
    frm->mnuFindNext_Click();
    QCOMPARE(control<QLineEdit>(frm->editDialogs().frmFind(), "TFind")->text(), QStringLiteral("слово"));
    QVERIFY(!control<QCheckBox>(frm->editDialogs().frmFind(), "CMatchCase")->isChecked());
    frm->editDialogs().frmFind()->close();   // the title bar's close box
    QTRY_VERIFY(frm->editDialogs().frmFind().isNull());
    QCOMPARE(frm->searchMemory().FindTemp, QStringLiteral("слово"));

    // Replace with nothing selected offers the same pattern.
    frm->textBox().setSel(0, 0);
    frm->mnuReplace_Click();
    QCOMPARE(control<QLineEdit>(frm->editDialogs().frmReplace(), "TFind")->text(), QStringLiteral("слово"));
}

void TestFindDialogs::showingAnOpenDialogOnlyActivatesIt()
{
    openFind("abab", 0, QStringLiteral("b"), true);
    FrmFind *first = frm->editDialogs().frmFind();
    click(control<QPushButton>(first, "CmdFind"));
    QCOMPARE(selection(frm->textBox()), Range(1, 2));

    frm->textBox().setSel(0, 1);   // a new selection would be the pattern of a new dialog
    frm->mnuFind_Click();
    QCOMPARE(frm->editDialogs().frmFind().data(), first);
    QCOMPARE(control<QLineEdit>(first, "TFind")->text(), QStringLiteral("b"));
    QCOMPARE(first->searchStart(), 3);
    click(control<QPushButton>(first, "CmdFind"));
    QCOMPARE(selection(frm->textBox()), Range(3, 4));
}

void TestFindDialogs::replaceSkipsItsOwnInsertions()
{
    frm->textBox().setText("aaa");
    frm->mnuReplace_Click();
    typeInto(control<QLineEdit>(frm->editDialogs().frmReplace(), "TFind"), QStringLiteral("a"));
    typeInto(control<QLineEdit>(frm->editDialogs().frmReplace(), "TReplace"), QStringLiteral("aa"));
    QPushButton *replace = control<QPushButton>(frm->editDialogs().frmReplace(), "CmdReplace");

    // Each press selects what it inserted.
    QCOMPARE(pressUntilAsked(replace), (QList<Range>{{0, 2}, {2, 4}, {4, 6}}));
    QCOMPARE(frm->textBox().text(), QByteArray("aaaaaa"));
    QCOMPARE(sp->messages.texts(), QStringList{kEndOfDocument});
}

void TestFindDialogs::replaceWithNothingDeletes()
{
    frm->textBox().setText("xaxa");
    frm->mnuReplace_Click();
    typeInto(control<QLineEdit>(frm->editDialogs().frmReplace(), "TFind"), QStringLiteral("a"));
    typeInto(control<QLineEdit>(frm->editDialogs().frmReplace(), "TReplace"), QString());
    QPushButton *replace = control<QPushButton>(frm->editDialogs().frmReplace(), "CmdReplace");
    click(replace);
    QCOMPARE(frm->textBox().text(), QByteArray("xxa"));
    QCOMPARE(selection(frm->textBox()), Range(1, 1));
    click(replace);
    QCOMPARE(frm->textBox().text(), QByteArray("xx"));
}

void TestFindDialogs::replaceUndoesOneStepAtATime()
{
    const QString text = QStringLiteral("Кот и КОТ");
    frm->textBox().setText(platform::Ansi::fromUnicode(text));
    frm->searchMemory().RET_REG_REPLACEMATCHCASE = 0;
    frm->mnuReplace_Click();
    typeInto(control<QLineEdit>(frm->editDialogs().frmReplace(), "TFind"), QStringLiteral("кот"));
    typeInto(control<QLineEdit>(frm->editDialogs().frmReplace(), "TReplace"), QStringLiteral("пёс"));
    QPushButton *replace = control<QPushButton>(frm->editDialogs().frmReplace(), "CmdReplace");
    click(replace);
    click(replace);
    QCOMPARE(platform::Ansi::toUnicode(frm->textBox().text()), QStringLiteral("пёс и пёс"));

    frm->mnuUndo_Click();
    QCOMPARE(platform::Ansi::toUnicode(frm->textBox().text()), QStringLiteral("пёс и КОТ"));
    frm->mnuUndo_Click();
    QCOMPARE(platform::Ansi::toUnicode(frm->textBox().text()), text);

    // The undone text is searched as it is now, not as it was at the last press.
    sp->messages.answers = {MsgAnswer::Yes};
    QCOMPARE(pressUntilAsked(replace).size(), 0);   // the start is past both words
    click(replace);
    QCOMPARE(platform::Ansi::toUnicode(frm->textBox().text()), QStringLiteral("пёс и КОТ"));
}

void TestFindDialogs::replaceRemembersItsTexts()
{
    frm->textBox().setText("abc");
    frm->mnuReplace_Click();
    QCOMPARE(control<QLineEdit>(frm->editDialogs().frmReplace(), "TFind")->text(), QStringLiteral("Образец поиска"));
    QCOMPARE(control<QLineEdit>(frm->editDialogs().frmReplace(), "TReplace")->text(), QStringLiteral("Образец замены"));
    QVERIFY(control<QCheckBox>(frm->editDialogs().frmReplace(), "CMatchCase")->isChecked());
    typeInto(control<QLineEdit>(frm->editDialogs().frmReplace(), "TReplace"), QStringLiteral("новое"));
    control<QCheckBox>(frm->editDialogs().frmReplace(), "CMatchCase")->setChecked(false);
    QTest::keyClick(control<QLineEdit>(frm->editDialogs().frmReplace(), "TReplace"), Qt::Key_Escape);
    QTRY_VERIFY(frm->editDialogs().frmReplace().isNull());
    QCOMPARE(frm->searchMemory().FindTemp, QStringLiteral("Образец поиска"));
    QCOMPARE(frm->searchMemory().ReplaceTemp, QStringLiteral("новое"));
    QCOMPARE(frm->searchMemory().RET_REG_REPLACEMATCHCASE, 0);
    QCOMPARE(frm->searchMemory().RET_REG_FINDMATCHCASE, 1);   // the Find dialog's own state is untouched

    frm->textBox().setSel(1, 2);   // a selection becomes the pattern
    frm->mnuReplace_Click();
    QCOMPARE(control<QLineEdit>(frm->editDialogs().frmReplace(), "TFind")->text(), QStringLiteral("b"));
    QCOMPARE(control<QLineEdit>(frm->editDialogs().frmReplace(), "TReplace")->text(), QStringLiteral("новое"));
    QVERIFY(!control<QCheckBox>(frm->editDialogs().frmReplace(), "CMatchCase")->isChecked());
}

void TestFindDialogs::goTo_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("selected");   // 1-based character selected; 0: refused

    QTest::newRow("first") << QByteArray("abc") << QStringLiteral("1") << 1;
    QTest::newRow("last") << QByteArray("abc") << QStringLiteral("3") << 3;
    QTest::newRow("past the end") << QByteArray("abc") << QStringLiteral("4") << 0;
    QTest::newRow("empty document") << QByteArray() << QStringLiteral("1") << 0;
    QTest::newRow("CR LF counts two") << QByteArray("ab\r\ncd") << QStringLiteral("5") << 5;
    QTest::newRow("plus sign") << QByteArray("abc") << QStringLiteral("+2") << 2;
    QTest::newRow("exponent") << QByteArray("abcdefghijklmnop") << QStringLiteral("1e1") << 10;
    QTest::newRow("trailing letter") << QByteArray("abc") << QStringLiteral("12x") << 0;
    QTest::newRow("fraction") << QByteArray("abc") << QStringLiteral("1.5") << 0;
    QTest::newRow("whole with a point") << QByteArray("abc") << QStringLiteral("2.0") << 2;
    QTest::newRow("huge") << QByteArray("abc") << QStringLiteral("99999999999") << 0;
    QTest::newRow("infinity") << QByteArray("abc") << QStringLiteral("inf") << 0;
}

void TestFindDialogs::goTo()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, number);
    QFETCH(int, selected);

    frm->textBox().setText(text);
    frm->textBox().setSel(0, 0);
    frm->mnuGoTo_Click();
    typeInto(control<QLineEdit>(frm->editDialogs().frmGoTo(), "TGoTo"), number);
    click(control<QPushButton>(frm->editDialogs().frmGoTo(), "CmdGo"));
    if (selected > 0) {
        QCOMPARE(selection(frm->textBox()), Range(selected - 1, selected));
        QCOMPARE(frm->textBox().selectedText(), text.mid(selected - 1, 1));
        QVERIFY(sp->messages.asked.isEmpty());
        QVERIFY(frm->editDialogs().frmGoTo());   // stays open for the next jump
    } else {
        QCOMPARE(sp->messages.texts(), QStringList{kBadNumber});
        QCOMPARE(sp->messages.asked[0].request.icon, MsgIcon::Warning);
        QCOMPARE(sp->messages.asked[0].request.buttons, MsgButtons::Ok);
        QCOMPARE(selection(frm->textBox()), Range(0, 0));
    }
}

void TestFindDialogs::goToReadsTheLocalesNumbers()
{
    frm->textBox().setText("abcdef");
    frm->mnuGoTo_Click();
    QLineEdit *number = control<QLineEdit>(frm->editDialogs().frmGoTo(), "TGoTo");
    QPushButton *go = control<QPushButton>(frm->editDialogs().frmGoTo(), "CmdGo");

    // In C "3,0" is no number; where the comma is the decimal separator it is a whole 3.
    typeInto(number, QStringLiteral("3,0"));
    click(go);
    QCOMPARE(sp->messages.texts(), QStringList{kBadNumber});

    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    click(go);
    QCOMPARE(selection(frm->textBox()), Range(2, 3));
    typeInto(number, QStringLiteral("2,5"));   // a number, but not a character's
    click(go);
    QCOMPARE(sp->messages.asked.size(), 2);
    typeInto(number, QStringLiteral("4"));
    click(go);
    QCOMPARE(selection(frm->textBox()), Range(3, 4));
}

void TestFindDialogs::goToRefusesAndSelectsTheText()
{
    frm->textBox().setText("abc");
    frm->textBox().setSel(1, 2);
    frm->mnuGoTo_Click();
    QLineEdit *number = control<QLineEdit>(frm->editDialogs().frmGoTo(), "TGoTo");
    typeInto(number, QStringLiteral("12x"));
    number->setCursorPosition(1);
    click(control<QPushButton>(frm->editDialogs().frmGoTo(), "CmdGo"));
    QCOMPARE(sp->messages.texts(), QStringList{kBadNumber});
    QCOMPARE(number->selectedText(), QStringLiteral("12x"));
    QCOMPARE(frm->editDialogs().frmGoTo()->focusWidget(), number);
    QCOMPARE(selection(frm->textBox()), Range(1, 2));
}

void TestFindDialogs::goToRemembersItsText()
{
    frm->textBox().setText("abc");
    frm->mnuGoTo_Click();
    QLineEdit *number = control<QLineEdit>(frm->editDialogs().frmGoTo(), "TGoTo");
    QCOMPARE(number->text(), QStringLiteral("1"));
    QCOMPARE(number->selectedText(), QStringLiteral("1"));
    typeInto(number, QStringLiteral("zz"));   // remembered even when it is not a number
    click(control<QPushButton>(frm->editDialogs().frmGoTo(), "CmdCancel"));
    QTRY_VERIFY(frm->editDialogs().frmGoTo().isNull());
    QCOMPARE(frm->searchMemory().GoToTemp, QStringLiteral("zz"));
    frm->mnuGoTo_Click();
    QCOMPARE(control<QLineEdit>(frm->editDialogs().frmGoTo(), "TGoTo")->text(), QStringLiteral("zz"));
}

void TestFindDialogs::dialogsArePlacedAndSized()
{
    platform::WindowGeometry &main = frm->geometryTwips();
    main.setLeft(1800);
    main.setTop(1200);
    main.setWidth(9000);
    main.setHeight(6000);
    frm->textBox().setText("x");
    frm->mnuFind_Click();
    frm->mnuReplace_Click();
    frm->mnuGoTo_Click();

    const double tx = platform::WindowGeometry::twipsPerPixelX();
    const double ty = platform::WindowGeometry::twipsPerPixelY();
    // One eighteenth of the width and one sixth of the height in from the main window's corner.
    const double left = main.left() + main.width() / 18;
    const double top = main.top() + main.height() / 6;
    const QPoint expected(int(std::nearbyint(left / tx)), int(std::nearbyint(top / ty)));
    if (tx == 15 && ty == 15)
        QCOMPARE(expected, QPoint(153, 147));   // 2300 and 2200 twips

    struct Designed { QWidget *dialog; QString caption; int width; int height; };
    const QList<Designed> dialogs = {{frm->editDialogs().frmFind(), QStringLiteral("Поиск текста"), 5175, 1455},
                                     {frm->editDialogs().frmReplace(), QStringLiteral("Замена текста"), 5295, 1815},
                                     {frm->editDialogs().frmGoTo(), QStringLiteral("Переход"), 3975, 1455}};
    for (const Designed &d : dialogs) {
        QCOMPARE(d.dialog->windowTitle(), d.caption);
        QCOMPARE(d.dialog->pos(), expected);
        const QSize size(int(std::nearbyint(d.width / tx)), int(std::nearbyint(d.height / ty)));
        QCOMPARE(d.dialog->size(), size);
        QCOMPARE(d.dialog->minimumSize(), size);
        QCOMPARE(d.dialog->maximumSize(), size);
        QVERIFY(!(d.dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!d.dialog->isModal());
        QCOMPARE(d.dialog->parentWidget(), frm);
    }

    // Labels lead to their boxes.
    for (QLabel *label : frm->editDialogs().frmReplace()->findChildren<QLabel *>())
        QVERIFY(qobject_cast<QLineEdit *>(label->buddy()));
}

void TestFindDialogs::activationFollowsTopmostAndCharset()
{
    frm->show();
    QVERIFY(QTest::qWaitForWindowExposed(frm));
    frm->mainActions().mnuAlwaysOnTop->setChecked(true);
    frm->textBox().setCharset(161);
    frm->mnuFind_Click();
    FrmFind *dialog = frm->editDialogs().frmFind();
    QTRY_COMPARE(QApplication::activeWindow(), dialog);
    QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(dialog->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(control<QLineEdit>(dialog, "TFind")->property("charset").toInt(), 161);
    const WId native = dialog->winId();

    // The changes show at the next activation, on the same native window.
    frm->mainActions().mnuAlwaysOnTop->setChecked(false);
    frm->textBox().setCharset(204);
    frm->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), frm);
    QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    frm->mnuFind_Click();
    QTRY_COMPARE(QApplication::activeWindow(), dialog);
    QTRY_VERIFY(!(dialog->windowFlags() & Qt::WindowStaysOnTopHint));
    QCOMPARE(control<QLineEdit>(dialog, "TFind")->property("charset").toInt(), 204);
    QCOMPARE(dialog->winId(), native);
    QVERIFY(dialog->isVisible());
}

QTEST_MAIN(TestFindDialogs)
#include "tst_find_dialogs.moc"
