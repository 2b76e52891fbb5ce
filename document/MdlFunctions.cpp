#include "document/MdlFunctions.h"

#include "platform/textmodel/Ansi.h"

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

QByteArray ReplaceAll(const QByteArray &text, const QByteArray &find, const QByteArray &replaceWith, int compare)
{
    if (text.isEmpty() || find.isEmpty())
        return text;

    // The search runs on upper-cased copies for a text comparison; the pieces copied to the
    // result always come from the original text. Resuming after the replacement in the rebuilt
    // text is the same as resuming after the match in the original one.
    const bool ignoreCase = compare == 1;
    const QByteArray haystack = ignoreCase ? platform::Ansi::toUpper(text) : text;
    const QByteArray needle = ignoreCase ? platform::Ansi::toUpper(find) : find;

    qsizetype found = haystack.indexOf(needle);
    if (found < 0)
        return text;

    QByteArray result;
    result.reserve(text.size());
    qsizetype from = 0;
    while (found >= 0) {
        result.append(text.constData() + from, found - from);
        result.append(replaceWith);
        from = found + find.size();
        found = haystack.indexOf(needle, from);
    }
    result.append(text.constData() + from, text.size() - from);
    return result;
}

} // namespace MdlFunctions
