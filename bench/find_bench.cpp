// Times one press of Find on a 20 MB document whose only hit is near the end: from the top and
// from a caret near the end, after an edit
// (the text is read anew) and repeated on the unchanged text, with and without match case.
#include "editing/TextSearch.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace {

QByteArray makeDocument(qsizetype size)
{
    const QByteArray line = platform::Ansi::fromUnicode(
        QStringLiteral("Съешь же ещё этих мягких французских булок, да выпей чаю. The quick brown fox.\r\n"));
    QByteArray text;
    text.reserve(size + line.size());
    while (text.size() < size)
        text += line;
    return text;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

TextSearch::BoxSearch searcher;   // shared by the presses, as the Find and Replace dialogs share it

// What one press of the Find button does: search from the 1-based start, select the hit, show it.
double press(platform::TextBox &box, const QByteArray &pattern, bool matchCase, qint64 from = 1)
{
    QElapsedTimer t;
    t.start();
    const qint64 p = searcher.find(box, pattern, from, matchCase);
    if (p == 0)
        qFatal("pattern not found");
    box.setSel(int(p - 1), int(p - 1 + pattern.size()));
    box.scrollCaret();
    return t.nsecsElapsed() / 1e6;
}

// What one press of the Replace button does: search, replace the hit, select the inserted text.
double replacePress(platform::TextBox &box, const QByteArray &pattern, const QByteArray &replacement, bool matchCase)
{
    QElapsedTimer t;
    t.start();
    const qint64 p = searcher.find(box, pattern, 1, matchCase);
    if (p == 0)
        qFatal("pattern not found");
    searcher.replaceHit(box, p, pattern, replacement);
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    constexpr int runs = 7;

    platform::TextBox box;
    box.resize(800, 600);
    box.show();
    QByteArray text = makeDocument(20 << 20);
    const QByteArray word = platform::Ansi::fromUnicode(QStringLiteral("Незабудка"));
    text.insert(text.size() - 200, word);
    box.setText(text);
    QApplication::processEvents();
    out << "document: " << box.textLength() << " characters\n";

    std::vector<double> read;
    for (int i = 0; i < runs; ++i) {
        box.setSel(0, 0);
        box.replaceSel("x", true);
        box.undoEdit();
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        const QByteArray copy = box.text();
        read.push_back(t.nsecsElapsed() / 1e6);
    }
    out << QStringLiteral("TextBox::text() after an edit: median %1 ms\n").arg(median(read), 0, 'f', 1);

    for (bool matchCase : {true, false}) {
        const QByteArray pattern = matchCase ? word : platform::Ansi::fromUnicode(QStringLiteral("незабудка"));
        std::vector<double> fresh, cached, nearEnd;
        for (int i = 0; i < runs; ++i) {
            // An edit at the start changes the revision, so the next press reads the text anew.
            box.setSel(0, 0);
            box.replaceSel(i % 2 ? QByteArray("") : QByteArray("x"), true);
            box.setSel(0, 1);
            box.replaceSel("", true);
            QApplication::processEvents();
            fresh.push_back(press(box, pattern, matchCase));
            QApplication::processEvents();
            cached.push_back(press(box, pattern, matchCase));
            QApplication::processEvents();
            // The same after an edit, with the caret 100 000 characters before the hit: only the
            // rest of the document is read.
            box.setSel(0, 0);
            box.replaceSel("x", true);
            box.setSel(0, 1);
            box.replaceSel("", true);
            QApplication::processEvents();
            nearEnd.push_back(press(box, pattern, matchCase, box.textLength() - 100000));
            QApplication::processEvents();
        }
        out << QStringLiteral("match case %1: after an edit median %2 ms (min %3, max %4); repeated median %5 ms (min %6, max %7)\n")
                   .arg(matchCase ? QStringLiteral("on ") : QStringLiteral("off"))
                   .arg(median(fresh), 0, 'f', 1)
                   .arg(*std::min_element(fresh.begin(), fresh.end()), 0, 'f', 1)
                   .arg(*std::max_element(fresh.begin(), fresh.end()), 0, 'f', 1)
                   .arg(median(cached), 0, 'f', 1)
                   .arg(*std::min_element(cached.begin(), cached.end()), 0, 'f', 1)
                   .arg(*std::max_element(cached.begin(), cached.end()), 0, 'f', 1);
        out << QStringLiteral("match case %1: after an edit, caret near the end: median %2 ms (min %3, max %4)\n")
                   .arg(matchCase ? QStringLiteral("on ") : QStringLiteral("off"))
                   .arg(median(nearEnd), 0, 'f', 1)
                   .arg(*std::min_element(nearEnd.begin(), nearEnd.end()), 0, 'f', 1)
                   .arg(*std::max_element(nearEnd.begin(), nearEnd.end()), 0, 'f', 1);
    }

    // Consecutive Replace presses: each edits the document, the next searches the edited text.
    for (bool matchCase : {true, false}) {
        const QByteArray lower = platform::Ansi::fromUnicode(QStringLiteral("незабудка"));
        std::vector<double> times;
        press(box, word, false);   // bring the cache up to date
        for (int i = 0; i < runs; ++i) {
            const bool even = i % 2 == 0;
            // Swap the word's case back and forth so there is always exactly one hit near the end.
            times.push_back(replacePress(box, even ? word : lower, even ? lower : word, matchCase));
            QApplication::processEvents();
        }
        out << QStringLiteral("replace, match case %1: median %2 ms (min %3, max %4)\n")
                   .arg(matchCase ? QStringLiteral("on ") : QStringLiteral("off"))
                   .arg(median(times), 0, 'f', 1)
                   .arg(*std::min_element(times.begin(), times.end()), 0, 'f', 1)
                   .arg(*std::max_element(times.begin(), times.end()), 0, 'f', 1);
    }
    return 0;
}
