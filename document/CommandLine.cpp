#include "document/CommandLine.h"

#include "platform/textmodel/Ansi.h"

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


Request InfoRequest(const QString &commandLine, const std::function<bool(const QString &)> &exists)
{
    Request request = Request::Window;
    if (commandLine == QLatin1String("--help"))
        request = Request::Usage;
    else if (commandLine == QLatin1String("--version"))
        request = Request::Version;
    if (request != Request::Window && exists(commandLine))
        return Request::Window;
    return request;
}

QString Usage()
{
    return QStringLiteral(
        "Использование: jotbook [ФАЙЛ [/P|/A|/D|/T|/L|/S]]\n"
        "Текстовый редактор Jotbook: открывает ФАЙЛ (путь с пробелами можно не заключать в кавычки).\n"
        "\n"
        "Ключ ставится в конце строки через пробел, буква в любом регистре:\n"
        "  /P  открыть файл и напечатать документ\n"
        "  /A  открыть файл без проверки размера\n"
        "  /D  открыть файл как данные, без поиска управляющих символов\n"
        "  /T  открыть файл без проверки данных\n"
        "  /L  открыть файл и добавить пустую строку, время и дату\n"
        "  /S  открыть файл и добавить пустую строку и сведения о системе\n"
        "\n"
        "Текст, который начинается с «.LOG» (в любом регистре) и занимает не более 55000 символов,\n"
        "при каждом открытии получает пустую строку, время и дату; текст, который начинается\n"
        "с «.SYS», получает сведения о системе. Ключи /L и /S и эти метки действуют, пока\n"
        "включена «Обработка ключей».\n"
        "\n"
        "  --help     показать эту справку и выйти\n"
        "  --version  показать версию и выйти\n"
        "\n"
        "Подробнее: man jotbook.\n");
}

} // namespace CommandLine
