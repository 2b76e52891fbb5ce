#include "printing/PrintDocument.h"

#include "platform/interfaces/Platform.h"
#include "platform/interfaces/RuntimeError.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/Messenger.h"
#include "printing/PrintSettings.h"

#include <QEventLoop>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <array>
#include <cmath>
#include <memory>
#include <mutex>
#include <new>
#include <optional>

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

// What a print job needs, taken from the window before the job starts.
struct JobInput {
    platform::Printers &printers;
    QByteArray text;
    platform::FontSpec font;
    qreal boxDpiX;
    QString documentName;
    qint32 copies;
    Orientation orientation;
};

// A print job runs on a thread of its own: the printing service is asked, the pages are painted
// and the job is handed over there, all on one thread (libcups keeps each thread's last answer).
// The window waits for it and goes on repainting, but gives up on a step in which the service has
// not answered in time; a job given up while the service was being asked is never sent.
class Job {
public:
    enum class Step { Asking, Painting, HandingOver, Done };

    Step step() const
    {
        const std::lock_guard lock(m_mutex);
        return m_step;
    }
    int error() const
    {
        const std::lock_guard lock(m_mutex);
        return m_error;
    }

    // The job's thread goes on to the step; false when the window has given the job up.
    bool advance(Step step, int error = 0)
    {
        const std::lock_guard lock(m_mutex);
        if (m_givenUp && step != Step::Done)
            return false;
        m_step = step;
        m_error = error;
        if (m_waiter)
            QMetaObject::invokeMethod(m_waiter, &QEventLoop::quit, Qt::QueuedConnection);
        return true;
    }

    // The window gives up on the job, unless it is painting (the program's own work, not the
    // service's) or done; true when it gave up.
    bool giveUp()
    {
        const std::lock_guard lock(m_mutex);
        m_givenUp = m_step == Step::Asking || m_step == Step::HandingOver;
        return m_givenUp;
    }

    // Runs the event loop (painting and timers; the user's input waits) until the job is done, or
    // until the service has not answered for timeout ms in one step; true when it is done.
    bool wait(int timeout)
    {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        bool late = false;
        QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
            late = true;
            loop.quit();
        });
        setWaiter(&loop);
        const auto detach = qScopeGuard([this] { setWaiter(nullptr); });
        std::optional<Step> timed;
        for (;;) {
            const Step now = step();
            if (now == Step::Done)
                return true;
            if (late)
                return false;
            if (now != timed) {   // each step has the whole time
                timed = now;
                if (now == Step::Painting)
                    deadline.stop();
                else
                    deadline.start(timeout);
            }
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
    }

private:
    void setWaiter(QEventLoop *loop)
    {
        const std::lock_guard lock(m_mutex);
        m_waiter = loop;
    }

    mutable std::mutex m_mutex;
    Step m_step = Step::Asking;
    int m_error = 0;
    bool m_givenUp = false;
    QEventLoop *m_waiter = nullptr;
};

// The last job started; only the window's thread touches it.
std::shared_ptr<Job> lastJob;

// On the job's thread.
void printJob(Job &job, const JobInput &in)
{
    int error = 0;
    const std::unique_ptr<QPrinter> printer = in.printers.defaultPrinter(error);
    if (!job.advance(Job::Step::Painting))
        return;   // given up: nothing is sent
    if (!printer)
        throw RuntimeError(error ? error : PrinterError);
    printer->setCopyCount(in.copies);
    printer->setPageOrientation(in.orientation == Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer->setDocName(in.documentName);
    printer->setCreator(QStringLiteral("Jotbook"));

    // Tabs stop where the text box puts them: every 80 of its pixels, Qt's own distance.
    constexpr qreal TextBoxTabStop = 80;
    const qreal tabDistance = TextBoxTabStop * printer->logicalDpiX() / in.boxDpiX;

    QPainter painter;
    if (!painter.begin(printer.get()))
        throw RuntimeError(PrinterError);
    PageWriter writer(painter, *printer, printerFont(in.font), tabDistance);
    writeText(writer, in.text);
    if (!job.advance(Job::Step::HandingOver))
        return;
    if (const int handOverError = in.printers.handOver(painter))
        throw RuntimeError(handOverError);
}

void runJob(Job &job, const JobInput &in)
{
    int error = 0;
    try {
        printJob(job, in);
    } catch (const RuntimeError &e) {
        error = e.code;
    } catch (const std::bad_alloc &) {
        error = OutOfMemory;
    } catch (...) {
        error = PrinterError;
    }
    job.advance(Job::Step::Done, error);
}

// The window's side: starts the job and waits for it; 0 when it was handed over.
int print(const PrintContext &ctx, qint32 copies, Orientation orientation)
{
    // Checked before the printer is asked: Qt takes any number and orientation, and CUPS drops
    // the job later without a word.
    if (copies < 1 || copies > MaxCopies || (orientation != Portrait && orientation != Landscape))
        return InvalidValue;
    // One job at a time: one given up before may still wait for the service.
    if (lastJob && !lastJob->wait(ctx.answerTimeout))
        return PrinterError;
    const auto job = std::make_shared<Job>();
    lastJob = job;
    QThread *thread = QThread::create(
        [job, in = JobInput{ctx.printers, ctx.box.text(), ctx.box.fontSpec(), qreal(ctx.box.logicalDpiX()),
                            ctx.documentName, copies, orientation}] { runJob(*job, in); });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    while (!job->wait(ctx.answerTimeout)) {
        if (job->giveUp())
            return PrinterError;
    }
    return job->error();
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
            error = print(context, copies, orientation);
        } catch (const std::bad_alloc &) {
            error = OutOfMemory;
        }
    }
    if (error)
        report(context.messages, error);
}

bool jobRunning()
{
    return lastJob && lastJob->step() != Job::Step::Done;
}

} // namespace Printing
