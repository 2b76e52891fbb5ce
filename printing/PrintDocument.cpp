#include "printing/PrintDocument.h"

#include "platform/Ansi.h"
#include "platform/Messenger.h"
#include "platform/Platform.h"
#include "platform/RuntimeError.h"
#include "platform/TextBox.h"
#include "printing/PrintSettings.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScopeGuard>
#include <array>
#include <cmath>
#include <new>

using platform::ErrorCode::InvalidValue;
using platform::ErrorCode::OutOfMemory;
using platform::ErrorCode::PrinterError;
using platform::RuntimeError;

namespace Printing {

namespace {

// A byte that the paper shows nothing for: the control characters of Windows-1251 (0x98 is
// unassigned and decodes to a control character). Tabs and line breaks are handled apart.
bool isControl(uchar byte)
{
    return byte < 0x20 || byte == 0x7F || byte == 0x98;
}

bool isVisible(uchar byte)
{
    return byte > 0x20 && !isControl(byte);
}

QFont printerFont(const platform::FontSpec &spec)
{
    // The character set means nothing here: Qt paints Unicode text whatever a font's set.
    QFont font(spec.name);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(spec.size);
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikethrough);
    return font;
}

// Lays the lines out on the printer's pages, one printed line per text line.
class PageWriter {
public:
    PageWriter(QPainter &painter, QPrinter &printer, const QFont &font, qreal tabDistance)
        : m_painter(painter), m_printer(printer), m_metrics(font, &printer), m_tab(tabDistance)
    {
        const QSizeF area = printer.pageRect(QPrinter::DevicePixel).size();
        m_area = QRectF(QPointF(0, 0), area);
        m_lineSpacing = m_metrics.lineSpacing();
        // A font taller than the page still gets one line on each page.
        m_linesPerPage = qMax(1, int(std::floor(area.height() / m_lineSpacing)));
        for (int b = 0; b < 256; ++b)
            m_advance[b] = m_metrics.horizontalAdvance(platform::Ansi::toUnicode(uchar(b)));
        painter.setFont(font);
        startPage();
    }

    void writeLine(const uchar *begin, const uchar *end)
    {
        if (m_line == m_linesPerPage) {
            if (!m_printer.newPage())
                throw RuntimeError(PrinterError);
            m_line = 0;
            startPage();
        }
        const qreal baseline = m_line * m_lineSpacing + m_metrics.ascent();
        ++m_line;

        // x runs ahead with the characters' own widths only to see where the page ends; each
        // piece between tabs is placed where Qt lays it out.
        qreal start = 0, x = 0;
        for (const uchar *p = begin; p < end; ++p) {
            if (*p == '\t') {
                x = start + flush(start, baseline);
                x = (std::floor(x / m_tab) + 1) * m_tab;   // the next tab stop to the right
                start = x;
            } else if (x >= m_area.width()) {
                break;   // this character would start beyond the right edge: cut here
            } else if (!isControl(*p)) {
                m_piece.append(platform::Ansi::toUnicode(*p));
                x += m_advance[*p];
            }
        }
        flush(start, baseline);
    }

private:
    void startPage()
    {
        // A line longer than the page shows up to the right edge, part of its last character included.
        m_painter.setClipRect(m_area);
    }

    // Paints the collected piece at x and returns its width.
    qreal flush(qreal x, qreal baseline)
    {
        if (m_piece.isEmpty())
            return 0;
        m_painter.drawText(QPointF(x, baseline), m_piece);
        const qreal width = m_metrics.horizontalAdvance(m_piece);
        m_piece.clear();
        return width;
    }

    QPainter &m_painter;
    QPrinter &m_printer;
    QFontMetricsF m_metrics;
    qreal m_tab;
    QRectF m_area;
    qreal m_lineSpacing = 1;
    int m_linesPerPage = 1;
    int m_line = 0;
    std::array<qreal, 256> m_advance{};
    QString m_piece;
};

// Paints the text line by line. Blank lines after the last visible character would only add
// empty pages, so they are left out.
void writeText(PageWriter &writer, const QByteArray &text)
{
    const auto *data = reinterpret_cast<const uchar *>(text.constData());
    const qsizetype size = text.size();
    qsizetype last = size - 1;
    while (last >= 0 && !isVisible(data[last]))
        --last;
    qsizetype pos = 0;
    while (pos <= last) {
        qsizetype end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        writer.writeLine(data + pos, data + end);
        pos = end + (end + 1 < size && data[end] == '\r' && data[end + 1] == '\n' ? 2 : 1);
    }
}

void printJob(const PrintContext &ctx, qint32 copies, Orientation orientation)
{
    // Checked before the printer is asked: Qt takes any number and orientation, and CUPS drops
    // the job later without a word.
    if (copies < 1 || copies > MaxCopies)
        throw RuntimeError(InvalidValue);
    if (orientation != Portrait && orientation != Landscape)
        throw RuntimeError(InvalidValue);

    int error = 0;
    const std::unique_ptr<QPrinter> printer = ctx.printers.defaultPrinter(error);
    if (!printer)
        throw RuntimeError(error ? error : PrinterError);
    printer->setCopyCount(copies);
    printer->setPageOrientation(orientation == Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer->setDocName(ctx.documentName);
    printer->setCreator(QStringLiteral("Jotbook"));

    // Tabs stop where the text box puts them: every 80 of its pixels, Qt's own distance.
    constexpr qreal TextBoxTabStop = 80;
    const qreal tabDistance = TextBoxTabStop * printer->logicalDpiX() / ctx.box.logicalDpiX();
    const QByteArray text = ctx.box.text();

    QPainter painter;
    if (!painter.begin(printer.get()))
        throw RuntimeError(PrinterError);
    PageWriter writer(painter, *printer, printerFont(ctx.box.fontSpec()), tabDistance);
    writeText(writer, text);
    if (const int handOverError = ctx.printers.handOver(painter))
        throw RuntimeError(handOverError);
}

void report(platform::Messenger &messages, int code)
{
    QString reason;
    switch (code) {
    case InvalidValue:
        reason = QStringLiteral("Возможно, параметры печати были заданы неверно.");
        break;
    case PrinterError:
        reason = QStringLiteral("Возможно, принтер некорректно установлен.");
        break;
    default:
        reason = QStringLiteral("Произошла неизвестная ошибка: ") + QString::number(code);
    }
    messages.msgBox(QStringLiteral("Не удалось вывести на печать этот документ!\r\n\r\n") + reason,
                    platform::MsgButtons::Ok, platform::MsgIcon::Warning);
}

} // namespace

Orientation orientationOf(const PrintSettings &settings)
{
    Orientation orientation = NoOrientation;
    if (settings.RET_REG_PRINTPORTRAIT)
        orientation = Portrait;
    if (settings.RET_REG_PRINTLANDSCAPE)
        orientation = Landscape;
    return orientation;
}

void PrintDocument(const PrintContext &context, qint32 copies, Orientation orientation)
{
    int error = 0;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        try {
            printJob(context, copies, orientation);
        } catch (const RuntimeError &e) {
            error = e.code;
        } catch (const std::bad_alloc &) {
            error = OutOfMemory;
        }
    }
    if (error)
        report(context.messages, error);
}

} // namespace Printing
