#include "platform/QtPlatform.h"

#include "platform/RuntimeError.h"

namespace platform {

namespace {

// "General" keys sit at the top level, where QSettings writes them under its own [General]
// header; a group of that name would come out as [%General].
QString keyPath(const QString &section, const QString &key)
{
    return section == QLatin1String("General") ? key : section + QLatin1Char('/') + key;
}

} // namespace

IniSettings::IniSettings()
    : m_settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Jotbook"), QStringLiteral("Jotbook"))
{
}

IniSettings::IniSettings(const QString &fileName)
    : m_settings(fileName, QSettings::IniFormat)
{
}

std::optional<QString> IniSettings::read(const QString &section, const QString &key)
{
    if (m_settings.status() == QSettings::FormatError)
        throw RuntimeError(ErrorCode::InvalidValue);
    const QVariant value = m_settings.value(keyPath(section, key));
    if (!value.isValid())
        return std::nullopt;
    // An unquoted comma typed by hand (FontSize=9,75) makes QSettings split the value.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

bool IniSettings::write(const QString &section, const QString &key, const QString &value)
{
    m_settings.setValue(keyPath(section, key), value);
    return true;
}

bool IniSettings::flush()
{
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}

} // namespace platform
