#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

// The machine-wide key "Software\ZOVUR\RO420DA_Tools" that holds the tool's settings. On
// Windows it is the registry key under HKEY_LOCAL_MACHINE; elsewhere a file in the
// registry's export syntax (RegFileSettingsKey). Value names compare without regard to case,
// as in the registry.
class SettingsKey
{
public:
    enum class ValueType { Absent, Dword, String, ExpandString, Other };

    virtual ~SettingsKey() = default;

    // The existing key with read access only; nullptr when there is none or it cannot be
    // read. Never creates anything.
    static std::unique_ptr<SettingsKey> openForReading();
    // The key with read and write access, created when missing; nullptr when it can be
    // neither opened nor created.
    static std::unique_ptr<SettingsKey> openForWriting();

    virtual ValueType type(const QString &name) const = 0;
    // The value if it is a 32-bit integer, else nothing.
    virtual std::optional<quint32> readDword(const QString &name) const = 0;
    // The value if it is a string or an expandable string (left unexpanded), else nothing.
    virtual std::optional<QString> readString(const QString &name) const = 0;

    // Write-only on a key opened for writing; false when the value was not written.
    virtual bool writeDword(const QString &name, quint32 value) = 0;
    virtual bool writeString(const QString &name, const QString &value) = 0;
    // Makes the writes so far durable. A back end that writes through returns whether the
    // writes succeeded; the file back end replaces the file as a whole here, and drops
    // whatever was not committed when the key is destroyed.
    virtual bool commit() = 0;

protected:
    SettingsKey() = default;
    SettingsKey(const SettingsKey &) = delete;
    SettingsKey &operator=(const SettingsKey &) = delete;
};
