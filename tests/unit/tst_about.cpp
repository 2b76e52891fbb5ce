// The figures of the About window and the system report.

#include "about/MdlOther.h"

#include <QtTest>

class TestAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatMemory_data()
    {
        QTest::addColumn<quint64>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << quint64(0) << "0";
        QTest::newRow("three digits") << quint64(999) << "999";
        QTest::newRow("four digits") << quint64(1234) << "1 234";
        QTest::newRow("nine digits") << quint64(536870912) << "536 870 912";
        QTest::newRow("ten digits keep the first group whole") << quint64(1234567890) << "1234 567 890";
        QTest::newRow("beyond 32 bits") << quint64(25276182528) << "25276 182 528";
        QTest::newRow("the largest") << quint64(18446744073709551615ull) << "18446744073709 551 615";
    }
    void formatMemory()
    {
        QFETCH(quint64, value);
        QTEST(MdlOther::FormatMemory(value), "text");
    }

    void addBackslash()
    {
        QCOMPARE(MdlOther::AddBackslash(QStringLiteral("/opt/jotbook")), QStringLiteral("/opt/jotbook/"));
        QCOMPARE(MdlOther::AddBackslash(QStringLiteral("/opt/jotbook/")), QStringLiteral("/opt/jotbook/"));
        QCOMPARE(MdlOther::AddBackslash(QString()), QStringLiteral("/"));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
