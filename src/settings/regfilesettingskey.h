#pragma once

#include "settings/regfileformat.h"
#include "settings/settingskey.h"

// The settings key kept as one file, <D>/ZOVUR/RO420DA_Tools.reg, where D is the first
// absolute entry of XDG_CONFIG_DIRS (/etc/xdg when there is none): the place for
// machine-wide configuration, and in the registry's own export syntax (RegFileFormat).
//
// Reading needs read access only. Writes are collected and replace the file as a whole at
// commit(), through a temporary file in the same folder that is renamed over the old one, so
// a crash or a full disk leaves either the old store or the new one. Values of names the tool
// does not know stay where they were.
//
// A file that is not in the syntax reads as absent, like a missing key, and a write then
// starts a fresh file: the tool could never use the old content anyway. A file that exists
// but cannot be read is left alone: it may hold good values the tool cannot see.
class RegFileSettingsKey final : public SettingsKey
{
public:
    static QString storePath();

    static std::unique_ptr<RegFileSettingsKey> openForReading(const QString &path);
    static std::unique_ptr<RegFileSettingsKey> openForWriting(const QString &path);

    ValueType type(const QString &name) const override;
    std::optional<quint32> readDword(const QString &name) const override;
    std::optional<QString> readString(const QString &name) const override;
    bool writeDword(const QString &name, quint32 value) override;
    bool writeString(const QString &name, const QString &value) override;
    bool commit() override;

private:
    RegFileSettingsKey(const QString &path, QList<RegFileFormat::Value> values, bool writable);
    const RegFileFormat::Value *find(const QString &name) const;
    bool store(RegFileFormat::Value value);

    QString m_path;
    QList<RegFileFormat::Value> m_values;
    bool m_writable = false;
};
