#pragma once

#include "records/recordstoresettings.h"
#include "records/unitrecord.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

class QSqlDatabase;
class QSqlQuery;

// The database of finished units: an SQLite file on this PC or a PostgreSQL server shared by the
// line, with the same tables on both. One record is its unit row and its step rows, written in
// one transaction, so a reader never sees half a unit.
//
// Each object has a Qt SQL connection of its own and must be used from the thread that made it.
// A lost connection is opened again at the next call; a call that finds it lost tries once more
// on a new connection, which is safe because writing a record that is already there changes
// nothing.
class RecordStore
{
public:
    enum class WriteResult {
        Stored,         // written now
        AlreadyStored,  // a record with this id was there: a retry, nothing written
        Refused,        // the store answers but did not take this record (why() tells what it said)
        Unreachable,    // the store could not be opened or stopped answering
    };
    enum class FindResult { Found, NotFound, Failed };

    // One station's figures for one local day, production runs only (engineering runs are
    // never counted). A test the station could not complete (ERROR) counts in errors alone:
    // it says nothing of the unit. Retests count in records, passed and failed;
    // first-pass yield looks only at each unit's (serial number's) very first record anywhere
    // in the store, so a unit first tested here today counts once, as passed or not, and a
    // unit that came back from an earlier day does not count at all.
    struct DayCounters
    {
        int records = 0;
        int passed = 0;
        int failed = 0;
        int errors = 0;           // tests the station could not complete
        int units = 0;            // distinct serial numbers among the records
        int firstTimeUnits = 0;   // units whose first record is among them
        int firstTimePassed = 0;  // ... and passed at that first test
        // firstTimePassed / firstTimeUnits, 0 without units.
        double firstPassYield() const;
    };

    // 2: the verdict ERROR and the engineering flag. 3: each production test's links to its
    // unit's production tests just before and after it (prev_ms, next_ms), which the yield
    // counts by. An older store is upgraded in one transaction at its first connection; a newer
    // one is refused, naming both versions.
    static constexpr int SchemaVersion = 3;

    explicit RecordStore(const RecordStoreSettings &settings);
    ~RecordStore();
    RecordStore(const RecordStore &) = delete;
    RecordStore &operator=(const RecordStore &) = delete;

    // Connects and makes the tables when they are missing. False, with why(), when the
    // store cannot be reached or is not a record store (a damaged file, tables of another
    // program, a newer schema). The other calls open on their own.
    bool open();
    void close();
    bool isOpen() const;
    QString why() const { return m_why; }
    const RecordStoreSettings &settings() const { return m_settings; }

    WriteResult write(const UnitRecord &record);
    FindResult find(const QUuid &recordId, UnitRecord *record);
    // Units that started in [from, to), oldest first, with their steps. Nothing on failure.
    std::optional<QList<UnitRecord>> unitsBetween(const QDateTime &from, const QDateTime &to);
    // How units are read: oldest or newest first, all or the first `limit`, with their steps or
    // without (a table of units needs none).
    struct Reading
    {
        bool newestFirst = false;
        int limit = 0;  // 0: all
        bool withSteps = true;
    };
    // The units that meet an SQL condition on the units table under the alias u.
    std::optional<QList<UnitRecord>> unitsWhere(const QString &where, const QVariantList &values, const Reading &reading);
    // A query of its own on the open connection (the queries of RecordQueries); what names it in
    // why() when attempt fails and sets the detail.
    bool query(const QString &what, const std::function<bool(QSqlDatabase &db, QString *detail)> &attempt);
    // "sqlite" or "postgresql", for the little SQL that differs.
    QString dialect() const;

    // A PostgreSQL store shared by a line, set up once by whoever owns the database: the tables,
    // and a login role the stations connect as, which may read records and add new ones but
    // never change or delete one. A role that exists keeps its password unless one is given.
    // False, with why(), on SQLite or when the server refuses.
    bool setUpServer(const QString &stationRole, const QString &password);
    // The name a station role may have: a plain SQL name, not quoted.
    static bool isRoleName(const QString &name);

    // Works out every test's links to its unit's tests again, as the upgrade does: for a
    // program that wrote rows past the store (the benchmark's generator).
    bool relinkAll();

    std::optional<DayCounters> dayCounters(const QString &station, const QDate &localDay = QDate::currentDate());

private:
    QSqlDatabase database() const;
    bool prepareSchema();
    std::optional<int> storedVersion();
    // From version `from` (0: no tables yet) to SchemaVersion, in one transaction.
    bool changeSchema(int from);
    bool upgrade(int from, const std::function<bool(const QString &)> &run);
    bool answers();
    // Runs attempt on an open connection; when it fails and the connection turns out lost, once
    // more on a new one. Nothing opened: false with why() set.
    template<typename Attempt>
    bool withConnection(Attempt attempt);
    bool failWith(const QString &what, const QSqlQuery &query);
    bool failWith(const QString &what, const QString &detail);
    // Commits db; when it refuses, rolls back and fails with what and the driver's detail.
    bool commitOrFail(QSqlDatabase &db, const QString &what);
    std::optional<QList<UnitRecord>> readUnits(const QString &where, const QVariantList &values, const Reading &reading);
    WriteResult writeOnce(const UnitRecord &record);

    RecordStoreSettings m_settings;
    QString m_connectionName;
    QString m_why;
};
