// Windows-1251 as the program's 8-bit code page: the table, the reverse mapping, case mapping and
// UTF-8 files.
#include "platform/textmodel/Ansi.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

using namespace platform;

class TstAnsi : public QObject {
    Q_OBJECT
private slots:
    void everyByteMatchesTheSystemCodec();
    void bulkDecodingReusesTheString();
    void unrepresentableBecomesQuestionMark_data();
    void unrepresentableBecomesQuestionMark();
    void caseMapping_data();
    void caseMapping();
    void caseMappingIsReversibleAndKeepsLength();
    void readUtf8_data();
    void readUtf8();
};

void TstAnsi::everyByteMatchesTheSystemCodec()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QStringDecoder decoder("windows-1251");
    QVERIFY(decoder.isValid());
    const QString expected = decoder(all);
    QCOMPARE(expected.size(), 256);
    QCOMPARE(Ansi::toUnicode(all), expected);
    for (int b = 0; b < 256; ++b) {
        QCOMPARE(Ansi::toUnicode(uchar(b)), expected.at(b));
        QVERIFY(Ansi::isRepresentable(expected.at(b)));
        QCOMPARE(uchar(Ansi::fromUnicode(expected.at(b))), uchar(b));
    }
    QCOMPARE(Ansi::fromUnicode(expected), all);
    QStringEncoder encoder("windows-1251");
    QCOMPARE(QByteArray(encoder(expected)), all);
}

void TstAnsi::bulkDecodingReusesTheString()
{
    QString out;
    const QByteArray big(1000, '\xE9');   // й
    Ansi::toUnicode(big.constData(), big.size(), out);
    QCOMPARE(out, QString(1000, QChar(0x0439)));
    const QChar *memory = out.constData();
    Ansi::toUnicode("\xC0\xE1", 2, out);
    QCOMPARE(out, QStringLiteral("Аб"));
    QCOMPARE(out.constData(), memory);
}

void TstAnsi::unrepresentableBecomesQuestionMark_data()
{
    QTest::addColumn<QChar>("ch");
    QTest::newRow("CJK") << QChar(0x4E2D);
    QTest::newRow("C1 control other than 0x98") << QChar(0x0081);
    QTest::newRow("line separator") << QChar(QChar::LineSeparator);
    QTest::newRow("paragraph separator") << QChar(QChar::ParagraphSeparator);
    QTest::newRow("CR symbol") << QChar(0x240D);
    QTest::newRow("Latin-1 e acute") << QChar(0x00E9);
    QTest::newRow("Greek mu") << QChar(0x039C);
    QTest::newRow("high surrogate") << QChar(0xD83D);
}

void TstAnsi::unrepresentableBecomesQuestionMark()
{
    QFETCH(QChar, ch);
    QVERIFY(!Ansi::isRepresentable(ch));
    QCOMPARE(Ansi::fromUnicode(ch), '?');
    QCOMPARE(Ansi::fromUnicode(QStringLiteral("a") + ch + QStringLiteral("б")), QByteArray("a?\xE1"));
}

void TstAnsi::caseMapping_data()
{
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("upper");
    QTest::newRow("Russian") << QStringLiteral("абвгдежзийклмнопрстуфхцчшщъыьэюя")
                             << QStringLiteral("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
    QTest::newRow("yo") << QStringLiteral("ёлка") << QStringLiteral("ЁЛКА");
    QTest::newRow("other Cyrillic") << QStringLiteral("ђѓљњќћџўјґєїіѕ")
                                    << QStringLiteral("ЂЃЉЊЌЋЏЎЈҐЄЇІЅ");
    QTest::newRow("Latin") << QStringLiteral("hello world") << QStringLiteral("HELLO WORLD");
    QTest::newRow("caseless") << QStringLiteral("09 №€—«»\u00A0\u0098") << QStringLiteral("09 №€—«»\u00A0\u0098");
}

void TstAnsi::caseMapping()
{
    QFETCH(QString, lower);
    QFETCH(QString, upper);
    QCOMPARE(Ansi::toUpper(Ansi::fromUnicode(lower)), Ansi::fromUnicode(upper));
    QCOMPARE(Ansi::toLower(Ansi::fromUnicode(upper)), Ansi::fromUnicode(lower));
    QCOMPARE(Ansi::toUpper(uchar(0xB8)), uchar(0xA8));
    QCOMPARE(Ansi::toLower(uchar(0xA8)), uchar(0xB8));
    // Micro sign: its upper case (Greek Mu) is not in the code page.
    QCOMPARE(Ansi::toUpper(uchar(0xB5)), uchar(0xB5));
    QCOMPARE(Ansi::toLower(uchar(0xB5)), uchar(0xB5));
}

void TstAnsi::caseMappingIsReversibleAndKeepsLength()
{
    int changed = 0;
    for (int b = 0; b < 256; ++b) {
        const uchar up = Ansi::toUpper(uchar(b));
        const uchar low = Ansi::toLower(uchar(b));
        if (up != b) {
            ++changed;
            QCOMPARE(Ansi::toLower(up), uchar(b));
            QVERIFY(Ansi::toUnicode(up).isUpper());
        }
        if (low != b)
            QCOMPARE(Ansi::toUpper(low), uchar(b));
    }
    // 26 Latin, 32 Russian plus ё, and the 14 other Cyrillic letters.
    QCOMPARE(changed, 26 + 33 + 14);
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QCOMPARE(Ansi::toUpper(all).size(), 256);
    QCOMPARE(Ansi::toLower(all).size(), 256);
}

void TstAnsi::readUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<QString>("text");   // what a converted file shows

    const int no = Ansi::Utf8Reading::NotUtf8, yes = Ansi::Utf8Reading::Converted, foreign = Ansi::Utf8Reading::Foreign;
    const QString russian =
        QStringLiteral("Привет, мир! Съешь ещё этих мягких булок, да выпей же чаю.\r\n№ 5 — «ёлка»");
    const auto in = [&](const char *charset) { return QByteArray(QStringEncoder(charset)(russian)); };
    const QByteArray mark("\xEF\xBB\xBF");
    QString upperHalf;   // every character of Windows-1251 beyond ASCII, 0x98 too
    for (int b = 0x80; b < 0x100; ++b)
        upperHalf += Ansi::toUnicode(uchar(b));
    QTest::newRow("ASCII alone") << QByteArray("plain text, 8 bytes and more\r\n") << no << false << QString();
    QTest::newRow("Russian after the mark") << mark + russian.toUtf8() << yes << true << russian;
    QTest::newRow("the mark alone") << mark << yes << true << QString();
    QTest::newRow("every character") << upperHalf.toUtf8() << yes << false << upperHalf;
    QTest::newRow("long ASCII run") << QByteArray(13, 'a') + "ж" << yes << false << QString(13, 'a') + "ж";
    QTest::newRow("combining accent") << QByteArray("е\xCC\x81") << foreign << false << QString();
    QTest::newRow("Russian, then an emoji") << mark + russian.toUtf8() + "\xF0\x9F\x98\x80" << foreign << true
                                            << QString();
    QTest::newRow("foreign, then broken") << QByteArray("中\xFF") << no << false << QString();
    QTest::newRow("overlong 2-byte") << QByteArray("\xC0\xAF") << no << false << QString();
    QTest::newRow("overlong 3-byte") << QByteArray("\xE0\x80\xAF") << no << false << QString();
    QTest::newRow("overlong 4-byte") << QByteArray("\xF0\x80\x80\xAF") << no << false << QString();
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << no << false << QString();
    QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << no << false << QString();
    QTest::newRow("lone continuation") << QByteArray("a\x80") << no << false << QString();
    QTest::newRow("cut at the end") << QByteArray("жи\xD0") << no << false << QString();
    QTest::newRow("mark, then Windows-1251") << mark + in("windows-1251") << no << false << QString();
    QTest::newRow("Windows-1251") << in("windows-1251") << no << false << QString();
    QTest::newRow("CP866") << in("IBM866") << no << false << QString();
    QTest::newRow("KOI8-R") << in("KOI8-R") << no << false << QString();
}

void TstAnsi::readUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, kind);
    QFETCH(bool, mark);
    QFETCH(QString, text);
    // A buffer of its own, decoded in place; what is not converted comes back as it was.
    const Ansi::Utf8Reading reading = Ansi::readUtf8(QByteArray(bytes.constData(), bytes.size()));
    QCOMPARE(int(reading.kind), kind);
    QCOMPARE(reading.mark, mark);
    const bool converted = kind == Ansi::Utf8Reading::Converted;
    QCOMPARE(reading.text, converted ? Ansi::fromUnicode(text) : bytes);
    if (converted)
        QCOMPARE(Ansi::toUtf8(reading.text, mark), bytes);
}

QTEST_GUILESS_MAIN(TstAnsi)
#include "tst_ansi.moc"
