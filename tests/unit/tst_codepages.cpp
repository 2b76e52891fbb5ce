// The DOS and KOI code page tables and the conversion through Windows-1251.

#include "document/MdlCode.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtTest>

using MdlCode::ConvertCoding;

namespace {

QByteArray allBytes()
{
    QByteArray bytes(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes;
}

// The 66 Cyrillic letters of Windows-1251: А..я and Ё, ё.
QByteArray cyrillicLetters()
{
    QByteArray letters;
    for (int c = 0xC0; c <= 0xFF; ++c)
        letters += char(c);
    letters += '\xA8';
    letters += '\xB8';
    return letters;
}

} // namespace

class TestCodePages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void knownLetters_data();
    void knownLetters();
    void lettersAgreeWithIconv_data();
    void lettersAgreeWithIconv();
    void lowerHalfAndSameCodingUnchanged();
    void roundTripsGiveBackTheBytes();
    void outsideCodingsLeaveTextAlone();
};

void TestCodePages::knownLetters_data()
{
    QTest::addColumn<int>("coding");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("windows");
    QTest::newRow("DOS А п р я") << int(MdlCode::Dos) << QByteArray("\x80\xAF\xE0\xEF") << QByteArray("\xC0\xEF\xF0\xFF");
    QTest::newRow("DOS Ё ё") << int(MdlCode::Dos) << QByteArray("\xF0\xF1") << QByteArray("\xA8\xB8");
    QTest::newRow("DOS shading") << int(MdlCode::Dos) << QByteArray("\xB0") << QByteArray("\x80");
    QTest::newRow("KOI А а") << int(MdlCode::Koi) << QByteArray("\xE1\xC1") << QByteArray("\xC0\xE0");
    QTest::newRow("KOI Ё ё") << int(MdlCode::Koi) << QByteArray("\xB3\xA3") << QByteArray("\xA8\xB8");
    QTest::newRow("KOI middle dot") << int(MdlCode::Koi) << QByteArray("\x9E") << QByteArray("\xB7");
    QTest::newRow("mixed with controls") << int(MdlCode::Dos) << QByteArray("\t\x80\r\n\x00z", 6)
                                         << QByteArray("\t\xC0\r\n\x00z", 6);
}

void TestCodePages::knownLetters()
{
    QFETCH(int, coding);
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, windows);
    QCOMPARE(ConvertCoding(source, coding, MdlCode::Windows), windows);
    QCOMPARE(ConvertCoding(windows, MdlCode::Windows, coding), source);
}

void TestCodePages::lettersAgreeWithIconv_data()
{
    QTest::addColumn<int>("coding");
    QTest::addColumn<QString>("charset");
    QTest::newRow("DOS") << int(MdlCode::Dos) << "CP866";
    QTest::newRow("KOI") << int(MdlCode::Koi) << "KOI8-R";
}

void TestCodePages::lettersAgreeWithIconv()
{
    QFETCH(int, coding);
    QFETCH(QString, charset);
    const QString iconv = QStandardPaths::findExecutable(QStringLiteral("iconv"));
    if (iconv.isEmpty())
        QSKIP("iconv is not installed");

    // The letters in the other code page, as an independent converter writes them...
    const QByteArray letters = cyrillicLetters();
    QProcess process;
    process.start(iconv, {QStringLiteral("-f"), QStringLiteral("CP1251"), QStringLiteral("-t"), charset});
    QVERIFY(process.waitForStarted());
    process.write(letters);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 0);
    const QByteArray foreign = process.readAllStandardOutput();
    QCOMPARE(foreign.size(), letters.size());

    // ...come back as the same Windows-1251 letters, and go there the same way.
    QCOMPARE(ConvertCoding(foreign, coding, MdlCode::Windows), letters);
    QCOMPARE(ConvertCoding(letters, MdlCode::Windows, coding), foreign);
}

void TestCodePages::lowerHalfAndSameCodingUnchanged()
{
    const QByteArray lower = allBytes().left(128);
    const QByteArray everything = allBytes();
    for (int from = 1; from <= 3; ++from) {
        QCOMPARE(ConvertCoding(everything, from, from), everything);
        for (int to = 1; to <= 3; ++to)
            QCOMPARE(ConvertCoding(lower, from, to), lower);
    }
    QCOMPARE(ConvertCoding(QByteArray(), MdlCode::Dos, MdlCode::Windows), QByteArray());
}

// Every byte value, then random bytes: a pairing table that is no permutation of the upper half
// loses some byte on the way there and back.
void TestCodePages::roundTripsGiveBackTheBytes()
{
    QByteArray random(4096, Qt::Uninitialized);
    QRandomGenerator rng(1251);
    for (char &c : random)
        c = char(rng.bounded(256));
    random.prepend(allBytes());
    for (int from = 1; from <= 3; ++from) {
        for (int to = 1; to <= 3; ++to) {
            const QByteArray there = ConvertCoding(random, from, to);
            QCOMPARE(there.size(), random.size());
            QCOMPARE(ConvertCoding(there, to, from), random);
        }
    }
    // DOS to KOI goes through Windows: the same as the two steps one after the other.
    QCOMPARE(ConvertCoding(random, MdlCode::Dos, MdlCode::Koi),
             ConvertCoding(ConvertCoding(random, MdlCode::Dos, MdlCode::Windows), MdlCode::Windows, MdlCode::Koi));
}

void TestCodePages::outsideCodingsLeaveTextAlone()
{
    const QByteArray everything = allBytes();
    QCOMPARE(ConvertCoding(everything, 0, MdlCode::Windows), everything);
    QCOMPARE(ConvertCoding(everything, MdlCode::Dos, 4), everything);
    QCOMPARE(MdlCode::PairingTable(4), nullptr);
}

QTEST_MAIN(TestCodePages)
#include "tst_codepages.moc"
