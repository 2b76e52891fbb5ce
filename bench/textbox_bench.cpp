// The text box alone, in process, on a large document: loading, typing at the end and in the
// middle, Shift+arrow with everything selected, select all + delete + undo, reading the whole
// text after an edit (what saving and Find do), and a document that is one long line. Each step
// is timed over many repetitions, with the window shown and every paint done, so the figures
// include laying out and painting.
//
//   bench_textbox FILE [LONG_LINE_MB]     (QT_QPA_PLATFORM=offscreen or an X display)
#include "platform/textview/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

QTextStream out(stdout);

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

double peakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void key(QWidget *target, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, code, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, modifiers, text);
    QApplication::sendEvent(target, &release);
}

// CPU milliseconds per repetition of step, each followed by its paint.
double perStep(int repetitions, const std::function<void()> &step)
{
    settle();
    const double before = cpuMs();
    for (int i = 0; i < repetitions; ++i) {
        step();
        settle();
    }
    return (cpuMs() - before) / repetitions;
}

void report(const QString &what, double ms, const QString &target = {})
{
    out << qSetFieldWidth(52) << Qt::left << what << qSetFieldWidth(0) << QString::number(ms, 'f', ms < 1 ? 3 : 1)
        << " ms" << (target.isEmpty() ? QString() : QStringLiteral("   (target ") + target + QLatin1Char(')')) << "\n";
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        out << "usage: bench_textbox FILE [LONG_LINE_MB]\n";
        return 2;
    }
    QFile file(args.at(1));
    if (!file.open(QIODevice::ReadOnly)) {
        out << "cannot read " << args.at(1) << "\n";
        return 2;
    }
    QByteArray text = file.readAll();
    file.close();
    const double longLineMb = args.size() > 2 ? args.at(2).toDouble() : 10;
    // Keys typed in one place: about the length of the document's lines.
    const int keys = 100;

    platform::TextBox box;
    box.resize(800, 600);
    box.show();
    box.setFocus();
    settle();
    const double emptyMb = residentMb();
    out << "document: " << args.at(1) << ", " << text.size() << " bytes; resident with an empty box "
        << QString::number(emptyMb, 'f', 1) << " MB\n";

    QElapsedTimer t;
    t.start();
    const double cpu0 = cpuMs();
    box.setText(text);
    settle();
    report(QStringLiteral("open: setText and first paint (wall)"), t.nsecsElapsed() / 1e6);
    report(QStringLiteral("open: CPU"), cpuMs() - cpu0);
    out << "resident after opening: " << QString::number(residentMb() - emptyMb, 'f', 1) << " MB more than empty\n";

    double before = residentMb();
    box.setSel(box.textLength(), -1);
    report(QStringLiteral("typing at the end, CPU per key"),
           perStep(keys, [&] { key(&box, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")); }), QStringLiteral("0.3 ms"));
    box.setSel(box.textLength() / 2, box.textLength() / 2);
    box.scrollCaret();
    report(QStringLiteral("typing in the middle, CPU per key"),
           perStep(keys, [&] { key(&box, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")); }), QStringLiteral("0.3 ms"));
    out << "resident growth over the keys: " << QString::number(residentMb() - before, 'f', 1) << " MB\n";

    box.selectAll();
    report(QStringLiteral("Shift+Left with all selected, CPU per key"),
           perStep(500, [&] { key(&box, Qt::Key_Left, Qt::ShiftModifier); }), QStringLiteral("1 ms"));

    report(QStringLiteral("select all + delete + undo"), perStep(5, [&] {
               box.selectAll();
               box.clearSel();
               box.undoEdit();
           }), QStringLiteral("50 ms"));
    box.setSel(box.textLength() / 3, box.textLength() / 3);

    report(QStringLiteral("whole text after a one-key edit"), perStep(5, [&] {
               key(&box, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
               (void)box.text();
           }));

    report(QStringLiteral("scrolling a page down, CPU per page"),
           perStep(200, [&] { key(&box, Qt::Key_PageDown); }));

    // One line of many megabytes.
    text = QByteArray();
    box.setText(QByteArray());
    QByteArray line;
    const QByteArray words = "lorem ipsum dolor sit amet, consectetur adipiscing elit ";
    line.reserve(qsizetype(longLineMb * 1024 * 1024) + words.size());
    while (line.size() < longLineMb * 1024 * 1024)
        line += words;
    settle();
    t.start();
    box.setText(line);
    settle();
    report(QStringLiteral("one line of %1 MB: open (wall)").arg(longLineMb), t.nsecsElapsed() / 1e6, QStringLiteral("1000 ms"));
    box.setSel(0, 0);
    report(QStringLiteral("  typing at its start, CPU per key"),
           perStep(200, [&] { key(&box, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")); }));
    report(QStringLiteral("  page down, CPU per page"), perStep(200, [&] { key(&box, Qt::Key_PageDown); }));
    box.setSel(box.textLength(), -1);
    box.scrollCaret();
    report(QStringLiteral("  typing at its end, CPU per key"),
           perStep(200, [&] { key(&box, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")); }));
    QScrollBar *bar = box.verticalScrollBar();
    bar->setSliderPosition(0);
    report(QStringLiteral("  dragging the scroll bar, CPU per move"), perStep(200, [&] {
               bar->setSliderPosition(bar->sliderPosition() + bar->maximum() / 400);
           }));
    out << "process peak resident: " << QString::number(peakMb(), 'f', 1) << " MB\n";
    return 0;
}
