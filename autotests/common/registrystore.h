#pragma once

// The settings keys in Wine's (or Windows') registry as a test sets them up and looks at them.
// Each test works on a scratch key of its own, HKEY_CURRENT_USER\Software\ZU42Test\{uuid},
// which the tool takes for its root through WinRegistry::scratchRootVariable(): the machine
// key then lies under ...\Machine and the user's under ...\User. Tests run side by side never
// meet, and a key can be locked with an access list without administrator rights.

#include <QtGlobal>

#ifdef Q_OS_WIN

#include "settings/regfileformat.h"
#include "settings/winregistry.h"

#include <QUuid>
#include <algorithm>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <sddl.h>

namespace RegistryStore {

inline HKEY hive(const WinRegistry::Location &where)
{
    return where.hive == WinRegistry::Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

inline bool exists(const WinRegistry::Location &where)
{
    HKEY key = nullptr;
    // READ_CONTROL, not a query right: a key locked against reading still exists.
    if (RegOpenKeyExW(hive(where), where.path.c_str(), 0, READ_CONTROL, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// "hex:0a,00" or "hex(7):41,00,00,00": the registry type and the bytes.
inline bool parseHex(const QString &raw, DWORD *type, QByteArray *bytes)
{
    const qsizetype colon = raw.indexOf(u':');
    if (colon < 0)
        return false;
    const QString head = raw.left(colon).toLower();
    if (head == QLatin1String("hex")) {
        *type = REG_BINARY;
    } else if (head.startsWith(QLatin1String("hex(")) && head.endsWith(u')')) {
        bool ok = false;
        *type = head.mid(4, head.size() - 5).toULong(&ok, 16);
        if (!ok)
            return false;
    } else {
        return false;
    }
    bytes->clear();
    for (const QString &part : raw.mid(colon + 1).split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint b = part.trimmed().toUInt(&ok, 16);
        if (!ok || b > 0xFF)
            return false;
        bytes->append(char(b));
    }
    return true;
}

// Writes the values of a settings file (REGEDIT4 text) into the key, creating it; false when the
// text is no settings file or a value cannot be written.
inline bool import(const WinRegistry::Location &where, const QByteArray &regText)
{
    const auto values = RegFileFormat::parse(regText);
    if (!values)
        return false;
    HKEY key = nullptr;
    if (RegCreateKeyExW(hive(where), where.path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const RegFileFormat::Value &value : *values) {
        const std::wstring name = value.name.toStdWString();
        DWORD type = REG_BINARY;
        QByteArray data;
        switch (value.type) {
        case SettingsKey::ValueType::Dword: {
            type = REG_DWORD;
            const DWORD number = value.dword;
            data = QByteArray(reinterpret_cast<const char *>(&number), sizeof number);
            break;
        }
        case SettingsKey::ValueType::String:
        case SettingsKey::ValueType::ExpandString: {
            type = value.type == SettingsKey::ValueType::String ? REG_SZ : REG_EXPAND_SZ;
            const std::wstring text = value.text.toStdWString();
            data = QByteArray(reinterpret_cast<const char *>(text.c_str()), qsizetype((text.size() + 1) * sizeof(wchar_t)));
            break;
        }
        case SettingsKey::ValueType::Other:
        case SettingsKey::ValueType::Absent:
            ok = ok && parseHex(value.rawData, &type, &data);
            break;
        }
        ok = ok && RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size()))
                == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return ok;
}

// The key's values as a settings file would hold them, sorted by name: the registry keeps no
// order of its own that a test could rely on (Wine keeps values sorted). Empty when the key is
// missing or cannot be read.
inline QByteArray exportSorted(const WinRegistry::Location &where)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(hive(where), where.path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    QList<RegFileFormat::Value> values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        BYTE data[4096];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        RegFileFormat::Value value;
        value.name = QString::fromWCharArray(name, int(nameLength));
        if (type == REG_DWORD && dataSize == 4) {
            value.type = SettingsKey::ValueType::Dword;
            value.dword = *reinterpret_cast<const DWORD *>(data);
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            value.type = type == REG_SZ ? SettingsKey::ValueType::String : SettingsKey::ValueType::ExpandString;
            value.text = QString::fromWCharArray(reinterpret_cast<const wchar_t *>(data), int(dataSize / sizeof(wchar_t)));
            value.text.truncate(value.text.indexOf(QChar(0)) < 0 ? value.text.size() : value.text.indexOf(QChar(0)));
        } else {
            QStringList hex;
            for (DWORD i = 0; i < dataSize; ++i)
                hex.append(QStringLiteral("%1").arg(data[i], 2, 16, QLatin1Char('0')));
            value.rawData = (type == REG_BINARY ? QStringLiteral("hex:") : QStringLiteral("hex(%1):").arg(type, 0, 16)) + hex.join(u',');
        }
        values.append(value);
    }
    RegCloseKey(key);
    std::sort(values.begin(), values.end(), [](const RegFileFormat::Value &a, const RegFileFormat::Value &b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return RegFileFormat::format(values);
}

// A settings file's text with its values sorted as exportSorted() gives them, to compare with.
inline QByteArray sorted(const QByteArray &regText)
{
    auto values = RegFileFormat::parse(regText);
    if (!values)
        return regText;
    std::sort(values->begin(), values->end(), [](const RegFileFormat::Value &a, const RegFileFormat::Value &b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return RegFileFormat::format(*values);
}

// Gives the key an access list that denies everyone `rights` and allows all the rest: a
// KEY_SET_VALUE | KEY_CREATE_SUB_KEY lock is what a user without administrator rights meets at
// HKEY_LOCAL_MACHINE. An administrator is refused too (a deny entry binds everyone), and the
// owner may always give the rights back (allowAll).
inline bool deny(const WinRegistry::Location &where, DWORD rights)
{
    std::wstring sddl = L"D:P";
    if (rights != 0)
        sddl += L"(D;;0x" + QString::number(ulong(rights), 16).toStdWString() + L";;;WD)";
    sddl += L"(A;;KA;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    HKEY key = nullptr;
    bool ok = RegOpenKeyExW(hive(where), where.path.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS;
    ok = ok && RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    if (key)
        RegCloseKey(key);
    LocalFree(descriptor);
    return ok;
}

inline bool allowAll(const WinRegistry::Location &where)
{
    return deny(where, 0);
}

// The scratch root of one test (or one window harness): named to the tool while it lives,
// removed with everything under it at the end, locks included.
class Scratch
{
public:
    Scratch()
        : m_root(L"Software\\ZU42Test\\" + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdWString())
    {
        SetEnvironmentVariableW(WinRegistry::scratchRootVariable(), m_root.c_str());
    }
    ~Scratch()
    {
        for (const WinRegistry::Location &where : { WinRegistry::machineKey(), WinRegistry::userKey() }) {
            if (exists(where))
                allowAll(where);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, m_root.c_str());
        SetEnvironmentVariableW(WinRegistry::scratchRootVariable(), nullptr);
    }
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;

private:
    std::wstring m_root;
};

} // namespace RegistryStore

#endif // Q_OS_WIN
