#pragma once

#include "site/site.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

class ControllerSession;

// New units arrive at the default ID 000. Addressing gives the one unit there the next free ID
// from a starting number (free: on neither the site nor the line), checks that it answers
// there with the same serial number, and adds it to the site. Replacement gives it instead the
// ID and every stored value of a row marked failed, checks them by reading back, and keeps
// both serial numbers with the date. Two units answering at 000 are a conflict: nothing is
// given to either.
class SiteAddressing
{
public:
    static constexpr int NewUnitId = 0;

    struct Outcome
    {
        enum class Stage {
            Done,
            NoUnit,    // nothing answers at 000
            Conflict,  // more than one answers at 000: nothing assigned
            NoFreeId,  // every ID from the start on is taken
            Refused,   // the row cannot be replaced (not on the site, not marked failed, no values)
            Failed,    // the unit did not take its ID or its values
        };
        Stage stage = Stage::NoUnit;
        QByteArray id;           // the ID given
        QByteArray serialNumber; // the new unit's
        QString why;
        bool ok() const { return stage == Stage::Done; }
    };

    SiteAddressing(ControllerSession &session, Site &site);
    void setNow(std::function<QDateTime()> now);

    // The unit at 000 to the next free ID from `from` (0 to 999) on.
    Outcome addressNext(int from);
    // The unit at 000 in place of the failed row `id`.
    Outcome replace(const QByteArray &id);

    // The ID from `from` on that is neither on the site nor answering (nor in a conflict) on
    // the line; nothing when none is left up to 999.
    std::optional<QByteArray> nextFreeId(int from);

private:
    // The one unit at 000: its serial number, model and version, or why not.
    Outcome findNewUnit(SiteUnit *unit);
    // The unit at 000 is given `id` and must answer there with its serial number.
    bool moveNewUnit(const QByteArray &id, const QByteArray &serialNumber, QString *why);

    ControllerSession &m_session;
    Site &m_site;
    std::function<QDateTime()> m_now;
};
