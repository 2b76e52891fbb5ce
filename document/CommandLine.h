#pragma once
// The command line and the text markers, read without acting on them.
//
// A command line is a file path, optionally followed by a space, a slash and a key letter in
// either case: "/P" print, "/A" no size check, "/D" open as data, "/T" no data check, "/L" log
// stamp, "/S" system stamp. Anything else ("a.txt/P" without the space, " /X") is no key: the
// whole line is the path.
// A loaded text that begins with ".LOG" (any case) and is at most 55000 characters long gets the
// log stamp; one that begins with ".SYS" gets the system stamp whatever its length.

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

namespace CommandLine {

enum class Key { None, Print, NoSizeCheck, OpenAsData, NoDataCheck, LogStamp, SystemStamp };

struct Parsed {
    QString fileName;
    Key key = Key::None;
};

// The program's command line as the user gave it, with the enclosing double quotes removed: a
// line that holds a double quote anywhere loses its first and last characters. Nothing when the
// line is empty or is a lone double quote.
std::optional<QString> Strip(const QString &commandLine);

Parsed Parse(const QString &strText);

enum class Marker { None, Log, System };

// textStart: the first characters of the loaded text, at least one past the log limit when the
// text is that long (Windows-1251 bytes).
Marker TextMarker(QByteArrayView textStart);

constexpr qsizetype LogLimit = 55000;

// "--help" or "--version" as the whole command line asks for the usage or the version on standard
// output instead of a window, unless the current folder holds an entry of that name: that one is
// opened as any other file. exists tells whether a name is taken in the current folder.
enum class Request { Window, Usage, Version };
Request InfoRequest(const QString &commandLine, const std::function<bool(const QString &)> &exists);

// The usage text for "--help": the command line, the keys and the markers, in Russian.
QString Usage();

} // namespace CommandLine
