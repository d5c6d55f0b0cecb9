// The questions a line asks of its records, on a real store: a week of a small line with a
// retest, a unit that came back from an earlier day, a test the station could not complete and an
// engineering run, each placed so that one wrong join or one wrong boundary changes a figure.
#include "records/recordqueries.h"
#include "records/recordstore.h"
#include "teststores.h"

#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <random>

namespace {

using Verdict = UnitRecord::Verdict;
using Row = RecordQueries::YieldRow;

struct Test
{
    const char *serial;
    int day;             // of March 2024, local time
    int hour;
    const char *station;
    const char *operatorName;
    Verdict verdict;
    const char *failedStep = "";
    const char *measured = "";
    bool engineering = false;
};

UnitRecord record(const Test &t)
{
    UnitRecord r;
    r.serialNumber = QString::fromLatin1(t.serial);
    r.controllerId = QStringLiteral("000");
    r.model = QStringLiteral("ZO425");
    r.version = QStringLiteral("V05");
    r.station = QString::fromLatin1(t.station);
    r.operatorName = QString::fromLatin1(t.operatorName);
    r.jigMapName = QStringLiteral("Simulator jig");
    r.engineering = t.engineering;
    r.start = QDateTime(QDate(2024, 3, t.day), QTime(t.hour, 0));
    r.steps = { { 0, QStringLiteral("Identify"), QStringLiteral("a controller"), QString::fromLatin1(t.serial), true, {} } };
    if (t.verdict != Verdict::Pass)
        r.steps.append({ 0, QString::fromLatin1(t.failedStep), QStringLiteral("DI2"), QString::fromLatin1(t.measured), false, {} });
    r.finish(r.start.addSecs(30), t.verdict == Verdict::Error);
    return r;
}

const QList<Test> Week = {
    { "A", 14, 9, "L1", "Wang", Verdict::Fail, "DO1 alone", "none" },        // before the range
    { "A", 15, 9, "L1", "Wang", Verdict::Pass },
    { "B", 15, 9, "L1", "Wang", Verdict::Fail, "DO2 alone", "none" },
    { "B", 15, 10, "L2", "Li", Verdict::Fail, "DO2 alone", "none" },
    { "B", 16, 8, "L2", "Li", Verdict::Pass },
    { "C", 15, 11, "L2", "Li", Verdict::Pass },
    { "D", 16, 9, "L1", "Li", Verdict::Fail, "Clock kept", "+5 s" },
    { "E", 16, 10, "L1", "Wang", Verdict::Error, "DO3 alone", "link failed" },
    { "F", 16, 11, "L1", "Wang", Verdict::Fail, "DO1 alone", "DI1 DI2", true }, // engineering
    { "G", 17, 9, "L1", "Wang", Verdict::Fail, "DO4 alone", "none" },        // after the range
};

RecordFilter days15to16()
{
    RecordFilter filter;
    filter.from = QDate(2024, 3, 15);
    filter.to = QDate(2024, 3, 16);
    return filter;
}

//          key   tests units retests first passed last passed errors
Row row(const char *key, int tests, int units, int firstUnits, int firstPassed, int lastUnits, int lastPassed, int errors)
{
    return { QString::fromLatin1(key), tests, units, tests - units, firstUnits, firstPassed, lastUnits, lastPassed, errors };
}

// A test as a program of schema `version` wrote it.
QStringList olderRows(const UnitRecord &r, int version)
{
    const QString id = r.recordId.toString(QUuid::WithoutBraces);
    QStringList rows{ QStringLiteral("INSERT INTO units VALUES ('%1', '%2', '000', 'ZO425', 'V05', '%3', '%4', %5, %6, 'Simulator jig', '%7'%8)")
                          .arg(id, r.serialNumber, r.station, r.operatorName)
                          .arg(r.start.toMSecsSinceEpoch())
                          .arg(r.end.toMSecsSinceEpoch())
                          .arg(UnitRecord::verdictText(r.verdict), version == 1 ? QString() : QStringLiteral(", %1").arg(r.engineering ? 1 : 0)) };
    for (const StepRecord &step : r.steps)
        rows << QStringLiteral("INSERT INTO steps VALUES ('%1', %2, '%3', '%4', '%5', %6, '')")
                    .arg(id)
                    .arg(step.index)
                    .arg(step.name, step.expected, step.measured)
                    .arg(step.passed ? 1 : 0);
    return rows;
}

// Units tested again and again over twelve days across Berlin's clock change, at three stations
// by two operators, with ERRORs and engineering runs (none before version 2 knew them), each
// start its own minute.
QList<UnitRecord> randomTests(QRandomGenerator &random, int count, bool onlyPassAndFail)
{
    const QDateTime first(QDate(2024, 3, 25), QTime(0, 0));
    QList<int> minutes;
    for (int m = 0; m < 12 * 24 * 60; m += 1 + int(random.bounded(90)))
        minutes << m;
    std::shuffle(minutes.begin(), minutes.end(), std::mt19937(random.generate()));
    QList<UnitRecord> tests;
    for (int i = 0; i < count; ++i) {
        const int draw = int(random.bounded(10));
        const Verdict verdict = draw < 6 ? Verdict::Pass : draw < 9 || onlyPassAndFail ? Verdict::Fail : Verdict::Error;
        const Test t{ "", 1, 0, "", "", verdict, "DO2 alone", "none", !onlyPassAndFail && random.bounded(10) == 0 };
        UnitRecord r = record(t);
        r.serialNumber = QStringLiteral("R%1").arg(random.bounded(12));
        r.station = QStringLiteral("L%1").arg(1 + random.bounded(3));
        r.operatorName = random.bounded(2) ? QStringLiteral("Wang") : QStringLiteral("Li");
        r.start = first.addSecs(60LL * minutes.at(i % minutes.size())).toUTC();
        r.end = r.start.addSecs(30);
        tests << r;
    }
    return tests;
}

// The yield counted test by test as its words say, over every test written.
QList<Row> countedByHand(const QList<UnitRecord> &all, const RecordFilter &f, RecordQueries::GroupBy by)
{
    auto counted = [](const UnitRecord &t) { return !t.engineering && t.verdict != Verdict::Error; };
    const QDateTime end(f.to.addDays(1), QTime(0, 0));
    QMap<QString, Row> rows;
    QMap<QString, QSet<QString>> units;
    for (const UnitRecord &t : all) {
        const QDateTime local = t.start.toLocalTime();
        if (t.engineering || local.date() < f.from || local.date() > f.to || (!f.station.isEmpty() && t.station != f.station)
            || (!f.operatorName.isEmpty() && t.operatorName != f.operatorName))
            continue;
        const QString key = by == RecordQueries::GroupBy::Day ? local.date().toString(Qt::ISODate)
            : by == RecordQueries::GroupBy::Station           ? t.station
                                                              : t.operatorName;
        Row &row = rows[key];
        row.key = key;
        if (!counted(t)) {
            ++row.errors;
            continue;
        }
        ++row.tests;
        units[key].insert(t.serialNumber);
        const bool passed = t.verdict == Verdict::Pass;
        const auto sameUnit = [&](auto when) {
            return std::any_of(all.cbegin(), all.cend(), [&](const UnitRecord &e) { return counted(e) && e.serialNumber == t.serialNumber && when(e.start); });
        };
        if (!sameUnit([&](const QDateTime &s) { return s < t.start; })) {
            ++row.firstTimeUnits;
            row.firstTimePassed += passed;
        }
        if (!sameUnit([&](const QDateTime &s) { return s > t.start && s < end; })) {
            ++row.lastUnits;
            row.lastPassed += passed;
        }
    }
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        it->units = int(units.value(it.key()).size());
        it->retests = it->tests - it->units;
    }
    return rows.values();
}

} // namespace

Q_DECLARE_METATYPE(RecordQueries::GroupBy)

class RecordQueriesTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldCountTheYield_data();
    void shouldCountTheYield();
    void shouldRankTheFailures_data();
    void shouldRankTheFailures();
    void shouldCountLocalDaysOverAClockChange();
    void shouldCountAsByHandWhateverWroteAndUpgradedTheStore_data();
    void shouldCountAsByHandWhateverWroteAndUpgradedTheStore();
    void shouldGiveAUnitsHistoryAndThePagesOfARange();

private:
    bool fill(RecordStore &store);
    TestStores m_stores;
};

bool RecordQueriesTest::fill(RecordStore &store)
{
    for (const Test &t : Week)
        if (store.write(record(t)) != RecordStore::WriteResult::Stored)
            return false;
    return true;
}

void RecordQueriesTest::shouldCountTheYield_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<RecordQueries::GroupBy>("by");
    QTest::addColumn<QList<Row>>("rows");
    using By = RecordQueries::GroupBy;
    // A's first test was on the 14th; B failed first at L1 and passed on the 16th at L2; E is an
    // ERROR and F an engineering run; G is after the range.
    const QList<Row> byDay{ row("2024-03-15", 4, 3, 2, 1, 2, 2, 0), row("2024-03-16", 2, 2, 1, 0, 2, 1, 1) };
    QTest::newRow("sqlite by day") << "sqlite" << By::Day << byDay;
    QTest::newRow("sqlite by station") << "sqlite" << By::Station << QList<Row>{ row("L1", 3, 3, 2, 0, 2, 1, 1), row("L2", 3, 2, 1, 1, 2, 2, 0) };
    QTest::newRow("sqlite by operator") << "sqlite" << By::Operator << QList<Row>{ row("Li", 4, 3, 2, 1, 3, 2, 0), row("Wang", 2, 2, 1, 0, 1, 1, 1) };
    QTest::newRow("postgresql by day") << "postgresql" << By::Day << byDay;
}

void RecordQueriesTest::shouldCountTheYield()
{
    QFETCH(QString, backend);
    QFETCH(RecordQueries::GroupBy, by);
    QFETCH(QList<Row>, rows);
    FRESH_STORE(settings, m_stores, backend);
    RecordStore store(*settings);
    QVERIFY2(fill(store), qPrintable(store.why()));
    RecordQueries queries(store);
    const std::optional<QList<Row>> yield = queries.yield(days15to16(), by);
    QVERIFY2(yield, qPrintable(queries.why()));
    QCOMPARE(*yield, rows);
}

void RecordQueriesTest::shouldRankTheFailures_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("station");
    QTest::addColumn<bool>("failedTwice");    // one more test, failed at Set clock and at DO2 alone
    QTest::addColumn<QStringList>("steps");   // "step failures cumulative%"
    QTest::addColumn<QStringList>("values");  // "step/measured failures"
    QTest::newRow("sqlite") << "sqlite" << QString() << false << QStringList{ "DO2 alone 2 67", "Clock kept 1 100" }
                            << QStringList{ "DO2 alone/none 2", "Clock kept/+5 s 1" };
    QTest::newRow("sqlite, one station") << "sqlite" << "L2" << false << QStringList{ "DO2 alone 1 100" } << QStringList{ "DO2 alone/none 1" };
    QTest::newRow("postgresql") << "postgresql" << QString() << false << QStringList{ "DO2 alone 2 67", "Clock kept 1 100" }
                                << QStringList{ "DO2 alone/none 2", "Clock kept/+5 s 1" };
    // Counted once, at the step that failed first.
    for (const QString &backend : TestStores::backends()) {
        QTest::newRow(qPrintable(backend + QStringLiteral(", failed at two steps")))
            << backend << QString() << true << QStringList{ "DO2 alone 2 50", "Clock kept 1 75", "Set clock 1 100" }
            << QStringList{ "DO2 alone/none 2", "Clock kept/+5 s 1", "Set clock/+9 s 1" };
    }
}

void RecordQueriesTest::shouldRankTheFailures()
{
    QFETCH(QString, backend);
    QFETCH(QString, station);
    QFETCH(bool, failedTwice);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, values);
    FRESH_STORE(settings, m_stores, backend);
    RecordStore store(*settings);
    QVERIFY2(fill(store), qPrintable(store.why()));
    if (failedTwice) {
        UnitRecord twice = record({ "H", 15, 12, "L1", "Wang", Verdict::Fail, "Set clock", "+9 s" });
        twice.steps.append({ 0, QStringLiteral("DO2 alone"), QStringLiteral("DI2"), QStringLiteral("none"), false, {} });
        twice.finish(twice.end);
        QCOMPARE(store.write(twice), RecordStore::WriteResult::Stored);
    }
    RecordQueries queries(store);
    RecordFilter filter = days15to16();
    filter.station = station;
    const std::optional<RecordQueries::Pareto> pareto = queries.pareto(filter);
    QVERIFY2(pareto, qPrintable(queries.why()));
    QStringList gotSteps, gotValues;
    for (const RecordQueries::ParetoRow &r : pareto->steps)
        gotSteps << QStringLiteral("%1 %2 %3").arg(r.step).arg(r.failures).arg(qRound(100 * r.cumulative));
    for (const RecordQueries::ParetoRow &r : pareto->values)
        gotValues << QStringLiteral("%1/%2 %3").arg(r.step, r.measured).arg(r.failures);
    QCOMPARE(gotSteps, steps);
    QCOMPARE(gotValues, values);
}

// Berlin's clocks went forward on 31 March 2024: that day has 23 hours, and a test late on it
// is still on it, not on the next.
void RecordQueriesTest::shouldCountLocalDaysOverAClockChange()
{
    FRESH_STORE(settings, m_stores, QStringLiteral("sqlite"));
    RecordStore store(*settings);
    const QList<std::pair<const char *, QDateTime>> tests{
        { "X1", QDateTime(QDate(2024, 3, 30), QTime(23, 30)) }, { "X2", QDateTime(QDate(2024, 3, 31), QTime(0, 30)) },
        { "X3", QDateTime(QDate(2024, 3, 31), QTime(23, 30)) }, { "X4", QDateTime(QDate(2024, 4, 1), QTime(0, 30)) },
    };
    for (const auto &[serial, start] : tests) {
        Test t{ serial, 1, 0, "L1", "Wang", Verdict::Pass };
        UnitRecord r = record(t);
        r.start = start.toUTC();
        r.end = r.start.addSecs(30);
        QCOMPARE(store.write(r), RecordStore::WriteResult::Stored);
    }
    RecordQueries queries(store);
    RecordFilter filter;
    filter.from = QDate(2024, 3, 30);
    filter.to = QDate(2024, 4, 1);
    QStringList days;
    const std::optional<QList<Row>> rows = queries.yield(filter, RecordQueries::GroupBy::Day);
    QVERIFY2(rows, qPrintable(queries.why()));
    for (const Row &r : *rows)
        days << QStringLiteral("%1 %2").arg(r.key).arg(r.tests);
    QCOMPARE(days, (QStringList{ "2024-03-30 1", "2024-03-31 2", "2024-04-01 1" }));
}

void RecordQueriesTest::shouldCountAsByHandWhateverWroteAndUpgradedTheStore_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<int>("olderVersion");  // 0: every test written by this program
    for (const QString &backend : TestStores::backends()) {
        QTest::newRow(qPrintable(backend + QStringLiteral(", written here"))) << backend << 0;
        QTest::newRow(qPrintable(backend + QStringLiteral(", schema 2 upgraded"))) << backend << 2;
        QTest::newRow(qPrintable(backend + QStringLiteral(", schema 1 upgraded"))) << backend << 1;
    }
}

// Half the tests written by an older program, the store upgraded, the rest written in an order
// of their own, so that tests arrive before and between the tests of their unit already there.
void RecordQueriesTest::shouldCountAsByHandWhateverWroteAndUpgradedTheStore()
{
    QFETCH(QString, backend);
    QFETCH(int, olderVersion);
    FRESH_STORE(settings, m_stores, backend);
    QRandomGenerator random(4200 + olderVersion);
    QList<UnitRecord> all = randomTests(random, 60, olderVersion == 1);
    if (olderVersion > 0) {
        QStringList statements = TestStores::olderSchema(olderVersion);
        for (qsizetype i = 0; i < all.size() / 2; ++i)
            statements += olderRows(all.at(i), olderVersion);
        QVERIFY(TestStores::execBehind(*settings, statements));
    }
    RecordStore store(*settings);
    QVERIFY2(store.open(), qPrintable(store.why()));
    RecordQueries queries(store);
    // What the upgrade worked out alone first, then with the rest written among it.
    const qsizetype half = olderVersion > 0 ? all.size() / 2 : 0;
    for (const qsizetype written : { half, all.size() }) {
        for (qsizetype i = half; i < written; ++i)
            QCOMPARE(store.write(all.at(i)), RecordStore::WriteResult::Stored);
        if (written == 0)
            continue;
        RecordFilter whole;
        whole.from = QDate(2024, 3, 27);
        whole.to = QDate(2024, 4, 2);
        RecordFilter atL2 = whole;
        atL2.station = QStringLiteral("L2");
        RecordFilter byLi = whole;
        byLi.operatorName = QStringLiteral("Li");
        using By = RecordQueries::GroupBy;
        for (const RecordFilter &filter : { whole, atL2, byLi }) {
            for (const By by : { By::Day, By::Station, By::Operator }) {
                const QList<Row> expected = countedByHand(all.mid(0, written), filter, by);
                QVERIFY(!expected.isEmpty());
                for (const bool shown : { false, true }) {
                    RecordFilter f = filter;
                    f.withEngineering = shown;
                    const std::optional<QList<Row>> got = queries.yield(f, by);
                    QVERIFY2(got, qPrintable(queries.why()));
                    QCOMPARE(*got, expected);
                }
            }
        }
    }
}

void RecordQueriesTest::shouldGiveAUnitsHistoryAndThePagesOfARange()
{
    FRESH_STORE(settings, m_stores, QStringLiteral("sqlite"));
    RecordStore store(*settings);
    QVERIFY2(fill(store), qPrintable(store.why()));
    RecordQueries queries(store);

    const std::optional<QList<UnitRecord>> b = queries.history(QStringLiteral("B"));
    QVERIFY(b);
    QCOMPARE(b->size(), 3);
    QCOMPARE(b->at(0).start, QDateTime(QDate(2024, 3, 16), QTime(8, 0)));
    QCOMPARE(b->at(2).start, QDateTime(QDate(2024, 3, 15), QTime(9, 0)));
    QCOMPARE(b->at(1).steps.size(), 2);
    QCOMPARE(queries.latest(QStringLiteral("B"))->constFirst(), b->constFirst());
    QVERIFY(queries.history(QStringLiteral("nobody"))->isEmpty());

    // Pages of two, each after the last of the one before, make the whole range newest first.
    RecordFilter filter = days15to16();
    filter.withEngineering = true;
    const QList<UnitRecord> all = *queries.units(filter);
    QCOMPARE(all.size(), 8);
    QList<UnitRecord> paged;
    for (int round = 0; round < 10; ++round) {
        const std::optional<QList<UnitRecord>> page = queries.page(filter, 2, paged.isEmpty() ? nullptr : &paged.constLast());
        QVERIFY(page);
        if (page->isEmpty())
            break;
        QVERIFY(page->size() <= 2);
        paged += *page;
    }
    QCOMPARE(paged.size(), all.size());
    for (int i = 0; i < all.size(); ++i)
        QCOMPARE(paged[i].recordId, all[all.size() - 1 - i].recordId);

    // The filter's other fields.
    filter.withEngineering = false;
    filter.serialPrefix = QStringLiteral("B");
    filter.verdict = Verdict::Fail;
    QCOMPARE(queries.page(filter, 10)->size(), 2);
    filter.serialPrefix = QStringLiteral("%");
    QVERIFY(queries.page(filter, 10)->isEmpty());
    filter.to = QDate(2024, 3, 1);
    QVERIFY(!queries.page(filter, 10));
    QVERIFY2(queries.why().contains(QStringLiteral("before the first")), qPrintable(queries.why()));
}

int main(int argc, char **argv)
{
    // A zone with clock changes, so that a day of 23 hours is met.
    qputenv("TZ", "Europe/Berlin");
    QCoreApplication app(argc, argv);
    RecordQueriesTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "recordqueriestest.moc"
