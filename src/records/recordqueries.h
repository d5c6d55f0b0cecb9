#pragma once

#include "records/recordfilter.h"
#include "records/unitrecord.h"

#include <QList>
#include <QString>
#include <optional>

class RecordStore;

// What a production line asks of its records, answered by the store's own SQL so that a year of
// a busy line (a million tests) is not read into the program: a unit's history, a page of tests,
// the yield per day, station or operator, and which step fails most.
//
// Yield counts production tests the station completed: engineering runs and ERROR (the station
// could not test) are left out, the errors counted apart. A unit's first-pass result is its very
// first such test anywhere in the store, counted in the group where that test fell, when it
// falls in the range; its last-pass result is its latest test in the range, counted where that
// one fell.
class RecordQueries
{
public:
    enum class GroupBy { Day, Station, Operator };

    struct YieldRow
    {
        QString key;              // the day (yyyy-MM-dd, local), the station or the operator
        int tests = 0;            // PASS and FAIL
        int units = 0;            // distinct serial numbers among them
        int retests = 0;          // tests beyond each unit's first in the group
        int firstTimeUnits = 0;   // units whose first test ever is here
        int firstTimePassed = 0;  // ... and passed at it
        int lastUnits = 0;        // units whose latest test in the range is here
        int lastPassed = 0;       // ... and passed at it
        int errors = 0;           // tests the station could not complete
        double firstPassYield() const { return firstTimeUnits ? double(firstTimePassed) / firstTimeUnits : 0.0; }
        double lastPassYield() const { return lastUnits ? double(lastPassed) / lastUnits : 0.0; }
        friend bool operator==(const YieldRow &, const YieldRow &) = default;
    };

    // Failed tests by the step that failed first, largest first; within a step, by what it
    // measured. share and cumulative are fractions of all failed tests (of the step's, for a
    // value).
    struct ParetoRow
    {
        QString step;
        QString measured;         // empty for a step's own row
        int failures = 0;
        double share = 0.0;
        double cumulative = 0.0;
    };
    struct Pareto
    {
        int failures = 0;
        QList<ParetoRow> steps;
        QList<ParetoRow> values;  // grouped by step in the order of steps, largest first within each
    };

    explicit RecordQueries(RecordStore &store);

    // Every test of a serial number, newest first, with its steps (engineering runs too).
    std::optional<QList<UnitRecord>> history(const QString &serialNumber);
    // Up to `limit` tests of the filter, newest first, without steps, from just after `after`
    // (a test of the page before) or from the newest.
    std::optional<QList<UnitRecord>> page(const RecordFilter &filter, int limit, const UnitRecord *after = nullptr);
    // Every test of the filter, oldest first, with its steps: what an export writes.
    std::optional<QList<UnitRecord>> units(const RecordFilter &filter);
    // The unit's latest test (engineering runs too), with its steps; nothing found is an empty list.
    std::optional<QList<UnitRecord>> latest(const QString &serialNumber);
    std::optional<QList<YieldRow>> yield(const RecordFilter &filter, GroupBy by);
    std::optional<Pareto> pareto(const RecordFilter &filter);

    // Why the last call gave nothing: the store's words.
    QString why() const;

private:
    RecordStore &m_store;
    QString m_why;
};
