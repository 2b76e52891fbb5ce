#pragma once
// Small string helpers shared by the document code: the short document name shown in the caption,
// the change question and the tray tooltip, and a plain replace-all on the model text.

#include <QByteArray>
#include <QString>

namespace MdlFunctions {

// The part of path after its last "/"; the whole path when it has none.
QString GetFileName(const QString &path);
// fileName without its last dot and what follows it; unchanged when it has no dot.
QString RemoveExtension(const QString &fileName);
// text cut to maxLength characters, the last three being "..." when it was cut (maxLength > 3).
QString ShortenText(const QString &text, int maxLength);

// Replaces every occurrence of find in text, scanning left to right; the scan resumes after the
// inserted replacement, so a replacement that contains find is never searched again.
// compare 0: binary; 1: case-insensitive in the program's code page.
QByteArray ReplaceAll(const QByteArray &text, const QByteArray &find, const QByteArray &replaceWith,
                      int compare = 0);

} // namespace MdlFunctions
