#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN

#include "settings/settingskey.h"
#include "settings/winregistry.h"

// The settings key in the Windows registry. Writes go straight to the registry, as they do
// through the registry calls themselves; commit() only reports whether they all succeeded.
class WinRegistrySettingsKey final : public SettingsKey
{
public:
    static std::unique_ptr<WinRegistrySettingsKey> openForReading();
    static std::unique_ptr<WinRegistrySettingsKey> openForWriting();

    ValueType type(const QString &name) const override;
    std::optional<quint32> readDword(const QString &name) const override;
    std::optional<QString> readString(const QString &name) const override;
    bool writeDword(const QString &name, quint32 value) override;
    bool writeString(const QString &name, const QString &value) override;
    bool commit() override;

private:
    explicit WinRegistrySettingsKey(std::unique_ptr<WinRegistry> key);

    std::unique_ptr<WinRegistry> m_key;
    bool m_writable = false;
    bool m_allWritten = true;
};

#endif // Q_OS_WIN
