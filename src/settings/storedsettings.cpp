#include "settings/storedsettings.h"

#include "i18n/language.h"
#include "settings/settingskey.h"

namespace {

// Returns false when the value is there but is not a string, which ends the reading.
bool readString(const SettingsKey &key, const QString &name, QString &target)
{
    switch (key.type(name)) {
    case SettingsKey::ValueType::Absent:
        return true;
    case SettingsKey::ValueType::String:
    case SettingsKey::ValueType::ExpandString:
        if (const auto text = key.readString(name)) {
            target = *text;
            return true;
        }
        return false;
    case SettingsKey::ValueType::Dword:
    case SettingsKey::ValueType::Other:
        break;
    }
    return false;
}

bool readDword(const SettingsKey &key, const QString &name, quint32 &target)
{
    switch (key.type(name)) {
    case SettingsKey::ValueType::Absent:
        return true;
    case SettingsKey::ValueType::Dword:
        if (const auto value = key.readDword(name)) {
            target = *value;
            return true;
        }
        return false;
    case SettingsKey::ValueType::String:
    case SettingsKey::ValueType::ExpandString:
    case SettingsKey::ValueType::Other:
        break;
    }
    return false;
}

void readInto(const SettingsKey &key, StoredSettings &settings)
{
    readDword(key, QStringLiteral("TYPE"), settings.type)
        && readString(key, QStringLiteral("ComBaudRate"), settings.comBaudRate)
        && readString(key, QStringLiteral("ComPortName"), settings.comPortName)
        && readString(key, QStringLiteral("NetIP"), settings.netIp)
        && readString(key, QStringLiteral("NetPort"), settings.netPort)
        && readString(key, QStringLiteral("LanguageFlag"), settings.languageFlag);
    // Values an older tool never wrote: what they hold must not cost the ones above.
    readString(key, QStringLiteral("ComPortStablePath"), settings.comPortStablePath);
    readString(key, QStringLiteral("ComPortSerialNumber"), settings.comPortSerialNumber);
}

} // namespace

StoredSettings StoredSettings::read()
{
    StoredSettings settings;
    if (const auto key = SettingsKey::openForReading())
        readInto(*key, settings);
    settings.languageIndex = languageIndexOf(settings.languageFlag);
    return settings;
}

int StoredSettings::languageIndexOf(const QString &languageFlag)
{
    return Language::indexOfFlag(languageFlag);
}

void StoredSettings::saveLink(quint32 type, const QString &netPort, const QString &netIp,
                              const QString &comBaudRate, const QString &comPortName)
{
    const auto key = SettingsKey::openForWriting();
    if (!key)
        return;
    // Writing stops at the first value the store refuses, as a failed registry call ends the
    // saving routine; what was written before it is kept.
    key->writeDword(QStringLiteral("TYPE"), type)
        && key->writeString(QStringLiteral("NetPort"), netPort)
        && key->writeString(QStringLiteral("NetIP"), netIp)
        && key->writeString(QStringLiteral("ComBaudRate"), comBaudRate)
        && key->writeString(QStringLiteral("ComPortName"), comPortName);
    key->commit();
}

void StoredSettings::saveLanguage(const QString &languageFlag)
{
    if (const auto key = SettingsKey::openForWriting()) {
        key->writeString(QStringLiteral("LanguageFlag"), languageFlag);
        key->commit();
    }
}

void StoredSettings::saveAdapter(const QString &stablePath, const QString &serialNumber)
{
    if (const auto key = SettingsKey::openForWriting()) {
        key->writeString(QStringLiteral("ComPortStablePath"), stablePath)
            && key->writeString(QStringLiteral("ComPortSerialNumber"), serialNumber);
        key->commit();
    }
}
