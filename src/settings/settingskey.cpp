#include "settings/settingskey.h"

#ifdef Q_OS_WIN
#include "settings/winregistrysettingskey.h"
#else
#include "settings/regfilesettingskey.h"
#endif

std::unique_ptr<SettingsKey> SettingsKey::openForReading()
{
#ifdef Q_OS_WIN
    return WinRegistrySettingsKey::openForReading();
#else
    return RegFileSettingsKey::openForReading(RegFileSettingsKey::storePath());
#endif
}

std::unique_ptr<SettingsKey> SettingsKey::openForWriting()
{
#ifdef Q_OS_WIN
    return WinRegistrySettingsKey::openForWriting();
#else
    return RegFileSettingsKey::openForWriting(RegFileSettingsKey::storePath());
#endif
}
