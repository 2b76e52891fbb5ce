// Opening, saving and the recent document through the main window, with the scripted platform
// answering every question and dialog.

#include "app/FrmMain.h"
#include "document/Documents.h"
#include "document/FileAccess.h"
#include "document/MdlCode.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

const QString CrLf = QStringLiteral("\r\n");
using testing::readFile;

// One main window on the scripted platform, with the loading options in a known state.
struct Env : testing::MainWindowRun {
    QTemporaryDir dir;

    Env()
    {
        frm.mainActions().mnuCheckLen->setChecked(true);
        frm.mainActions().mnuCheckData->setChecked(true);
        frm.mainActions().mnuReadKeys->setChecked(false);
        frm.mainActions().mnuCodingWin->setChecked(true);
        frm.mainActions().mnuCodingDos->setChecked(false);
        frm.mainActions().mnuCodingKoi->setChecked(false);
        frm.mainActions().mnuSetCyrillic->setChecked(true);
        frm.documentSettings().RET_REG_LOADALL = true;
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString write(const QString &name, const QByteArray &data) const { return testing::writeFile(path(name), data); }
    // A loaded document the failures must leave alone.
    void loadPrevious()
    {
        QVERIFY(frm.documents().OpenTextFile(write("previous.txt", "previous"), true, false));
        sp.messages.asked.clear();
    }
    void expectPreviousKept(bool nameKept)
    {
        QCOMPARE(frm.textBox().text(), QByteArray("previous"));
        QCOMPARE(frm.document().SourceText(), QByteArray("previous"));
        QCOMPARE(frm.windowTitle(), QStringLiteral("previous - Jotbook"));
        QCOMPARE(frm.document().GlobalFileName(), nameKept ? path("previous.txt") : QString());
    }
};

void expectMessage(const platform::MessageRequest &m, const QString &text, MsgButtons buttons, int defaultButton)
{
    QCOMPARE(m.text, text);
    QCOMPARE(m.title, QStringLiteral("Jotbook"));
    QCOMPARE(m.icon, MsgIcon::Warning);
    QCOMPARE(m.buttons, buttons);
    QCOMPARE(m.defaultButton, defaultButton);
}

// Plain text of exactly size bytes in short lines.
QByteArray plainText(qsizetype size)
{
    const QByteArray line("The quick brown fox jumps over the lazy dog.\r\n");
    return line.repeated(size / line.size() + 1).left(size);
}

// Random text: every byte value, line breaks of all three kinds, short and very long lines.
QByteArray randomDocument(quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray text;
    for (int line = 0; line < 300; ++line) {
        const int length = rng.bounded(8) == 0 ? int(rng.bounded(20000)) : int(rng.bounded(80));
        for (int i = 0; i < length; ++i)
            text += char(rng.bounded(256));
        static const char *breaks[] = {"\r\n", "\r", "\n", "\r\n\r\n", "\n\r"};
        text += breaks[rng.bounded(5)];
    }
    return text;
}

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void utf8RoundTrip_data();
    void utf8RoundTrip();
    void utf8WithForeignCharacters();
    void sizeQuestion_data();
    void sizeQuestion();
    void dataQuestion_data();
    void dataQuestion();
    void openFailures_data();
    void openFailures();
    void openCommandAndDrops();
    void saveAsNaming_data();
    void saveAsNaming();
    void saveRefusalsAndFailures();
    void recentDocument();
    void fontAndColours();
};

void TestDocuments::roundTrip_data()
{
    QTest::addColumn<int>("coding");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("Windows") << int(MdlCode::Windows) << 1u;
    QTest::newRow("DOS") << int(MdlCode::Dos) << 3u;
    QTest::newRow("KOI") << int(MdlCode::Koi) << 4u;
}

void TestDocuments::roundTrip()
{
    QFETCH(int, coding);
    QFETCH(quint32, seed);
    Env env;
    env.frm.mainActions().mnuCheckLen->setChecked(false);
    env.frm.mainActions().mnuCheckData->setChecked(false);
    env.frm.mainActions().mnuCodingWin->setChecked(coding == MdlCode::Windows);
    env.frm.mainActions().mnuCodingDos->setChecked(coding == MdlCode::Dos);
    env.frm.mainActions().mnuCodingKoi->setChecked(coding == MdlCode::Koi);

    const QByteArray original = randomDocument(seed);
    // NUL becomes a space, and the text is converted as tst_codepages checks the conversion.
    const QByteArray expected =
        MdlCode::ConvertCoding(QByteArray(original).replace('\0', ' '), coding, MdlCode::Windows);

    const QString source = env.write("source.txt", original);
    QVERIFY(env.frm.documents().OpenTextFile(source, false, false));
    QVERIFY(env.sp.messages.asked.isEmpty());
    QCOMPARE(env.frm.textBox().text(), expected);
    QCOMPARE(env.frm.document().SourceText(), expected);
    QCOMPARE(env.frm.document().GlobalFileName(), source);
    QCOMPARE(env.frm.textBox().fontSpec().charset, 204);
    QVERIFY(env.frm.IsTextChanged());   // unchanged: no question
    QVERIFY(env.sp.messages.asked.isEmpty());
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    const QString copy = env.path("copy.txt");
    QVERIFY(env.frm.documents().SaveTextFile(copy, true));
    QCOMPARE(readFile(copy), expected);
    QCOMPARE(readFile(source), original);
    QCOMPARE(env.frm.document().GlobalFileName(), copy);
    QCOMPARE(env.frm.windowTitle(), QStringLiteral("copy - Jotbook"));
    QCOMPARE(env.frm.mainActions().mnuRecent->text(), QLatin1Char('&') + copy);
}

void TestDocuments::utf8RoundTrip_data()
{
    QTest::addColumn<QByteArray>("mark");
    QTest::addColumn<bool>("dos");
    QTest::newRow("UTF-8") << QByteArray() << false;
    QTest::newRow("UTF-8 with the mark") << QByteArray("\xEF\xBB\xBF") << false;
    QTest::newRow("DOS chosen: not recognised") << QByteArray("\xEF\xBB\xBF") << true;
}

// Opened, saved unchanged, edited and saved under another name: a UTF-8 file stays UTF-8 with its
// mark, byte for byte where nothing was edited. New starts a Windows-1251 document.
void TestDocuments::utf8RoundTrip()
{
    QFETCH(QByteArray, mark);
    QFETCH(bool, dos);
    Env env;
    env.frm.mainActions().mnuCodingDos->setChecked(dos);
    const QString note = QStringLiteral("Заметка: ёж, «ель» — №1\r\nВторая строка\n\tи третья\r");
    const QByteArray original = mark + note.toUtf8();
    const QString file = env.write("note.txt", original);
    QVERIFY(env.frm.documents().OpenTextFile(file, true, false));
    QVERIFY(env.sp.messages.asked.isEmpty());
    QCOMPARE(env.frm.textBox().text(), dos ? MdlCode::ConvertCoding(original, MdlCode::Dos, MdlCode::Windows)
                                           : platform::Ansi::fromUnicode(note));
    QVERIFY(env.frm.documents().SaveTextFile(file, true));
    QCOMPARE(readFile(file), dos ? env.frm.textBox().text() : original);

    env.frm.textBox().replaceSel(platform::Ansi::fromUnicode(QStringLiteral("Ещё ")));
    env.sp.dialogs.saveAnswers.push_back({env.path("copy.txt"), 1});
    QVERIFY(env.frm.documents().SaveAs());
    const QByteArray text = env.frm.textBox().text();
    QCOMPARE(readFile(env.path("copy.txt")), dos ? text : mark + platform::Ansi::toUnicode(text).toUtf8());

    env.frm.mnuNew_Click();
    env.frm.textBox().replaceSel("\xA8\xE6");   // Ёж
    env.sp.dialogs.saveAnswers.push_back({env.path("new.txt"), 1});
    QVERIFY(env.frm.documents().Save());
    QCOMPARE(readFile(env.path("new.txt")), QByteArray("\xA8\xE6"));
}

// Characters that Windows-1251 lacks: one question; No keeps the previous document, Yes loads the
// bytes as they are and saves them back unchanged.
void TestDocuments::utf8WithForeignCharacters()
{
    const QByteArray original = QStringLiteral("\uFEFFСумма ∑ = 中 😀\r\n").toUtf8();
    for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        Env env;
        env.loadPrevious();
        const QString file = env.write("sum.txt", original);
        env.sp.messages.answers.push_back(answer);
        QVERIFY(env.frm.documents().OpenTextFile(file, true, false));
        expectMessage(env.onlyMessage(),
                      file + CrLf + CrLf
                          + "Файл записан в кодировке UTF-8 и содержит символы, которых нет в кодировке Windows-1251."
                          + CrLf + "Открыть его без перекодировки?",
                      MsgButtons::YesNo, 2);
        if (answer == MsgAnswer::No) {
            env.expectPreviousKept(true);
            continue;
        }
        QVERIFY(env.frm.documents().SaveTextFile(env.path("copy.txt"), true));
        QCOMPARE(readFile(env.path("copy.txt")), original);
    }
}

void TestDocuments::sizeQuestion_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("checkLength");
    QTest::addColumn<bool>("asked");
    QTest::newRow("at the limit") << 55000 << true << false;
    QTest::newRow("one past") << 55001 << true << true;
    QTest::newRow("large, check off") << 1000000 << false << false;
}

void TestDocuments::sizeQuestion()
{
    QFETCH(int, size);
    QFETCH(bool, checkLength);
    QFETCH(bool, asked);
    for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        Env env;
        env.loadPrevious();
        env.frm.mainActions().mnuCheckLen->setChecked(checkLength);
        const QByteArray content = plainText(size);
        const QString file = env.write("big.txt", content);
        env.sp.messages.answers.push_back(answer);
        bool waitCursorWhileAsking = false;
        env.sp.messages.onShow = [&](const platform::MessageRequest &) {
            waitCursorWhileAsking = QApplication::overrideCursor()
                                    && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        };

        QVERIFY(env.frm.documents().OpenTextFile(file, true, false));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        if (!asked) {
            QVERIFY(env.sp.messages.asked.isEmpty());
            QCOMPARE(env.frm.textBox().textLength(), size);
            break;
        }
        expectMessage(env.onlyMessage(),
                      file + CrLf + CrLf + "Файл достаточно велик для текстового поля!" + CrLf
                          + "Его открытие может привести к некорректной работе программы." + CrLf
                          + "Попытаться загрузить его?",
                      MsgButtons::YesNo, 2);
        QVERIFY(waitCursorWhileAsking);
        if (answer == MsgAnswer::No)
            env.expectPreviousKept(true);
        else
            QCOMPARE(env.frm.textBox().text(), content);
    }
}

void TestDocuments::dataQuestion_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("checkData");
    QTest::addColumn<bool>("openAsData");
    QTest::addColumn<bool>("loadAll");
    QTest::addColumn<int>("answer");          // -1: no question expected
    QTest::addColumn<QByteArray>("loaded");   // empty: the previous document stays
    QTest::addColumn<bool>("refused");

    const QByteArray controls("a\x0c" "b\x1b" "c\x00" "d\x01", 8);
    const QByteArray spaced("a\x0c" "b\x1b" "c d\x01", 8);
    const int yes = int(MsgAnswer::Yes), no = int(MsgAnswer::No);
    QTest::newRow("tab cr lf are text") << QByteArray("a\tb\r\nc\rd\n") << true << false << false << -1
                                        << QByteArray("a\tb\r\nc\rd\n") << false;
    QTest::newRow("yes, load all") << controls << true << false << true << yes << spaced << false;
    QTest::newRow("yes, loading data off") << controls << true << false << false << yes << QByteArray() << true;
    QTest::newRow("no") << controls << true << false << true << no << QByteArray() << false;
    QTest::newRow("check off: nul becomes space") << controls << false << false << false << -1 << spaced << false;
    QTest::newRow("as data, loading data off") << QByteArray("plain") << true << true << false << -1 << QByteArray()
                                               << true;
    QTest::newRow("as data, load all") << controls << true << true << true << -1 << spaced << false;
    QTest::newRow("as data, check off") << controls << false << true << false << -1 << spaced << false;
}

void TestDocuments::dataQuestion()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, checkData);
    QFETCH(bool, openAsData);
    QFETCH(bool, loadAll);
    QFETCH(int, answer);
    QFETCH(QByteArray, loaded);
    QFETCH(bool, refused);
    Env env;
    env.loadPrevious();
    env.frm.mainActions().mnuCheckData->setChecked(checkData);
    const QString file = env.write("data.dat", content);
    if (answer >= 0)
        env.sp.messages.answers.push_back(MsgAnswer(answer));

    QCOMPARE(env.frm.documents().OpenTextFile(file, loadAll, openAsData), !refused);

    QList<testing::AskedMessage> asked = env.sp.messages.asked;
    if (answer >= 0) {
        QVERIFY(!asked.isEmpty());
        expectMessage(asked.takeFirst().request,
                      file + CrLf + CrLf + "Возможно, этот файл содержит данные не в формате простого текста." + CrLf
                          + "Попытаться загрузить его?",
                      MsgButtons::YesNo, 2);
    }
    if (refused) {
        QCOMPARE(asked.size(), 1);
        expectMessage(asked.first().request,
                      file + CrLf + CrLf + "Не удалось открыть этот файл!" + CrLf
                          + "Загрузка данных не в формате простого текста отключена.",
                      MsgButtons::Ok, 1);
    } else {
        QVERIFY(asked.isEmpty());
    }
    if (loaded.isEmpty()) {
        env.expectPreviousKept(!refused);
    } else {
        QCOMPARE(env.frm.textBox().text(), loaded);
        QCOMPARE(env.frm.document().GlobalFileName(), file);
    }
}

void TestDocuments::openFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("53") << "missing.txt" << "Файл не найден.";
    QTest::newRow("76") << "nowhere/missing.txt" << "Путь к файлу не найден.";
    QTest::newRow("75 folder") << "folder" << "Доступ к файлу или папке закрыт.";
}

void TestDocuments::openFailures()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    Env env;
    env.loadPrevious();
    QDir(env.dir.path()).mkdir("folder");

    const QString file = env.path(name);
    QVERIFY(!env.frm.documents().OpenTextFile(file, true, false));
    expectMessage(env.onlyMessage(), file + CrLf + CrLf + "Не удалось открыть этот файл!" + CrLf + reason,
                  MsgButtons::Ok, 1);
    env.expectPreviousKept(false);
    QCOMPARE(env.frm.mainActions().mnuRecent->text(), QLatin1Char('&') + env.path("previous.txt"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestDocuments::openCommandAndDrops()
{
    Env env;
    const QString a = env.write("a.txt", "first");
    const QString b = env.write("b.txt", "second");

    env.frm.documents().mnuOpen_Click();   // cancelled dialog
    QCOMPARE(env.sp.dialogs.openRequests.size(), 1);
    const platform::FileDialogRequest &request = env.sp.dialogs.openRequests.first();
    QCOMPARE(request.title, QStringLiteral("Открытие документа"));
    QCOMPARE(request.initialName, QStringLiteral("*.txt;*.log"));
    QCOMPARE(request.filterIndex, 2);
    QCOMPARE(request.initialDir, QString());
    QStringList shown, patterns;
    for (const platform::FileFilter &f : request.filters) {
        shown << f.text;
        patterns << f.patterns;
    }
    QCOMPARE(shown, QStringList({"Все типы (*.txt;*.log;*.ini;*.inf;*.dat)", "Текстовые файлы (*.txt;*.log)",
                                 "Файлы настроек (*.ini;*.inf)", "Файлы записей (*.dat)", "Все файлы (*.*)"}));
    QCOMPARE(patterns, QStringList({"*.txt;*.log;*.ini;*.inf;*.dat", "*.txt;*.log", "*.ini;*.inf", "*.dat", "*.*"}));
    QCOMPARE(env.frm.document().GlobalFileName(), QString());

    env.sp.dialogs.openAnswers.push_back(a);
    env.frm.documents().mnuOpen_Click();
    QCOMPARE(env.frm.textBox().text(), QByteArray("first"));

    // Three files dropped: the first opens.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(b), QUrl::fromLocalFile(a), QUrl::fromLocalFile(env.path("c.txt"))});
    QVERIFY(env.frm.TTextBlock_OLEDragDrop(&files, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction));
    QCOMPARE(env.frm.document().GlobalFileName(), b);
    QVERIFY(env.sp.messages.asked.isEmpty());

    // Anything else is refused.
    QMimeData text;
    text.setText(QStringLiteral("dragged words"));
    QVERIFY(!env.frm.TTextBlock_OLEDragDrop(&text, Qt::CopyAction | Qt::MoveAction));
    expectMessage(env.onlyMessage(), "Данные или объекты такого типа не могут быть загружены!", MsgButtons::Ok, 1);
    QCOMPARE(env.frm.document().GlobalFileName(), b);

    // A changed document and Cancel in the change question: neither the dialog nor a drop acts.
    env.sp.messages.asked.clear();
    env.frm.textBox().setText("edited");
    env.sp.messages.answers = {MsgAnswer::Cancel, MsgAnswer::Cancel};
    env.sp.dialogs.openAnswers.push_back(a);
    env.frm.documents().mnuOpen_Click();
    QVERIFY(!env.frm.TTextBlock_OLEDragDrop(&files, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction));
    QCOMPARE(env.sp.dialogs.openRequests.size(), 2);
    QCOMPARE(env.sp.messages.asked.size(), 2);
    QCOMPARE(env.frm.textBox().text(), QByteArray("edited"));
    QCOMPARE(env.frm.document().GlobalFileName(), b);
}

void TestDocuments::saveAsNaming_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("written");
    QTest::newRow("txt added") << "notes" << 1 << "notes.txt";
    QTest::newRow("upper case kept") << "NOTES.TXT" << 1 << "NOTES.TXT";
    QTest::newRow("mixed case kept") << "a.Txt" << 1 << "a.Txt";
    QTest::newRow("other extension") << "report.log" << 1 << "report.log.txt";
    QTest::newRow("all files") << "notes" << 2 << "notes";
}

void TestDocuments::saveAsNaming()
{
    QFETCH(QString, typed);
    QFETCH(int, filter);
    QFETCH(QString, written);
    Env env;
    env.frm.textBox().setText("Текст");
    env.sp.dialogs.saveAnswers.push_back({env.path(typed), filter});
    QVERIFY(env.frm.documents().Save());   // a new document asks for a name

    const platform::FileDialogRequest &request = env.sp.dialogs.saveRequests.first();
    QCOMPARE(request.title, QStringLiteral("Сохранение документа"));
    QCOMPARE(request.initialName, QStringLiteral("Документ.txt"));
    QCOMPARE(request.filterIndex, 1);
    QCOMPARE(request.filters.size(), 2);
    QCOMPARE(request.filters.at(0).text, QStringLiteral("Текстовые файлы (*.txt)"));
    QCOMPARE(request.filters.at(0).patterns, QStringLiteral("*.txt"));
    QCOMPARE(request.filters.at(1).text, QStringLiteral("Все файлы (*.*)"));
    QCOMPARE(request.filters.at(1).patterns, QStringLiteral("*.*"));

    QCOMPARE(QDir(env.dir.path()).entryList(QDir::Files), QStringList{written});
    QCOMPARE(readFile(env.path(written)), QByteArray("Текст"));
    QCOMPARE(env.frm.document().GlobalFileName(), env.path(written));
    QCOMPARE(env.frm.document().SourceText(), QByteArray("Текст"));
}

void TestDocuments::saveRefusalsAndFailures()
{
    Env env;
    env.loadPrevious();
    const QString file = env.path("previous.txt");
    env.frm.textBox().setText("changed");

    // Saving switched off: refused, and the next Save asks for a name and is refused again.
    env.frm.documentSettings().RET_REG_DISABLESAVE = true;
    QVERIFY(!env.frm.documents().Save());
    expectMessage(env.onlyMessage(),
                  file + CrLf + CrLf + "Не удалось сохранить этот файл!" + CrLf + "Сохранение файла отключено.",
                  MsgButtons::Ok, 1);
    QCOMPARE(env.frm.document().GlobalFileName(), QString());
    QCOMPARE(env.frm.windowTitle(), QStringLiteral("previous - Jotbook"));
    env.sp.dialogs.saveAnswers.push_back({env.path("other.txt"), 1});
    env.sp.messages.asked.clear();
    env.frm.mnuSave_Click();
    QCOMPARE(env.sp.dialogs.saveRequests.size(), 1);
    QVERIFY(env.onlyMessage().text.endsWith("Сохранение файла отключено."));
    QVERIFY(!QFile::exists(env.path("other.txt")));
    QCOMPARE(readFile(file), QByteArray("previous"));

    // A cancelled dialog writes nothing and is no success.
    env.frm.documentSettings().RET_REG_DISABLESAVE = false;
    env.sp.messages.asked.clear();
    QVERIFY(!env.frm.documents().Save());
    QVERIFY(env.sp.messages.asked.isEmpty());

    // Access denied.
    if (QFileInfo(QStringLiteral("/sys/kernel")).isDir()) {
        QVERIFY(!env.frm.documents().SaveTextFile("/sys/kernel/jotbook.txt", true));
        QCOMPARE(env.onlyMessage().text, "/sys/kernel/jotbook.txt" + CrLf + CrLf + "Не удалось сохранить этот файл!"
                                             + CrLf + "Доступ к файлу или папке закрыт.");
        env.sp.messages.asked.clear();
    }

    // A write failing half-way: the old file survives, the number is shown.
    env.frm.textBox().setText(plainText(3 * FileAccess::WriteChunk));
    FileAccess::writeFaultHook = [](qint64) { return ENOSPC; };
    const auto restore = qScopeGuard([] { FileAccess::writeFaultHook = nullptr; });
    QVERIFY(!env.frm.documents().SaveTextFile(file, true));
    QCOMPARE(env.onlyMessage().text, file + CrLf + CrLf + "Не удалось сохранить этот файл!" + CrLf
                                         + "Произошла неизвестная ошибка: " + QString::number(1000 + ENOSPC));
    QCOMPARE(readFile(file), QByteArray("previous"));
    QCOMPARE(env.frm.document().SourceText(), QByteArray("previous"));
    QCOMPARE(QDir(env.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"previous.txt"});
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestDocuments::recentDocument()
{
    Env env;
    const QString file = env.write("recent.txt", "again");
    env.frm.document().WriteRecentFile(QString(255, 'p'));
    QCOMPARE(env.frm.mainActions().mnuRecent->text(), "&" + QString(255, 'p'));
    env.frm.document().WriteRecentFile(QString(256, 'p'));
    QCOMPARE(env.frm.mainActions().mnuRecent->text(), QString());

    env.frm.document().WriteRecentFile(file);
    env.frm.documents().mnuRecent_Click();
    QCOMPARE(env.frm.textBox().text(), QByteArray("again"));
    QCOMPARE(env.frm.document().GlobalFileName(), file);

    // A declined size question keeps the entry; a failed open clears it.
    env.write("recent.txt", plainText(55001));
    env.sp.messages.answers.push_back(MsgAnswer::No);
    env.frm.documents().mnuRecent_Click();
    QCOMPARE(env.frm.mainActions().mnuRecent->text(), "&" + file);
    QFile::remove(file);
    env.sp.messages.asked.clear();
    env.frm.documents().mnuRecent_Click();
    QVERIFY(env.onlyMessage().text.endsWith("Файл не найден."));
    QCOMPARE(env.frm.mainActions().mnuRecent->text(), QString());
}

void TestDocuments::fontAndColours()
{
    Env env;
    const platform::FontSpec before = env.frm.textBox().fontSpec();
    env.sp.dialogs.fontAnswers.push_back(std::nullopt);
    env.frm.mnuFont_Click();
    QCOMPARE(env.frm.textBox().fontSpec(), before);
    QVERIFY(!env.frm.settings().UserChangeSettings());
    QCOMPARE(env.sp.dialogs.fontCalls.first().minSize, 8);
    QCOMPARE(env.sp.dialogs.fontCalls.first().maxSize, 72);

    platform::FontSpec chosen = before;
    chosen.size = 14;
    chosen.bold = true;
    chosen.weight = 700;
    env.sp.dialogs.fontAnswers.push_back(std::make_pair(chosen, quint32(0x0000C0)));
    env.frm.mnuFont_Click();
    QCOMPARE(env.frm.textBox().fontSpec().size, 14.0);
    QVERIFY(env.frm.textBox().fontSpec().bold);
    QCOMPARE(env.frm.textBox().foreColor(), 0x0000C0u);
    QVERIFY(env.frm.settings().UserChangeSettings());

    env.frm.settings().setUserChangeSettings(false);
    env.frm.mnuColor_Click();   // cancelled
    QVERIFY(!env.frm.settings().UserChangeSettings());
    env.sp.dialogs.colorAnswers.push_back(0x80FF80);
    env.frm.mnuColor_Click();
    QCOMPARE(env.frm.textBox().backColor(), 0x80FF80u);
    QCOMPARE(env.sp.dialogs.colorInitial.last(), env.sp.dialogs.colorInitial.first());
    QVERIFY(env.frm.settings().UserChangeSettings());

    env.frm.settings().setUserChangeSettings(false);
    env.frm.mnuDefaultColor_Click();
    env.frm.settings().setUserChangeSettings(false);
    env.frm.mnuDefaultColor_Click();   // already white: still counts as a change
    QCOMPARE(env.frm.textBox().backColor(), 0xFFFFFFu);
    QVERIFY(env.frm.settings().UserChangeSettings());
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
