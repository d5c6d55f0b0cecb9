// Fuzzes the settings file: whatever bytes lie in the store's place, as the tool reads them at
// every start (the file reader, the key over it, the stored link, language and monitor values)
// and as it writes them back.
//
//  - A file that reads as valid is written out and reads back to the same values, and writing
//    that again gives the same bytes.
//  - The key gives each value as the reader found it; a file that does not read gives the
//    defaults, never a value from half of it.
//  - No stored value outside its range is taken (language, rows, column widths).
//  - Saving one value keeps every other value of the file where and as it was; a file that did
//    not read is replaced by one that holds only what was saved.
#include "fuzzcheck.h"

#include "i18n/language.h"
#include "settings/monitorsettings.h"
#include "settings/regfileformat.h"
#include "settings/regfilesettingskey.h"
#include "settings/storedsettings.h"

#include <QFile>
#include <cstdint>

namespace {

using Values = QList<RegFileFormat::Value>;

bool sameValue(const RegFileFormat::Value &a, const RegFileFormat::Value &b)
{
    if (a.name != b.name || a.type != b.type)
        return false;
    switch (a.type) {
    case SettingsKey::ValueType::Dword:
        return a.dword == b.dword;
    case SettingsKey::ValueType::String:
    case SettingsKey::ValueType::ExpandString:
        return a.text == b.text;
    case SettingsKey::ValueType::Other:
    case SettingsKey::ValueType::Absent:
        return a.rawData == b.rawData;
    }
    return false;
}

bool sameValues(const Values &a, const Values &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (!sameValue(a[i], b[i]))
            return false;
    return true;
}

const RegFileFormat::Value *find(const Values &values, const QString &name)
{
    for (const RegFileFormat::Value &v : values)
        if (v.name.compare(name, Qt::CaseInsensitive) == 0)
            return &v;
    return nullptr;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the store file can be written");
    require(file.write(bytes) == bytes.size(), "the whole store file is written");
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    require(file.open(QIODevice::ReadOnly), "the store file can be read");
    return file.readAll();
}

void checkReader(const Values &values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        for (qsizetype j = i + 1; j < values.size(); ++j)
            require(values[i].name.compare(values[j].name, Qt::CaseInsensitive) != 0, "a name is kept once");

    const QByteArray written = RegFileFormat::format(values);
    const std::optional<Values> again = RegFileFormat::parse(written);
    require(again.has_value(), "what the writer makes reads as valid");
    require(sameValues(values, *again), "a file reads back to the values it was written from");
    require(RegFileFormat::format(*again) == written, "writing what was read back gives the same bytes");
}

// The stored link and language as StoredSettings reads them: in order, up to the first value of
// the wrong type; each one either the file's or the default.
void checkStoredSettings(const std::optional<Values> &values)
{
    const StoredSettings defaults;
    const StoredSettings read = StoredSettings::read();
    require(read.languageIndex >= 0 && read.languageIndex < Language::Count, "the language index is a language");
    require(read.languageIndex == Language::indexOfFlag(read.languageFlag), "the language index follows its flag");
    if (!values) {
        require(read.type == defaults.type && read.comPortName == defaults.comPortName
                    && read.comBaudRate == defaults.comBaudRate && read.netIp == defaults.netIp
                    && read.netPort == defaults.netPort && read.languageFlag == defaults.languageFlag,
                "a file that does not read gives the defaults");
        return;
    }
    bool reading = true;
    const auto expectDword = [&](const char *name, quint32 got, quint32 fallback) {
        const RegFileFormat::Value *v = find(*values, QLatin1String(name));
        if (reading && v && v->type != SettingsKey::ValueType::Dword)
            reading = false;
        require(got == (reading && v ? v->dword : fallback), "a stored number is the file's, else the default");
    };
    const auto expectText = [&](const char *name, const QString &got, const QString &fallback) {
        const RegFileFormat::Value *v = find(*values, QLatin1String(name));
        if (reading && v && v->type != SettingsKey::ValueType::String && v->type != SettingsKey::ValueType::ExpandString)
            reading = false;
        require(got == (reading && v ? v->text : fallback), "a stored text is the file's, else the default");
    };
    expectDword("TYPE", read.type, defaults.type);
    expectText("ComBaudRate", read.comBaudRate, defaults.comBaudRate);
    expectText("ComPortName", read.comPortName, defaults.comPortName);
    expectText("NetIP", read.netIp, defaults.netIp);
    expectText("NetPort", read.netPort, defaults.netPort);
    expectText("LanguageFlag", read.languageFlag, defaults.languageFlag);
}

void checkMonitorSettings(const std::optional<Values> &values)
{
    const MonitorSettings read = MonitorSettings::read();
    require(read.rows > 0, "the rows kept are a positive number");
    for (const int width : read.columnWidths)
        require(width > 0 && width <= 10000, "a column width is on a screen");
    if (!values) {
        require(read.rows == MonitorSettings::DefaultRows && read.columnWidths.isEmpty() && read.geometry.isEmpty()
                    && !read.hexadecimal && !read.logFile,
                "a file that does not read gives the monitor's defaults");
        return;
    }
    const RegFileFormat::Value *rows = find(*values, QStringLiteral("MonitorRows"));
    if (!rows || rows->type != SettingsKey::ValueType::Dword || rows->dword == 0 || rows->dword > 0x7FFFFFFFu)
        require(read.rows == MonitorSettings::DefaultRows, "rows that cannot be a count keep the default");
    else
        require(read.rows == int(rows->dword), "a count of rows is taken as stored");
}

// Saving the language changes that one value and keeps every other one, its place and its data.
void checkSave(const QString &path, const std::optional<Values> &before)
{
    StoredSettings::saveLanguage(QStringLiteral("ChineseBIG5"));
    const std::optional<Values> after = RegFileFormat::parse(readFile(path));
    require(after.has_value(), "a saved store reads as valid");
    Values expected = before.value_or(Values());
    RegFileFormat::Value language;
    language.name = QStringLiteral("LanguageFlag");
    language.type = SettingsKey::ValueType::String;
    language.text = QStringLiteral("ChineseBIG5");
    bool replaced = false;
    for (RegFileFormat::Value &v : expected) {
        if (v.name.compare(language.name, Qt::CaseInsensitive) == 0) {
            language.name = v.name; // the spelling it was created with
            v = language;
            replaced = true;
        }
    }
    if (!replaced)
        expected.append(language);
    require(sameValues(expected, *after), "saving one value keeps the others where and as they were");
    // Read back as at the next start: the language counts unless a value before it has the
    // wrong type, which ends the reading.
    checkStoredSettings(after);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietWarnings();
    const QString config = scratchFolder().filePath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(config));
    require(QDir().mkpath(config + QStringLiteral("/ZOVUR")), "the store's folder can be made");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<Values> values = RegFileFormat::parse(bytes);
    if (values)
        checkReader(*values);

    const QString path = RegFileSettingsKey::storePath();
    writeFile(path, bytes);
    const auto key = RegFileSettingsKey::openForReading(path);
    require(bool(key) == values.has_value(), "the key opens exactly when the file reads");
    if (key) {
        for (const RegFileFormat::Value &v : *values) {
            require(key->type(v.name) == v.type, "the key gives each value's type as read");
            require(key->readDword(v.name) == (v.type == SettingsKey::ValueType::Dword ? std::optional(v.dword) : std::nullopt),
                    "a number is read only from a number");
            const bool text = v.type == SettingsKey::ValueType::String || v.type == SettingsKey::ValueType::ExpandString;
            require(key->readString(v.name) == (text ? std::optional(v.text) : std::nullopt), "a text is read only from a text");
        }
    }
    checkStoredSettings(values);
    checkMonitorSettings(values);
    checkSave(path, values);
    return 0;
}
