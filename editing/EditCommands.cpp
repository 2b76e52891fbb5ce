#include "editing/Editing.h"

#include "platform/Ansi.h"
#include "platform/TextBox.h"

#include <QLocale>

namespace EditCommands {

namespace {

// The text between the hours and the minutes of the locale's short time format, e.g. ":" for
// "HH:mm"; ":" when the format has none.
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

} // namespace

void ChangeCase(platform::TextBox &box, bool toUpper)
{
    const int start = box.selStart();
    const int length = box.selLength();
    if (length <= 0)
        return;
    const QByteArray selected = box.selectedText();
    box.replaceSel(toUpper ? platform::Ansi::toUpper(selected) : platform::Ansi::toLower(selected), true);
    box.setSel(start, start + length);
}

void InsertTimeDate(platform::TextBox &box, const QDateTime &now)
{
    const int start = box.selStart();
    box.setSel(start, start + box.selLength());
    const QString stamp = now.toString(QStringLiteral("hh")) + timeSeparator() + now.toString(QStringLiteral("mm"))
        + QLatin1Char(' ') + now.toString(QStringLiteral("dd.MM.yyyy"));
    box.replaceSel(platform::Ansi::fromUnicode(stamp), true);
}

} // namespace EditCommands
