#pragma once
// Printing the document: the whole text of the text box on the default printer, at once, in the
// editor's font, with the chosen orientation and number of copies. One printed line per line of
// the text (CR LF, a lone CR and a lone LF each end one), from the top of the printable area; a
// new page when the next line no longer fits; lines longer than the page are cut at its right
// edge, never wrapped. Failures are reported to the user and leave everything as it was.

#include <QString>
#include <QtGlobal>

struct PrintSettings;
namespace platform {
class Messenger;
class Printers;
class TextBox;
}

namespace Printing {
// How long the printing service may take to answer one request, in ms.
constexpr int AnswerTimeout = 10000;
}

struct PrintContext {
    const platform::TextBox &box;
    platform::Messenger &messages;
    platform::Printers &printers;
    QString documentName;   // the job's name in the printing system
    int answerTimeout = Printing::AnswerTimeout;
};

namespace Printing {

enum Orientation : int { NoOrientation = 0, Portrait = 1, Landscape = 2 };

// The most copies one job may ask for: CUPS drops a job that asks for more.
constexpr qint32 MaxCopies = 9999;

// Landscape when its mark is set (whatever the portrait mark), portrait when only that mark is
// set, and no orientation when neither is.
Orientation orientationOf(const PrintSettings &settings);

// Prints the text box's current text. Copies outside 1..MaxCopies and no orientation are refused
// as invalid settings (380); a missing or unusable printer is 482, and so is a printing service
// that has not answered a request within the context's answerTimeout. The job runs on a thread of
// its own, one at a time; meanwhile the wait cursor shows, the windows repaint and the user's
// input waits. Returns when the job is handed over or has failed; a job given up while the
// printer was being asked for is never sent.
void PrintDocument(const PrintContext &context, qint32 copies, Orientation orientation);

// True while the last job's thread still waits for the printing service.
bool jobRunning();

} // namespace Printing
