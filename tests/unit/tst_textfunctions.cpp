// The string helpers behind the caption, the command line and the text markers, and the
// plain-value wrappers over the standard choosers (which cut a name at its first NUL).

#include "document/CommandLine.h"
#include "document/MdlCommonDialogs.h"
#include "document/MdlFunctions.h"
#include "tests/support/ScriptedPlatform.h"

#include <QtTest>

using namespace MdlFunctions;

Q_DECLARE_METATYPE(CommandLine::Key)
Q_DECLARE_METATYPE(CommandLine::Marker)
Q_DECLARE_METATYPE(CommandLine::Request)

class TestTextFunctions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void documentName_data();
    void documentName();
    void shortenText_data();
    void shortenText();
    void commandLine_data();
    void commandLine();
    void textMarker_data();
    void textMarker();
    void infoRequest_data();
    void infoRequest();
    void fileDialogsTrimAtNulAndKeepFilterOnCancel();
    void colourChooserOffersGreysEveryTime();
};

void TestTextFunctions::documentName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "/home/u/report.txt" << "report.txt" << "report";
    QTest::newRow("dots in name") << "/home/u/report.final.txt" << "report.final.txt" << "report.final";
    QTest::newRow("dot in folder only") << "/home/a.b/file" << "file" << "file";
    QTest::newRow("only extension") << "/tmp/.txt" << ".txt" << "";
    QTest::newRow("two extensions") << "archive.tar.gz" << "archive.tar.gz" << "archive.tar";
    QTest::newRow("backslash is a character") << "/x/C:\\Docs\\a.txt" << "C:\\Docs\\a.txt" << "C:\\Docs\\a";
    QTest::newRow("trailing slash") << "/home/u/" << "" << "";
    QTest::newRow("empty") << "" << "" << "";
}

void TestTextFunctions::documentName()
{
    QFETCH(QString, path);
    QFETCH(QString, fileName);
    QFETCH(QString, name);
    QCOMPARE(GetFileName(path), fileName);
    QCOMPARE(RemoveExtension(GetFileName(path)), name);
}

void TestTextFunctions::shortenText_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("shownLetters");
    QTest::addColumn<bool>("dots");
    QTest::newRow("empty") << 0 << 0 << false;
    QTest::newRow("short") << 5 << 5 << false;
    QTest::newRow("exactly 32") << 32 << 32 << false;
    QTest::newRow("33") << 33 << 29 << true;
    QTest::newRow("40") << 40 << 29 << true;
}

void TestTextFunctions::shortenText()
{
    QFETCH(int, length);
    QFETCH(int, shownLetters);
    QFETCH(bool, dots);
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(u'а' + i % 32);
    const QString shortened = ShortenText(text, 32);
    QCOMPARE(shortened, text.left(shownLetters) + (dots ? QStringLiteral("...") : QString()));
    QVERIFY(shortened.size() <= 32);
}

void TestTextFunctions::commandLine_data()
{
    using K = CommandLine::Key;
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("nothing");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<K>("key");
    QTest::newRow("empty") << "" << true << "" << K::None;
    QTest::newRow("lone quote") << "\"" << true << "" << K::None;
    QTest::newRow("two quotes: an empty name") << "\"\"" << false << "" << K::None;
    QTest::newRow("path with spaces") << "/home/u/My Notes/a.txt" << false << "/home/u/My Notes/a.txt" << K::None;
    QTest::newRow("print, either case") << "/a.txt /p" << false << "/a.txt" << K::Print;
    QTest::newRow("no size check") << "/a.txt /A" << false << "/a.txt" << K::NoSizeCheck;
    QTest::newRow("as data") << "/a.txt /D" << false << "/a.txt" << K::OpenAsData;
    QTest::newRow("no data check") << "/a.txt /t" << false << "/a.txt" << K::NoDataCheck;
    QTest::newRow("log stamp") << "/a.txt /L" << false << "/a.txt" << K::LogStamp;
    QTest::newRow("system stamp") << "/a.txt /S" << false << "/a.txt" << K::SystemStamp;
    QTest::newRow("no space: no key") << "/a.txt/P" << false << "/a.txt/P" << K::None;
    QTest::newRow("unknown key") << "/a.txt /X" << false << "/a.txt /X" << K::None;
    QTest::newRow("a letter whose capital is S") << "/a.txt /\u017F" << false << "/a.txt /\u017F" << K::None;
    QTest::newRow("only a key") << " /P" << false << "" << K::Print;
    QTest::newRow("shorter than a key") << "/P" << false << "/P" << K::None;
    // Only the first and last characters go: the key's letter with them.
    QTest::newRow("quoted path and key") << "\"/a b.txt\" /P" << false << "/a b.txt\" /" << K::None;
}

void TestTextFunctions::commandLine()
{
    QFETCH(QString, line);
    QFETCH(bool, nothing);
    QFETCH(QString, fileName);
    QFETCH(CommandLine::Key, key);
    const std::optional<QString> text = CommandLine::Strip(line);
    QCOMPARE(!text.has_value(), nothing);
    if (nothing)
        return;
    const CommandLine::Parsed parsed = CommandLine::Parse(*text);
    QCOMPARE(parsed.fileName, fileName);
    QCOMPARE(parsed.key, key);
}

void TestTextFunctions::textMarker_data()
{
    using M = CommandLine::Marker;
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<M>("marker");
    const QByteArray atLimit = ".LOG" + QByteArray(CommandLine::LogLimit - 4, 'x');
    QTest::newRow("log, any case") << QByteArray(".lOg\r\nfirst") << M::Log;
    QTest::newRow("log at the limit") << atLimit << M::Log;
    QTest::newRow("log past the limit") << atLimit + 'x' << M::None;
    QTest::newRow("system, any length") << ".sys" + QByteArray(CommandLine::LogLimit, 'x') << M::System;
    QTest::newRow("marker later in the text") << QByteArray(" .LOG") << M::None;
    QTest::newRow("short") << QByteArray(".LO") << M::None;
}

void TestTextFunctions::textMarker()
{
    QFETCH(QByteArray, text);
    QFETCH(CommandLine::Marker, marker);
    QCOMPARE(CommandLine::TextMarker(text), marker);
}

void TestTextFunctions::infoRequest_data()
{
    using R = CommandLine::Request;
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("taken");   // an entry of that name is in the current folder
    QTest::addColumn<R>("request");
    QTest::newRow("help") << "--help" << false << R::Usage;
    QTest::newRow("version") << "--version" << false << R::Version;
    QTest::newRow("a file named --help") << "--help" << true << R::Window;
    QTest::newRow("a file named --version") << "--version" << true << R::Window;
    QTest::newRow("with a key") << "--help /P" << false << R::Window;
    QTest::newRow("two words") << "--help --version" << false << R::Window;
    QTest::newRow("other case") << "--Help" << false << R::Window;
    QTest::newRow("short form") << "-h" << false << R::Window;
    QTest::newRow("empty") << "" << false << R::Window;
}

void TestTextFunctions::infoRequest()
{
    QFETCH(QString, line);
    QFETCH(bool, taken);
    QFETCH(CommandLine::Request, request);
    QStringList asked;
    const auto exists = [&](const QString &name) {
        asked << name;
        return taken;
    };
    QCOMPARE(CommandLine::InfoRequest(line, exists), request);
    if (request != CommandLine::Request::Window || taken)
        QCOMPARE(asked, QStringList{line});
}

void TestTextFunctions::fileDialogsTrimAtNulAndKeepFilterOnCancel()
{
    testing::ScriptedDialogs dialogs;
    const QList<platform::FileFilter> filters = {{"A (*.a)", "*.a"}, {"B (*.b)", "*.b"}};

    dialogs.openAnswers.push_back(QStringLiteral("/tmp/a.txt") + QChar(0) + QStringLiteral("garbage"));
    QCOMPARE(MdlCommonDialogs::ShowOpenDialog(dialogs, nullptr, "T", filters, 2, "*.a", "/tmp"),
             QStringLiteral("/tmp/a.txt"));
    QCOMPARE(dialogs.openRequests.at(0).initialDir, QStringLiteral("/tmp"));

    int chosen = 7;
    QVERIFY(MdlCommonDialogs::ShowSaveDialog(dialogs, nullptr, "S", filters, 1, chosen, "x.a").isEmpty());
    QCOMPARE(chosen, 7);   // cancelled: untouched
    dialogs.saveAnswers.push_back({QStringLiteral("/tmp/b.b"), 2});
    QCOMPARE(MdlCommonDialogs::ShowSaveDialog(dialogs, nullptr, "S", filters, 1, chosen, "x.a"),
             QStringLiteral("/tmp/b.b"));
    QCOMPARE(chosen, 2);

    QCOMPARE(MdlCommonDialogs::TrimNull(QStringLiteral("abc")), QStringLiteral("abc"));
    QCOMPARE(MdlCommonDialogs::TrimNull(QString(5, QChar(0))), QString());
}

void TestTextFunctions::colourChooserOffersGreysEveryTime()
{
    testing::ScriptedDialogs dialogs;
    dialogs.colorAnswers.push_back(0x123456);
    dialogs.colorAnswers.push_back(std::nullopt);
    quint32 colour = 0xABCDEF;
    QVERIFY(MdlCommonDialogs::ShowColorDialog(dialogs, nullptr, colour));
    QCOMPARE(colour, 0x123456u);
    QVERIFY(!MdlCommonDialogs::ShowColorDialog(dialogs, nullptr, colour));
    QCOMPARE(colour, 0x123456u);
    QCOMPARE(dialogs.colorInitial, QList<quint32>({0xABCDEF, 0x123456}));

    for (const QList<quint32> &offered : dialogs.colorCustomSets) {
        QCOMPARE(offered.size(), 16);
        QCOMPARE(offered.first(), 0xFFFFFFu);
        QCOMPARE(offered.last(), 0x000000u);
        for (int i = 1; i < 16; ++i) {
            const quint32 c = offered.at(i);
            QCOMPARE(c & 0xFF, (c >> 8) & 0xFF);       // grey: all three parts alike
            QCOMPARE(c & 0xFF, (c >> 16) & 0xFF);
            QCOMPARE((offered.at(i - 1) & 0xFF) - (c & 0xFF), 17u);
        }
    }
}

QTEST_MAIN(TestTextFunctions)
#include "tst_textfunctions.moc"
