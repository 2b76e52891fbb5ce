// The command line and the text markers, from any text.
//   - a key is only ever the last three characters, and the name is the rest of the line;
//   - the quote rule takes exactly the first and last characters of a line that holds a quote;
//   - a marker is never found in a text that does not begin with one.

#include "document/CommandLine.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<QString> text = CommandLine::Strip(line)) {
        const bool quoted = line.contains(QLatin1Char('"'));
        if (*text != (quoted ? line.mid(1, line.size() - 2) : line))
            abort();
        const CommandLine::Parsed parsed = CommandLine::Parse(*text);
        const qsizetype cut = parsed.key == CommandLine::Key::None ? 0 : 3;
        if (parsed.fileName != text->left(text->size() - cut))
            abort();
        if (cut && !text->right(3).startsWith(QLatin1String(" /")))
            abort();
    } else if (!line.isEmpty() && line != QLatin1String("\"")) {
        abort();
    }

    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const CommandLine::Marker marker = CommandLine::TextMarker(bytes);
    if (marker != CommandLine::Marker::None && (size < 4 || data[0] != '.'))
        abort();
    return 0;
}
