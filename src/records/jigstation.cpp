#include "records/jigstation.h"

#include "controller/controllersession.h"
#include "controller/linkrecovery.h"
#include "records/jigrecord.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

JigStation::JigStation(const RecordStoreSettings &store, const QString &pendingPath)
    : m_keeper(store, pendingPath)
{
}

JigStation::SetupProblem JigStation::setupProblem(const Setup &setup)
{
    if (setup.station.trimmed().isEmpty())
        return SetupProblem::NoStation;
    if (setup.operatorName.trimmed().isEmpty())
        return SetupProblem::NoOperator;
    return SetupProblem::None;
}

QString JigStation::problemText(SetupProblem problem)
{
    switch (problem) {
    case SetupProblem::None:
        break;
    case SetupProblem::NoStation:
        return QStringLiteral("the station has no name; the day's counters go by it");
    case SetupProblem::NoOperator:
        return QStringLiteral("no operator is named; every record says who tested the unit");
    }
    return QString();
}

JigTest::Result JigStation::test(ControllerSession &session, const Setup &setup,
                                 const std::function<void(const JigTest::Step &)> &stepDone,
                                 const std::function<bool()> &goOn)
{
    Q_ASSERT(setupProblem(setup) == SetupProblem::None);
    const JigTest::Result result = JigTest(session, setup.map, setup.options).run(stepDone);
    if (goOn && LinkRecovery::lost(session) && goOn())
        return JigTest(session, setup.map, setup.options).run(stepDone);
    return result;
}

JigStation::Unit JigStation::keep(const JigTest::Result &result, const Setup &setup)
{
    Unit unit;
    unit.result = result;
    if (!result.unit.ok() || !result.unit.serial) {
        unit.kept.place = RecordKeeper::Place::Nowhere;
        unit.kept.why = QStringLiteral("No controller identified itself, so there is no unit to record: %1")
                                .arg(result.unit.why.isEmpty() ? QStringLiteral("no serial number") : result.unit.why);
        unit.kept.waiting = waiting();
        return unit;
    }
    unit.record = JigRecord::from(result, { setup.station.trimmed(), setup.operatorName.trimmed(), setup.map.name(), setup.engineering });
    unit.kept = m_keeper.keep(*unit.record);
    if (setup.certificate)
        unit.certificate = certificateFile(*setup.certificate, *unit.record);
    return unit;
}

JigStation::Unit JigStation::testAndKeep(ControllerSession &session, const Setup &setup,
                                         const std::function<void(const JigTest::Step &)> &stepDone)
{
    return keep(test(session, setup, stepDone), setup);
}

std::optional<RecordStore::DayCounters> JigStation::counters(const QString &station, const QDate &localDay)
{
    return m_keeper.store().dayCounters(station.trimmed(), localDay);
}

std::optional<QList<PendingRecords::StoreCount>> JigStation::waitingByStore()
{
    return m_keeper.pending().countByStore();
}

int JigStation::waiting()
{
    const std::optional<QList<PendingRecords::StoreCount>> counts = waitingByStore();
    if (!counts)
        return -1;
    const QString here = store().settings().displayString();
    for (const PendingRecords::StoreCount &count : *counts)
        if (count.store == here)
            return count.records;
    return 0;
}

QString JigStation::certificateFile(const QString &where, const UnitRecord &record)
{
    const QString given = where.trimmed();
    const bool folder = given.isEmpty() || QFileInfo(given).isDir() || given.endsWith(QLatin1Char('/'))
        || given.endsWith(QDir::separator());
    if (!folder)
        return QDir::cleanPath(QDir::fromNativeSeparators(given));
    QString serial = record.serialNumber;
    for (QChar &c : serial)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('-') && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    const QString name = QStringLiteral("certificate-%1-%2.pdf")
                             .arg(serial, record.end.toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString base = given.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) : given;
    return QDir(QDir::fromNativeSeparators(base)).filePath(name);
}
