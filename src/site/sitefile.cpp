#include "site/sitefile.h"

#include "profile/parametercatalog.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString FormatName = QStringLiteral("zu42-site");

const QStringList ProfileStates { QStringLiteral("not-read"), QStringLiteral("matches"), QStringLiteral("differs") };

template<typename T>
std::optional<T> refuse(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return std::nullopt;
}

bool isId(const QString &text)
{
    return text.size() == 3 && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Keys of an object that the version does not have, as the first one found.
QString unknownKey(const QJsonObject &object, const QStringList &known)
{
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
        if (!known.contains(it.key()))
            return it.key();
    return QString();
}

QJsonObject valuesToJson(const ParameterValues &values)
{
    QJsonObject out;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (const ParameterInfo *parameter = ParameterCatalog::find(it.key()))
            out.insert(it.key(), parameter->toJson(it.value()));
    return out;
}

std::optional<ParameterValues> valuesFromJson(const QJsonValue &json, const QString &where, QString *why)
{
    if (!json.isUndefined() && !json.isObject())
        return refuse<ParameterValues>(why, QStringLiteral("%1: \"values\" is not an object").arg(where));
    ParameterValues values;
    const QJsonObject object = json.toObject();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const ParameterInfo *parameter = ParameterCatalog::find(it.key());
        if (!parameter)
            return refuse<ParameterValues>(why, QStringLiteral("%1: unknown value name \"%2\"").arg(where, it.key()));
        QString refusal;
        const std::optional<QString> value = parameter->fromJson(it.value(), &refusal);
        if (!value)
            return refuse<ParameterValues>(why, QStringLiteral("%1: value %2").arg(where, refusal));
        values.insert(it.key(), *value);
    }
    return values;
}

QJsonObject linkToJson(const LinkSettings &link)
{
    if (link.isNet())
        return { { QStringLiteral("kind"), QStringLiteral("tcp") },
                 { QStringLiteral("address"), link.hostAddress },
                 { QStringLiteral("port"), link.hostPort } };
    return { { QStringLiteral("kind"), QStringLiteral("serial") },
             { QStringLiteral("port"), link.portName },
             { QStringLiteral("line"), link.lineMode } };
}

std::optional<LinkSettings> linkFromJson(const QJsonValue &json, QString *why)
{
    const QJsonObject link = json.toObject();
    const QString kind = link.value(QStringLiteral("kind")).toString();
    if (kind == QLatin1String("tcp") && unknownKey(link, { "kind", "address", "port" }).isEmpty())
        return LinkSettings::tcp(link.value(QStringLiteral("address")).toString(), link.value(QStringLiteral("port")).toString());
    if (kind == QLatin1String("serial") && unknownKey(link, { "kind", "port", "line" }).isEmpty())
        return LinkSettings::serial(link.value(QStringLiteral("port")).toString(), link.value(QStringLiteral("line")).toString());
    return refuse<LinkSettings>(why, QStringLiteral("The site's \"link\" is not a serial line or a TCP address"));
}

QString text(const QJsonObject &o, const char *key)
{
    return o.value(QLatin1String(key)).toString();
}

std::optional<SiteUnit> unitFromJson(const QJsonValue &json, int row, QString *why)
{
    static const QStringList known { "id", "model", "version", "serial-number", "clock-offset-s", "profile", "differing",
                                     "last-action", "last-ok", "last-why", "last-at", "failed", "values", "replaced" };
    const QString where = QStringLiteral("Unit %1").arg(row + 1);
    if (!json.isObject())
        return refuse<SiteUnit>(why, QStringLiteral("%1 is not an object").arg(where));
    const QJsonObject o = json.toObject();
    if (const QString key = unknownKey(o, known); !key.isEmpty())
        return refuse<SiteUnit>(why, QStringLiteral("%1 holds \"%2\", which version %3 does not have").arg(where, key).arg(SiteFile::Version));
    for (const char *key : { "id", "model", "version", "serial-number", "profile", "last-action", "last-why", "last-at" })
        if (o.contains(QLatin1String(key)) && !o.value(QLatin1String(key)).isString())
            return refuse<SiteUnit>(why, QStringLiteral("%1: \"%2\" is not a text").arg(where, QLatin1String(key)));
    SiteUnit unit;
    if (!isId(text(o, "id")))
        return refuse<SiteUnit>(why, QStringLiteral("%1: \"id\" is not three digits").arg(where));
    unit.id = text(o, "id").toLatin1();
    unit.model = text(o, "model").toLatin1();
    unit.version = text(o, "version");
    unit.serialNumber = text(o, "serial-number").toLatin1();
    if (o.contains(QStringLiteral("clock-offset-s"))) {
        const QJsonValue offset = o.value(QStringLiteral("clock-offset-s"));
        if (!offset.isDouble() || offset.toDouble() != double(offset.toInteger()))
            return refuse<SiteUnit>(why, QStringLiteral("%1: \"clock-offset-s\" is not a whole number").arg(where));
        unit.clockOffsetS = offset.toInteger();
    }
    const int state = ProfileStates.indexOf(o.value(QStringLiteral("profile")).toString(ProfileStates.first()));
    if (state < 0)
        return refuse<SiteUnit>(why, QStringLiteral("%1: \"profile\" is none of %2").arg(where, ProfileStates.join(QStringLiteral(", "))));
    unit.profileState = SiteUnit::ProfileState(state);
    unit.differing = o.value(QStringLiteral("differing")).toInt();
    unit.lastAction = text(o, "last-action");
    unit.lastOk = o.value(QStringLiteral("last-ok")).toBool();
    unit.lastWhy = text(o, "last-why");
    unit.lastAt = QDateTime::fromString(text(o, "last-at"), Qt::ISODate);
    unit.failed = o.value(QStringLiteral("failed")).toBool();
    const std::optional<ParameterValues> values = valuesFromJson(o.value(QStringLiteral("values")), where, why);
    if (!values)
        return std::nullopt;
    unit.values = *values;
    for (const QJsonValue &r : o.value(QStringLiteral("replaced")).toArray()) {
        const QJsonObject replaced = r.toObject();
        const QDateTime date = QDateTime::fromString(text(replaced, "date"), Qt::ISODate);
        if (text(replaced, "serial-number").isEmpty() || !date.isValid())
            return refuse<SiteUnit>(why, QStringLiteral("%1: a replaced unit without its serial number and date").arg(where));
        unit.replaced.append({ text(replaced, "serial-number").toLatin1(), date });
    }
    return unit;
}

// With its offset, so the text still says which moment it was when read elsewhere.
QString timeText(const QDateTime &time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QJsonObject unitToJson(const SiteUnit &unit)
{
    QJsonObject o { { QStringLiteral("id"), QString::fromLatin1(unit.id) },
                    { QStringLiteral("model"), QString::fromLatin1(unit.model) },
                    { QStringLiteral("version"), unit.version },
                    { QStringLiteral("serial-number"), QString::fromLatin1(unit.serialNumber) },
                    { QStringLiteral("profile"), ProfileStates.at(int(unit.profileState)) },
                    { QStringLiteral("differing"), unit.differing },
                    { QStringLiteral("last-action"), unit.lastAction },
                    { QStringLiteral("last-ok"), unit.lastOk },
                    { QStringLiteral("last-why"), unit.lastWhy },
                    { QStringLiteral("failed"), unit.failed },
                    { QStringLiteral("values"), valuesToJson(unit.values) } };
    if (unit.clockOffsetS)
        o.insert(QStringLiteral("clock-offset-s"), *unit.clockOffsetS);
    if (unit.lastAt.isValid())
        o.insert(QStringLiteral("last-at"), timeText(unit.lastAt));
    QJsonArray replaced;
    for (const ReplacedUnit &r : unit.replaced)
        replaced.append(QJsonObject { { QStringLiteral("serial-number"), QString::fromLatin1(r.serialNumber) },
                                      { QStringLiteral("date"), timeText(r.replacedAt) } });
    o.insert(QStringLiteral("replaced"), replaced);
    return o;
}

} // namespace

std::optional<Site> SiteFile::parse(const QByteArray &bytes, QString *why)
{
    if (bytes.size() > MaxFileSize)
        return refuse<Site>(why, QStringLiteral("Not a site: more than %1 bytes").arg(MaxFileSize));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return refuse<Site>(why, QStringLiteral("Not a site: damaged JSON at byte %1 (%2)").arg(parseError.offset).arg(parseError.errorString()));
    if (!document.isObject())
        return refuse<Site>(why, QStringLiteral("Not a site: the file is not one JSON object"));
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")) != QJsonValue(FormatName))
        return refuse<Site>(why, QStringLiteral("Not a site: \"format\" is not \"%1\"").arg(FormatName));
    const QJsonValue version = root.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() != double(version.toInt()) || version.toInt() < 1)
        return refuse<Site>(why, QStringLiteral("The site file has no version number"));
    if (version.toInt() > Version)
        return refuse<Site>(why, QStringLiteral("Site file version %1 is newer than this program, which reads version %2")
                                     .arg(version.toInt())
                                     .arg(Version));
    if (const QString key = unknownKey(root, { "format", "version", "name", "saved", "made-by", "link", "profile", "units" });
        !key.isEmpty())
        return refuse<Site>(why, QStringLiteral("The site file holds \"%1\", which version %2 does not have").arg(key).arg(Version));

    Site site;
    if (!root.value(QStringLiteral("name")).isString())
        return refuse<Site>(why, QStringLiteral("The site has no name"));
    site.name = root.value(QStringLiteral("name")).toString();
    const std::optional<LinkSettings> link = linkFromJson(root.value(QStringLiteral("link")), why);
    if (!link)
        return std::nullopt;
    site.link = *link;
    if (root.contains(QStringLiteral("profile"))) {
        const QJsonObject profile = root.value(QStringLiteral("profile")).toObject();
        if (const QString key = unknownKey(profile, { "name", "model", "values" }); !key.isEmpty() || text(profile, "name").isEmpty())
            return refuse<Site>(why, QStringLiteral("The site's \"profile\" wants a name, a model and values"));
        site.profileName = text(profile, "name");
        site.profileModel = text(profile, "model").toLatin1();
        const std::optional<ParameterValues> values = valuesFromJson(profile.value(QStringLiteral("values")), QStringLiteral("The profile"), why);
        if (!values)
            return std::nullopt;
        site.profileValues = *values;
    }
    if (!root.value(QStringLiteral("units")).isArray())
        return refuse<Site>(why, QStringLiteral("The site file has no \"units\" list"));
    const QJsonArray units = root.value(QStringLiteral("units")).toArray();
    for (int row = 0; row < units.size(); ++row) {
        const std::optional<SiteUnit> unit = unitFromJson(units.at(row), row, why);
        if (!unit)
            return std::nullopt;
        if (site.indexOf(unit->id) >= 0)
            return refuse<Site>(why, QStringLiteral("ID %1 is on the site twice").arg(QString::fromLatin1(unit->id)));
        site.add(*unit);
    }
    return site;
}

std::optional<Site> SiteFile::load(const QString &path, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse<Site>(why, QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse<Site>(why, QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    QString cause;
    std::optional<Site> site = parse(bytes, &cause);
    if (!site)
        return refuse<Site>(why, QStringLiteral("%1: %2").arg(path, cause));
    return site;
}

QByteArray SiteFile::toJson(const Site &site, const QDateTime &saved, const QString &madeBy)
{
    QJsonObject root { { QStringLiteral("format"), FormatName },
                       { QStringLiteral("version"), Version },
                       { QStringLiteral("name"), site.name },
                       { QStringLiteral("saved"), saved.toOffsetFromUtc(saved.offsetFromUtc()).toString(Qt::ISODate) },
                       { QStringLiteral("link"), linkToJson(site.link) } };
    if (!madeBy.isEmpty())
        root.insert(QStringLiteral("made-by"), madeBy);
    if (!site.profileName.isEmpty())
        root.insert(QStringLiteral("profile"), QJsonObject { { QStringLiteral("name"), site.profileName },
                                                             { QStringLiteral("model"), QString::fromLatin1(site.profileModel) },
                                                             { QStringLiteral("values"), valuesToJson(site.profileValues) } });
    QJsonArray units;
    for (const SiteUnit &unit : site.units)
        units.append(unitToJson(unit));
    root.insert(QStringLiteral("units"), units);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool SiteFile::save(const QString &path, const Site &site, const QString &madeBy, QString *why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toJson(site, QDateTime::currentDateTime(), madeBy)) < 0 || !file.commit()) {
        if (why)
            *why = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
