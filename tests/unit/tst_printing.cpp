// The print settings dialog and printing, on the real main window with a printer that writes PDF
// files, read back with poppler's tools.
#include "platform/textmodel/Ansi.h"
#include "platform/ui/Messenger.h"
#include "printing/FrmPrintSetup.h"
#include "printing/PrintDocument.h"
#include "tests/support/MainWindowFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRawFont>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>

using platform::FontSpec;
using P = PrintSettings;
using Step = testing::PdfPrinters::Step;
Q_DECLARE_METATYPE(PrintSettings)
Q_DECLARE_METATYPE(FontSpec)
Q_DECLARE_METATYPE(Step)

static QString poppler(const QString &tool, const QStringList &args)
{
    QProcess p;
    p.start(tool, args);
    return p.waitForFinished(30000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

// Each page's lines as laid out, without empty lines and with runs of spaces as one.
static QList<QStringList> pagesOf(const QString &pdf)
{
    QList<QStringList> pages;
    for (const QString &page : poppler("pdftotext", {"-layout", pdf, "-"}).split(u'\f', Qt::SkipEmptyParts)) {
        pages.append(QStringList());
        for (const QString &line : page.split(u'\n'))
            if (!line.trimmed().isEmpty())
                pages.last() << line.simplified();
    }
    return pages;
}

class TestPrinting : public QObject {
    Q_OBJECT
    QTemporaryDir folder;
    std::unique_ptr<testing::MainWindowRun> run;

    void print(const QByteArray &text, const P &settings)
    {
        run->frm.printSettings() = settings;
        run->frm.textBox().setText(text);
        run->named("mnuPUPrint")->trigger();
    }

private Q_SLOTS:
    void init()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("poppler-utils is not installed");
        run = std::make_unique<testing::MainWindowRun>();
        run->start();
        run->sp.printers.folder = folder.path();
    }

    void dialog_data()
    {
        QTest::addColumn<P>("before");
        QTest::addColumn<QString>("typed");     // null: the copies text is left as loaded
        QTest::addColumn<QString>("clicked");   // in order; Escape is the key
        QTest::addColumn<P>("after");
        const QString same;
        QTest::newRow("unchanged") << P{true, false, 3} << same << "CmdOk" << P{true, false, 3};
        QTest::newRow("half to even") << P{true, false, 3} << "2.5" << "CmdOk" << P{true, false, 2};
        QTest::newRow("half up to even") << P{true, false, 3} << "3.5" << "CmdOk" << P{true, false, 4};
        QTest::newRow("leading number") << P{true, false, 3} << "7 копий" << "OLandscape CmdOk" << P{false, true, 7};
        QTest::newRow("no number") << P{true, false, 3} << "abc" << "CmdOk" << P{true, false, 0};
        QTest::newRow("both marks") << P{true, true, 3} << same << "CmdOk" << P{false, true, 3};
        QTest::newRow("neither mark") << P{false, false, -5} << same << "CmdOk" << P{false, false, -5};
        QTest::newRow("cancel") << P{true, false, 3} << "9" << "OLandscape CmdCancel" << P{true, false, 3};
        QTest::newRow("escape") << P{false, true, 3} << "9" << "OPortrait Escape" << P{false, true, 3};
        QTest::newRow("beyond 32 bits stays open") << P{true, false, 3} << "4294967298" << "CmdOk" << P{true, false, 3};
    }

    void dialog()
    {
        QFETCH(P, before);
        QFETCH(QString, typed);
        QFETCH(QString, clicked);
        QFETCH(P, after);
        run->frm.printSettings() = before;
        QTimer::singleShot(0, [&] {
            auto *d = qobject_cast<FrmPrintSetup *>(QApplication::activeModalWidget());
            QVERIFY(d && d->parentWidget() == &run->frm);
            const auto close = qScopeGuard([d] { d->reject(); });
            QCOMPARE(d->findChild<QRadioButton *>("OLandscape")->isChecked(), before.RET_REG_PRINTLANDSCAPE);
            QCOMPARE(d->findChild<QRadioButton *>("OPortrait")->isChecked(),
                     before.RET_REG_PRINTPORTRAIT && !before.RET_REG_PRINTLANDSCAPE);
            auto *copies = d->findChild<QLineEdit *>("TCopies");
            QCOMPARE(copies->selectedText(), QString::number(before.RET_REG_PRINTCOPIES));
            if (!typed.isNull())
                copies->setText(typed);
            for (const QString &name : clicked.split(u' ')) {
                if (name == "Escape")
                    QTest::keyClick(d, Qt::Key_Escape);
                else
                    QTest::mouseClick(d->findChild<QAbstractButton *>(name), Qt::LeftButton);
            }
            // Only a refused number keeps the dialog open, and says why.
            QCOMPARE(d->isVisible(), typed == "4294967298");
            QCOMPARE(run->sp.messages.texts(),
                     d->isVisible() ? QStringList{"Неверное значение!\r\n\r\nПроверьте правильность ввода."} : QStringList{});
        });
        run->named("mnuPrintSetup")->trigger();
        const P &now = run->frm.printSettings();
        QCOMPARE(now.RET_REG_PRINTPORTRAIT, after.RET_REG_PRINTPORTRAIT);
        QCOMPARE(now.RET_REG_PRINTLANDSCAPE, after.RET_REG_PRINTLANDSCAPE);
        QCOMPARE(now.RET_REG_PRINTCOPIES, after.RET_REG_PRINTCOPIES);
    }

    void pagesFollowTheFont_data()
    {
        QTest::addColumn<FontSpec>("font");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("portrait") << FontSpec{} << false;
        QTest::newRow("landscape, large") << FontSpec{"Liberation Serif", 20, true, true, true, true, 700, 204} << true;
    }

    void pagesFollowTheFont()
    {
        QFETCH(FontSpec, font);
        QFETCH(bool, landscape);
        run->frm.textBox().setFontSpec(font);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        // Whatever family fontconfig gives for the name: the page holds as many lines as the font
        // the editor shows allows.
        const QFont shown = run->frm.textBox().font();
        const int perPage = int(printer.pageRect(QPrinter::DevicePixel).height() / QFontMetricsF(shown, &printer).lineSpacing());
        QStringList lines;
        for (int i = 1; i <= 2 * perPage + 3; ++i)
            lines << QStringLiteral("Строка номер %1 — ёжик").arg(i);
        print(platform::Ansi::fromUnicode(lines.join("\r\n") + "\r\n\r\n"), P{true, landscape, 1});
        QVERIFY(!QGuiApplication::overrideCursor() && run->sp.messages.asked.isEmpty());
        const QString pdf = run->sp.printers.pdfPath(1);
        QCOMPARE(pagesOf(pdf), (QList<QStringList>{lines.mid(0, perPage), lines.mid(perPage, perPage), lines.mid(2 * perPage)}));
        const auto size = QRegularExpression("Page size: *([\\d.]+) x ([\\d.]+)").match(poppler("pdfinfo", {pdf}));
        QCOMPARE(size.captured(1).toDouble() > size.captured(2).toDouble(), landscape);
        // The PDF names the font as "SUBSET+FamilyWithoutSpaces-Style".
        const QString embedded = poppler("pdffonts", {pdf}).section(u'\n', 2, 2).section(u' ', 0, 0).section(u'+', -1);
        QVERIFY2(embedded.startsWith(QRawFont::fromFont(shown).familyName().remove(u' ')), qPrintable(embedded));
        QCOMPARE(embedded.contains("Bold"), font.bold);
    }

    void breaksTabsControlsAndLongLines()
    {
        const QByteArray longLine(400, '\xF8');   // "ш"
        print("\xE0\r\xE1\n\xE2\r\n\x01\xE3\x0C\x98\xE4\r\n\xE5\t\xE6\r\n" + longLine + "\r\nend", P{true, false, 1});
        const QString pdf = run->sp.printers.pdfPath(1);
        const QList<QStringList> pages = pagesOf(pdf);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0].size(), 7);
        QCOMPARE(pages[0].mid(0, 5), (QStringList{"а", "б", "в", "гд", "е ж"}));
        QCOMPARE(pages[0].at(6), QStringLiteral("end"));
        const QString cut = pages[0].at(5);   // stops at the right edge, not wrapped
        QVERIFY(cut.size() > 50 && cut.size() < longLine.size() && cut == QString(cut.size(), u'ш'));
        // The tab moves "ж" to the text box's first tab stop (every 80 of its pixels), in points.
        const QString words = poppler("pdftotext", {"-bbox", pdf, "-"});
        const auto x = [&](const QString &w) {
            return QRegularExpression("xMin=\"([\\d.]+)\"[^>]*>" + w + "<").match(words).captured(1).toDouble();
        };
        QCOMPARE(qRound((x("ж") - x("е")) * 10), qRound(80.0 * 72 / run->frm.textBox().logicalDpiX() * 10));
    }

    void refusals_data()
    {
        QTest::addColumn<P>("settings");
        QTest::addColumn<int>("printerError");
        QTest::addColumn<int>("handOverError");
        QTest::addColumn<QString>("reason");
        const QString invalid = "Возможно, параметры печати были заданы неверно.";
        const QString printer = "Возможно, принтер некорректно установлен.";
        QTest::newRow("no copies") << P{true, false, 0} << 0 << 0 << invalid;
        QTest::newRow("above the CUPS limit") << P{true, false, 10000} << 0 << 0 << invalid;
        QTest::newRow("2 in 16 bits") << P{true, false, 65538} << 0 << 0 << invalid;
        QTest::newRow("negative in 16 bits") << P{true, false, 40000} << 0 << 0 << invalid;
        QTest::newRow("no orientation") << P{false, false, 1} << 0 << 0 << invalid;
        QTest::newRow("no printer") << P{true, false, 1} << 482 << 0 << printer;
        QTest::newRow("job not taken") << P{true, false, 1} << 0 << 482 << printer;
        QTest::newRow("other failure") << P{true, false, 1} << 5 << 0 << "Произошла неизвестная ошибка: 5";
    }

    void refusals()
    {
        QFETCH(P, settings);
        QFETCH(int, printerError);
        QFETCH(int, handOverError);
        QFETCH(QString, reason);
        run->sp.printers.error = printerError;
        run->sp.printers.handOverError = handOverError;
        print("\xD2\xE5\xEA\xF1\xF2", settings);
        QCOMPARE(run->onlyMessage().text, "Не удалось вывести на печать этот документ!\r\n\r\n" + reason);
        QCOMPARE(run->onlyMessage().icon, platform::MsgIcon::Warning);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(run->frm.textBox().text(), QByteArray("\xD2\xE5\xEA\xF1\xF2"));
        QCOMPARE(run->frm.printSettings().RET_REG_PRINTCOPIES, settings.RET_REG_PRINTCOPIES);
        QCOMPARE(run->sp.printers.jobs, handOverError ? 1 : 0);   // no printer is asked for refused settings
    }

    // A printing service that stops answering freezes nothing: the event loop runs under the wait
    // cursor until the window gives up. A job given up while the printer was asked for is never
    // sent, and the next one waits for the last.
    void stalledService_data()
    {
        QTest::addColumn<Step>("step");
        QTest::newRow("asked for the printer") << Step::Asking;
        QTest::newRow("handing the job over") << Step::HandingOver;
    }

    void stalledService()
    {
        QFETCH(Step, step);
        testing::PdfPrinters &printers = run->sp.printers;
        platform::Messenger messenger(run->sp.messages, &run->frm);
        const PrintContext context{run->frm.textBox(), messenger, printers, "Документ", 200};
        run->frm.textBox().setText("\xD2\xE5\xEA\xF1\xF2");
        printers.stall(step);
        const auto answer = qScopeGuard([&] { printers.stall(Step::None); });
        std::optional<Qt::CursorShape> cursor;
        QTimer::singleShot(50, [&] { cursor = QGuiApplication::overrideCursor()->shape(); });
        Printing::PrintDocument(context, 1, Printing::Portrait);
        Printing::PrintDocument(context, 1, Printing::Portrait);
        QCOMPARE(cursor, Qt::WaitCursor);
        const QString failure =
            "Не удалось вывести на печать этот документ!\r\n\r\nВозможно, принтер некорректно установлен.";
        QCOMPARE(run->sp.messages.texts(), (QStringList{failure, failure}));

        printers.stall(Step::None);
        QTRY_VERIFY(!Printing::jobRunning());
        QCOMPARE(printers.handedOver, step == Step::HandingOver ? 1 : 0);
        Printing::PrintDocument(context, 1, Printing::Portrait);
        QCOMPARE(run->sp.messages.texts().size(), 2);
        QCOMPARE(pagesOf(printers.pdfPath(printers.jobs)), QList<QStringList>{{"Текст"}});
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
