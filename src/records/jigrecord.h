#pragma once

#include "controller/jigtest.h"
#include "records/unitrecord.h"

#include <QString>

// The record of one unit from its jig test, as every program that runs the test keeps it.
class JigRecord
{
public:
    struct Context
    {
        QString station;
        QString operatorName;
        QString jigMapName;
    };

    // A finished record (see UnitRecord::finish): a unit that could not be identified is
    // recorded too, under an empty serial number, so the station's counters see the attempt.
    static UnitRecord from(const JigTest::Result &result, const Context &context);
};
