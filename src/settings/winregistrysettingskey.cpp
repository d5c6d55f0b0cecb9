#include "settings/winregistrysettingskey.h"

#ifdef Q_OS_WIN

WinRegistrySettingsKey::WinRegistrySettingsKey(std::unique_ptr<WinRegistry> user, std::unique_ptr<WinRegistry> machine)
    : m_user(std::move(user))
    , m_machine(std::move(machine))
{
}

std::unique_ptr<WinRegistrySettingsKey> WinRegistrySettingsKey::openForReading()
{
    auto user = WinRegistry::openExisting(WinRegistry::userKey());
    auto machine = WinRegistry::openExisting(WinRegistry::machineKey());
    if (!user && !machine)
        return nullptr;
    return std::unique_ptr<WinRegistrySettingsKey>(new WinRegistrySettingsKey(std::move(user), std::move(machine)));
}

std::unique_ptr<WinRegistrySettingsKey> WinRegistrySettingsKey::openForWriting()
{
    auto machine = WinRegistry::openOrCreate(WinRegistry::machineKey());
    // A user key left by an earlier refused save is read first, so it must take this save too;
    // without a machine key it is the only place the values can go.
    auto user = machine ? WinRegistry::openExisting(WinRegistry::userKey(), true)
                        : WinRegistry::openOrCreate(WinRegistry::userKey());
    if (!user && !machine)
        return nullptr;
    std::unique_ptr<WinRegistrySettingsKey> settings(new WinRegistrySettingsKey(std::move(user), std::move(machine)));
    settings->m_writable = true;
    return settings;
}

const WinRegistry *WinRegistrySettingsKey::holderOf(const std::wstring &name) const
{
    if (m_user && m_user->kind(name) != WinRegistry::Kind::Absent)
        return m_user.get();
    return m_machine.get();
}

SettingsKey::ValueType WinRegistrySettingsKey::type(const QString &name) const
{
    const std::wstring wide = name.toStdWString();
    const WinRegistry *key = holderOf(wide);
    switch (key ? key->kind(wide) : WinRegistry::Kind::Absent) {
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
    const std::wstring wide = name.toStdWString();
    const WinRegistry *key = holderOf(wide);
    return key ? key->readDword(wide) : std::nullopt;
}

std::optional<QString> WinRegistrySettingsKey::readString(const QString &name) const
{
    const std::wstring wide = name.toStdWString();
    const WinRegistry *key = holderOf(wide);
    const auto text = key ? key->readString(wide) : std::nullopt;
    if (!text)
        return std::nullopt;
    return QString::fromStdWString(*text);
}

bool WinRegistrySettingsKey::put(WinRegistry &key, const Written &value)
{
    return value.isDword ? key.writeDword(value.name, value.dword) : key.writeString(value.name, value.text);
}

bool WinRegistrySettingsKey::write(Written value)
{
    if (!m_writable) {
        m_allWritten = false;
        return false;
    }
    m_written.push_back(std::move(value));
    const Written &current = m_written.back();
    if (m_machine && !put(*m_machine, current))
        m_machine.reset();
    if (m_machine && !m_user)
        return true;

    bool ok = true;
    if (!m_user) {
        // Refused in the middle of a save: the values before this one went to the machine key
        // only, and the user key that is read first from now on must hold them as well.
        m_user = WinRegistry::openOrCreate(WinRegistry::userKey());
        ok = m_user != nullptr;
        for (std::size_t i = 0; ok && i + 1 < m_written.size(); ++i)
            ok = put(*m_user, m_written[i]);
    }
    ok = ok && put(*m_user, current);
    m_allWritten = m_allWritten && ok;
    return ok;
}

bool WinRegistrySettingsKey::writeDword(const QString &name, quint32 value)
{
    return write({ name.toStdWString(), true, value, {} });
}

bool WinRegistrySettingsKey::writeString(const QString &name, const QString &value)
{
    return write({ name.toStdWString(), false, 0, value.toStdWString() });
}

bool WinRegistrySettingsKey::commit()
{
    return m_writable && m_allWritten;
}

#endif // Q_OS_WIN
