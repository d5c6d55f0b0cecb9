#include "records/recordkeeper.h"
#include "testrecords.h"
#include "teststores.h"

#include <QDir>
#include <QFile>
#include <QTest>

using Place = RecordKeeper::Place;

namespace {

const QDateTime T0 = QDateTime::fromString(QStringLiteral("2024-03-15T06:25:30.123Z"), Qt::ISODateWithMs);

} // namespace

class RecordKeeperTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldStoreSeriesExactlyOnceAcrossServerStop();
    void shouldHoldRecordsWhileStoreFileIsDamaged();
    void shouldSayWhenRecordIsKeptNowhere();

private:
    TestStores m_stores;
};

void RecordKeeperTest::shouldStoreSeriesExactlyOnceAcrossServerStop()
{
    FRESH_STORE(settings, m_stores, QStringLiteral("postgresql"));
    RecordKeeper keeper(*settings, m_stores.filePath(QStringLiteral("series.jsonl")));
    QCOMPARE(keeper.deliverPending().remaining, 0);

    QList<UnitRecord> made;
    auto keepNext = [&](Place place, int waiting) {
        made << TestRecords::unit(QStringLiteral("S%1").arg(made.size()), made.size() % 2 == 0, T0.addSecs(60 * made.size()));
        const RecordKeeper::Outcome outcome = keeper.keep(made.last());
        QVERIFY2(outcome.place == place, qPrintable(outcome.why));
        QCOMPARE(outcome.waiting, waiting);
    };
    keepNext(Place::Store, 0);
    keepNext(Place::Store, 0);
    QVERIFY2(m_stores.stopServer(), qPrintable(m_stores.error()));
    keepNext(Place::Pending, 1);
    keepNext(Place::Pending, 2);
    QVERIFY2(m_stores.startServer(), qPrintable(m_stores.error()));
    keepNext(Place::Store, 0);
    // A restart between two units: the open connection is dead, the server is there.
    QVERIFY2(m_stores.stopServer() && m_stores.startServer(), qPrintable(m_stores.error()));
    keepNext(Place::Store, 0);

    RecordStore reader(*settings);
    const std::optional<QList<UnitRecord>> stored = reader.unitsBetween(T0, T0.addDays(1));
    QVERIFY2(stored, qPrintable(reader.why()));
    QCOMPARE(*stored, made);
    QVERIFY(!QFile::exists(keeper.pending().filePath()));
}

void RecordKeeperTest::shouldHoldRecordsWhileStoreFileIsDamaged()
{
    FRESH_STORE(settings, m_stores, QStringLiteral("sqlite"));
    QDir().mkpath(QFileInfo(settings->sqlitePath).absolutePath());
    QFile damaged(settings->sqlitePath);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a database, not at all; some other program's file");
    damaged.close();

    RecordKeeper keeper(*settings, m_stores.filePath(QStringLiteral("damaged.jsonl")));
    const QList<UnitRecord> made{ TestRecords::unit(QStringLiteral("A"), true, T0), TestRecords::unit(QStringLiteral("B"), false, T0.addSecs(60)),
                                  TestRecords::unit(QStringLiteral("C"), true, T0.addSecs(120)) };
    for (int i = 0; i < 2; ++i) {
        const RecordKeeper::Outcome outcome = keeper.keep(made[i]);
        QCOMPARE(outcome.place, Place::Pending);
        QCOMPARE(outcome.waiting, i + 1);
        QVERIFY2(outcome.why.contains(QStringLiteral("damaged or not an SQLite database")), qPrintable(outcome.why));
    }

    // Someone moves the damaged file away: the records that waited go in first, in order.
    QVERIFY(damaged.rename(settings->sqlitePath + QStringLiteral(".broken")));
    const RecordKeeper::Outcome outcome = keeper.keep(made[2]);
    QVERIFY2(outcome.place == Place::Store, qPrintable(outcome.why));
    QCOMPARE(outcome.waiting, 0);
    QCOMPARE(*keeper.store().unitsBetween(T0, T0.addDays(1)), made);
}

void RecordKeeperTest::shouldSayWhenRecordIsKeptNowhere()
{
    const QString blocker = m_stores.filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    RecordStoreSettings settings;
    settings.sqlitePath = blocker + QStringLiteral("/records.sqlite");
    RecordKeeper keeper(settings, blocker + QStringLiteral("/pending.jsonl"));

    const RecordKeeper::Outcome outcome = keeper.keep(TestRecords::unit(QStringLiteral("A"), true, T0));
    QCOMPARE(outcome.place, Place::Nowhere);
    QVERIFY2(outcome.why.contains(QStringLiteral("NOT kept")) && outcome.why.contains(QStringLiteral("cannot make the folder")),
             qPrintable(outcome.why));

    UnitRecord unfinished = TestRecords::unit(QStringLiteral("B"), true, T0);
    unfinished.recordId = QUuid();
    QCOMPARE(keeper.keep(unfinished).place, Place::Nowhere);
}

QTEST_GUILESS_MAIN(RecordKeeperTest)
#include "recordkeepertest.moc"
