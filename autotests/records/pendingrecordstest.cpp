#include "records/pendingrecords.h"
#include "records/recordstore.h"
#include "testrecords.h"
#include "teststores.h"

#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

const QDateTime T0 = QDateTime::fromString(QStringLiteral("2024-03-15T06:25:30.123Z"), Qt::ISODateWithMs);

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void addToFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write(bytes);
}

} // namespace

class PendingRecordsTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldSetDamagedLineAsideAndKeepTheRest_data();
    void shouldSetDamagedLineAsideAndKeepTheRest();
    void shouldRemoveOnlyWhatStoreConfirmed();
    void shouldDeliverOnlyToTheStoreMeant_data();
    void shouldDeliverOnlyToTheStoreMeant();

private:
    TestStores m_stores;
};

void PendingRecordsTest::shouldSetDamagedLineAsideAndKeepTheRest_data()
{
    QTest::addColumn<QByteArray>("damage");
    const QByteArray good = QJsonDocument(TestRecords::unit(QStringLiteral("X"), true, T0).toJson()).toJson(QJsonDocument::Compact);
    QTest::newRow("not JSON") << QByteArray("{\"format\":1,garbage}\n");
    QTest::newRow("partial record") << QByteArray(good).replace("\"serialNumber\"", "\"serial\"") + '\n';
    QTest::newRow("array") << QByteArray("[1,2]\n");
    // A crash in the middle of an append: half a line, no line end.
    QTest::newRow("cut short") << good.left(good.size() / 2);
}

void PendingRecordsTest::shouldSetDamagedLineAsideAndKeepTheRest()
{
    QFETCH(QByteArray, damage);
    PendingRecords pending(m_stores.filePath(QStringLiteral("%1.jsonl").arg(QTest::currentDataTag())));

    const QList<UnitRecord> good{ TestRecords::unit(QStringLiteral("A"), true, T0), TestRecords::awkward(T0) };
    QVERIFY(pending.append(good[0], QStringLiteral("sqlite:/a")));
    addToFile(pending.filePath(), damage);
    QVERIFY(pending.append(good[1], QStringLiteral("sqlite:/a")));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("line 2: .*; moved to .*\\.damaged$")));
    const std::optional<QList<UnitRecord>> records = PendingRecords(pending.filePath()).records();
    QVERIFY(records);
    QCOMPARE(*records, good);
    QCOMPARE(fileContent(pending.damagedPath()), damage.trimmed() + '\n');

    // Set aside once: the next reader finds a clean file and nothing more to move.
    QVERIFY(!fileContent(pending.filePath()).contains(damage.trimmed()));
    QCOMPARE(*pending.records(), good);
    QCOMPARE(fileContent(pending.damagedPath()), damage.trimmed() + '\n');
}

void PendingRecordsTest::shouldRemoveOnlyWhatStoreConfirmed()
{
    FRESH_STORE(settings, m_stores, QStringLiteral("sqlite"));
    RecordStore store(*settings);
    QVERIFY2(store.open(), qPrintable(store.why()));
    // A store that answers but will not take one record, as a full disk or a rule of its own might.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("refuse"));
        db.setDatabaseName(settings->sqlitePath);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON units WHEN NEW.serial_number = 'R'"
                                                  " BEGIN SELECT RAISE(ABORT, 'not this one'); END")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("refuse"));

    // A was stored, but the program died before it left the pending file.
    const UnitRecord a = TestRecords::unit(QStringLiteral("A"), true, T0);
    QCOMPARE(store.write(a), RecordStore::WriteResult::Stored);
    PendingRecords pending(m_stores.filePath(QStringLiteral("confirmed.jsonl")));
    const QList<UnitRecord> waiting{ a, TestRecords::unit(QStringLiteral("R"), true, T0.addSecs(1)),
                                     TestRecords::unit(QStringLiteral("B"), false, T0.addSecs(2)) };
    for (const UnitRecord &r : waiting)
        QVERIFY(pending.append(r, settings->displayString()));

    for (int round = 0; round < 2; ++round) {
        const PendingRecords::Delivery d = pending.deliver(store);
        QCOMPARE(d.delivered, round == 0 ? 2 : 0);
        QCOMPARE(d.remaining, 1);
        QVERIFY(d.storeReached);
        QVERIFY2(d.why.contains(QStringLiteral("not this one")), qPrintable(d.why));
        QCOMPARE(*pending.records(), QList<UnitRecord>{ waiting[1] });
        QCOMPARE(*store.unitsBetween(T0, T0.addDays(1)), (QList<UnitRecord>{ waiting[0], waiting[2] }));
    }
}

void PendingRecordsTest::shouldDeliverOnlyToTheStoreMeant_data()
{
    QTest::addColumn<QString>("meantFor"); // "here": the store delivered to; "old": a line of the first version
    QTest::newRow("this store") << "here";
    QTest::newRow("another store") << "postgresql://line@server/records";
    QTest::newRow("a line that names no store") << "old";
}

void PendingRecordsTest::shouldDeliverOnlyToTheStoreMeant()
{
    QFETCH(QString, meantFor);
    FRESH_STORE(settings, m_stores, QStringLiteral("sqlite"));
    RecordStore store(*settings);
    PendingRecords pending(m_stores.filePath(QStringLiteral("meant-%1.jsonl").arg(QTest::currentDataTag())));
    const UnitRecord record = TestRecords::unit(QStringLiteral("M"), true, T0);
    const QString here = settings->displayString();
    const QString target = meantFor == QLatin1String("here") ? here : meantFor == QLatin1String("old") ? QString() : meantFor;
    if (meantFor == QLatin1String("old")) {
        // As the first version wrote it: format 1, no engineering flag, no store.
        QJsonObject json = record.toJson();
        json.insert(QStringLiteral("format"), 1);
        json.remove(QStringLiteral("engineering"));
        addToFile(pending.filePath(), QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n');
    } else {
        QVERIFY(pending.append(record, target));
    }
    QCOMPARE(*pending.countByStore(), (QList<PendingRecords::StoreCount>{ { target, 1 } }));

    const PendingRecords::Delivery d = pending.deliver(store);
    const bool goesHere = target == here;
    QCOMPARE(d.delivered, goesHere ? 1 : 0);
    QCOMPARE(d.otherStores, goesHere ? 0 : 1);
    QCOMPARE(store.unitsBetween(T0, T0.addDays(1))->size(), goesHere ? 1 : 0);
    if (goesHere)
        return;
    QCOMPARE(*pending.waiting(), (QList<PendingRecords::Waiting>{ { record, target } }));

    // Sent elsewhere only when asked, and only those meant for the store named.
    QCOMPARE(pending.deliverTo(store, QStringLiteral("sqlite:/elsewhere")).delivered, 0);
    const PendingRecords::Delivery moved = pending.deliverTo(store, target);
    QCOMPARE(moved.delivered, 1);
    QCOMPARE(*store.unitsBetween(T0, T0.addDays(1)), QList<UnitRecord>{ record });
    QVERIFY(pending.waiting()->isEmpty());
}

QTEST_GUILESS_MAIN(PendingRecordsTest)
#include "pendingrecordstest.moc"
