#include "records/recordqueries.h"

#include "records/recordstore.h"

#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>

namespace {

// A test the yield counts: completed by the station, in production.
const QString Counted = QStringLiteral("u.verdict <> 'ERROR'");

bool run(QSqlQuery &query, const QString &sql, const QVariantList &values, QString *detail)
{
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        *detail = query.lastError().text();
        return false;
    }
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        *detail = query.lastError().text();
        return false;
    }
    return true;
}

// How many rows of a group meet a condition, in the form each server counts quickest: SQLite
// adds up its truth values (a NULL adds nothing), PostgreSQL filters the count.
QString countIf(const QString &dialect, const QString &condition)
{
    return dialect == QLatin1String("postgresql") ? QStringLiteral("COUNT(*) FILTER (WHERE %1)").arg(condition)
                                                  : QStringLiteral("SUM(%1)").arg(condition);
}

} // namespace

RecordQueries::RecordQueries(RecordStore &store)
    : m_store(store)
{
}

QString RecordQueries::why() const
{
    return m_why.isEmpty() ? m_store.why() : m_why;
}

std::optional<QList<UnitRecord>> RecordQueries::history(const QString &serialNumber)
{
    m_why.clear();
    return m_store.unitsWhere(QStringLiteral("u.serial_number = ?"), { serialNumber }, { true, 0, true });
}

std::optional<QList<UnitRecord>> RecordQueries::latest(const QString &serialNumber)
{
    m_why.clear();
    return m_store.unitsWhere(QStringLiteral("u.serial_number = ?"), { serialNumber }, { true, 1, true });
}

std::optional<QList<UnitRecord>> RecordQueries::page(const RecordFilter &filter, int limit, const UnitRecord *after)
{
    m_why = filter.whyInvalid();
    if (!m_why.isEmpty())
        return std::nullopt;
    QVariantList values;
    QString where = filter.where(&values);
    // By the position in the order, not by an offset: the page after is found as fast at the
    // millionth test as at the first.
    if (after) {
        const qint64 ms = after->start.toMSecsSinceEpoch();
        where += QStringLiteral(" AND (u.start_ms < ? OR (u.start_ms = ? AND u.record_id < ?))");
        values << ms << ms << after->recordId.toString(QUuid::WithoutBraces);
    }
    return m_store.unitsWhere(where, values, { true, std::max(1, limit), false });
}

std::optional<QList<UnitRecord>> RecordQueries::units(const RecordFilter &filter)
{
    m_why = filter.whyInvalid();
    if (!m_why.isEmpty())
        return std::nullopt;
    QVariantList values;
    const QString where = filter.where(&values);
    return m_store.unitsWhere(where, values, {});
}

std::optional<QList<RecordQueries::YieldRow>> RecordQueries::yield(const RecordFilter &asked, GroupBy by)
{
    m_why = asked.whyInvalid();
    if (!m_why.isEmpty())
        return std::nullopt;
    // Engineering runs are kept, never counted, whatever the filter shows.
    RecordFilter filter = asked;
    filter.withEngineering = false;
    const QString dialect = m_store.dialect();
    auto count = [&](const QString &condition) { return countIf(dialect, condition); };
    // Each counted test knows when its unit's counted tests just before and after it started
    // (the store keeps the links): none before is the unit's first test ever; none after, or
    // only after the range, is its latest in the range.
    const QString firstEver = QStringLiteral("%1 AND u.prev_ms IS NULL").arg(Counted);
    const QString lastInRange = QStringLiteral("%1 AND (u.next_ms IS NULL OR u.next_ms >= %2)").arg(Counted).arg(filter.toMs());
    // Per day over every station and operator, a unit's test is its first of the day when the
    // one before it started before the day (bound first), so the units of a day are counted in
    // the same pass. Grouped otherwise, or within one station or operator, the test before may
    // be elsewhere: the units are then counted as distinct serial numbers.
    const bool unitsByLinks = by == GroupBy::Day && filter.station.isEmpty() && filter.operatorName.isEmpty();
    const QString units = unitsByLinks ? count(QStringLiteral("%1 AND (u.prev_ms IS NULL OR u.prev_ms < ?)").arg(Counted))
                                       : QStringLiteral("COUNT(DISTINCT CASE WHEN %1 THEN u.serial_number END)").arg(Counted);
    const QString aggregates = QStringLiteral("COUNT(*), %1, %2, %3, %4, %5, %6, %7")
                                   .arg(count(Counted), units, count(firstEver), count(firstEver + QStringLiteral(" AND u.verdict = 'PASS'")),
                                        count(lastInRange), count(lastInRange + QStringLiteral(" AND u.verdict = 'PASS'")),
                                        count(QStringLiteral("u.verdict = 'ERROR'")));
    auto rowAt = [](const QSqlQuery &query, int first, const QString &key) {
        YieldRow row;
        row.key = key;
        row.tests = query.value(first + 1).toInt();
        row.units = query.value(first + 2).toInt();
        row.retests = row.tests - row.units;
        row.firstTimeUnits = query.value(first + 3).toInt();
        row.firstTimePassed = query.value(first + 4).toInt();
        row.lastUnits = query.value(first + 5).toInt();
        row.lastPassed = query.value(first + 6).toInt();
        row.errors = query.value(first + 7).toInt();
        return row;
    };

    QList<YieldRow> rows;
    const bool ok = m_store.query(QStringLiteral("Cannot count the yield"), [&](QSqlDatabase &db, QString *detail) {
        rows.clear();
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (by != GroupBy::Day) {
            const QString key = by == GroupBy::Station ? QStringLiteral("u.station") : QStringLiteral("u.operator_name");
            QVariantList values;
            const QString where = filter.whereAnyVerdict(&values);
            if (!run(query, QStringLiteral("SELECT %1, %2 FROM units u WHERE %3 GROUP BY %1 ORDER BY %1").arg(key, aggregates, where), values, detail))
                return false;
            while (query.next())
                rows.append(rowAt(query, 1, query.value(0).toString()));
            return true;
        }
        // Day by day, each its own range of the index in time order: no sorting of a year of
        // tests by day, and a local day is whatever length the clock changes make it.
        RecordFilter oneDay = filter;
        QVariantList values;
        const QString sql = QStringLiteral("SELECT %1 FROM units u WHERE %2").arg(aggregates, oneDay.whereAnyVerdict(&values));
        if (!query.prepare(sql)) {
            *detail = query.lastError().text();
            return false;
        }
        for (QDate day = filter.from; day <= filter.to; day = day.addDays(1)) {
            oneDay.from = oneDay.to = day;
            values.clear();
            oneDay.whereAnyVerdict(&values);
            if (unitsByLinks)
                values.prepend(oneDay.fromMs());
            for (int i = 0; i < values.size(); ++i)
                query.bindValue(i, values.at(i));
            if (!query.exec() || !query.next()) {
                *detail = query.lastError().text();
                return false;
            }
            if (query.value(0).toInt() > 0)
                rows.append(rowAt(query, 0, day.toString(Qt::ISODate)));
            query.finish();
        }
        return true;
    });
    if (!ok)
        return std::nullopt;
    return rows;
}

std::optional<RecordQueries::Pareto> RecordQueries::pareto(const RecordFilter &filter)
{
    m_why = filter.whyInvalid();
    if (!m_why.isEmpty())
        return std::nullopt;
    QVariantList values;
    const QString where = filter.whereAnyVerdict(&values);
    // A failed test counts once, at the step that failed first: no failed step before it. The
    // server answers "none before" by one join over the failed steps, not a look per test.
    const QString sql = QStringLiteral(
        "SELECT s.name, s.measured, COUNT(*) FROM units u JOIN steps s ON s.record_id = u.record_id AND s.passed = 0"
        " WHERE %1 AND u.verdict = 'FAIL'"
        " AND NOT EXISTS (SELECT 1 FROM steps e WHERE e.record_id = s.record_id AND e.passed = 0 AND e.step_index < s.step_index)"
        " GROUP BY s.name, s.measured")
        .arg(where);

    struct Count
    {
        QString step;
        QString measured;
        int failures;
    };
    QList<Count> counts;
    const bool ok = m_store.query(QStringLiteral("Cannot count the failures"), [&](QSqlDatabase &db, QString *detail) {
        QSqlQuery query(db);
        if (!run(query, sql, values, detail))
            return false;
        counts.clear();
        while (query.next())
            counts.append({ query.value(0).toString(), query.value(1).toString(), query.value(2).toInt() });
        return true;
    });
    if (!ok)
        return std::nullopt;

    Pareto pareto;
    QHash<QString, int> byStep;
    for (const Count &c : std::as_const(counts)) {
        byStep[c.step] += c.failures;
        pareto.failures += c.failures;
    }
    // Largest first; equal counts by name, so that the order does not change between two looks.
    for (auto it = byStep.cbegin(); it != byStep.cend(); ++it)
        pareto.steps.append({ it.key(), QString(), it.value(), 0.0, 0.0 });
    auto larger = [](const ParetoRow &a, const ParetoRow &b) {
        return a.failures != b.failures ? a.failures > b.failures : std::pair(a.step, a.measured) < std::pair(b.step, b.measured);
    };
    std::sort(pareto.steps.begin(), pareto.steps.end(), larger);
    int sum = 0;
    for (ParetoRow &row : pareto.steps) {
        sum += row.failures;
        row.share = double(row.failures) / pareto.failures;
        row.cumulative = double(sum) / pareto.failures;
    }
    for (const ParetoRow &step : std::as_const(pareto.steps)) {
        QList<ParetoRow> values;
        for (const Count &c : std::as_const(counts))
            if (c.step == step.step)
                values.append({ c.step, c.measured, c.failures, 0.0, 0.0 });
        std::sort(values.begin(), values.end(), larger);
        int within = 0;
        for (ParetoRow &row : values) {
            within += row.failures;
            row.share = double(row.failures) / step.failures;
            row.cumulative = double(within) / step.failures;
        }
        pareto.values += values;
    }
    return pareto;
}
