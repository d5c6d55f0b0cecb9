#include "records/jigrecord.h"

UnitRecord JigRecord::from(const JigTest::Result &result, const Context &context)
{
    UnitRecord record;
    if (result.unit.serial)
        record.serialNumber = QString::fromLatin1(result.unit.serial->serialNumber);
    record.controllerId = QString::fromLatin1(result.unit.deviceId);
    if (result.unit.version) {
        record.model = QString::fromLatin1(result.unit.version->model);
        record.version = result.unit.version->panelText;
    }
    record.station = context.station;
    record.operatorName = context.operatorName;
    record.jigMapName = context.jigMapName;
    record.engineering = context.engineering;
    record.start = result.start;
    for (const JigTest::Step &step : result.steps) {
        StepRecord kept;
        kept.name = step.name;
        kept.expected = step.expected;
        kept.measured = step.measured;
        kept.passed = step.passed;
        kept.why = step.why;
        record.steps.append(kept);
    }
    record.finish(result.end.isValid() ? result.end : QDateTime::currentDateTimeUtc(), result.linkLost());
    return record;
}
