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

} // namespace platform::Ansi
