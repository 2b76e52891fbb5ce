#include "about/MdlOther.h"

namespace MdlOther {

QString AddBackslash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString FormatMemory(quint64 value)
{
    // The pattern has three groups; digits beyond nine stay in the first one.
    QString digits = QString::number(value);
    for (qsizetype at = digits.size() - 3, groups = 1; at > 0 && groups < 3; at -= 3, ++groups)
        digits.insert(at, QLatin1Char(' '));
    return digits;
}

} // namespace MdlOther
