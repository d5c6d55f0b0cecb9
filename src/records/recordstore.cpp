#include "records/recordstore.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Times are milliseconds since 1970 UTC: the same integer on both backends, compared as numbers.
// Text timestamps would sort by the database's collation, which on a PostgreSQL database with a
// locale collation need not be the order of the characters.
// The units table by name: an upgrade of an SQLite file builds it anew beside the old one.
QString unitsTable(const QString &name)
{
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 ("
                          " record_id VARCHAR(36) PRIMARY KEY,"
                          " serial_number TEXT NOT NULL,"
                          " controller_id TEXT NOT NULL,"
                          " model TEXT NOT NULL,"
                          " version TEXT NOT NULL,"
                          " station TEXT NOT NULL,"
                          " operator_name TEXT NOT NULL,"
                          " start_ms BIGINT NOT NULL,"
                          " end_ms BIGINT NOT NULL,"
                          " jig_map TEXT NOT NULL,"
                          " verdict VARCHAR(5) NOT NULL CHECK (verdict IN ('PASS', 'FAIL', 'ERROR')),"
                          " engineering INTEGER NOT NULL DEFAULT 0 CHECK (engineering IN (0, 1)),"
                          " prev_ms BIGINT, next_ms BIGINT)")
        .arg(name);
}

const char *const StepsTable =
    "CREATE TABLE IF NOT EXISTS steps ("
    " record_id VARCHAR(36) NOT NULL REFERENCES units (record_id),"
    " step_index INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " expected TEXT NOT NULL,"
    " measured TEXT NOT NULL,"
    " passed INTEGER NOT NULL CHECK (passed IN (0, 1)),"
    " reason TEXT NOT NULL,"
    " PRIMARY KEY (record_id, step_index))";

// A unit's history, and the look for a unit's tests just before and after one when a test is
// written: the index holds what that look asks (kind and verdict), so it never reads the table.
const char *const UnitsBySerial =
    "CREATE INDEX IF NOT EXISTS units_by_serial_and_kind ON units (serial_number, start_ms, record_id, engineering, verdict)";

// Made with the tables and again after an upgrade (SQLite's rebuilt units table lost its own).
const char *const Indexes[] = {
    "CREATE INDEX IF NOT EXISTS units_by_start ON units (start_ms)",
    UnitsBySerial,
    // The yield of a range reads only this: a scan in time order that never touches the table.
    "CREATE INDEX IF NOT EXISTS units_for_yield ON units (start_ms, engineering, verdict, prev_ms, next_ms)",
    // The Pareto's failed tests of a range, without reading the passed ones nor the table.
    "CREATE INDEX IF NOT EXISTS units_by_verdict ON units (verdict, start_ms, engineering, record_id)",
    // The failed steps alone, with what the Pareto groups them by: a test's first failed step
    // and the check that none failed before it are read from this small index alone.
    "CREATE INDEX IF NOT EXISTS steps_failed ON steps (record_id, step_index, name, measured) WHERE passed = 0",
};

// Each production test the station completed knows when its unit's production test just before
// it and just after it started (ties by id, as everywhere): the yield then sees a unit's first
// test ever (none before), its latest in a range (none after, or after the range) and its first
// of a day (the one before on an earlier day) in one pass over the range, without a look per
// test. Worked out again for the given tests' units whenever one of their tests is written, so a
// test delivered late from the pending file puts itself between its neighbours.
QString linkTests(const QString &which)
{
    const QString sameUnit = QStringLiteral(
        "e.serial_number = units.serial_number AND e.engineering = 0 AND e.verdict <> 'ERROR'");
    return QStringLiteral(
               "UPDATE units SET"
               " prev_ms = (SELECT MAX(e.start_ms) FROM units e WHERE %1"
               " AND (e.start_ms < units.start_ms OR (e.start_ms = units.start_ms AND e.record_id < units.record_id))),"
               " next_ms = (SELECT MIN(e.start_ms) FROM units e WHERE %1"
               " AND (e.start_ms > units.start_ms OR (e.start_ms = units.start_ms AND e.record_id > units.record_id)))"
               " WHERE engineering = 0 AND verdict <> 'ERROR'%2")
        .arg(sameUnit, which.isEmpty() ? QString() : QStringLiteral(" AND ") + which);
}

const QString UnitColumns = QStringLiteral(
    "u.record_id, u.serial_number, u.controller_id, u.model, u.version, u.station, u.operator_name,"
    " u.start_ms, u.end_ms, u.jig_map, u.verdict, u.engineering");

bool isPostgresql(const RecordStoreSettings &settings)
{
    return settings.backend == RecordStoreSettings::Backend::Postgresql;
}

QString idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces);
}

// Qt's drivers bind a null QString as SQL NULL; an empty text is still a text.
QVariant textValue(const QString &text)
{
    return text.isNull() ? QVariant(QString(qsizetype(0), QChar())) : QVariant(text);
}

qint64 dayStartMs(const QDate &day)
{
    return QDateTime(day, QTime(0, 0)).toMSecsSinceEpoch();
}

} // namespace

double RecordStore::DayCounters::firstPassYield() const
{
    return firstTimeUnits == 0 ? 0.0 : double(firstTimePassed) / firstTimeUnits;
}

RecordStore::RecordStore(const RecordStoreSettings &settings)
    : m_settings(settings),
      m_connectionName(QStringLiteral("zu42records-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(isPostgresql(settings) ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"),
                                                m_connectionName);
    if (isPostgresql(settings)) {
        if (!settings.host.isEmpty())
            db.setHostName(settings.host);
        db.setPort(settings.port);
        db.setDatabaseName(settings.database);
        db.setUserName(settings.user);
        db.setPassword(settings.password);
        // Without a limit a server that drops packets holds the jig test for minutes.
        db.setConnectOptions(QStringLiteral("connect_timeout=5") + settings.driverOptions());
    } else {
        db.setDatabaseName(settings.sqlitePath);
        // Another program reading the file (an export, a viewer) holds it for a moment.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
}

RecordStore::~RecordStore()
{
    close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase RecordStore::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool RecordStore::isOpen() const
{
    return database().isOpen();
}

void RecordStore::close()
{
    database().close();
}

bool RecordStore::failWith(const QString &what, const QString &detail)
{
    m_why = QStringLiteral("%1 (%2): %3").arg(what, m_settings.displayString(), detail.trimmed());
    return false;
}

bool RecordStore::commitOrFail(QSqlDatabase &db, const QString &what)
{
    if (db.commit())
        return true;
    const QString detail = db.lastError().text();
    db.rollback();
    return failWith(what, detail);
}

bool RecordStore::failWith(const QString &what, const QSqlQuery &query)
{
    return failWith(what, query.lastError().text());
}

bool RecordStore::open()
{
    if (isOpen())
        return true;
    QSqlDatabase db = database();
    if (!db.isValid()) {
        return failWith(QStringLiteral("Cannot open the record store"),
                        QStringLiteral("Qt's SQL driver %1 is not installed (Debian package %2)")
                            .arg(isPostgresql(m_settings) ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"),
                                 isPostgresql(m_settings) ? QStringLiteral("libqt6sql6-psql") : QStringLiteral("libqt6sql6-sqlite")));
    }
    if (!isPostgresql(m_settings)) {
        const QString folder = QFileInfo(m_settings.sqlitePath).absolutePath();
        if (!QDir().mkpath(folder))
            return failWith(QStringLiteral("Cannot open the record store"), QStringLiteral("cannot make the folder %1").arg(folder));
    }
    if (!db.open())
        return failWith(QStringLiteral("Cannot open the record store"), db.lastError().text());

    QSqlQuery setup(db);
    // CREATE ... IF NOT EXISTS would otherwise print a notice for every table already there.
    // The server compiles a query that reads a year of records before it runs it, which takes
    // longer than the query itself (seconds, on a busy server): it answers without.
    if (isPostgresql(m_settings)) {
        setup.exec(QStringLiteral("SET client_min_messages TO WARNING"));
        setup.exec(QStringLiteral("SET jit = off"));
    }
    setup.finish();

    // SQLite's foreign keys go on only after the schema is ready: an upgrade rebuilds the units
    // table the steps refer to, which SQLite allows only with them off (and they cannot be
    // switched inside the upgrade's transaction).
    if (!prepareSchema()) {
        close();
        return false;
    }
    if (!isPostgresql(m_settings)) {
        setup.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
        setup.finish();
    }
    m_why.clear();
    return true;
}

std::optional<int> RecordStore::storedVersion()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !query.next()) {
        failWith(QStringLiteral("Not a record store"), query);
        return std::nullopt;
    }
    const QVariant version = query.value(0);
    if (version.isNull()) {
        failWith(QStringLiteral("Not a record store"), QStringLiteral("its schema_version table is empty"));
        return std::nullopt;
    }
    return version.toInt();
}

bool RecordStore::prepareSchema()
{
    QSqlDatabase db = database();
    if (!isPostgresql(m_settings)) {
        // SQLite opens any file; the first read finds out whether it is a database at all.
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")))
            return failWith(QStringLiteral("The record file is damaged or not an SQLite database"), probe);
    }
    const QStringList tables = db.tables();
    if (!tables.contains(QLatin1String("schema_version"))) {
        if (tables.contains(QLatin1String("units")) || tables.contains(QLatin1String("steps"))) {
            return failWith(QStringLiteral("Not a record store"),
                            QStringLiteral("it has a units or steps table, but not the schema_version table this program makes"));
        }
        if (!changeSchema(0))
            return false;
    }
    const std::optional<int> version = storedVersion();
    if (!version)
        return false;
    if (*version > SchemaVersion) {
        return failWith(QStringLiteral("The record store was made by a newer program"),
                        QStringLiteral("its schema version is %1; this program knows versions up to %2").arg(*version).arg(SchemaVersion));
    }
    if (*version < 1)
        return failWith(QStringLiteral("Not a record store"), QStringLiteral("unknown schema version %1").arg(*version));
    if (*version < SchemaVersion && !changeSchema(*version))
        return false;
    return true;
}

bool RecordStore::changeSchema(int from)
{
    QSqlDatabase db = database();
    const QString what = from == 0 ? QStringLiteral("Cannot make the record tables")
                                   : QStringLiteral("Cannot upgrade the record store from schema version %1 to %2").arg(from).arg(SchemaVersion);
    if (!db.transaction())
        return failWith(what, db.lastError().text());
    QSqlQuery query(db);
    const std::function<bool(const QString &)> run = [&query](const QString &statement) { return query.exec(statement); };
    // Two stations opening a new or older PostgreSQL database at once: IF NOT EXISTS alone can
    // still collide in the catalogue, so the second waits for the first here and then finds the
    // work done. SQLite's write lock does the same for a file, taken by the first write.
    bool ok = !isPostgresql(m_settings) || run(QStringLiteral("SELECT pg_advisory_xact_lock(4242001)"));
    int found = from;
    if (ok && from > 0) {
        // Read again under the lock: another station may have upgraded meanwhile.
        ok = query.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) && query.next();
        if (ok)
            found = query.value(0).toInt();
        query.finish();
    }
    if (ok && found == 0) {
        ok = run(unitsTable(QStringLiteral("units"))) && run(QLatin1String(StepsTable))
            && run(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"))
            && query.prepare(QStringLiteral("INSERT INTO schema_version (version) SELECT ? WHERE NOT EXISTS (SELECT 1 FROM schema_version)"));
        if (ok) {
            query.addBindValue(SchemaVersion);
            ok = query.exec();
        }
    } else if (ok && found < SchemaVersion) {
        ok = upgrade(found, run);
        ok = ok && run(QStringLiteral("UPDATE schema_version SET version = %1").arg(SchemaVersion));
    }
    for (const char *statement : Indexes)
        ok = ok && run(QLatin1String(statement));
    // The upgrade rewrote every production test: the server plans by figures of the new rows and
    // indexes from the first question on, not from whenever its own statistics run.
    if (ok && found > 0 && found < SchemaVersion && isPostgresql(m_settings))
        ok = run(QStringLiteral("ANALYZE units")) && run(QStringLiteral("ANALYZE steps"));
    if (!ok) {
        const QString detail = query.lastError().text();
        query.finish();
        db.rollback();
        return failWith(what, detail);
    }
    if (!commitOrFail(db, what))
        return false;
    // The upgrade touched every row, so until the server vacuums the table its index-only reads
    // visit the table as well (the year's yield took twice as long until autovacuum came). Done
    // once here, outside the transaction as VACUUM must be; a role that may not vacuum leaves it
    // to autovacuum, which is no reason to refuse the store.
    if (found > 0 && found < SchemaVersion && isPostgresql(m_settings))
        QSqlQuery(db).exec(QStringLiteral("VACUUM units"));
    return true;
}

bool RecordStore::upgrade(int from, const std::function<bool(const QString &)> &run)
{
    bool ok = true;
    // The units table of SQLite is built anew in the latest form, links included.
    bool rebuilt = false;
    if (from == 1) {
        // Version 2: the verdict ERROR and the engineering runs; every older record is a
        // production run. A station still on the older program refuses the store from then on
        // (a newer schema) rather than write what it does not know.
        if (isPostgresql(m_settings)) {
            ok = run(QStringLiteral("ALTER TABLE units ALTER COLUMN verdict TYPE VARCHAR(5)"))
                && run(QStringLiteral("ALTER TABLE units DROP CONSTRAINT IF EXISTS units_verdict_check"))
                && run(QStringLiteral("ALTER TABLE units ADD CONSTRAINT units_verdict_check CHECK (verdict IN ('PASS', 'FAIL', 'ERROR'))"))
                && run(QStringLiteral("ALTER TABLE units ADD COLUMN engineering INTEGER NOT NULL DEFAULT 0 CHECK (engineering IN (0, 1))"))
                && run(QStringLiteral("DROP INDEX IF EXISTS units_by_serial"));
        } else {
            // SQLite changes no check of a table: the table is built anew and takes its place.
            const QString columns = QStringLiteral("record_id, serial_number, controller_id, model, version, station, operator_name,"
                                                   " start_ms, end_ms, jig_map, verdict");
            ok = run(unitsTable(QStringLiteral("units_upgrade")))
                && run(QStringLiteral("INSERT INTO units_upgrade (%1, engineering) SELECT %1, 0 FROM units").arg(columns))
                && run(QStringLiteral("DROP TABLE units")) && run(QStringLiteral("ALTER TABLE units_upgrade RENAME TO units"));
            rebuilt = true;
        }
    }
    // Version 3: each test's links to its unit's tests before and after, worked out from the
    // records already there. The index a link is looked up by comes first.
    if (ok && !rebuilt)
        ok = run(QStringLiteral("ALTER TABLE units ADD COLUMN prev_ms BIGINT")) && run(QStringLiteral("ALTER TABLE units ADD COLUMN next_ms BIGINT"));
    // The station roles of a shared server add tests, so they must link them: each role that may
    // insert units may change the links (and nothing else) from now on.
    if (ok && isPostgresql(m_settings)) {
        ok = run(QStringLiteral(
            "DO $$ DECLARE r RECORD; BEGIN FOR r IN SELECT DISTINCT grantee FROM information_schema.role_table_grants"
            " WHERE table_schema = current_schema() AND table_name = 'units' AND privilege_type = 'INSERT' AND grantee <> current_user"
            " LOOP EXECUTE format('GRANT UPDATE (prev_ms, next_ms) ON units TO %I', r.grantee); END LOOP; END $$"));
    }
    return ok && run(QLatin1String(UnitsBySerial)) && run(linkTests(QString()));
}

bool RecordStore::relinkAll()
{
    return withConnection([&] {
        QSqlDatabase db = database();
        const QString what = QStringLiteral("Cannot link the tests of each unit");
        if (!db.transaction())
            return failWith(what, db.lastError().text());
        QSqlQuery query(db);
        if (!query.exec(linkTests(QString()))) {
            const QString detail = query.lastError().text();
            query.finish();
            db.rollback();
            return failWith(what, detail);
        }
        query.finish();
        if (!commitOrFail(db, what))
            return false;
        return true;
    });
}

bool RecordStore::answers()
{
    QSqlDatabase db = database();
    if (!db.isOpen())
        return false;
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT 1")) && query.next();
}

template<typename Attempt>
bool RecordStore::withConnection(Attempt attempt)
{
    if (!open())
        return false;
    if (attempt())
        return true;
    // The server may have gone away and come back since the last call; the connection does not
    // notice until it is used.
    if (answers())
        return false;
    close();
    if (!open())
        return false;
    if (attempt())
        return true;
    if (!answers())
        close();
    return false;
}

RecordStore::WriteResult RecordStore::write(const UnitRecord &record)
{
    if (const QString invalid = record.whyInvalid(); !invalid.isEmpty()) {
        failWith(QStringLiteral("The record cannot be stored"), invalid);
        return WriteResult::Refused;
    }
    WriteResult result = WriteResult::Unreachable;
    const bool done = withConnection([&] {
        result = writeOnce(record);
        return result != WriteResult::Refused;
    });
    if (!done && !isOpen())
        return WriteResult::Unreachable;
    return result;
}

RecordStore::WriteResult RecordStore::writeOnce(const UnitRecord &record)
{
    QSqlDatabase db = database();
    const QString what = QStringLiteral("Cannot store the record %1").arg(idText(record.recordId));
    if (!db.transaction()) {
        failWith(what, db.lastError().text());
        return WriteResult::Refused;
    }
    auto abandon = [&](QSqlQuery &query) {
        const QString detail = query.lastError().text();
        query.finish();
        db.rollback();
        failWith(what, detail);
        return WriteResult::Refused;
    };

    // Two stations writing tests of one unit at once would each link theirs to the tests they
    // see: on PostgreSQL the second waits here for the first. SQLite's write lock, taken by the
    // insert below, does the same for a file.
    QSqlQuery unit(db);
    if (isPostgresql(m_settings)) {
        if (!unit.prepare(QStringLiteral("SELECT pg_advisory_xact_lock(4242002, hashtext(?))")))
            return abandon(unit);
        unit.addBindValue(textValue(record.serialNumber));
        if (!unit.exec())
            return abandon(unit);
        unit.finish();
    }
    // The record id decides: a second delivery of the same record leaves the first as it is.
    if (!unit.prepare(QStringLiteral("INSERT INTO units (record_id, serial_number, controller_id, model, version, station,"
                                     " operator_name, start_ms, end_ms, jig_map, verdict, engineering)"
                                     " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (record_id) DO NOTHING"))) {
        return abandon(unit);
    }
    for (const QVariant &value : { QVariant(idText(record.recordId)), textValue(record.serialNumber), textValue(record.controllerId),
                                   textValue(record.model), textValue(record.version), textValue(record.station),
                                   textValue(record.operatorName), QVariant(record.start.toMSecsSinceEpoch()),
                                   QVariant(record.end.toMSecsSinceEpoch()), textValue(record.jigMapName),
                                   QVariant(UnitRecord::verdictText(record.verdict)), QVariant(record.engineering ? 1 : 0) }) {
        unit.addBindValue(value);
    }
    if (!unit.exec())
        return abandon(unit);
    if (unit.numRowsAffected() == 0) {
        unit.finish();
        db.rollback();
        return WriteResult::AlreadyStored;
    }

    QSqlQuery step(db);
    if (!step.prepare(QStringLiteral("INSERT INTO steps (record_id, step_index, name, expected, measured, passed, reason)"
                                     " VALUES (?, ?, ?, ?, ?, ?, ?)"))) {
        return abandon(step);
    }
    for (const StepRecord &s : record.steps) {
        step.addBindValue(idText(record.recordId));
        step.addBindValue(s.index);
        step.addBindValue(textValue(s.name));
        step.addBindValue(textValue(s.expected));
        step.addBindValue(textValue(s.measured));
        step.addBindValue(s.passed ? 1 : 0);
        step.addBindValue(textValue(s.why));
        if (!step.exec())
            return abandon(step);
    }
    step.finish();
    if (!record.engineering && record.verdict != UnitRecord::Verdict::Error) {
        QSqlQuery link(db);
        if (!link.prepare(linkTests(QStringLiteral("serial_number = ?"))))
            return abandon(link);
        link.addBindValue(textValue(record.serialNumber));
        if (!link.exec())
            return abandon(link);
        link.finish();
    }
    if (!commitOrFail(db, what))
        return WriteResult::Refused;
    return WriteResult::Stored;
}

std::optional<QList<UnitRecord>> RecordStore::readUnits(const QString &where, const QVariantList &values, const Reading &reading)
{
    const QString what = QStringLiteral("Cannot read the records");
    QSqlDatabase db = database();
    QSqlQuery units(db);
    units.setForwardOnly(true);
    const QString order = reading.newestFirst ? QStringLiteral("u.start_ms DESC, u.record_id DESC") : QStringLiteral("u.start_ms, u.record_id");
    const QString limit = reading.limit > 0 ? QStringLiteral(" LIMIT %1").arg(reading.limit) : QString();
    if (!units.prepare(QStringLiteral("SELECT %1 FROM units u WHERE %2 ORDER BY %3%4").arg(UnitColumns, where, order, limit))) {
        failWith(what, units);
        return std::nullopt;
    }
    for (const QVariant &value : values)
        units.addBindValue(value);
    if (!units.exec()) {
        failWith(what, units);
        return std::nullopt;
    }

    QList<UnitRecord> records;
    QHash<QString, qsizetype> byId;
    QHash<QString, QString> damage;
    while (units.next()) {
        UnitRecord r;
        const QString id = units.value(0).toString();
        r.recordId = QUuid::fromString(id);
        r.serialNumber = units.value(1).toString();
        r.controllerId = units.value(2).toString();
        r.model = units.value(3).toString();
        r.version = units.value(4).toString();
        r.station = units.value(5).toString();
        r.operatorName = units.value(6).toString();
        r.start = QDateTime::fromMSecsSinceEpoch(units.value(7).toLongLong(), Qt::UTC);
        r.end = QDateTime::fromMSecsSinceEpoch(units.value(8).toLongLong(), Qt::UTC);
        r.jigMapName = units.value(9).toString();
        const std::optional<UnitRecord::Verdict> verdict = UnitRecord::verdictFromText(units.value(10).toString());
        if (!verdict)
            damage.insert(id, QStringLiteral("verdict is \"%1\"").arg(units.value(10).toString()));
        r.verdict = verdict.value_or(UnitRecord::Verdict::Fail);
        r.engineering = units.value(11).toInt() != 0;
        byId.insert(id, records.size());
        records.append(r);
    }
    units.finish();
    if (records.isEmpty() || !reading.withSteps)
        return records;

    QSqlQuery steps(db);
    steps.setForwardOnly(true);
    // A page names its units; a range is read by its condition again, in one pass.
    QVariantList stepValues = values;
    QString stepWhere = where;
    if (reading.limit > 0) {
        stepValues.clear();
        for (const UnitRecord &r : std::as_const(records))
            stepValues << idText(r.recordId);
        stepWhere = QStringLiteral("u.record_id IN (%1)").arg(QStringList(stepValues.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    }
    if (!steps.prepare(QStringLiteral("SELECT s.record_id, s.step_index, s.name, s.expected, s.measured, s.passed, s.reason"
                                      " FROM steps s JOIN units u ON u.record_id = s.record_id WHERE %1"
                                      " ORDER BY s.record_id, s.step_index").arg(stepWhere))) {
        failWith(what, steps);
        return std::nullopt;
    }
    for (const QVariant &value : std::as_const(stepValues))
        steps.addBindValue(value);
    if (!steps.exec()) {
        failWith(what, steps);
        return std::nullopt;
    }
    while (steps.next()) {
        // A unit written between the two reads has its steps here but no row above.
        const auto at = byId.constFind(steps.value(0).toString());
        if (at == byId.constEnd())
            continue;
        StepRecord s;
        s.index = steps.value(1).toInt();
        s.name = steps.value(2).toString();
        s.expected = steps.value(3).toString();
        s.measured = steps.value(4).toString();
        s.passed = steps.value(5).toInt() != 0;
        s.why = steps.value(6).toString();
        records[*at].steps.append(s);
    }
    steps.finish();

    // Rows someone changed by hand are left out rather than shown as something they are not.
    QList<UnitRecord> valid;
    for (const UnitRecord &r : std::as_const(records)) {
        const QString id = idText(r.recordId);
        // Without its steps a unit's verdict cannot be checked against them.
        const QString problem = damage.contains(id) ? damage.value(id) : reading.withSteps ? r.whyInvalid() : QString();
        if (problem.isEmpty())
            valid.append(r);
        else
            qWarning("Record %s in %s is damaged and left out: %s", qPrintable(id), qPrintable(m_settings.displayString()), qPrintable(problem));
    }
    return valid;
}

RecordStore::FindResult RecordStore::find(const QUuid &recordId, UnitRecord *record)
{
    std::optional<QList<UnitRecord>> found;
    withConnection([&] {
        found = readUnits(QStringLiteral("u.record_id = ?"), { idText(recordId) }, {});
        return found.has_value();
    });
    if (!found)
        return FindResult::Failed;
    if (found->isEmpty())
        return FindResult::NotFound;
    if (record)
        *record = found->constFirst();
    return FindResult::Found;
}

std::optional<QList<UnitRecord>> RecordStore::unitsBetween(const QDateTime &from, const QDateTime &to)
{
    std::optional<QList<UnitRecord>> found;
    withConnection([&] {
        found = readUnits(QStringLiteral("u.start_ms >= ? AND u.start_ms < ?"), { from.toMSecsSinceEpoch(), to.toMSecsSinceEpoch() }, {});
        return found.has_value();
    });
    return found;
}

std::optional<RecordStore::DayCounters> RecordStore::dayCounters(const QString &station, const QDate &localDay)
{
    const QVariantList day{ station, dayStartMs(localDay), dayStartMs(localDay.addDays(1)) };
    // Engineering runs are kept, never counted.
    const QString sameDay = QStringLiteral("u.station = ? AND u.start_ms >= ? AND u.start_ms < ? AND u.engineering = 0");
    DayCounters counters;
    const bool ok = withConnection([&] {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT COUNT(*), SUM(CASE WHEN u.verdict = 'PASS' THEN 1 ELSE 0 END),"
                                     " SUM(CASE WHEN u.verdict = 'ERROR' THEN 1 ELSE 0 END),"
                                     " COUNT(DISTINCT CASE WHEN u.verdict <> 'ERROR' THEN u.serial_number END) FROM units u WHERE %1")
                          .arg(sameDay));
        for (const QVariant &value : day)
            query.addBindValue(value);
        if (!query.exec() || !query.next())
            return failWith(QStringLiteral("Cannot count the records"), query);
        counters.errors = query.value(2).toInt();
        counters.records = query.value(0).toInt() - counters.errors;
        counters.passed = query.value(1).toInt();
        counters.failed = counters.records - counters.passed;
        counters.units = query.value(3).toInt();
        query.finish();

        // A unit's first record: no production test of its serial number started earlier (ties
        // go by id). A test the station could not complete (ERROR) is no test of the unit.
        query.prepare(QStringLiteral("SELECT COUNT(*), SUM(CASE WHEN u.verdict = 'PASS' THEN 1 ELSE 0 END) FROM units u"
                                     " WHERE %1 AND u.verdict <> 'ERROR' AND NOT EXISTS (SELECT 1 FROM units e"
                                     " WHERE e.serial_number = u.serial_number AND e.engineering = 0 AND e.verdict <> 'ERROR'"
                                     " AND (e.start_ms < u.start_ms OR (e.start_ms = u.start_ms AND e.record_id < u.record_id)))")
                          .arg(sameDay));
        for (const QVariant &value : day)
            query.addBindValue(value);
        if (!query.exec() || !query.next())
            return failWith(QStringLiteral("Cannot count the records"), query);
        counters.firstTimeUnits = query.value(0).toInt();
        counters.firstTimePassed = query.value(1).toInt();
        return true;
    });
    if (!ok)
        return std::nullopt;
    return counters;
}

std::optional<QList<UnitRecord>> RecordStore::unitsWhere(const QString &where, const QVariantList &values, const Reading &reading)
{
    std::optional<QList<UnitRecord>> found;
    withConnection([&] {
        found = readUnits(where, values, reading);
        return found.has_value();
    });
    return found;
}

bool RecordStore::query(const QString &what, const std::function<bool(QSqlDatabase &db, QString *detail)> &attempt)
{
    return withConnection([&] {
        QSqlDatabase db = database();
        QString detail;
        if (attempt(db, &detail))
            return true;
        return failWith(what, detail);
    });
}

QString RecordStore::dialect() const
{
    return isPostgresql(m_settings) ? QStringLiteral("postgresql") : QStringLiteral("sqlite");
}

bool RecordStore::isRoleName(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[a-z_][a-z0-9_]{0,62}$"));
    return plain.match(name).hasMatch();
}

bool RecordStore::setUpServer(const QString &stationRole, const QString &password)
{
    const QString what = QStringLiteral("Cannot set up the record server");
    if (!isPostgresql(m_settings))
        return failWith(what, QStringLiteral("only a PostgreSQL store is shared by stations; an SQLite file is this PC's"));
    if (!isRoleName(stationRole))
        return failWith(what, QStringLiteral("the role \"%1\" is not a plain name (a-z, 0-9, _)").arg(stationRole));
    // The tables first, made by the owner as any first connection makes them.
    if (!open())
        return false;
    QSqlDatabase db = database();
    if (!db.transaction())
        return failWith(what, db.lastError().text());
    // Names cannot be bound as values: the role is checked above, the password quoted as SQL
    // writes a text, and the database's name quoted as SQL writes a name.
    QString quotedPassword = password;
    quotedPassword.replace(QLatin1Char('\''), QLatin1String("''"));
    QString quotedDatabase = m_settings.database;
    quotedDatabase.replace(QLatin1Char('"'), QLatin1String("\"\""));
    QStringList statements{
        QStringLiteral("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '%1') THEN CREATE ROLE %1 LOGIN; END IF; END $$").arg(stationRole),
        QStringLiteral("GRANT CONNECT ON DATABASE \"%1\" TO %2").arg(quotedDatabase, stationRole),
        QStringLiteral("GRANT USAGE ON SCHEMA public TO %1").arg(stationRole),
        QStringLiteral("REVOKE ALL ON units, steps, schema_version FROM %1").arg(stationRole),
        QStringLiteral("GRANT SELECT, INSERT ON units, steps TO %1").arg(stationRole),
        // A test's links to its unit's tests before and after it change when another test of
        // the unit is written; what a record says never does.
        QStringLiteral("GRANT UPDATE (prev_ms, next_ms) ON units TO %1").arg(stationRole),
        QStringLiteral("GRANT SELECT ON schema_version TO %1").arg(stationRole),
    };
    if (!password.isEmpty())
        statements << QStringLiteral("ALTER ROLE %1 PASSWORD '%2'").arg(stationRole, quotedPassword);
    QSqlQuery query(db);
    for (const QString &statement : std::as_const(statements)) {
        if (!query.exec(statement)) {
            // The password stays out of the message.
            const QString detail = query.lastError().text();
            query.finish();
            db.rollback();
            return failWith(what, detail);
        }
    }
    if (!commitOrFail(db, what))
        return false;
    return true;
}
