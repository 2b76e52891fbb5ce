#pragma once
// The program's 8-bit code page: Windows-1251, whatever the system locale. One byte is one
// character and all 256 byte values round-trip (0x98, unassigned in the code page, is U+0098).

#include <QByteArray>
#include <QChar>
#include <QString>

namespace platform::Ansi {

QChar toUnicode(uchar byte);
QString toUnicode(const QByteArray &bytes);
// Decodes into an existing string, reusing its memory.
void toUnicode(const char *bytes, qsizetype size, QString &out);

bool isRepresentable(QChar ch);
// The byte for ch, or '?' when Windows-1251 cannot hold it.
char fromUnicode(QChar ch);
QByteArray fromUnicode(const QString &text);
// Encodes size characters into out, which has room for them.
void fromUnicode(const QChar *chars, qsizetype size, char *out);

// Case mapping inside the code page: a letter whose other case is not in Windows-1251 stays as
// it is, so the length never changes.
uchar toUpper(uchar byte);
uchar toLower(uchar byte);
QByteArray toUpper(const QByteArray &bytes);
QByteArray toLower(const QByteArray &bytes);

// A file's bytes read as UTF-8.
struct Utf8Reading {
    enum Kind {
        NotUtf8,    // not valid UTF-8 (a broken or overlong sequence, a surrogate), or ASCII alone
        Converted,  // valid UTF-8 whose characters all exist in Windows-1251
        Foreign,    // valid UTF-8 holding characters that Windows-1251 lacks
    };
    Kind kind = NotUtf8;
    bool mark = false;   // UTF-8 that begins with the byte-order mark (a multi-byte sequence itself)
    QByteArray text;     // Converted: the characters in Windows-1251, without the mark; else the bytes
};
// One pass, in the bytes' own buffer when it is not shared: the text takes no memory of its own.
Utf8Reading readUtf8(QByteArray bytes);
// The text as UTF-8, after the byte-order mark when mark is set.
QByteArray toUtf8(const QByteArray &text, bool mark);

} // namespace platform::Ansi
