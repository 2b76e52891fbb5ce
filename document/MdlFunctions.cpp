#include "document/MdlFunctions.h"

namespace MdlFunctions {

QString GetFileName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString RemoveExtension(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

QString ShortenText(const QString &text, int maxLength)
{
    if (text.size() <= maxLength)
        return text;
    return text.left(maxLength - 3) + QStringLiteral("...");
}

} // namespace MdlFunctions
