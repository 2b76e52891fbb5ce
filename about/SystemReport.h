#pragma once
// The system report that ".SYS" documents and the "/S" key append: the program, the system, its
// folders, the physical memory, the resource figures and the time, twenty lines in four groups.

#include <QDateTime>
#include <QString>
#include <QVersionNumber>

namespace platform {
class SystemFacts;
class TextBox;
} // namespace platform

namespace SystemReport {

// The lines joined by CR LF, with no break after the last. A fact the system cannot give leaves
// its value empty (the resource figures 0). now is read once by the caller: the time and the date
// come from the same moment.
QString BuildSystemReport(const platform::SystemFacts &facts, const QDateTime &now, const QVersionNumber &version);

// Replaces the selection, or inserts at the caret when nothing is selected, as one undo step; the
// caret ends after the report.
void InsertSystemReport(platform::TextBox &box, const QString &report);

} // namespace SystemReport
