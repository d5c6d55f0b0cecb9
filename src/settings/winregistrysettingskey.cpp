#include "settings/winregistrysettingskey.h"

#ifdef Q_OS_WIN

WinRegistrySettingsKey::WinRegistrySettingsKey(std::unique_ptr<WinRegistry> key)
    : m_key(std::move(key))
{
}

std::unique_ptr<WinRegistrySettingsKey> WinRegistrySettingsKey::openForReading()
{
    auto key = WinRegistry::openExisting();
    if (!key)
        return nullptr;
    return std::unique_ptr<WinRegistrySettingsKey>(new WinRegistrySettingsKey(std::move(key)));
}

std::unique_ptr<WinRegistrySettingsKey> WinRegistrySettingsKey::openForWriting()
{
    auto key = WinRegistry::openOrCreate();
    if (!key)
        return nullptr;
    std::unique_ptr<WinRegistrySettingsKey> settings(new WinRegistrySettingsKey(std::move(key)));
    settings->m_writable = true;
    return settings;
}

SettingsKey::ValueType WinRegistrySettingsKey::type(const QString &name) const
{
    switch (m_key->kind(name.toStdWString())) {
    case WinRegistry::Kind::Absent:
        return ValueType::Absent;
    case WinRegistry::Kind::Dword:
        return ValueType::Dword;
    case WinRegistry::Kind::String:
        return ValueType::String;
    case WinRegistry::Kind::ExpandString:
        return ValueType::ExpandString;
    case WinRegistry::Kind::Other:
        break;
    }
    return ValueType::Other;
}

std::optional<quint32> WinRegistrySettingsKey::readDword(const QString &name) const
{
    return m_key->readDword(name.toStdWString());
}

std::optional<QString> WinRegistrySettingsKey::readString(const QString &name) const
{
    const auto text = m_key->readString(name.toStdWString());
    if (!text)
        return std::nullopt;
    return QString::fromStdWString(*text);
}

bool WinRegistrySettingsKey::writeDword(const QString &name, quint32 value)
{
    const bool ok = m_writable && m_key->writeDword(name.toStdWString(), value);
    m_allWritten = m_allWritten && ok;
    return ok;
}

bool WinRegistrySettingsKey::writeString(const QString &name, const QString &value)
{
    const bool ok = m_writable && m_key->writeString(name.toStdWString(), value.toStdWString());
    m_allWritten = m_allWritten && ok;
    return ok;
}

bool WinRegistrySettingsKey::commit()
{
    return m_writable && m_allWritten;
}

#endif // Q_OS_WIN
