#include "records/recordqueries.h"

#include "records/recordstore.h"

#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTimeZone>
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

// A test's local day as a number of days since 1970 in SQL: its time plus the PC's offset from
// UTC at that time, which changes only at the clock changes within the range, so the offset is a
// short CASE and the day is found by arithmetic, without a join or a second table.
QString localDayNumber(const RecordFilter &filter, const QString &column = QStringLiteral("u.start_ms"))
{
    const QDateTime from(filter.from, QTime(0, 0));
    const QDateTime to(filter.to.addDays(1), QTime(0, 0));
    QString cases;
    qint64 offsetMs = qint64(from.offsetFromUtc()) * 1000;
    for (const QTimeZone::OffsetData &change : QTimeZone::systemTimeZone().transitions(from, to)) {
        cases += QStringLiteral(" WHEN %1 < %2 THEN %3").arg(column).arg(change.atUtc.toMSecsSinceEpoch()).arg(offsetMs);
        offsetMs = qint64(change.offsetFromUtc) * 1000;
    }
    const QString expression = cases.isEmpty() ? QString::number(offsetMs) : QStringLiteral("CASE%1 ELSE %2 END").arg(cases).arg(offsetMs);
    return QStringLiteral("((%1 + (%2)) / 86400000)").arg(column, expression);
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
    QVariantList values;
    QString key;
    switch (by) {
    case GroupBy::Day:
        key = localDayNumber(filter);
        break;
    case GroupBy::Station:
        key = QStringLiteral("u.station");
        break;
    case GroupBy::Operator:
        key = QStringLiteral("u.operator_name");
        break;
    }
    const QString where = filter.whereAnyVerdict(&values);
    // Each counted test knows when its unit's counted tests just before and after it started
    // (the store keeps the links): none before is the unit's first test ever; none after, or
    // only after the range, is its latest in the range.
    const QString firstEver = QStringLiteral("u.prev_ms IS NULL");
    const QString lastInRange = QStringLiteral("(u.next_ms IS NULL OR u.next_ms >= %1)").arg(filter.toMs());
    // Per day over every station and operator, a unit's test is its first of the day when the
    // one before it fell on an earlier day, so the units of a day are counted in the same pass.
    // Grouped otherwise, or within one station or operator, the test before may be elsewhere:
    // the units are then counted as distinct serial numbers.
    const QString units = by == GroupBy::Day && filter.station.isEmpty() && filter.operatorName.isEmpty()
        ? QStringLiteral("SUM(CASE WHEN %1 AND (u.prev_ms IS NULL OR %2 < %3) THEN 1 ELSE 0 END)")
              .arg(Counted, localDayNumber(filter, QStringLiteral("u.prev_ms")), key)
        : QStringLiteral("COUNT(DISTINCT CASE WHEN %1 THEN u.serial_number END)").arg(Counted);
    const QString sql = QStringLiteral(
        "SELECT %1, SUM(CASE WHEN %3 THEN 1 ELSE 0 END), %4,"
        " SUM(CASE WHEN %3 AND %5 THEN 1 ELSE 0 END), SUM(CASE WHEN %3 AND %5 AND u.verdict = 'PASS' THEN 1 ELSE 0 END),"
        " SUM(CASE WHEN %3 AND %6 THEN 1 ELSE 0 END), SUM(CASE WHEN %3 AND %6 AND u.verdict = 'PASS' THEN 1 ELSE 0 END),"
        " SUM(CASE WHEN u.verdict = 'ERROR' THEN 1 ELSE 0 END)"
        " FROM units u WHERE %2 GROUP BY %1 ORDER BY %1")
        .arg(key, where, Counted, units, firstEver, lastInRange);
    const QVariantList bound = values;

    QList<YieldRow> rows;
    const bool ok = m_store.query(QStringLiteral("Cannot count the yield"), [&](QSqlDatabase &db, QString *detail) {
        QSqlQuery query(db);
        if (!run(query, sql, bound, detail))
            return false;
        rows.clear();
        while (query.next()) {
            YieldRow row;
            row.key = by == GroupBy::Day ? QDate(1970, 1, 1).addDays(query.value(0).toLongLong()).toString(Qt::ISODate) : query.value(0).toString();
            row.tests = query.value(1).toInt();
            row.units = query.value(2).toInt();
            row.retests = row.tests - row.units;
            row.firstTimeUnits = query.value(3).toInt();
            row.firstTimePassed = query.value(4).toInt();
            row.lastUnits = query.value(5).toInt();
            row.lastPassed = query.value(6).toInt();
            row.errors = query.value(7).toInt();
            rows.append(row);
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
