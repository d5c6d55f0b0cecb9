#include "profile/profilefile.h"

#include "profile/parametercatalog.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString FormatName = QStringLiteral("zu42-profile");

namespace Key {
const QString Format = QStringLiteral("format");
const QString Version = QStringLiteral("version");
const QString Model = QStringLiteral("model");
const QString Created = QStringLiteral("created");
const QString MadeBy = QStringLiteral("made-by");
const QString SerialNumber = QStringLiteral("serial-number");
const QString Values = QStringLiteral("values");
} // namespace Key

std::optional<Profile> refuse(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return std::nullopt;
}

bool isModelText(const QString &text)
{
    if (text.isEmpty() || text.size() > 16)
        return false;
    for (const QChar c : text)
        if (c.unicode() > 0x7F || !c.isLetterOrNumber())
            return false;
    return true;
}

// One JSON value as it stands in the file (strings quoted and escaped).
QByteArray jsonText(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray { value }).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

std::optional<Profile> ProfileFile::parse(const QByteArray &bytes, QString *why)
{
    if (bytes.size() > MaxFileSize)
        return refuse(why, QStringLiteral("Not a profile: more than %1 bytes").arg(MaxFileSize));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return refuse(why, QStringLiteral("Not a profile: damaged JSON at byte %1 (%2)")
                               .arg(parseError.offset)
                               .arg(parseError.errorString()));
    if (!document.isObject())
        return refuse(why, QStringLiteral("Not a profile: the file is not one JSON object"));
    const QJsonObject root = document.object();

    if (root.value(Key::Format) != QJsonValue(FormatName))
        return refuse(why, QStringLiteral("Not a profile: \"format\" is not \"%1\"").arg(FormatName));
    const QJsonValue version = root.value(Key::Version);
    if (!version.isDouble() || version.toDouble() != double(version.toInt()))
        return refuse(why, QStringLiteral("The profile has no version number"));
    if (version.toInt() != Version)
        return refuse(why, QStringLiteral("Profile version %1 is unknown to this program, which reads version %2")
                               .arg(version.toInt())
                               .arg(Version));
    for (auto it = root.constBegin(); it != root.constEnd(); ++it) {
        static const QStringList known { Key::Format, Key::Version, Key::Model, Key::Created,
                                         Key::MadeBy, Key::SerialNumber, Key::Values };
        if (!known.contains(it.key()))
            return refuse(why, QStringLiteral("The profile holds \"%1\", which version %2 does not have").arg(it.key()).arg(Version));
    }

    Profile profile;
    const QString model = root.value(Key::Model).toString();
    if (!isModelText(model))
        return refuse(why, QStringLiteral("The profile does not say its model (letters and digits, as \"ZO425\")"));
    profile.model = model.toLatin1();
    profile.created = QDateTime::fromString(root.value(Key::Created).toString(), Qt::ISODate);
    // The file keeps whole seconds: a fraction written by hand is dropped here rather than when
    // the profile is saved again, so that what was read is what will be written.
    profile.created = profile.created.addMSecs(-profile.created.time().msec());
    // A time without an offset is the PC's local time; where that was once local mean time
    // (an offset of seconds, as +00:53:28), no offset the file can hold says it: kept as UTC.
    if (profile.created.offsetFromUtc() % 60 != 0)
        profile.created = profile.created.toUTC();
    if (!profile.created.isValid())
        return refuse(why, QStringLiteral("The profile does not say when it was made (\"created\" as 2026-12-07T14:03:11+01:00)"));
    for (const QString &key : { Key::MadeBy, Key::SerialNumber })
        if (root.contains(key) && !root.value(key).isString())
            return refuse(why, QStringLiteral("\"%1\" of the profile is not a text").arg(key));
    profile.madeBy = root.value(Key::MadeBy).toString();
    profile.serialNumber = root.value(Key::SerialNumber).toString().toUtf8();

    const QJsonValue values = root.value(Key::Values);
    if (!values.isObject() || values.toObject().isEmpty())
        return refuse(why, QStringLiteral("The profile holds no values"));
    const QJsonObject object = values.toObject();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const ParameterInfo *parameter = ParameterCatalog::find(it.key());
        if (!parameter)
            return refuse(why, QStringLiteral("Unknown value name \"%1\"").arg(it.key()));
        if (!parameter->appliesTo(profile.model))
            return refuse(why, QStringLiteral("%1: the %2 has no such value (only the %3)")
                                   .arg(it.key(), model, QString::fromLatin1(parameter->onlyModel)));
        QString refusal;
        const std::optional<QString> value = parameter->fromJson(it.value(), &refusal);
        if (!value)
            return refuse(why, QStringLiteral("Value %1").arg(refusal));
        profile.values.insert(it.key(), *value);
    }
    return profile;
}

std::optional<Profile> ProfileFile::load(const QString &path, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(why, QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    // One byte more than allowed is enough to tell a file that is too big.
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(why, QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    QString cause;
    std::optional<Profile> profile = parse(bytes, &cause);
    if (!profile)
        return refuse(why, QStringLiteral("%1: %2").arg(path, cause));
    return profile;
}

QByteArray ProfileFile::toJson(const Profile &profile)
{
    // Written by hand rather than by QJsonDocument so that the values keep the catalogue's
    // order, which is the order a person checks them in.
    QByteArray out = "{\n";
    const auto line = [&out](const QString &key, const QJsonValue &value, bool last = false) {
        out += "    " + jsonText(key) + ": " + jsonText(value) + (last ? "\n" : ",\n");
    };
    line(Key::Format, FormatName);
    line(Key::Version, Version);
    line(Key::Model, QString::fromLatin1(profile.model));
    line(Key::Created, profile.created.toOffsetFromUtc(profile.created.offsetFromUtc()).toString(Qt::ISODate));
    if (!profile.madeBy.isEmpty())
        line(Key::MadeBy, profile.madeBy);
    if (!profile.serialNumber.isEmpty())
        line(Key::SerialNumber, QString::fromUtf8(profile.serialNumber));
    out += "    " + jsonText(Key::Values) + ": {\n";
    QList<QByteArray> values;
    for (const ParameterInfo &parameter : ParameterCatalog::all()) {
        const auto it = profile.values.constFind(parameter.name);
        if (it != profile.values.cend())
            values.append("        " + jsonText(parameter.name) + ": " + jsonText(parameter.toJson(*it)));
    }
    out += values.join(",\n") + "\n    }\n}\n";
    return out;
}

bool ProfileFile::save(const QString &path, const Profile &profile, QString *why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toJson(profile)) < 0 || !file.commit()) {
        if (why)
            *why = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
