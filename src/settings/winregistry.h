#pragma once

#ifdef _WIN32

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The tool's settings keys through the plain Win32 registry calls. Free of Qt so that it can be
// compiled and checked on its own with a cross-compiler.
class WinRegistry
{
public:
    enum class Kind { Absent, Dword, String, ExpandString, Other };
    enum class Hive { LocalMachine, CurrentUser };

    struct Location
    {
        Hive hive;
        std::wstring path;
    };

    static const wchar_t *keyPath();

    // HKEY_LOCAL_MACHINE\Software\ZOVUR\RO420DA_Tools: the key the settings are read from and
    // written to.
    static Location machineKey();
    // HKEY_CURRENT_USER\Software\ZOVUR\RO420DA_Tools: where the values go when the machine key
    // refuses them (a user without administrator rights), read before the machine key.
    static Location userKey();
    // The environment variable that moves both keys under HKEY_CURRENT_USER\<its value>\Machine
    // and ...\User, so that a test works on a scratch key of its own that it may also lock.
    static const wchar_t *scratchRootVariable();

    // Opens the existing key for querying only (or also for setting values); nullptr when it is
    // missing or that access is not allowed. Never creates anything.
    static std::unique_ptr<WinRegistry> openExisting(const Location &where, bool forWriting = false);
    // Opens the key for querying and setting values, creating it when missing; nullptr when
    // that is not allowed.
    static std::unique_ptr<WinRegistry> openOrCreate(const Location &where);

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
