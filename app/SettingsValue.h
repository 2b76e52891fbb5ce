#pragma once
// Conversions between settings values and their stored text. Every value is stored as text;
// reading a text that does not convert to its kind throws RuntimeError(13), the read failure.

#include "platform/interfaces/RuntimeError.h"

#include <QString>

namespace SettingsValue {

constexpr int TypeMismatch = platform::ErrorCode::TypeMismatch;

QString formatBool(bool value);                 // "True" / "False"
QString formatInt(qint64 value);                // decimal digits, leading "-" when negative
QString formatFloat(float value);               // shortest text, the locale's decimal separator

// "True"/"False" in any letter case, or a number (0 false, anything else true).
bool parseBool(const QString &text);
// A number rounded to a whole number (a half to the even neighbour), within [min, max].
qint64 parseInt(const QString &text, qint64 min, qint64 max);
inline qint16 parseInt16(const QString &text) { return qint16(parseInt(text, -32768, 32767)); }
inline qint32 parseInt32(const QString &text) { return qint32(parseInt(text, -2147483648LL, 2147483647LL)); }
// A number with "," or "." (or the locale's own sign) before the fraction, whatever the locale
// it was written under; must fit a 32-bit float.
float parseFloat(const QString &text);

} // namespace SettingsValue
