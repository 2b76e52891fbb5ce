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
        char letter;
        Key key;
    } keys[] = {
        {'P', Key::Print},       {'A', Key::NoSizeCheck}, {'D', Key::OpenAsData},
        {'T', Key::NoDataCheck}, {'L', Key::LogStamp},    {'S', Key::SystemStamp},
    };
    // The key's letter is a Latin one in either case; Unicode case mapping would also make other
    // letters into one (the long s into "S").
    const QString last = strText.right(3);
    if (last.size() == 3 && last.startsWith(QLatin1String(" /")) && last.at(2).unicode() < 0x80) {
        const char letter = char(last.at(2).toUpper().unicode());
        for (const auto &k : keys) {
            if (letter == k.letter)
                return {strText.left(strText.size() - 3), k.key};
        }
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
