#pragma once

// The settings store as an administrator sees it: the file in the registry's export syntax
// under the folder the window reads it from.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

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
    if (!QDir().mkpath(configDir + QStringLiteral("/ZOVUR")))
        return false;
    QFile file(path(configDir));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray read(const QString &configDir)
{
    QFile file(path(configDir));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace StoreFile
