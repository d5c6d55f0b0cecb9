#pragma once

#include "settings/settingskey.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The text form of the settings key, in the registry's REGEDIT4 export syntax so that value
// types survive and an administrator can read, edit and even import the file on Windows:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\ZOVUR\RO420DA_Tools]
//   "TYPE"=dword:00000001
//   "ComPortName"="COM1"
//   "Path"=hex(2):43,3a,00
//
// Reading accepts what regedit itself writes and an editor commonly leaves: CR LF or LF line
// ends, a UTF-8 byte order mark, blank lines, ";" comment lines, blanks around "=", upper or
// lower case in "dword:" and the hex digits, hex data continued on the next line after a
// trailing "\", "@" for the unnamed value. The file must start with "REGEDIT4" and hold the
// one section of our key and nothing else; otherwise it is malformed. A value line whose data
// is not a well-formed dword, string or hex(2) form is a value of another type and is kept
// verbatim. Comments are not kept when the file is written again.
class RegFileFormat
{
public:
    struct Value
    {
        QString name;  // empty for the unnamed value "@"
        SettingsKey::ValueType type = SettingsKey::ValueType::Other;
        quint32 dword = 0;
        QString text;     // String and ExpandString
        QString rawData;  // Other: the data after "=" as it stood in the file
    };

    static constexpr qsizetype MaxFileSize = 1024 * 1024;

    static QString keyPath();

    // The values in file order, or nothing when the text is not a settings file. A name
    // given twice keeps its first place and its last data, as an import into the registry
    // would leave it.
    static std::optional<QList<Value>> parse(const QByteArray &bytes);
    // UTF-8, LF line ends. Strings must not hold CR, LF or NUL (see canStore).
    static QByteArray format(const QList<Value> &values);
    // Whether a name or string can be written as one line of the file.
    static bool canStore(const QString &text);
};
