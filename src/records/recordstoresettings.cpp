#include "records/recordstoresettings.h"

#include "link/userdatafolder.h"

#include <QDir>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QString SqliteScheme = QStringLiteral("sqlite:");
const QStringList SslModes { QStringLiteral("disable"), QStringLiteral("allow"), QStringLiteral("prefer"),
                             QStringLiteral("require"), QStringLiteral("verify-ca"), QStringLiteral("verify-full") };

QString postgresqlText(const RecordStoreSettings &s, bool withPassword)
{
    const bool socket = s.host.startsWith(QLatin1Char('/'));
    // An empty authority is what libpq wants with a socket folder; QUrl drops the "//" of a URL
    // without host, so the text is put together by hand around the encoded pieces.
    QString text = QStringLiteral("postgresql://");
    if (!s.user.isEmpty()) {
        text += QString::fromUtf8(QUrl::toPercentEncoding(s.user));
        if (withPassword && !s.password.isEmpty())
            text += QLatin1Char(':') + QString::fromUtf8(QUrl::toPercentEncoding(s.password));
        text += QLatin1Char('@');
    }
    if (!socket && !s.host.isEmpty())
        text += s.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + s.host + QLatin1Char(']') : s.host;
    if (s.port != 5432)
        text += QLatin1Char(':') + QString::number(s.port);
    text += QLatin1Char('/') + QString::fromUtf8(QUrl::toPercentEncoding(s.database));
    QStringList options;
    if (socket)
        options << QStringLiteral("host=") + QString::fromUtf8(QUrl::toPercentEncoding(s.host, "/"));
    if (!s.sslMode.isEmpty())
        options << QStringLiteral("sslmode=") + s.sslMode;
    if (!options.isEmpty())
        text += QLatin1Char('?') + options.join(QLatin1Char('&'));
    return text;
}

} // namespace

RecordStoreSettings RecordStoreSettings::defaultSettings()
{
    RecordStoreSettings settings;
    settings.sqlitePath = defaultSqlitePath();
    return settings;
}

QString RecordStoreSettings::dataFolder()
{
    // One folder for the window and the command line alike, whatever the program's own name:
    // a unit tested from either lands in the same records.
    return UserDataFolder::path();
}

QString RecordStoreSettings::defaultSqlitePath()
{
    return QDir(dataFolder()).filePath(QStringLiteral("records.sqlite"));
}

std::optional<RecordStoreSettings> RecordStoreSettings::parse(const QString &input, QString *why)
{
    auto refuse = [why](const QString &text) {
        if (why)
            *why = text;
        return std::nullopt;
    };
    const QString text = input.trimmed();

    if (text.startsWith(SqliteScheme, Qt::CaseInsensitive)) {
        const QString path = text.mid(SqliteScheme.size());
        if (path.isEmpty())
            return defaultSettings();
        if (QDir::isRelativePath(path))
            return refuse(QStringLiteral("the SQLite file \"%1\" is not an absolute path").arg(path));
        RecordStoreSettings settings;
        settings.sqlitePath = QDir::cleanPath(path);
        return settings;
    }

    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))
        return refuse(QStringLiteral("\"%1\" is neither sqlite:... nor postgresql://...").arg(text.left(60)));
    if (!url.isValid())
        return refuse(QStringLiteral("the PostgreSQL address is not a valid URI: %1").arg(url.errorString()));

    RecordStoreSettings settings;
    settings.backend = Backend::Postgresql;
    settings.user = url.userName(QUrl::FullyDecoded);
    settings.password = url.password(QUrl::FullyDecoded);
    settings.host = url.host(QUrl::FullyDecoded);
    settings.port = url.port(5432);
    if (settings.port < 1)
        return refuse(QStringLiteral("the port must be 1 to 65535"));
    settings.database = url.path(QUrl::FullyDecoded).mid(1);
    if (settings.database.isEmpty() || settings.database.contains(QLatin1Char('/')))
        return refuse(QStringLiteral("the PostgreSQL address names no database (postgresql://user@host/database)"));
    if (url.hasFragment())
        return refuse(QStringLiteral("the PostgreSQL address has a fragment (#...)"));

    const QUrlQuery query(url);
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("host") && settings.host.isEmpty() && value.startsWith(QLatin1Char('/')))
            settings.host = value;
        else if (key == QLatin1String("sslmode") && SslModes.contains(value) && settings.sslMode.isEmpty())
            settings.sslMode = value;
        else if (key == QLatin1String("sslmode"))
            return refuse(QStringLiteral("sslmode wants one of %1, got \"%2\"").arg(SslModes.join(QStringLiteral(", ")), value));
        else
            return refuse(QStringLiteral("the PostgreSQL address has the option \"%1\"; only host=/socket/folder, with no host before it, and sslmode are read").arg(key));
    }
    return settings;
}

std::optional<RecordStoreSettings> RecordStoreSettings::fromSetting(const QString &text, QString *why)
{
    if (text.trimmed().isEmpty())
        return defaultSettings();
    return parse(text, why);
}

QString RecordStoreSettings::toString() const
{
    return backend == Backend::Sqlite ? SqliteScheme + QDir::fromNativeSeparators(sqlitePath) : postgresqlText(*this, true);
}

QString RecordStoreSettings::displayString() const
{
    return backend == Backend::Sqlite ? toString() : postgresqlText(*this, false);
}

QString RecordStoreSettings::driverOptions() const
{
    // Checked against the list when parsed: nothing else can reach the driver's option string.
    return sslMode.isEmpty() ? QString() : QStringLiteral(";sslmode=") + sslMode;
}
