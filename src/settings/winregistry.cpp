#ifdef _WIN32

#include "settings/winregistry.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <utility>
#include <vector>

namespace {

HKEY handle(void *key)
{
    return static_cast<HKEY>(key);
}

// The value's type and size in bytes, or nothing when it does not exist or cannot be queried.
std::optional<std::pair<DWORD, DWORD>> query(void *key, const std::wstring &name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(handle(key), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::make_pair(type, size);
}

} // namespace

const wchar_t *WinRegistry::keyPath()
{
    return L"Software\\ZOVUR\\RO420DA_Tools";
}

namespace {

// The value of WinRegistry::scratchRootVariable(), empty when it is not set.
std::wstring scratchRoot()
{
    const wchar_t *name = WinRegistry::scratchRootVariable();
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size <= 1)
        return {};
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

WinRegistry::Location located(WinRegistry::Hive hive, const wchar_t *scratchBranch)
{
    const std::wstring root = scratchRoot();
    if (root.empty())
        return { hive, WinRegistry::keyPath() };
    return { WinRegistry::Hive::CurrentUser, root + L"\\" + scratchBranch + L"\\" + WinRegistry::keyPath() };
}

HKEY hiveHandle(WinRegistry::Hive hive)
{
    return hive == WinRegistry::Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

} // namespace

const wchar_t *WinRegistry::scratchRootVariable()
{
    return L"ZU42_REGISTRY_SCRATCH";
}

WinRegistry::Location WinRegistry::machineKey()
{
    return located(Hive::LocalMachine, L"Machine");
}

WinRegistry::Location WinRegistry::userKey()
{
    return located(Hive::CurrentUser, L"User");
}

std::unique_ptr<WinRegistry> WinRegistry::openExisting(const Location &where, bool forWriting)
{
    HKEY key = nullptr;
    const REGSAM access = forWriting ? KEY_QUERY_VALUE | KEY_SET_VALUE : KEY_QUERY_VALUE;
    if (RegOpenKeyExW(hiveHandle(where.hive), where.path.c_str(), 0, access, &key) != ERROR_SUCCESS)
        return nullptr;
    return std::unique_ptr<WinRegistry>(new WinRegistry(key));
}

std::unique_ptr<WinRegistry> WinRegistry::openOrCreate(const Location &where)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(hiveHandle(where.hive), where.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return nullptr;
    return std::unique_ptr<WinRegistry>(new WinRegistry(key));
}

WinRegistry::~WinRegistry()
{
    if (m_key)
        RegCloseKey(handle(m_key));
}

WinRegistry::Kind WinRegistry::kind(const std::wstring &name) const
{
    const auto info = query(m_key, name);
    if (!info)
        return Kind::Absent;
    switch (info->first) {
    case REG_DWORD:
        return Kind::Dword;
    case REG_SZ:
        return Kind::String;
    case REG_EXPAND_SZ:
        return Kind::ExpandString;
    default:
        return Kind::Other;
    }
}

std::optional<std::uint32_t> WinRegistry::readDword(const std::wstring &name) const
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(handle(m_key), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE *>(&value), &size)
            != ERROR_SUCCESS
        || type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::optional<std::wstring> WinRegistry::readString(const std::wstring &name) const
{
    // The value may grow between the size query and the read; ask again a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const auto info = query(m_key, name);
        if (!info || (info->first != REG_SZ && info->first != REG_EXPAND_SZ))
            return std::nullopt;
        std::vector<wchar_t> buffer(info->second / sizeof(wchar_t) + 1, L'\0');
        DWORD type = 0;
        DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        const LONG result = RegQueryValueExW(handle(m_key), name.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE *>(buffer.data()), &size);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        // The stored data need not carry its terminating zero; the spare element supplies it.
        const std::size_t chars = size / sizeof(wchar_t);
        std::wstring text(buffer.data(), chars);
        const std::size_t end = text.find(L'\0');
        if (end != std::wstring::npos)
            text.resize(end);
        return text;
    }
    return std::nullopt;
}

bool WinRegistry::writeDword(const std::wstring &name, std::uint32_t value)
{
    const DWORD data = value;
    return RegSetValueExW(handle(m_key), name.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE *>(&data), sizeof data)
        == ERROR_SUCCESS;
}

bool WinRegistry::writeString(const std::wstring &name, const std::wstring &value)
{
    const auto bytes = (value.size() + 1) * sizeof(wchar_t);
    if (bytes > 0xFFFFFFFFu)
        return false;
    return RegSetValueExW(handle(m_key), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE *>(value.c_str()), static_cast<DWORD>(bytes))
        == ERROR_SUCCESS;
}

#endif // _WIN32
