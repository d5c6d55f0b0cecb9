#include "records/jigrun.h"

#include "records/recordexport.h"

#include <QDateTime>
#include <QDir>
#include <algorithm>

JigRun::JigRun(const QString &pendingPath)
    : m_pendingPath(pendingPath)
{
}

JigRun::~JigRun() = default;

bool JigRun::useStore(const QString &setting, const QString &station)
{
    const QString text = setting.trimmed();
    if (m_station && text == m_storeSetting)
        return true;
    m_storeSetting = text;
    m_counters.reset();
    m_whyNotDelivered.clear();
    const std::optional<RecordStoreSettings> settings = RecordStoreSettings::fromSetting(text, &m_whyNoStore);
    if (!settings) {
        m_station.reset();
        m_storeShown.clear();
        m_waiting = -1;
        m_waitingElsewhere.clear();
        return false;
    }
    m_whyNoStore.clear();
    m_station = std::make_unique<JigStation>(*settings, m_pendingPath);
    m_storeShown = settings->displayString();
    const PendingRecords::Delivery delivery = m_station->deliverPending();
    m_whyNotDelivered = delivery.why;
    countWaiting();
    // A store that could not take what waited would only make the operator wait again for
    // its counters.
    m_counterStation = station;
    if (delivery.storeReached)
        m_counters = m_station->counters(station);
    return true;
}

void JigRun::countWaiting()
{
    m_waiting = -1;
    m_waitingElsewhere.clear();
    if (!m_station)
        return;
    const std::optional<QList<PendingRecords::StoreCount>> counts = m_station->waitingByStore();
    if (!counts)
        return;
    m_waiting = 0;
    for (const PendingRecords::StoreCount &count : *counts) {
        if (count.store == m_storeShown)
            m_waiting = count.records;
        else
            m_waitingElsewhere.append(count);
    }
}

PendingRecords::Delivery JigRun::deliverHere(const QString &meantFor)
{
    PendingRecords::Delivery delivery;
    if (!m_station) {
        m_note = { Note::DeliveryFailed, {}, m_whyNoStore };
        return delivery;
    }
    delivery = m_station->keeper().deliverHere(meantFor);
    countWaiting();
    m_note = { delivery.why.isEmpty() ? Note::Delivered : Note::DeliveryFailed,
               { QString::number(delivery.delivered), m_storeShown }, delivery.why };
    if (delivery.delivered > 0)
        m_counters = m_station->counters(m_counterStation);
    return delivery;
}

std::optional<JigMap> JigRun::useMap(const QString &setting)
{
    std::optional<JigMap> map = JigMap::fromSetting(setting, &m_whyNoMap);
    m_mapBuiltIn = setting.trimmed().isEmpty();
    if (map)
        m_whyNoMap.clear();
    m_mapName = map ? map->name() : QString();
    return map;
}

void JigRun::useStation(const QString &station)
{
    m_counterStation = station;
    if (m_station)
        m_counters = m_station->counters(station);
}

QString JigRun::whyNoCounters()
{
    return m_counters || !m_station ? QString() : m_station->why();
}

std::optional<JigStation::Setup> JigRun::prepare(const Fields &fields, bool busy, bool engineering)
{
    auto refuse = [this](Note note, const QString &why = QString()) {
        notTested(note, why);
        return std::nullopt;
    };
    JigStation::Setup setup;
    setup.station = fields.station.trimmed();
    setup.operatorName = fields.operatorName.trimmed();
    switch (JigStation::setupProblem(setup)) {
    case JigStation::SetupProblem::NoStation:
        return refuse(Note::NoStation);
    case JigStation::SetupProblem::NoOperator:
        return refuse(Note::NoOperator);
    case JigStation::SetupProblem::None:
        break;
    }
    // The store field may still be in the middle of an edit.
    if (!useStore(fields.storeSetting, setup.station))
        return refuse(Note::StoreInvalid, m_whyNoStore);
    const std::optional<JigMap> map = useMap(fields.mapSetting);
    if (!map)
        return refuse(Note::MapDamaged, m_whyNoMap);
    if (busy)
        return refuse(Note::Busy);
    setup.map = *map;
    setup.engineering = engineering;
    if (fields.certificate)
        setup.certificate = fields.certificateFolder.trimmed().isEmpty() ? QString() : fields.certificateFolder.trimmed() + QLatin1Char('/');
    return setup;
}

void JigRun::begin()
{
    m_verdict = Verdict::Testing;
    m_whyNotTested = Message();
    m_shownStep.reset();
    m_note = Message();
    m_keptWhy.clear();
    m_certificateFile.clear();
}

void JigRun::notTested(Note note, const QString &why)
{
    // A map that cannot be read is the station's fault, as a lost link is; the rest (a field
    // not filled in, the link taken or not opening) are the operator's to put right.
    m_verdict = note == Note::MapDamaged ? Verdict::Error : Verdict::NotTested;
    m_whyNotTested = { note, {}, why };
    m_shownStep.reset();
    // Nothing of the previous unit stays beside a refusal.
    m_note = Message();
    m_keptWhy.clear();
    m_certificateFile.clear();
}

JigStation::Unit JigRun::finish(const JigTest::Result &result, const JigStation::Setup &setup)
{
    m_verdict = result.passed() ? Verdict::Pass : result.linkLost() ? Verdict::Error : Verdict::Fail;
    m_whyNotTested = Message();
    m_certificateFile.clear();
    const auto lost = std::find_if(result.steps.cbegin(), result.steps.cend(), [](const JigTest::Step &step) { return !step.passed && step.linkLost; });
    if (m_verdict == Verdict::Error && lost != result.steps.cend())
        m_shownStep = *lost;
    else if (const JigTest::Step *failed = result.firstFailure())
        m_shownStep = *failed;
    else if (!result.steps.isEmpty())
        m_shownStep = result.steps.constFirst();
    else
        m_shownStep.reset();
    if (!m_station) {
        // prepare() opens the store before any unit; a unit without one is not kept.
        m_note = { Note::NotKept, {}, m_whyNoStore };
        return { result, std::nullopt, {}, {} };
    }
    const JigStation::Unit unit = m_station->keep(result, setup);
    switch (unit.kept.place) {
    case RecordKeeper::Place::Store:
        m_note = { Note::Stored, {}, QString() };
        break;
    case RecordKeeper::Place::Pending:
        m_note = { Note::Pending, {}, QString() };
        break;
    case RecordKeeper::Place::Nowhere:
        m_note = { unit.record ? Note::NotKept : Note::NoUnit, {}, QString() };
        break;
    }
    m_keptWhy = unit.kept.why;
    m_certificateFile = unit.certificate;
    countWaiting();
    if (unit.kept.place == RecordKeeper::Place::Store)
        m_counters = m_station->counters(setup.station);
    return unit;
}

bool JigRun::exportDays(const QDate &first, const QDate &last, const QString &csvPath, const QString &jsonFolder)
{
    auto fail = [this](const QString &why) {
        m_note = { Note::ExportFailed, {}, why };
        return false;
    };
    if (!m_station)
        return fail(m_whyNoStore);
    if (!first.isValid() || !last.isValid() || last < first)
        return fail(QStringLiteral("%1 > %2").arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate)));
    // Whole local days, the last one included.
    const std::optional<QList<UnitRecord>> records =
        m_station->store().unitsBetween(QDateTime(first, QTime(0, 0)), QDateTime(last.addDays(1), QTime(0, 0)));
    if (!records)
        return fail(m_station->why());
    QString why;
    const bool written = csvPath.isEmpty() ? RecordExport::writeJsonFiles(*records, jsonFolder, &why)
                                           : RecordExport::writeCsv(*records, csvPath, &why);
    if (!written)
        return fail(why);
    m_note = { Note::Exported,
               { QString::number(records->size()), QDir::toNativeSeparators(csvPath.isEmpty() ? jsonFolder : csvPath) },
               QString() };
    return true;
}
