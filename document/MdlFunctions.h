#pragma once
// Small string helpers shared by the document code: the short document name shown in the caption,
// the change question and the tray tooltip.

#include <QString>

namespace MdlFunctions {

// The part of path after its last "/"; the whole path when it has none.
QString GetFileName(const QString &path);
// fileName without its last dot and what follows it; unchanged when it has no dot.
QString RemoveExtension(const QString &fileName);
// text cut to maxLength characters, the last three being "..." when it was cut (maxLength > 3).
QString ShortenText(const QString &text, int maxLength);

} // namespace MdlFunctions
