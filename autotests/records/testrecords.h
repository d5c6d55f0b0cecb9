#pragma once

#include "records/unitrecord.h"

// Finished records as the jig test makes them.
class TestRecords
{
public:
    // Set clock, DO1 alone and all off; with pass false DO1's inputs stay dark.
    static UnitRecord unit(const QString &serial, bool pass, const QDateTime &start, const QString &station = QStringLiteral("Line 1"));
    // Every text a spreadsheet, a CSV reader or an SQL statement could trip over.
    static UnitRecord awkward(const QDateTime &start);
    static const QString AwkwardText;
};
