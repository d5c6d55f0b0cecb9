#include "settings/regfilesettingskey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

enum class FileState { Missing, Unreadable, Malformed, Valid };

struct Loaded
{
    FileState state = FileState::Missing;
    QList<RegFileFormat::Value> values;
};

Loaded load(const QString &path)
{
    Loaded result;
    const QFileInfo info(path);
    if (!info.exists())
        return result;
    // A folder, pipe or device in the store's place is not ours to read or replace.
    if (!info.isFile()) {
        result.state = FileState::Unreadable;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.state = FileState::Unreadable;
        return result;
    }
    const QByteArray bytes = file.read(RegFileFormat::MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        result.state = FileState::Unreadable;
        return result;
    }
    auto values = RegFileFormat::parse(bytes);
    if (!values) {
        result.state = FileState::Malformed;
        return result;
    }
    result.state = FileState::Valid;
    result.values = std::move(*values);
    return result;
}

} // namespace

QString RegFileSettingsKey::storePath()
{
    QString base = QStringLiteral("/etc/xdg");
    const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString &dir : dirs.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        // Relative entries are invalid in this variable and are to be ignored.
        if (QDir::isAbsolutePath(dir)) {
            base = dir;
            break;
        }
    }
    return QDir::cleanPath(base + QStringLiteral("/ZOVUR/RO420DA_Tools.reg"));
}

std::unique_ptr<RegFileSettingsKey> RegFileSettingsKey::openForReading(const QString &path)
{
    Loaded loaded = load(path);
    if (loaded.state != FileState::Valid)
        return nullptr;
    return std::unique_ptr<RegFileSettingsKey>(
        new RegFileSettingsKey(path, std::move(loaded.values), false));
}

std::unique_ptr<RegFileSettingsKey> RegFileSettingsKey::openForWriting(const QString &path)
{
    Loaded loaded = load(path);
    if (loaded.state == FileState::Unreadable)
        return nullptr;
    // Opening with create makes the key, here its folder, at once, as the registry does.
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return nullptr;
    return std::unique_ptr<RegFileSettingsKey>(
        new RegFileSettingsKey(path, std::move(loaded.values), true));
}

RegFileSettingsKey::RegFileSettingsKey(const QString &path, QList<RegFileFormat::Value> values,
                                       bool writable)
    : m_path(path), m_values(std::move(values)), m_writable(writable)
{
}

const RegFileFormat::Value *RegFileSettingsKey::find(const QString &name) const
{
    for (const RegFileFormat::Value &value : m_values)
        if (value.name.compare(name, Qt::CaseInsensitive) == 0)
            return &value;
    return nullptr;
}

SettingsKey::ValueType RegFileSettingsKey::type(const QString &name) const
{
    const RegFileFormat::Value *value = find(name);
    return value ? value->type : ValueType::Absent;
}

std::optional<quint32> RegFileSettingsKey::readDword(const QString &name) const
{
    const RegFileFormat::Value *value = find(name);
    if (!value || value->type != ValueType::Dword)
        return std::nullopt;
    return value->dword;
}

std::optional<QString> RegFileSettingsKey::readString(const QString &name) const
{
    const RegFileFormat::Value *value = find(name);
    if (!value || (value->type != ValueType::String && value->type != ValueType::ExpandString))
        return std::nullopt;
    return value->text;
}

bool RegFileSettingsKey::writeDword(const QString &name, quint32 value)
{
    RegFileFormat::Value entry;
    entry.name = name;
    entry.type = ValueType::Dword;
    entry.dword = value;
    return store(std::move(entry));
}

bool RegFileSettingsKey::writeString(const QString &name, const QString &value)
{
    if (!RegFileFormat::canStore(value))
        return false;
    RegFileFormat::Value entry;
    entry.name = name;
    entry.type = ValueType::String;
    entry.text = value;
    return store(std::move(entry));
}

bool RegFileSettingsKey::store(RegFileFormat::Value value)
{
    if (!m_writable || !RegFileFormat::canStore(value.name))
        return false;
    for (RegFileFormat::Value &existing : m_values) {
        if (existing.name.compare(value.name, Qt::CaseInsensitive) == 0) {
            // The registry keeps the spelling the value was created with.
            value.name = existing.name;
            existing = std::move(value);
            return true;
        }
    }
    m_values.append(std::move(value));
    return true;
}

bool RegFileSettingsKey::commit()
{
    if (!m_writable)
        return false;
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = RegFileFormat::format(m_values);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
