// The print settings dialog and printing, on the real main window with a printer that writes PDF
// files; the files are read back with poppler's tools.
#include "platform/Ansi.h"
#include "platform/RuntimeError.h"
#include "printing/FrmPrintSetup.h"
#include "tests/support/MainWindowFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>

using platform::FontSpec;
Q_DECLARE_METATYPE(PrintSettings)
Q_DECLARE_METATYPE(FontSpec)

namespace {

const QString kFailed = QStringLiteral("Не удалось вывести на печать этот документ!\r\n\r\n");

// Runs a poppler tool on a file and returns what it prints.
QString poppler(const QString &tool, QStringList args)
{
    QProcess p;
    p.start(tool, args);
    return p.waitForFinished(30000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

// The text of each page as laid out, as lines without the empty ones and with each run of
// spaces as one.
QList<QStringList> pagesOf(const QString &pdf)
{
    QList<QStringList> pages;
    for (const QString &page : poppler("pdftotext", {"-layout", pdf, "-"}).split(u'\f', Qt::SkipEmptyParts)) {
        QStringList lines;
        for (const QString &line : page.split(u'\n'))
            if (!line.trimmed().isEmpty())
                lines << line.simplified();
        pages << lines;
    }
    return pages;
}

// How many lines of the font fit on a page of the PDF printer.
int linesPerPage(const FontSpec &spec, bool landscape)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QFont font(spec.name);
    font.setPointSizeF(spec.size);
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    const qreal height = printer.pageRect(QPrinter::DevicePixel).height();
    return qMax(1, int(std::floor(height / QFontMetricsF(font, &printer).lineSpacing())));
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void dialog_data();
    void dialog();
    void pagesFollowTheFont_data();
    void pagesFollowTheFont();
    void breaksTabsControlsAndLongLines();
    void refusals_data();
    void refusals();

private:
    QTemporaryDir folder;
    std::unique_ptr<testing::MainWindowRun> run;
    PrintSettings *settings = nullptr;
};

void TestPrinting::initTestCase()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("poppler-utils is not installed");
}

void TestPrinting::init()
{
    run = std::make_unique<testing::MainWindowRun>();
    run->start();
    run->sp.printers.folder = folder.path();
    settings = &run->frm.printSettings();
    *settings = {true, false, 1};
}

void TestPrinting::dialog_data()
{
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QString>("typed");      // null: the copies text is left as loaded
    QTest::addColumn<QString>("choose");     // the option button clicked, if any
    QTest::addColumn<QString>("close");      // CmdOk, CmdCancel or Escape
    QTest::addColumn<QString>("loaded");     // the option button selected on loading, if any
    QTest::addColumn<PrintSettings>("stored");
    const QString none;
    QTest::newRow("unchanged") << true << false << none << none << "CmdOk" << "OPortrait" << PrintSettings{true, false, 3};
    QTest::newRow("half to even") << true << false << "2.5" << none << "CmdOk" << "OPortrait" << PrintSettings{true, false, 2};
    QTest::newRow("half up to even") << true << false << "3.5" << none << "CmdOk" << "OPortrait" << PrintSettings{true, false, 4};
    QTest::newRow("leading number") << true << false << "7 копий" << "OLandscape" << "CmdOk" << "OPortrait" << PrintSettings{false, true, 7};
    QTest::newRow("no number") << true << false << "abc" << none << "CmdOk" << "OPortrait" << PrintSettings{true, false, 0};
    QTest::newRow("both marks") << true << true << none << none << "CmdOk" << "OLandscape" << PrintSettings{false, true, 3};
    QTest::newRow("neither mark") << false << false << none << none << "CmdOk" << none << PrintSettings{false, false, 3};
    QTest::newRow("cancel") << true << false << "9" << "OLandscape" << "CmdCancel" << "OPortrait" << PrintSettings{true, false, 3};
    QTest::newRow("escape") << false << true << "9" << "OPortrait" << "Escape" << "OLandscape" << PrintSettings{false, true, 3};
    // Beyond 32 bits: refused with a message, the dialog stays open; then cancelled.
    QTest::newRow("beyond 32 bits") << true << false << "4294967298" << none << "CmdOk" << "OPortrait" << PrintSettings{true, false, 3};
}

void TestPrinting::dialog()
{
    QFETCH(bool, portrait);
    QFETCH(bool, landscape);
    QFETCH(QString, typed);
    QFETCH(QString, choose);
    QFETCH(QString, close);
    QFETCH(QString, loaded);
    QFETCH(PrintSettings, stored);
    *settings = {portrait, landscape, 3};
    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto *d = qobject_cast<FrmPrintSetup *>(QApplication::activeModalWidget());
        QVERIFY(d);
        QVERIFY(d->isModal() && d->parentWidget() == &run->frm);
        for (const char *name : {"OPortrait", "OLandscape"})
            QCOMPARE(d->findChild<QRadioButton *>(name)->isChecked(), loaded == QLatin1String(name));
        auto *copies = d->findChild<QLineEdit *>("TCopies");
        QCOMPARE(copies->text(), QStringLiteral("3"));
        QCOMPARE(copies->selectedText(), QStringLiteral("3"));
        if (!typed.isNull())
            copies->setText(typed);
        if (!choose.isEmpty())
            QTest::mouseClick(d->findChild<QRadioButton *>(choose), Qt::LeftButton);
        if (close == "Escape")
            QTest::keyClick(d, Qt::Key_Escape);
        else
            QTest::mouseClick(d->findChild<QPushButton *>(close), Qt::LeftButton);
        if (typed == "4294967298") {
            QCOMPARE(run->onlyMessage().text, QStringLiteral("Неверное значение!\r\n\r\nПроверьте правильность ввода."));
            QVERIFY(d->isVisible());
            d->reject();
        }
        answered = true;
    });
    run->named("mnuPrintSetup")->trigger();
    QVERIFY(answered);
    QCOMPARE(settings->RET_REG_PRINTPORTRAIT, stored.RET_REG_PRINTPORTRAIT);
    QCOMPARE(settings->RET_REG_PRINTLANDSCAPE, stored.RET_REG_PRINTLANDSCAPE);
    QCOMPARE(settings->RET_REG_PRINTCOPIES, stored.RET_REG_PRINTCOPIES);
}

void TestPrinting::pagesFollowTheFont_data()
{
    QTest::addColumn<FontSpec>("font");
    QTest::addColumn<bool>("landscape");
    QTest::newRow("portrait, default font") << FontSpec{} << false;
    QTest::newRow("landscape, large bold italic") << FontSpec{"Liberation Serif", 20, true, true, true, true, 700, 204} << true;
}

void TestPrinting::pagesFollowTheFont()
{
    QFETCH(FontSpec, font);
    QFETCH(bool, landscape);
    *settings = {true, landscape, 1};
    run->frm.textBox().setFontSpec(font);
    const int perPage = linesPerPage(font, landscape);
    QStringList lines;
    for (int i = 1; i <= 2 * perPage + 3; ++i)
        lines << QStringLiteral("Строка номер %1 — ёжик").arg(i);
    run->frm.textBox().setText(platform::Ansi::fromUnicode(lines.join("\r\n") + "\r\n\r\n"));
    std::optional<Qt::CursorShape> cursor;
    run->sp.printers.onHandOver = [&](QPrinter &) { cursor = QGuiApplication::overrideCursor()->shape(); };

    QTest::keyClick(&run->frm, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(cursor, Qt::WaitCursor);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(run->sp.messages.asked.isEmpty());
    const QString pdf = run->sp.printers.pdfPath(1);
    QCOMPARE(pagesOf(pdf), (QList<QStringList>{lines.mid(0, perPage), lines.mid(perPage, perPage), lines.mid(2 * perPage)}));
    const QRegularExpressionMatch size = QRegularExpression("Page size: *([\\d.]+) x ([\\d.]+)").match(poppler("pdfinfo", {pdf}));
    QCOMPARE(size.captured(1).toDouble() > size.captured(2).toDouble(), landscape);
    if (font.bold)
        QVERIFY(poppler("pdffonts", {pdf}).contains("LiberationSerif-BoldItalic"));
}

void TestPrinting::breaksTabsControlsAndLongLines()
{
    const QByteArray longLine(400, '\xF8');   // "ш"
    run->frm.textBox().setText("\xE0\r\xE1\n\xE2\r\n\x01\xE3\x0C\x98\xE4\r\n\xE5\t\xE6\r\n" + longLine + "\r\nend");
    run->frm.mnuPrint_Click();
    const QString pdf = run->sp.printers.pdfPath(1);
    const QList<QStringList> pages = pagesOf(pdf);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].mid(0, 5), (QStringList{"а", "б", "в", "гд", "е ж"}));
    QCOMPARE(pages[0].at(6), QStringLiteral("end"));
    // The long line stops at the right edge; nothing of it is wrapped.
    const QString cut = pages[0].at(5);
    QVERIFY(cut.size() > 50 && cut.size() < longLine.size() && cut == QString(cut.size(), u'ш'));
    // The tab moves "ж" to the first tab stop of the text box (every 80 of its pixels), in points.
    const QString words = poppler("pdftotext", {"-bbox", pdf, "-"});
    const auto xOf = [&](const QString &w) {
        return QRegularExpression("xMin=\"([\\d.]+)\"[^>]*>" + w + "<").match(words).captured(1).toDouble();
    };
    const qreal tabStop = 80.0 * 72 / run->frm.textBox().logicalDpiX();
    const qreal tabX = xOf("ж") - xOf("е");
    QVERIFY2(std::abs(tabX - tabStop) < 0.5, qPrintable(QStringLiteral("%1 pt, not %2 pt").arg(tabX).arg(tabStop)));
}

void TestPrinting::refusals_data()
{
    QTest::addColumn<PrintSettings>("print");
    QTest::addColumn<int>("printerError");
    QTest::addColumn<int>("handOverError");
    QTest::addColumn<QString>("reason");
    const QString invalid = QStringLiteral("Возможно, параметры печати были заданы неверно.");
    const QString printer = QStringLiteral("Возможно, принтер некорректно установлен.");
    QTest::newRow("no copies") << PrintSettings{true, false, 0} << 0 << 0 << invalid;
    QTest::newRow("above the CUPS limit") << PrintSettings{true, false, 10000} << 0 << 0 << invalid;
    QTest::newRow("2 in 16 bits") << PrintSettings{true, false, 65538} << 0 << 0 << invalid;
    QTest::newRow("negative in 16 bits") << PrintSettings{true, false, 40000} << 0 << 0 << invalid;
    QTest::newRow("no orientation") << PrintSettings{false, false, 1} << 0 << 0 << invalid;
    QTest::newRow("no printer") << PrintSettings{true, false, 1} << 482 << 0 << printer;
    QTest::newRow("job not taken") << PrintSettings{true, false, 1} << 0 << 482 << printer;
    QTest::newRow("other failure") << PrintSettings{true, false, 1} << 5 << 0 << QStringLiteral("Произошла неизвестная ошибка: 5");
}

void TestPrinting::refusals()
{
    QFETCH(PrintSettings, print);
    QFETCH(int, printerError);
    QFETCH(int, handOverError);
    QFETCH(QString, reason);
    *settings = print;
    run->sp.printers.error = printerError;
    run->sp.printers.handOverError = handOverError;
    run->frm.textBox().setText("\xD2\xE5\xEA\xF1\xF2");
    run->named("mnuPUPrint")->trigger();
    QCOMPARE(run->onlyMessage().text, kFailed + reason);
    QCOMPARE(run->onlyMessage().icon, platform::MsgIcon::Warning);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(run->frm.textBox().text(), QByteArray("\xD2\xE5\xEA\xF1\xF2"));
    QCOMPARE(run->frm.printSettings().RET_REG_PRINTCOPIES, print.RET_REG_PRINTCOPIES);
    QCOMPARE(run->sp.printers.jobs, handOverError ? 1 : 0);   // nothing asked of a printer before settings pass
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
