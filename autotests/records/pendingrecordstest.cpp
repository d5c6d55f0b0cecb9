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
    QVERIFY(pending.append(good[0]));
    addToFile(pending.filePath(), damage);
    QVERIFY(pending.append(good[1]));

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
        QVERIFY(pending.append(r));

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

QTEST_GUILESS_MAIN(PendingRecordsTest)
#include "pendingrecordstest.moc"
