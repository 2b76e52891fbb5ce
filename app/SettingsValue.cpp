#include "app/SettingsValue.h"

#include "platform/interfaces/RuntimeError.h"

#include <QLocale>
#include <charconv>
#include <cmath>

namespace SettingsValue {

namespace {

[[noreturn]] void mismatch() { throw platform::RuntimeError(TypeMismatch); }

// The text as a number. ",", "." and "٫" (and the user's own decimal sign) all separate the
// fraction, so that a value written under one locale reads the same under any other. The user's
// group separator is accepted only where it cannot be taken for a decimal sign (the Russian
// non-breaking space, not the English comma): "1,234" is never read as a thousand.
double parseNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        mismatch();
    const QLocale user;
    QString plain = t;
    if (user.decimalPoint() != QLatin1String("."))
        plain.replace(user.decimalPoint(), QLatin1String("."));
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    plain.replace(QChar(0x066B), QLatin1Char('.'));   // the Arabic decimal sign
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double v = c.toDouble(plain, &ok);
    const QString group = user.groupSeparator();
    if (!ok && group != QLatin1String(",") && group != QLatin1String("."))
        v = user.toDouble(t, &ok);
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
    // What rounds to the largest float is still a float: "3.4028235e+38", which formatFloat
    // writes for it, lies just above it. Halfway to the next power of two rounds to infinity.
    static const double limit = std::ldexp(2.0 - std::ldexp(1.0, -24), 127);
    if (std::fabs(v) >= limit)
        throw platform::RuntimeError(platform::ErrorCode::Overflow);
    return float(v);
}

} // namespace SettingsValue
