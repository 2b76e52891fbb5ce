#include "document/CommandLine.h"

#include "platform/Ansi.h"

namespace CommandLine {

std::optional<QString> Strip(const QString &commandLine)
{
    if (commandLine.isEmpty())
        return std::nullopt;
    if (!commandLine.contains(QLatin1Char('"')))
        return commandLine;
    // The whole line is taken to be one quoted path. A lone quote leaves nothing.
    if (commandLine.size() < 2)
        return std::nullopt;
    return commandLine.mid(1, commandLine.size() - 2);
}

Parsed Parse(const QString &strText)
{
    static const struct {
        const char *suffix;
        Key key;
    } keys[] = {
        {" /P", Key::Print},       {" /A", Key::NoSizeCheck}, {" /D", Key::OpenAsData},
        {" /T", Key::NoDataCheck}, {" /L", Key::LogStamp},    {" /S", Key::SystemStamp},
    };
    const QString last = strText.right(3).toUpper();
    for (const auto &k : keys) {
        if (last == QLatin1String(k.suffix))
            return {strText.left(strText.size() - 3), k.key};
    }
    return {strText, Key::None};
}

Marker TextMarker(QByteArrayView textStart)
{
    const QByteArray head = platform::Ansi::toUpper(textStart.first(qMin<qsizetype>(4, textStart.size())).toByteArray());
    if (head == ".LOG" && textStart.size() <= LogLimit)
        return Marker::Log;
    if (head == ".SYS")
        return Marker::System;
    return Marker::None;
}

} // namespace CommandLine
