#include "site/siteactions.h"

#include "controller/autotestcommands.h"
#include "controller/autotestreplies.h"
#include "controller/controllersession.h"
#include "controller/identifyreplies.h"
#include "controller/pauses.h"
#include "profile/parametercomparison.h"
#include "profile/parameterprocedures.h"

namespace {

const QString ClockFormat = QStringLiteral("yyyy/MM/dd  HH:mm:ss");

} // namespace

QString SiteActions::word(Action action)
{
    switch (action) {
    case Action::Read:
        return QStringLiteral("read");
    case Action::Apply:
        return QStringLiteral("apply");
    case Action::Clock:
        return QStringLiteral("clock");
    case Action::Reboot:
        return QStringLiteral("reboot");
    }
    return QString();
}

QList<QByteArray> SiteActions::Result::failedIds() const
{
    QList<QByteArray> ids;
    for (const UnitResult &unit : units)
        if (!unit.ok)
            ids.append(unit.id);
    return ids;
}

SiteActions::SiteActions(ControllerSession &session, Site &site)
    : m_session(session)
    , m_site(site)
    , m_now([] { return QDateTime::currentDateTime(); })
{
}

void SiteActions::setProgress(std::function<void(int, int, const QByteArray &)> progress)
{
    m_progress = std::move(progress);
}

void SiteActions::setCancelled(std::function<bool()> cancelled)
{
    m_cancelled = std::move(cancelled);
}

void SiteActions::setNow(std::function<QDateTime()> now)
{
    m_now = std::move(now);
}

SiteActions::Result SiteActions::run(Action action, const QList<QByteArray> &ids)
{
    Result result;
    QList<QByteArray> ordered;
    for (const SiteUnit &unit : m_site.units)
        if (ids.contains(unit.id))
            ordered.append(unit.id);
    for (const QByteArray &id : ids)
        if (m_site.indexOf(id) < 0)
            result.units.append({ id, false, QStringLiteral("ID %1 is not on the site").arg(QString::fromLatin1(id)) });

    for (int done = 0; done < ordered.size(); ++done) {
        if (m_cancelled && m_cancelled()) {
            result.cancelled = true;
            break;
        }
        if (m_progress)
            m_progress(done, int(ordered.size()), ordered[done]);
        SiteUnit &unit = m_site.units[m_site.indexOf(ordered[done])];
        m_session.setDeviceId(unit.id);
        QString why;
        m_failure = SiteUnit::Failure::Other;
        // Nothing is written to a unit that is not the row's: another may have taken its ID.
        const bool ok = action == Action::Read ? readUnit(unit, &why) : checkSerial(unit, &why) && act(action, unit, &why);
        // A failure once Cancel came is Cancel's: the link sent nothing more, or cut a wait.
        const bool cut = !ok && m_cancelled && m_cancelled();
        unit.lastAction = word(action);
        unit.lastOk = ok;
        unit.lastWhy = ok ? QString() : cut ? QStringLiteral("Cancelled with the unit in hand (%1)").arg(why) : why;
        unit.lastFailure = ok ? SiteUnit::Failure::None : cut ? SiteUnit::Failure::Cancelled : m_failure;
        unit.lastAt = m_now();
        result.units.append({ unit.id, ok, unit.lastWhy });
        if (cut) {
            result.cancelled = true;
            break;
        }
    }
    if (m_progress && !result.cancelled)
        m_progress(int(ordered.size()), int(ordered.size()), QByteArray());
    return result;
}

bool SiteActions::failed(SiteUnit::Failure kind, const QString &reason, QString *why)
{
    m_failure = kind;
    *why = reason;
    return false;
}

bool SiteActions::act(Action action, SiteUnit &unit, QString *why)
{
    switch (action) {
    case Action::Read:
        return readUnit(unit, why);
    case Action::Apply:
        return applyTo(unit, why);
    case Action::Clock:
        return setClockOf(unit, why);
    case Action::Reboot: {
        const Outcome outcome = m_session.reboot(false);
        return outcome.ok || failed(SiteUnit::Failure::NotAcknowledged, outcome.why, why);
    }
    }
    return false;
}

bool SiteActions::readUnit(SiteUnit &unit, QString *why)
{
    if (!checkSerial(unit, why))
        return false;
    const ParameterProcedures::Snapshot snapshot = ParameterProcedures::read(m_session);
    if (!snapshot.ok())
        return failed(SiteUnit::Failure::ReadFailed, snapshot.why, why);
    unit.model = snapshot.model;
    unit.version = snapshot.versionText;
    unit.values = snapshot.values;
    compareWithProfile(unit);
    return readClock(unit, why);
}

bool SiteActions::checkSerial(SiteUnit &unit, QString *why)
{
    m_session.pause(Pauses::BeforeCommand);
    const Reply serial = m_session.send(IdentifyReplies::serialCommand());
    const auto number = serial.answeredWithLength(IdentifyReplies::ScanReplyLength)
        ? IdentifyReplies::serial(serial.bytes, serial.length(), unit.id)
        : std::nullopt;
    if (!number)
        return failed(serial.ok() ? SiteUnit::Failure::Other : SiteUnit::Failure::NoAnswer,
                      serial.why(QString::number(IdentifyReplies::ScanReplyLength)), why);
    if (!unit.serialNumber.isEmpty() && number->serialNumber != unit.serialNumber)
        return failed(SiteUnit::Failure::OtherUnit,
                      QStringLiteral("Serial number %1 answers at ID %2, where the site has %3")
                          .arg(QString::fromLatin1(number->serialNumber), QString::fromLatin1(unit.id), QString::fromLatin1(unit.serialNumber)),
                      why);
    unit.serialNumber = number->serialNumber;
    return true;
}

void SiteActions::compareWithProfile(SiteUnit &unit) const
{
    if (m_site.profileName.isEmpty() || unit.values.isEmpty()) {
        unit.profileState = SiteUnit::ProfileState::NotRead;
        unit.differing = 0;
        return;
    }
    int differing = 0;
    for (const ParameterDifference &row : ParameterComparison::compare(unit.values, m_site.profileValues))
        differing += row.state == ParameterDifference::State::Differs ? 1 : 0;
    unit.differing = differing;
    unit.profileState = differing == 0 ? SiteUnit::ProfileState::Matches : SiteUnit::ProfileState::Differs;
}

bool SiteActions::readClock(SiteUnit &unit, QString *why)
{
    m_session.pause(Pauses::Step);
    const Reply ie = m_session.send(AutoTestCommands::readInputs());
    const auto inputs = ie.ok() ? AutoTestReplies::inputs(ie.bytes, ie.length()) : std::nullopt;
    if (!inputs)
        return failed(SiteUnit::Failure::ReadFailed,
                      ie.why(QStringLiteral("%1 or %2").arg(AutoTestReplies::InputsLength).arg(AutoTestReplies::InputsWithRecordLength)), why);
    const QDateTime clock = QDateTime::fromString(inputs->clockText, ClockFormat);
    if (!clock.isValid()) {
        unit.clockOffsetS.reset();
        return failed(SiteUnit::Failure::ReadFailed, QStringLiteral("The controller's clock reads \"%1\"").arg(inputs->clockText), why);
    }
    // Both to the second, as the controller's clock shows it.
    QDateTime pc = m_now();
    pc = pc.addMSecs(-pc.time().msec());
    unit.clockOffsetS = pc.secsTo(clock);
    return true;
}

bool SiteActions::setClockOf(SiteUnit &unit, QString *why)
{
    m_session.pause(Pauses::BeforeCommand);
    const Reply set = m_session.send(AutoTestCommands::setClock(m_now()));
    if (!set.ok())
        return failed(SiteUnit::Failure::NotAcknowledged, set.why(), why);
    return readClock(unit, why);
}

bool SiteActions::applyTo(SiteUnit &unit, QString *why)
{
    if (m_site.profileName.isEmpty())
        return failed(SiteUnit::Failure::NoProfile, QStringLiteral("The site has no profile to apply"), why);
    ParameterProcedures::ApplyOptions options;
    options.model = m_site.profileModel;
    options.restartOwed = unit.restartOwed;
    options.cutShort = unit.cutShort;
    using Stage = ParameterProcedures::ApplyResult::Stage;
    const ParameterProcedures::ApplyResult result = ParameterProcedures::apply(m_session, m_site.profileValues, options);
    if (!result.model.isEmpty())
        unit.model = result.model;
    // Cut short, what went out and the restart it needs are owed to the next apply; done, the
    // debt is paid. Refused or unread, nothing was written and the debt stands as it was.
    if (result.stage == Stage::Done) {
        unit.restartOwed = false;
        unit.cutShort.clear();
    } else if (result.stage == Stage::WriteFailed) {
        const ParameterProcedures::ApplyOptions owed = ParameterProcedures::resumeOptions(options, result);
        unit.restartOwed = owed.restartOwed;
        unit.cutShort = owed.cutShort;
        // Some of the values may have gone out: what the unit holds is no longer known.
        unit.profileState = SiteUnit::ProfileState::NotRead;
    }
    if (result.stage == Stage::Done) {
        // What the read-back showed is what the unit now holds.
        for (const ParameterDifference &row : result.rows)
            if (row.state != ParameterDifference::State::Unknown)
                unit.values.insert(row.name, row.controllerValue);
        for (const QString &name : result.written)
            unit.values.insert(name, m_site.profileValues.value(name));
        for (const ParameterProcedures::NotTaken &n : result.notTaken) {
            if (n.got.isEmpty())
                unit.values.remove(n.name);
            else
                unit.values.insert(n.name, n.got);
        }
        compareWithProfile(unit);
    }
    if (result.ok())
        return true;
    switch (result.stage) {
    case Stage::Refused:
        return failed(SiteUnit::Failure::ProfileUnfit, result.why, why);
    case Stage::ReadFailed:
        return failed(SiteUnit::Failure::ReadFailed, result.why, why);
    case Stage::WriteFailed:
        return failed(SiteUnit::Failure::NotAcknowledged, result.why, why);
    case Stage::Done:
        break;
    }
    return failed(SiteUnit::Failure::NotTaken,
                  !result.why.isEmpty() ? result.why : QStringLiteral("%1 of the values written did not take").arg(result.notTaken.size()),
                  why);
}
