#include "app/SettingsValue.h"

#include "platform/RuntimeError.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <limits>

namespace SettingsValue {

namespace {

[[noreturn]] void mismatch() { throw platform::RuntimeError(TypeMismatch); }

// The text as a number: the user's locale first, then the C locale, so a file written under
// another locale still reads.
double parseNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        mismatch();
    bool ok = false;
    double v = QLocale().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        mismatch();
    return v;
}

} // namespace

QString formatBool(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString formatInt(qint64 value)
{
    return QString::number(value);
}

QString formatFloat(float value)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    QString text = QString::fromLatin1(buf, res.ptr - buf);
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}

bool parseBool(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return parseNumber(t) != 0.0;
}

qint64 parseInt(const QString &text, qint64 min, qint64 max)
{
    const double rounded = std::nearbyint(parseNumber(text));
    if (rounded < double(min) || rounded > double(max))
        throw platform::RuntimeError(platform::ErrorCode::Overflow);
    return qint64(rounded);
}

float parseFloat(const QString &text)
{
    const double v = parseNumber(text);
    if (std::fabs(v) > double(std::numeric_limits<float>::max()))
        throw platform::RuntimeError(platform::ErrorCode::Overflow);
    return float(v);
}

} // namespace SettingsValue
