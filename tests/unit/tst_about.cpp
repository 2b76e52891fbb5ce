// The figures of the About window and the system report.

#include "about/MdlOther.h"
#include "about/SystemReport.h"
#include "platform/TextBox.h"
#include "tests/support/ScriptedPlatform.h"

#include <QtTest>

namespace {

// A system that has the resource figures.
struct ResourceFacts : testing::ScriptedFacts {
    bool freeResources(int &system, int &gdi, int &user) const override
    {
        system = 71, gdi = 82, user = 93;
        return true;
    }
};

} // namespace

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

    void systemReport()
    {
        testing::ScriptedFacts plain;
        plain.total = 536870912;
        plain.available = 25276182528;
        plain.folder = QStringLiteral("/opt/jotbook");
        const QDateTime now(QDate(2026, 12, 6), QTime(9, 5, 3));
        QCOMPARE(SystemReport::BuildSystemReport(plain, now, QVersionNumber(1, 6, 9)).split(QStringLiteral("\r\n")),
                 QStringList({"Program Name: Jotbook", "Program Version: 1.6", "",
                              "Current System: Debian GNU/Linux 12 (bookworm)", "System Updates: ",
                              "System Version: 6.01.0", "", "System Folder: ", "Windows Folder: ",
                              "Application Folder: /opt/jotbook/", "", "Total Memory: 536 870 912 Byte",
                              "Available Memory: 25276 182 528 Byte", "", "Free System Resources: 0%",
                              "Free User Resources: 0%", "Free GDI Resources: 0%", "", "Time: 09:05:03",
                              "Date: 06.12.2026"}));

        QVERIFY(SystemReport::BuildSystemReport(ResourceFacts(), now, QVersionNumber(1, 6))
                    .contains("Resources: 71%\r\nFree User Resources: 93%\r\nFree GDI Resources: 82%\r\n"));
    }

    void insertSystemReport()
    {
        platform::TextBox box;
        box.setText("abc selected def");
        box.setSel(4, 12);
        SystemReport::InsertSystemReport(box, QStringLiteral("line 1\r\nline 2"));
        QCOMPARE(box.text(), QByteArray("abc line 1\r\nline 2 def"));
        QCOMPARE(box.selStart(), 18);
        QCOMPARE(box.selLength(), 0);
        box.undoEdit();
        QCOMPARE(box.text(), QByteArray("abc selected def"));
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
