#pragma once
// Small helpers behind the About window and the system report.

#include <QString>
#include <QtGlobal>

namespace MdlOther {

// The path ending in exactly one "/" (one is added unless it ends in one already).
QString AddBackslash(const QString &path);

// A byte count in the pattern "### ### ##0": groups of three digits from the right separated by one
// space, every further leading digit kept in the first group (1234567890 gives "1234 567 890").
QString FormatMemory(quint64 value);

} // namespace MdlOther
