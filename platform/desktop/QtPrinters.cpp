#include "platform/desktop/QtPlatform.h"

#include "platform/interfaces/RuntimeError.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#if JOTBOOK_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace platform {

namespace {

#if JOTBOOK_HAVE_CUPS
// Whether the scheduler knows the destination ("queue" or "queue/instance") and lets it take
// jobs. Qt does not tell a queue that rejects jobs from one that takes them.
bool acceptsJobs(const QString &destination)
{
    const qsizetype slash = destination.indexOf(u'/');
    const QByteArray name = destination.left(slash).toLocal8Bit();
    const QByteArray instance = slash < 0 ? QByteArray() : destination.mid(slash + 1).toLocal8Bit();
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return false;
    const char *accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool accepts = !accepting || qstrcmp(accepting, "false") != 0;
    cupsFreeDests(1, dest);
    return accepts;
}
#endif

} // namespace

std::unique_ptr<QPrinter> QtPrinters::defaultPrinter(int &error)
{
    error = ErrorCode::PrinterError;
    // Without a default destination Qt would print silently to a PDF file or to the first queue.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.state() == QPrinter::Error)
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid())
        return nullptr;
#if JOTBOOK_HAVE_CUPS
    // Asked after Qt has set the printer up, so that this thread's last CUPS request is a
    // successful one until the job is sent (see handOver).
    if (!acceptsJobs(info.printerName()))
        return nullptr;
#endif
    error = 0;
    return printer;
}

int QtPrinters::handOver(QPainter &painter)
{
    auto *printer = dynamic_cast<QPrinter *>(painter.device());
    if (!painter.end() || (printer && printer->printerState() == QPrinter::Error))
        return ErrorCode::PrinterError;
#if JOTBOOK_HAVE_CUPS
    // Qt sends the job inside QPainter::end() and drops CUPS's answer (more copies than the
    // scheduler allows, a queue that stopped taking jobs meanwhile, a scheduler that went away).
    // libcups keeps the status of the thread's last request, and that request was the job's.
    const ipp_status_t status = cupsLastError();
    if (status == IPP_STATUS_ERROR_ATTRIBUTES_OR_VALUES)
        return ErrorCode::InvalidValue;
    if (status > IPP_STATUS_OK_EVENTS_COMPLETE)
        return ErrorCode::PrinterError;
#endif
    return 0;
}

} // namespace platform
