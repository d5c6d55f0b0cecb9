#include "site/siteaddressing.h"

#include "controller/busscan.h"
#include "controller/controllersession.h"
#include "controller/identitycommands.h"
#include "controller/pauses.h"
#include "profile/parameterprocedures.h"
#include "site/siteactions.h"

namespace {

QByteArray idText(int n)
{
    return QByteArray::number(n).rightJustified(3, '0');
}

SiteAddressing::Outcome ending(SiteAddressing::Outcome::Stage stage, const QString &why, const QByteArray &id = {})
{
    SiteAddressing::Outcome outcome;
    outcome.stage = stage;
    outcome.why = why;
    outcome.id = id;
    return outcome;
}

} // namespace

SiteAddressing::SiteAddressing(ControllerSession &session, Site &site)
    : m_session(session)
    , m_site(site)
    , m_now([] { return QDateTime::currentDateTime(); })
{
}

void SiteAddressing::setNow(std::function<QDateTime()> now)
{
    m_now = std::move(now);
}

SiteAddressing::Outcome SiteAddressing::findNewUnit(SiteUnit *unit)
{
    // The scan's own judgement: a reply whose check digits fail, or two run together, is a
    // conflict; only a clean reply from 000 is a unit.
    BusScan scan(m_session.link());
    scan.setRange(NewUnitId, NewUnitId);
    m_session.pause(Pauses::BeforeCommand);
    const BusScan::Result found = scan.run();
    if (!found.conflicts.isEmpty())
        return ending(Outcome::Stage::Conflict, found.conflicts.first().why);
    if (found.found.isEmpty())
        return ending(Outcome::Stage::NoUnit, QStringLiteral("No new unit answers at ID %1").arg(QString::fromLatin1(idText(NewUnitId))));
    unit->serialNumber = found.found.first().serialNumber;
    unit->model = found.found.first().model;
    unit->version = found.found.first().versionText;
    Outcome outcome;
    outcome.stage = Outcome::Stage::Done;
    outcome.serialNumber = unit->serialNumber;
    return outcome;
}

std::optional<QByteArray> SiteAddressing::nextFreeId(int from)
{
    for (int n = std::max(from, NewUnitId + 1); n <= BusScan::HighestId; ++n) {
        const QByteArray id = idText(n);
        if (m_site.indexOf(id) >= 0)
            continue;
        BusScan scan(m_session.link());
        scan.setRange(n, n);
        const BusScan::Result heard = scan.run();
        if (heard.found.isEmpty() && heard.conflicts.isEmpty())
            return id;
    }
    return std::nullopt;
}

bool SiteAddressing::moveNewUnit(const QByteArray &id, const QByteArray &serialNumber, QString *why)
{
    const std::optional<QByteArray> command = IdentityCommands::setId(id);
    m_session.setDeviceId(idText(NewUnitId));
    m_session.pause(Pauses::BeforeCommand);
    const Reply set = command ? m_session.send(*command) : Reply();
    if (!set.ok()) {
        *why = set.why();
        return false;
    }
    m_session.pause(Pauses::BeforeCommand);
    BusScan scan(m_session.link());
    scan.setRange(id.toInt(), id.toInt());
    const BusScan::Result heard = scan.run();
    if (heard.found.isEmpty() || heard.found.first().serialNumber != serialNumber) {
        *why = heard.found.isEmpty()
            ? QStringLiteral("The unit does not answer at its new ID %1").arg(QString::fromLatin1(id))
            : QStringLiteral("Serial number %1 answers at ID %2, not the new unit's %3")
                  .arg(QString::fromLatin1(heard.found.first().serialNumber), QString::fromLatin1(id), QString::fromLatin1(serialNumber));
        return false;
    }
    m_session.setDeviceId(id);
    return true;
}

SiteAddressing::Outcome SiteAddressing::addressNext(int from)
{
    SiteUnit unit;
    Outcome outcome = findNewUnit(&unit);
    if (!outcome.ok())
        return outcome;
    const std::optional<QByteArray> id = nextFreeId(from);
    if (!id)
        return ending(Outcome::Stage::NoFreeId, QStringLiteral("No ID from %1 to %2 is free").arg(QString::fromLatin1(idText(from))).arg(BusScan::HighestId));
    outcome.id = *id;
    if (!moveNewUnit(*id, unit.serialNumber, &outcome.why)) {
        outcome.stage = Outcome::Stage::Failed;
        return outcome;
    }
    unit.id = *id;
    unit.lastAction = QStringLiteral("address");
    unit.lastOk = true;
    unit.lastAt = m_now();
    m_site.add(unit);
    return outcome;
}

SiteAddressing::Outcome SiteAddressing::replace(const QByteArray &id)
{
    const int row = m_site.indexOf(id);
    if (row < 0)
        return ending(Outcome::Stage::Refused, QStringLiteral("ID %1 is not on the site").arg(QString::fromLatin1(id)), id);
    if (!m_site.units[row].failed)
        return ending(Outcome::Stage::Refused, QStringLiteral("ID %1 is not marked failed").arg(QString::fromLatin1(id)), id);
    if (m_site.units[row].values.isEmpty())
        return ending(Outcome::Stage::Refused, QStringLiteral("ID %1 has no values read to give its replacement").arg(QString::fromLatin1(id)), id);

    SiteUnit fresh;
    Outcome outcome = findNewUnit(&fresh);
    outcome.id = id;
    if (!outcome.ok())
        return outcome;
    SiteUnit &unit = m_site.units[row];
    const auto fail = [&](const QString &why) {
        unit.lastAction = QStringLiteral("replace");
        unit.lastOk = false;
        unit.lastWhy = why;
        unit.lastAt = m_now();
        outcome.stage = Outcome::Stage::Failed;
        outcome.why = why;
        return outcome;
    };
    if (!fresh.model.isEmpty() && !unit.model.isEmpty() && fresh.model != unit.model)
        return ending(Outcome::Stage::Refused, QStringLiteral("The new unit is a %1; ID %2 was a %3")
                                                   .arg(QString::fromLatin1(fresh.model), QString::fromLatin1(id), QString::fromLatin1(unit.model)), id);
    // The old unit must be gone from its ID, or two would answer there.
    BusScan scan(m_session.link());
    scan.setRange(id.toInt(), id.toInt());
    const BusScan::Result heard = scan.run();
    if (!heard.found.isEmpty() || !heard.conflicts.isEmpty())
        return ending(Outcome::Stage::Refused, QStringLiteral("A unit still answers at ID %1: take the failed one off the line first").arg(QString::fromLatin1(id)), id);

    QString why;
    if (!moveNewUnit(id, fresh.serialNumber, &why))
        return fail(why);
    // Every stored value of the old unit, all of them written and read back.
    ParameterProcedures::ApplyOptions options;
    options.everything = true;
    options.model = unit.model;
    const ParameterProcedures::ApplyResult applied = ParameterProcedures::apply(m_session, unit.values, options);
    if (!applied.ok())
        return fail(!applied.why.isEmpty() ? applied.why
                                           : QStringLiteral("%1 of the values written did not take").arg(applied.notTaken.size()));
    unit.replaced.append({ unit.serialNumber, m_now() });
    unit.serialNumber = fresh.serialNumber;
    unit.version = fresh.version;
    unit.failed = false;
    unit.lastAction = QStringLiteral("replace");
    unit.lastOk = true;
    unit.lastWhy.clear();
    unit.lastAt = m_now();
    outcome.serialNumber = fresh.serialNumber;
    return outcome;
}
