#include "platform/interfaces/LocaleTime.h"

#include <QLocale>

namespace platform {

QString timeSeparator()
{
    const QString format = QLocale().timeFormat(QLocale::ShortFormat);
    qsizetype i = format.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    if (i < 0)
        return QStringLiteral(":");
    while (i < format.size() && (format[i] == QLatin1Char('h') || format[i] == QLatin1Char('H')))
        ++i;
    const qsizetype end = format.indexOf(QLatin1Char('m'), i);
    QString separator = format.mid(i, end < 0 ? 0 : end - i);
    separator.remove(QLatin1Char('\''));
    return separator.isEmpty() ? QStringLiteral(":") : separator;
}

} // namespace platform
