#pragma once

#include "records/unitrecord.h"

#include <QDate>
#include <QString>
#include <QVariantList>
#include <optional>

// Which tests a look at the records takes: whole local days from `from` to `to` (both
// included), and optionally one station, one operator, serial numbers that begin with a text and
// one verdict. Engineering runs are left out unless asked for; yield never counts them.
struct RecordFilter
{
    QDate from;
    QDate to;
    QString station;        // empty: every station
    QString operatorName;   // empty: everyone
    QString serialPrefix;   // empty: every unit
    std::optional<UnitRecord::Verdict> verdict;
    bool withEngineering = false;

    // Nothing and why when the range is not one (a day missing, the end before the start).
    QString whyInvalid() const;
    // The range in milliseconds since 1970 UTC: the start of `from`, the start of the day after `to`.
    qint64 fromMs() const;
    qint64 toMs() const;
    // An SQL condition on the units table under the alias u, and its values in order.
    QString where(QVariantList *values) const;
    // The same without the verdict: yield and Pareto judge verdicts themselves.
    QString whereAnyVerdict(QVariantList *values) const;
};
