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
        bool engineering = false;
    };

    // A finished record (see UnitRecord::finish). Only a unit that identified itself has a
    // record a store takes: without a serial number the record is refused as incomplete
    // (JigStation::keep does not make one).
    static UnitRecord from(const JigTest::Result &result, const Context &context);
};
