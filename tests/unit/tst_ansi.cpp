// Windows-1251 as the program's 8-bit code page: the table, the reverse mapping and case mapping.
#include "platform/Ansi.h"

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

QTEST_GUILESS_MAIN(TstAnsi)
#include "tst_ansi.moc"
