#pragma once
// The text of the settings file, read and changed line by line.
//
// The format is the INI form that QSettings writes, so that files written by earlier versions
// read the same: "[Section]" headers ("[General]" in any letter case, and any key before the
// first header, is the top level), "key=value" rows, values with QSettings' quotes and
// backslash escapes, an unquoted ";" starting a comment. Unlike QSettings, anything else makes
// no row and hides none: a byte-order mark, "#" and ";" comment lines, lines without "=" and
// blank lines are skipped when reading and kept as they are when the file is written back. A
// value changed by setValue() is rewritten on its own line; every other line keeps its bytes.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

namespace platform {

class IniText {
public:
    explicit IniText(const QByteArray &bytes = QByteArray());

    // The value of the key in the section (the last row when there are several), or
    // std::nullopt when there is none. Throws RuntimeError(13), a value that does not convert,
    // when the row holds a NUL byte.
    std::optional<QString> value(const QString &section, const QString &key) const;
    // Rewrites the key's row, or adds one at the end of the section (adding the section at the
    // end of the file when it has none).
    void setValue(const QString &section, const QString &key, const QString &value);

    // The file's bytes: what was read, with the changed rows.
    QByteArray bytes() const;
    // The section and key of every row, in file order.
    QList<std::pair<QString, QString>> rows() const;

    // A value as QSettings writes a string, and back.
    static QByteArray escape(const QString &value);
    static std::optional<QString> unescape(const QByteArray &raw);

private:
    struct Line {
        QByteArray text;     // without its line break
        QByteArray eol;      // "\n", "\r\n", "\r", or empty at the end of the file
        QString section;     // of a header or a row
        QByteArray key;      // empty: no row
        bool header = false;
    };
    qsizetype rowOf(const QString &section, const QByteArray &key) const;   // -1: none

    QList<Line> m_lines;
    QByteArray m_eol = "\n";
    bool m_byteOrderMark = false;
};

} // namespace platform
