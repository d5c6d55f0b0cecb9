#pragma once

#ifdef _WIN32

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The tool's settings key HKEY_LOCAL_MACHINE\Software\ZOVUR\RO420DA_Tools through the plain
// Win32 registry calls. Free of Qt so that it can be compiled and checked on its own with a
// cross-compiler.
class WinRegistry
{
public:
    enum class Kind { Absent, Dword, String, ExpandString, Other };

    static const wchar_t *keyPath();

    // Opens the existing key for querying only; nullptr when it is missing or not readable.
    static std::unique_ptr<WinRegistry> openExisting();
    // Opens the key for querying and setting values, creating it when missing; nullptr when
    // that is not allowed.
    static std::unique_ptr<WinRegistry> openOrCreate();

    ~WinRegistry();
    WinRegistry(const WinRegistry &) = delete;
    WinRegistry &operator=(const WinRegistry &) = delete;

    Kind kind(const std::wstring &name) const;
    std::optional<std::uint32_t> readDword(const std::wstring &name) const;
    // REG_SZ, and REG_EXPAND_SZ left unexpanded; the text ends at the first zero.
    std::optional<std::wstring> readString(const std::wstring &name) const;
    bool writeDword(const std::wstring &name, std::uint32_t value);
    // Written as REG_SZ with its terminating zero.
    bool writeString(const std::wstring &name, const std::wstring &value);

private:
    explicit WinRegistry(void *key) : m_key(key) { }

    void *m_key;  // HKEY, kept opaque so that this header needs no <windows.h>
};

#endif // _WIN32
