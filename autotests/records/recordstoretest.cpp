#include "records/recordqueries.h"
#include "records/recordstore.h"
#include "testrecords.h"
#include "teststores.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTest>

using Write = RecordStore::WriteResult;
using Find = RecordStore::FindResult;

namespace {

const QDateTime T0 = QDateTime::fromString(QStringLiteral("2024-03-15T06:25:30.123Z"), Qt::ISODateWithMs);

QDateTime localTime(int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute, second));
}

} // namespace

class RecordStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void shouldReadBackWhatItWroteOnce_data();
    void shouldReadBackWhatItWroteOnce();
    void shouldCountFirstPassYieldByFirstRecord_data();
    void shouldCountFirstPassYieldByFirstRecord();
    void shouldRefuseStoreOfOtherKind_data();
    void shouldRefuseStoreOfOtherKind();
    void shouldLetAStationAddAndReadButNeverChange();
    void shouldLetAStationLinkItsTestsAfterAnUpgrade();
    void shouldUpgradeAnOlderStore_data();
    void shouldUpgradeAnOlderStore();
    void shouldKeepRecordsOverSslWhenRequired_data();
    void shouldKeepRecordsOverSslWhenRequired();

private:
    TestStores m_stores;
};

void RecordStoreTest::init()
{
    // A connection still in use when its store goes, a notice from the server: all warnings fail.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void RecordStoreTest::shouldReadBackWhatItWroteOnce_data()
{
    QTest::addColumn<QString>("backend");
    for (const QString &backend : TestStores::backends())
        QTest::newRow(qPrintable(backend)) << backend;
}

void RecordStoreTest::shouldReadBackWhatItWroteOnce()
{
    QFETCH(QString, backend);
    FRESH_STORE(settings, m_stores, backend);

    const UnitRecord a = TestRecords::awkward(T0);
    const UnitRecord b = TestRecords::unit(QStringLiteral("B"), true, T0.addSecs(60));
    {
        RecordStore store(*settings);
        QCOMPARE(store.write(a), Write::Stored);
        QCOMPARE(store.write(b), Write::Stored);
        QCOMPARE(store.write(a), Write::AlreadyStored);
    }

    // Another program on the same store: the retry of a record it already has writes nothing.
    RecordStore other(*settings);
    QCOMPARE(other.write(b), Write::AlreadyStored);
    UnitRecord back;
    QCOMPARE(other.find(a.recordId, &back), Find::Found);
    QCOMPARE(back, a);
    QCOMPARE(other.find(QUuid::createUuid(), &back), Find::NotFound);
    QCOMPARE(other.unitsBetween(a.start, b.start), (QList<UnitRecord>{ a }));
    QCOMPARE(other.unitsBetween(a.start, b.start.addMSecs(1)), (QList<UnitRecord>{ a, b }));
    QCOMPARE(other.unitsBetween(a.start.addMSecs(1), b.start), QList<UnitRecord>());
}

void RecordStoreTest::shouldCountFirstPassYieldByFirstRecord_data()
{
    shouldReadBackWhatItWroteOnce_data();
}

void RecordStoreTest::shouldCountFirstPassYieldByFirstRecord()
{
    QFETCH(QString, backend);
    FRESH_STORE(settings, m_stores, backend);

    const QString line1 = QStringLiteral("Line 1");
    const QList<UnitRecord> series{
        TestRecords::unit(QStringLiteral("A"), false, localTime(14, 9, 0), line1),  // failed the day before
        TestRecords::unit(QStringLiteral("A"), true, localTime(15, 9, 0), line1),   // its retest today
        TestRecords::unit(QStringLiteral("B"), false, localTime(15, 10, 0), line1), // first test today, failed
        TestRecords::unit(QStringLiteral("B"), false, localTime(15, 10, 30), line1),
        TestRecords::unit(QStringLiteral("B"), true, localTime(15, 11, 0), line1),
        TestRecords::unit(QStringLiteral("C"), true, localTime(15, 10, 15), line1), // first test today, passed
        TestRecords::unit(QStringLiteral("D"), true, localTime(15, 12, 0), QStringLiteral("Line 2")),
        TestRecords::unit(QStringLiteral("E"), true, localTime(15, 23, 59, 59), line1),
        TestRecords::unit(QStringLiteral("F"), true, localTime(16, 0, 0), line1),    // tomorrow
    };
    RecordStore store(*settings);
    for (const UnitRecord &r : series)
        QCOMPARE(store.write(r), Write::Stored);

    const std::optional<RecordStore::DayCounters> today = store.dayCounters(line1, QDate(2024, 3, 15));
    QVERIFY2(today, qPrintable(store.why()));
    QCOMPARE(today->records, 6);
    QCOMPARE(today->passed, 4);
    QCOMPARE(today->failed, 2);
    QCOMPARE(today->units, 4);           // A, B, C, E
    QCOMPARE(today->firstTimeUnits, 3);  // B, C, E: A was first tested the day before
    QCOMPARE(today->firstTimePassed, 2); // C, E
    QCOMPARE(today->firstPassYield(), 2.0 / 3.0);

    const std::optional<RecordStore::DayCounters> idle = store.dayCounters(QStringLiteral("Line 3"), QDate(2024, 3, 15));
    QVERIFY(idle);
    QCOMPARE(idle->records, 0);
    QCOMPARE(idle->firstPassYield(), 0.0);
}

void RecordStoreTest::shouldRefuseStoreOfOtherKind_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QStringList>("statements");   // empty: the file is garbage
    QTest::addColumn<QString>("reason");

    QTest::newRow("sqlite: not a database") << "sqlite" << QStringList() << "damaged or not an SQLite database";
    for (const QString &backend : TestStores::backends()) {
        QTest::addRow("%s: tables of another program", qPrintable(backend))
            << backend << QStringList{ QStringLiteral("CREATE TABLE units (id INTEGER)") } << "not the schema_version table";
        QTest::addRow("%s: newer schema", qPrintable(backend))
            << backend << QStringList{ QStringLiteral("CREATE TABLE schema_version (version INTEGER)"),
                                       QStringLiteral("INSERT INTO schema_version VALUES (%1)").arg(RecordStore::SchemaVersion + 1) }
            << QStringLiteral("made by a newer program (%1): its schema version is %2; this program knows versions up to %3")
                   .arg(QStringLiteral("%1"), QString::number(RecordStore::SchemaVersion + 1), QString::number(RecordStore::SchemaVersion));
    }
}

void RecordStoreTest::shouldRefuseStoreOfOtherKind()
{
    QFETCH(QString, backend);
    QFETCH(QStringList, statements);
    QFETCH(QString, reason);
    FRESH_STORE(settings, m_stores, backend);

    QByteArray before;
    if (statements.isEmpty()) {
        QDir().mkpath(QFileInfo(settings->sqlitePath).absolutePath());
        QFile garbage(settings->sqlitePath);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, '\x5a'));
    } else {
        QVERIFY(TestStores::execBehind(*settings, statements));
    }
    if (backend == QLatin1String("sqlite")) {
        QFile file(settings->sqlitePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        before = file.readAll();
    }

    RecordStore store(*settings);
    QVERIFY(!store.open());
    if (reason.contains(QLatin1String("%1")))
        reason = reason.arg(settings->displayString());
    QVERIFY2(store.why().contains(reason), qPrintable(store.why()));
    QCOMPARE(store.write(TestRecords::unit(QStringLiteral("A"), true, T0)), Write::Unreachable);
    QVERIFY(!store.unitsBetween(T0, T0.addDays(1)));

    // Whatever it is, it is not ours to change.
    if (backend == QLatin1String("sqlite")) {
        QFile file(settings->sqlitePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
}

// The line's server as its owner sets it up: the stations' role inserts and reads, and the
// server itself refuses it any change or deletion of a record.
void RecordStoreTest::shouldLetAStationAddAndReadButNeverChange()
{
    FRESH_STORE(settings, m_stores, QStringLiteral("postgresql"));
    RecordStore owner(*settings);
    QVERIFY2(owner.setUpServer(QStringLiteral("line_station"), QStringLiteral("it's secret")), qPrintable(owner.why()));
    // Twice is as once.
    QVERIFY2(owner.setUpServer(QStringLiteral("line_station"), QString()), qPrintable(owner.why()));
    QVERIFY(!owner.setUpServer(QStringLiteral("Line; DROP TABLE units"), QString()));
    QVERIFY2(owner.why().contains(QStringLiteral("not a plain name")), qPrintable(owner.why()));

    RecordStoreSettings station = *settings;
    station.user = QStringLiteral("line_station");
    RecordStore store(station);
    const UnitRecord record = TestRecords::unit(QStringLiteral("A"), false, T0);
    QCOMPARE(store.write(record), Write::Stored);
    QCOMPARE(store.write(record), Write::AlreadyStored);
    QCOMPARE(*store.unitsBetween(T0, T0.addDays(1)), QList<UnitRecord>{ record });
    const QString id = record.recordId.toString(QUuid::WithoutBraces);
    // The same connection behind the store reads, so what follows is refused for what it asks.
    QVERIFY(TestStores::execBehind(station, { QStringLiteral("SELECT 1 FROM units") }));
    for (const QString &change : { QStringLiteral("UPDATE units SET verdict = 'PASS' WHERE record_id = '%1'").arg(id),
                                   QStringLiteral("UPDATE steps SET passed = 1 WHERE record_id = '%1'").arg(id),
                                   QStringLiteral("DELETE FROM steps WHERE record_id = '%1'").arg(id),
                                   QStringLiteral("DELETE FROM units WHERE record_id = '%1'").arg(id),
                                   QStringLiteral("TRUNCATE units CASCADE"),
                                   QStringLiteral("UPDATE schema_version SET version = 1") })
        QVERIFY2(!TestStores::execBehind(station, { change }), qPrintable(change));
    QCOMPARE(*owner.unitsBetween(T0, T0.addDays(1)), QList<UnitRecord>{ record });

    FRESH_STORE(file, m_stores, QStringLiteral("sqlite"));
    QVERIFY(!RecordStore(*file).setUpServer(QStringLiteral("line_station"), QString()));
}

// A line's server set up before tests were linked: once its owner's program has upgraded it, the
// station role links the tests it writes (a late one between the others too), and still may
// change nothing a record says.
void RecordStoreTest::shouldLetAStationLinkItsTestsAfterAnUpgrade()
{
    FRESH_STORE(settings, m_stores, QStringLiteral("postgresql"));
    QStringList older = TestStores::olderSchema(2);
    older << QStringLiteral("CREATE ROLE older_station LOGIN") << QStringLiteral("GRANT USAGE ON SCHEMA public TO older_station")
          << QStringLiteral("GRANT SELECT, INSERT ON units, steps TO older_station") << QStringLiteral("GRANT SELECT ON schema_version TO older_station");
    QVERIFY(TestStores::execBehind(*settings, older));
    RecordStore owner(*settings);
    QVERIFY2(owner.open(), qPrintable(owner.why()));

    RecordStoreSettings station = *settings;
    station.user = QStringLiteral("older_station");
    RecordStore store(station);
    const UnitRecord failed = TestRecords::unit(QStringLiteral("A"), false, T0);
    const UnitRecord passed = TestRecords::unit(QStringLiteral("A"), true, T0.addSecs(600));
    const UnitRecord retest = TestRecords::unit(QStringLiteral("A"), true, T0.addSecs(300));
    for (const UnitRecord &r : { failed, passed, retest })
        QVERIFY2(store.write(r) == Write::Stored, qPrintable(store.why()));
    // Its first test failed; its latest passed, though written before the one between.
    RecordFilter day;
    day.from = day.to = T0.toLocalTime().date();
    RecordQueries queries(owner);
    const std::optional<QList<RecordQueries::YieldRow>> yield = queries.yield(day, RecordQueries::GroupBy::Day);
    QVERIFY2(yield && yield->size() == 1, qPrintable(queries.why()));
    QCOMPARE(yield->constFirst(), (RecordQueries::YieldRow{ day.from.toString(Qt::ISODate), 3, 1, 2, 1, 0, 1, 1, 0 }));
    const QString id = failed.recordId.toString(QUuid::WithoutBraces);
    QVERIFY(!TestStores::execBehind(station, { QStringLiteral("UPDATE units SET verdict = 'PASS' WHERE record_id = '%1'").arg(id) }));
    QVERIFY(!TestStores::execBehind(station, { QStringLiteral("DELETE FROM units WHERE record_id = '%1'").arg(id) }));
}

void RecordStoreTest::shouldUpgradeAnOlderStore_data()
{
    QTest::addColumn<QString>("backend");
    for (const QString &backend : TestStores::backends())
        QTest::newRow(qPrintable(backend)) << backend;
}

// A store the first version made, with a record in it, as the stations of a line have them.
void RecordStoreTest::shouldUpgradeAnOlderStore()
{
    QFETCH(QString, backend);
    FRESH_STORE(settings, m_stores, backend);
    const UnitRecord old = TestRecords::unit(QStringLiteral("OLD"), false, T0);
    const QString id = old.recordId.toString(QUuid::WithoutBraces);
    QVERIFY(TestStores::execBehind(*settings, {
        QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE units (record_id VARCHAR(36) PRIMARY KEY, serial_number TEXT NOT NULL, controller_id TEXT NOT NULL,"
                       " model TEXT NOT NULL, version TEXT NOT NULL, station TEXT NOT NULL, operator_name TEXT NOT NULL,"
                       " start_ms BIGINT NOT NULL, end_ms BIGINT NOT NULL, jig_map TEXT NOT NULL,"
                       " verdict VARCHAR(4) NOT NULL CHECK (verdict IN ('PASS', 'FAIL')))"),
        QStringLiteral("CREATE TABLE steps (record_id VARCHAR(36) NOT NULL REFERENCES units (record_id), step_index INTEGER NOT NULL,"
                       " name TEXT NOT NULL, expected TEXT NOT NULL, measured TEXT NOT NULL, passed INTEGER NOT NULL CHECK (passed IN (0, 1)),"
                       " reason TEXT NOT NULL, PRIMARY KEY (record_id, step_index))"),
        QStringLiteral("CREATE INDEX units_by_start ON units (start_ms)"),
        QStringLiteral("INSERT INTO schema_version VALUES (1)"),
        QStringLiteral("INSERT INTO units VALUES ('%1', 'OLD', '%2', '%3', '%4', '%5', '%6', %7, %8, '%9', 'FAIL')")
            .arg(id, old.controllerId, old.model, old.version, old.station, old.operatorName)
            .arg(old.start.toMSecsSinceEpoch())
            .arg(old.end.toMSecsSinceEpoch())
            .arg(old.jigMapName),
    }));
    for (const StepRecord &step : old.steps) {
        QVERIFY(TestStores::execBehind(*settings, { QStringLiteral("INSERT INTO steps VALUES ('%1', %2, '%3', '%4', '%5', %6, '%7')")
                                                 .arg(id)
                                                 .arg(step.index)
                                                 .arg(step.name, step.expected, step.measured)
                                                 .arg(step.passed ? 1 : 0)
                                                 .arg(step.why) }));
    }

    RecordStore store(*settings);
    QVERIFY2(store.open(), qPrintable(store.why()));
    QCOMPARE(*store.unitsBetween(T0, T0.addDays(1)), QList<UnitRecord>{ old });
    UnitRecord error = TestRecords::unit(QStringLiteral("NEW"), false, T0.addSecs(60));
    error.finish(T0.addSecs(61), true);
    error.engineering = true;
    QCOMPARE(store.write(error), Write::Stored);
    QCOMPARE(*store.unitsBetween(T0, T0.addDays(1)), (QList<UnitRecord>{ old, error }));
    // The rebuilt table still holds the steps to their unit.
    QStringList orphan{ QStringLiteral("INSERT INTO steps VALUES ('no-such-unit', 1, 'a', 'b', 'c', 1, '')") };
    if (backend == QLatin1String("sqlite"))
        orphan.prepend(QStringLiteral("PRAGMA foreign_keys = ON"));
    QVERIFY(!TestStores::execBehind(*settings, orphan));
    store.close();

    // Opened again: nothing more to do, the same records.
    RecordStore again(*settings);
    QVERIFY2(again.open(), qPrintable(again.why()));
    QCOMPARE(again.unitsBetween(T0, T0.addDays(1))->size(), 2);
}

QTEST_GUILESS_MAIN(RecordStoreTest)
#include "recordstoretest.moc"

void RecordStoreTest::shouldKeepRecordsOverSslWhenRequired_data()
{
    QTest::addColumn<bool>("serverSsl");
    QTest::newRow("server with a certificate") << true;
    QTest::newRow("server without SSL") << false;
}

// A store string with sslmode=require on a real server over TCP: with a self-signed certificate
// the record goes and comes back over SSL (the server takes TCP over SSL only); a server without
// SSL is refused before anything is sent, saying why.
void RecordStoreTest::shouldKeepRecordsOverSslWhenRequired()
{
    QFETCH(bool, serverSsl);
    SKIP_WITHOUT_POSTGRESQL_DRIVER(QStringLiteral("postgresql"));
    int port = 0;
    {
        QTcpServer free;
        QVERIFY(free.listen(QHostAddress::LocalHost));
        port = free.serverPort();
    }
    TestStores stores;
    stores.serveOnTcp(port, serverSsl);
    FRESH_STORE(settings, stores, QStringLiteral("postgresql"));
    RecordStoreSettings plain = *settings;
    plain.sslMode.clear();
    QString why;
    const std::optional<RecordStoreSettings> required = RecordStoreSettings::parse(plain.toString() + QStringLiteral("?sslmode=require"), &why);
    QVERIFY2(required, qPrintable(why));
    QCOMPARE(required->host, QStringLiteral("127.0.0.1"));

    RecordStore store(*required);
    const UnitRecord record = TestRecords::unit(QStringLiteral("A"), true, T0);
    if (!serverSsl) {
        QCOMPARE(store.write(record), Write::Unreachable);
        QVERIFY2(store.why().contains(QStringLiteral("SSL")), qPrintable(store.why()));
        return;
    }
    QVERIFY2(store.write(record) == Write::Stored, qPrintable(store.why()));
    UnitRecord back;
    QCOMPARE(RecordStore(*required).find(record.recordId, &back), Find::Found);
    QCOMPARE(back, record);
}
