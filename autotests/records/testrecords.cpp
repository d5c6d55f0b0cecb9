#include "testrecords.h"

const QString TestRecords::AwkwardText = QStringLiteral(" lead, \"quoted\"; it's\r\nnext\tline \x01\x1b[0m\x7f 門禁控制器 😀 trail ");

UnitRecord TestRecords::unit(const QString &serial, bool pass, const QDateTime &start, const QString &station)
{
    UnitRecord r;
    r.serialNumber = serial;
    r.controllerId = QStringLiteral("001");
    r.model = QStringLiteral("RO420");
    r.version = QStringLiteral("V2.31");
    r.station = station;
    r.operatorName = QStringLiteral("Li Wei");
    r.jigMapName = QStringLiteral("Simulator jig");
    r.start = start;
    r.steps = {
        { 0, QStringLiteral("Set clock"), QStringLiteral("±2 s"), QStringLiteral("+1 s"), true, {} },
        { 0, QStringLiteral("DO1 alone"), QStringLiteral("DI1"), pass ? QStringLiteral("DI1") : QString(), pass, {} },
        { 0, QStringLiteral("All off"), QString(), QString(), true, {} },
    };
    r.finish(start.addSecs(20));
    return r;
}

UnitRecord TestRecords::awkward(const QDateTime &start)
{
    UnitRecord r = unit(QStringLiteral("SN,\"7\"/A:1"), false, start);
    r.operatorName = QStringLiteral("王小明, \"QA\"");
    r.station = AwkwardText;
    r.steps[1].measured = AwkwardText;
    r.steps[1].why = QStringLiteral("no reply\nwithin 1200 ms");
    return r;
}
