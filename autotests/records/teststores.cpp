#include "teststores.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

TestStores::TestStores()
{
    // Run as root, the server runs as another user, which must pass this folder.
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
}

TestStores::~TestStores()
{
    if (m_running)
        stopServer();
}

std::optional<RecordStoreSettings> TestStores::fresh(const QString &backend)
{
    ++m_stores;
    if (backend == QLatin1String("postgresql"))
        return freshDatabase();
    RecordStoreSettings settings;
    settings.sqlitePath = m_dir.filePath(QStringLiteral("store%1/records.sqlite").arg(m_stores));
    return settings;
}

bool TestStores::execBehind(const RecordStoreSettings &s, const QStringList &statements)
{
    const QString name = QStringLiteral("behind-the-store");
    bool ok = false;
    {
        const bool sqlite = s.backend == RecordStoreSettings::Backend::Sqlite;
        QSqlDatabase db = QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
        if (sqlite)
            QDir().mkpath(QFileInfo(s.sqlitePath).absolutePath());
        db.setDatabaseName(sqlite ? s.sqlitePath : s.database);
        db.setHostName(s.host);
        db.setUserName(s.user);
        ok = db.open();
        QSqlQuery query(db);
        for (const QString &statement : statements)
            ok = ok && query.exec(statement);
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QStringList TestStores::olderSchema(int version)
{
    const QString verdicts = version == 1 ? QStringLiteral("VARCHAR(4) NOT NULL CHECK (verdict IN ('PASS', 'FAIL'))")
                                          : QStringLiteral("VARCHAR(5) NOT NULL CHECK (verdict IN ('PASS', 'FAIL', 'ERROR')),"
                                                           " engineering INTEGER NOT NULL DEFAULT 0 CHECK (engineering IN (0, 1))");
    QStringList tables{
        QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE units (record_id VARCHAR(36) PRIMARY KEY, serial_number TEXT NOT NULL, controller_id TEXT NOT NULL,"
                       " model TEXT NOT NULL, version TEXT NOT NULL, station TEXT NOT NULL, operator_name TEXT NOT NULL,"
                       " start_ms BIGINT NOT NULL, end_ms BIGINT NOT NULL, jig_map TEXT NOT NULL, verdict %1)")
            .arg(verdicts),
        QStringLiteral("CREATE TABLE steps (record_id VARCHAR(36) NOT NULL REFERENCES units (record_id), step_index INTEGER NOT NULL,"
                       " name TEXT NOT NULL, expected TEXT NOT NULL, measured TEXT NOT NULL, passed INTEGER NOT NULL CHECK (passed IN (0, 1)),"
                       " reason TEXT NOT NULL, PRIMARY KEY (record_id, step_index))"),
        QStringLiteral("CREATE INDEX units_by_start ON units (start_ms)"),
        QStringLiteral("INSERT INTO schema_version VALUES (%1)").arg(version),
    };
    if (version == 2)
        tables << QStringLiteral("CREATE INDEX units_by_serial_and_kind ON units (serial_number, start_ms, record_id, engineering, verdict)");
    return tables;
}

bool TestStores::runScript(const QString &command, QString *output)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZU42_PG_OWNER_PID"), QString::number(QCoreApplication::applicationPid()));
    if (m_tcpPort > 0)
        env.insert(QStringLiteral("ZU42_PG_PORT"), QString::number(m_tcpPort));
    if (m_ssl)
        env.insert(QStringLiteral("ZU42_PG_SSL"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ZU42_PG_TEST_SERVER), { command, m_dir.filePath(QStringLiteral("pg")) });
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_error = QStringLiteral("pg-test-server.sh %1 failed: %2%3")
                      .arg(command, process.error() == QProcess::UnknownError ? QString() : process.errorString() + QLatin1Char(' '),
                           QString::fromLocal8Bit(process.readAllStandardError()));
        return false;
    }
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return true;
}

bool TestStores::startServer()
{
    QString connection;
    if (!runScript(QStringLiteral("start"), &connection))
        return false;
    m_running = true;
    m_server = RecordStoreSettings::parse(connection, &m_error);
    return m_server.has_value();
}

bool TestStores::stopServer()
{
    m_running = false;
    return runScript(QStringLiteral("stop"), nullptr);
}

std::optional<RecordStoreSettings> TestStores::freshDatabase()
{
    m_error.clear();
    if (!m_running && !startServer())
        return std::nullopt;
    RecordStoreSettings settings = *m_server;
    settings.database = QStringLiteral("records_%1").arg(m_stores);
    const QString connectionName = QStringLiteral("teststores-admin");
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        admin.setHostName(settings.host);
        admin.setPort(settings.port);
        admin.setUserName(settings.user);
        admin.setDatabaseName(m_server->database);
        if (!admin.open()) {
            m_error = QStringLiteral("cannot reach the test server: %1").arg(admin.lastError().text());
        } else if (QSqlQuery query(admin); !query.exec(QStringLiteral("CREATE DATABASE %1").arg(settings.database))) {
            m_error = QStringLiteral("cannot create a database: %1").arg(query.lastError().text());
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    if (!m_error.isEmpty())
        return std::nullopt;
    return settings;
}
