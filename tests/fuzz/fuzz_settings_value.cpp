// The settings value conversions under several locales.
//   - no text makes a conversion fail other than with its read failure (RuntimeError);
//   - a float or whole number written under one locale reads back exactly under any other.

#include "app/SettingsValue.h"

#include <QLocale>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const QLocale &locale(uint8_t choice)
{
    static const QLocale locales[] = {
        QLocale::c(),
        QLocale(QLocale::Russian, QLocale::Russia),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Arabic, QLocale::Egypt),
        QLocale(QLocale::German, QLocale::Switzerland),
    };
    return locales[choice % (sizeof locales / sizeof locales[0])];
}

template <typename F>
void mayFail(F &&convert)
{
    try {
        convert();
    } catch (const platform::RuntimeError &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const QLocale &writer = locale(data[0]), &reader = locale(data[0] >> 4);

    QLocale::setDefault(reader);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    mayFail([&] { SettingsValue::parseBool(text); });
    mayFail([&] { SettingsValue::parseInt16(text); });
    mayFail([&] { SettingsValue::parseInt32(text); });
    mayFail([&] { SettingsValue::parseFloat(text); });

    if (size >= 5) {
        float f;
        qint32 i;
        memcpy(&f, data + 1, 4);
        memcpy(&i, data + 1, 4);
        QLocale::setDefault(writer);
        const QString floatText = SettingsValue::formatFloat(f), intText = SettingsValue::formatInt(i);
        QLocale::setDefault(reader);
        if (std::isfinite(f) && SettingsValue::parseFloat(floatText) != f)
            abort();
        if (SettingsValue::parseInt32(intText) != i)
            abort();
    }
    return 0;
}
