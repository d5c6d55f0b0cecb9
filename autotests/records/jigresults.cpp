#include "jigresults.h"

JigTest::Step JigResults::step(const char *name, const char *expected, const char *measured, bool passed, const char *reason)
{
    JigTest::Step step;
    step.name = QString::fromUtf8(name);
    step.expected = QString::fromUtf8(expected);
    step.measured = QString::fromUtf8(measured);
    step.passed = passed;
    step.why = QString::fromUtf8(reason);
    return step;
}

QList<JigTest::Step> JigResults::goodSteps()
{
    return {
        step("Identify", "a controller answering ID 007", "ZO425 S/N 24010042 ID 007", true),
        step("Set clock", "answered", "answered (2024/03/15  14:25:30)", true),
        step("DO1 alone", "DI1", "DI1", true),
        step("All off", "none", "none", true),
    };
}

QList<JigTest::Step> JigResults::withDo1(const char *measuredDo1, const char *reason)
{
    QList<JigTest::Step> steps = goodSteps();
    steps[2] = step("DO1 alone", "DI1", measuredDo1, qstrcmp(measuredDo1, "DI1") == 0, reason);
    return steps;
}

JigTest::Result JigResults::identified(const QList<JigTest::Step> &steps, const QString &serial, const QDateTime &start)
{
    JigTest::Result result;
    result.unit.stage = Identification::Stage::Done;
    result.unit.deviceId = "007";
    result.unit.version = IdentifyReplies::Version { QStringLiteral("ZO425V05"), "ZO425", false };
    result.unit.serial = IdentifyReplies::Serial { serial.toLatin1(), QStringLiteral("S/N:%1   ID:007").arg(serial) };
    result.steps = steps;
    result.start = start;
    result.end = start.addMSecs(1830);
    return result;
}

JigTest::Result JigResults::silent(const QDateTime &start)
{
    JigTest::Result result;
    result.unit.stage = Identification::Stage::NotFound;
    result.unit.why = QStringLiteral("No answer to 000AS");
    result.steps = { step("Identify", "a controller answering ID 000", "not identified", false, "No answer to 000AS") };
    result.start = start;
    result.end = start.addSecs(4);
    return result;
}
