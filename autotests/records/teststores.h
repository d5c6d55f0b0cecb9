#pragma once

#include "records/recordstoresettings.h"

#include <QStringList>
#include <QTemporaryDir>
#include <optional>

// The stores a test runs against: a new SQLite file, or a new database on a PostgreSQL server of
// the test's own, which scripts/pg-test-server.sh starts at first use on a Unix socket in a
// temporary folder and stops when the object goes (its watcher does, should the test die). A
// server that cannot start makes the PostgreSQL cases fail, never skip, so CI cannot pass
// without one.
class TestStores
{
public:
    TestStores();
    ~TestStores();

    static QStringList backends() { return { QStringLiteral("sqlite"), QStringLiteral("postgresql") }; }
    std::optional<RecordStoreSettings> fresh(const QString &backend);
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Statements run past the store, as another program (or a person with psql) would.
    static bool execBehind(const RecordStoreSettings &settings, const QStringList &statements);

    // The empty tables of the schema version 1 or 2 that earlier programs made.
    static QStringList olderSchema(int version);

    // Before the server first starts: it listens on 127.0.0.1 at port too, and its stores are
    // reached there; with ssl, over SSL only, with a certificate made at start.
    void serveOnTcp(int port, bool ssl)
    {
        m_tcpPort = port;
        m_ssl = ssl;
    }

    bool startServer();
    bool stopServer();
    QString error() const { return m_error; }

private:
    bool runScript(const QString &command, QString *output);
    std::optional<RecordStoreSettings> freshDatabase();

    QTemporaryDir m_dir;
    QString m_error;
    std::optional<RecordStoreSettings> m_server;
    bool m_running = false;
    int m_stores = 0;
    int m_tcpPort = 0;
    bool m_ssl = false;
};

// The Windows build has no PostgreSQL driver (no MinGW build of the PostgreSQL client library
// is at hand): its records go to SQLite only, and the PostgreSQL cases skip there, saying so.
#ifdef Q_OS_WIN
#define SKIP_WITHOUT_POSTGRESQL_DRIVER(backend)                                                  \
    if ((backend) == QLatin1String("postgresql"))                                                \
    QSKIP("the Windows build has no PostgreSQL driver (no MinGW build of the PostgreSQL client " \
          "library): its record store is SQLite")
#else
#define SKIP_WITHOUT_POSTGRESQL_DRIVER(backend) static_cast<void>(0)
#endif

#define FRESH_STORE(settings, stores, backend)                                      \
    SKIP_WITHOUT_POSTGRESQL_DRIVER(backend);                                        \
    const std::optional<RecordStoreSettings> settings = (stores).fresh(backend);    \
    QVERIFY2(settings, qPrintable((stores).error()))
