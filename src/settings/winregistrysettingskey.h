#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN

#include "settings/settingskey.h"
#include "settings/winregistry.h"

#include <vector>

// The settings key in the Windows registry. Writes go straight to the registry, as they do
// through the registry calls themselves; commit() only reports whether they all succeeded.
//
// The machine key under HKEY_LOCAL_MACHINE is read and written as it always was. A user
// without administrator rights may not write it, and the operator's settings would silently
// never be kept; so when the machine key refuses a value, the values of that save go to the
// same key under HKEY_CURRENT_USER instead. Once that user key exists it is read first, value
// by value (what it lacks still comes from the machine key), and every later save writes it
// too, so that what is read back is always what was saved last.
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
    struct Written
    {
        std::wstring name;
        bool isDword = false;
        quint32 dword = 0;
        std::wstring text;
    };

    WinRegistrySettingsKey(std::unique_ptr<WinRegistry> user, std::unique_ptr<WinRegistry> machine);

    // The key a value is read from: the user's when it holds the name, else the machine's.
    const WinRegistry *holderOf(const std::wstring &name) const;
    bool write(Written value);
    static bool put(WinRegistry &key, const Written &value);

    std::unique_ptr<WinRegistry> m_user;
    std::unique_ptr<WinRegistry> m_machine;  // dropped for the rest of a save once it refuses
    std::vector<Written> m_written;          // this save's values, for a user key made mid-save
    bool m_writable = false;
    bool m_allWritten = true;
};

#endif // Q_OS_WIN
