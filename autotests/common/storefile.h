#pragma once

// The settings store as an administrator sees it: the file in the registry's export syntax
// under the folder the window reads it from; on Windows, the machine key in the registry (the
// test's scratch key, see registrystore.h), set up and read back in the same export syntax.

#include "settings/settingskey.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#ifdef Q_OS_WIN
#include "registrystore.h"
#else
#include "settings/regfilesettingskey.h"
#endif

namespace StoreFile {

inline QString path(const QString &configDir)
{
    return configDir + QStringLiteral("/ZOVUR/RO420DA_Tools.reg");
}

inline QByteArray withValues(const QByteArray &valueLines)
{
    return "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\ZOVUR\\RO420DA_Tools]\n" + valueLines + "\n";
}

inline bool write(const QString &configDir, const QByteArray &bytes)
{
#ifdef Q_OS_WIN
    Q_UNUSED(configDir)
    return RegistryStore::import(WinRegistry::machineKey(), bytes);
#else
    if (!QDir().mkpath(configDir + QStringLiteral("/ZOVUR")))
        return false;
    QFile file(path(configDir));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
#endif
}

// On Windows with the values sorted by name; compare with asRead().
inline QByteArray read(const QString &configDir)
{
#ifdef Q_OS_WIN
    Q_UNUSED(configDir)
    return RegistryStore::exportSorted(WinRegistry::machineKey());
#else
    QFile file(path(configDir));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
#endif
}

// What read() gives for a store that holds `bytes`.
inline QByteArray asRead(const QByteArray &bytes)
{
#ifdef Q_OS_WIN
    return RegistryStore::sorted(bytes);
#else
    return bytes;
#endif
}

inline bool exists(const QString &configDir)
{
#ifdef Q_OS_WIN
    Q_UNUSED(configDir)
    return RegistryStore::exists(WinRegistry::machineKey());
#else
    return QFileInfo::exists(path(configDir));
#endif
}

inline void remove(const QString &configDir)
{
#ifdef Q_OS_WIN
    Q_UNUSED(configDir)
    RegDeleteTreeW(HKEY_CURRENT_USER, WinRegistry::machineKey().path.c_str());
#else
    QFile::remove(path(configDir));
#endif
}

// The store as the window would read it; nullptr when there is none that can be read.
inline std::unique_ptr<SettingsKey> open(const QString &configDir)
{
#ifdef Q_OS_WIN
    Q_UNUSED(configDir)
    return SettingsKey::openForReading();
#else
    return RegFileSettingsKey::openForReading(path(configDir));
#endif
}

} // namespace StoreFile
