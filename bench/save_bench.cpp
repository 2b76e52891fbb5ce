// Opens a large document in the main window and saves it under a new name, in process: the time
// of OpenTextFile, of the events it leaves (the first paint of the laid-out text), and of
// SaveTextFile, once as loaded and once after a one-character edit (the text box then builds the
// text anew); several runs, medians, and the process's peak resident memory.
//
//   bench_save FILE [RUNS]      (QT_QPA_PLATFORM=offscreen or an X display)
#include "app/FrmMain.h"
#include "platform/textview/TextBox.h"
#include "tests/support/ScriptedPlatform.h"

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <sys/resource.h>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Handles every pending event, the posted ones of the handled events included.
void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

double msSince(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        out << "usage: bench_save FILE [RUNS]\n";
        return 2;
    }
    const QString source = args.at(1);
    const int runs = args.size() > 2 ? args.at(2).toInt() : 5;
    QFile original(source);
    if (!original.open(QIODevice::ReadOnly)) {
        out << "cannot read " << source << "\n";
        return 2;
    }
    const qint64 size = original.size();
    // The saved files are checked against digests, so the bench holds no copy of the text.
    QCryptographicHash digest(QCryptographicHash::Sha1), editedDigestHash(QCryptographicHash::Sha1);
    digest.addData(&original);
    original.seek(0);
    editedDigestHash.addData(&original);
    editedDigestHash.addData("!");
    original.close();
    const QByteArray sourceDigest = digest.result();
    const QByteArray editedDigest = editedDigestHash.result();

    QTemporaryDir dir;
    testing::ScriptedPlatform sp;
    platform::Platform pf = sp.platform();
    FrmMain frm(pf);
    if (!frm.Form_Load(QString()))
        return 1;
    frm.mainActions().mnuCheckLen->setChecked(false);
    frm.show();
    settle();
    out << "document: " << source << ", " << size << " bytes; peak RSS with an empty window "
        << QString::number(peakRssMb(), 'f', 1) << " MB\n";

    // Saves under a new name, checks the file's digest and removes it; returns the time.
    int saves = 0;
    const auto timedSave = [&](const QByteArray &expectedDigest) {
        const QString target = dir.filePath(QStringLiteral("saved-%1.txt").arg(++saves));
        QElapsedTimer t;
        t.start();
        if (!frm.SaveTextFile(target, true))
            qFatal("saving failed");
        const double ms = msSince(t);
        settle();
        QFile written(target);
        QCryptographicHash hash(QCryptographicHash::Sha1);
        if (!written.open(QIODevice::ReadOnly) || !hash.addData(&written) || hash.result() != expectedDigest)
            qFatal("the saved file differs from the text");
        QFile::remove(target);
        return ms;
    };
    std::vector<double> openCall, openIdle, save, saveEdited;
    for (int run = 1; run <= runs; ++run) {
        QElapsedTimer t;
        t.start();
        if (!frm.OpenTextFile(source, false, false))
            qFatal("opening failed");
        const double call = msSince(t);
        settle();
        const double idle = msSince(t);
        const double peakAfterOpen = peakRssMb();

        const double saved = timedSave(sourceDigest);
        frm.textBox().setSel(frm.textBox().textLength(), -1);
        frm.textBox().replaceSel("!");
        const double savedEdited = timedSave(editedDigest);

        openCall.push_back(call);
        openIdle.push_back(idle);
        save.push_back(saved);
        saveEdited.push_back(savedEdited);
        out << "run " << run << ": open " << QString::number(call, 'f', 1) << " ms (with its events "
            << QString::number(idle, 'f', 1) << " ms), peak RSS " << QString::number(peakAfterOpen, 'f', 1)
            << " MB; save " << QString::number(saved, 'f', 1) << " ms, after an edit "
            << QString::number(savedEdited, 'f', 1) << " ms\n";
        out.flush();
    }
    out << "median: open " << QString::number(median(openCall), 'f', 1) << " ms, open with its events "
        << QString::number(median(openIdle), 'f', 1) << " ms, save " << QString::number(median(save), 'f', 1)
        << " ms, save after an edit " << QString::number(median(saveEdited), 'f', 1) << " ms; process peak RSS " << QString::number(peakRssMb(), 'f', 1) << " MB\n";
    if (!sp.messages.asked.isEmpty())
        out << "messages shown: " << sp.messages.texts().join(QStringLiteral(" | ")) << "\n";
    return 0;
}
