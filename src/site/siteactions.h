#pragma once

#include "site/site.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

class ControllerSession;

// The actions of a site over the units chosen, one unit after another on the session's open
// link: read every value (with the version, the serial number and the clock), apply the site's
// profile (only what differs, one restart per unit, read back), set the clock to the PC's time,
// restart. A unit that fails is told and left; the next one goes on. Each row keeps the action,
// its result and when.
class SiteActions
{
public:
    enum class Action { Read, Apply, Clock, Reboot };
    // The word a row and the site file keep for each action.
    static QString word(Action action);

    struct UnitResult
    {
        QByteArray id;
        bool ok = false;
        QString why;
    };
    struct Result
    {
        QList<UnitResult> units;
        bool cancelled = false;
        QList<QByteArray> failedIds() const;
        bool ok() const { return !cancelled && failedIds().isEmpty(); }
    };

    SiteActions(ControllerSession &session, Site &site);

    // Before each unit: how many are done of how many, and which comes now.
    void setProgress(std::function<void(int done, int total, const QByteArray &id)> progress);
    // Asked before each unit and after it; true ends the run there. The caller's link is to
    // refuse to send once this is true (ControllerLink::setInterrupt): a unit it finds half-way
    // is told cancelled, and an apply left owing values or a restart is finished by the next.
    void setCancelled(std::function<bool()> cancelled);
    // The PC's time (the current time unless set).
    void setNow(std::function<QDateTime()> now);

    // Over the IDs given, in the order of the site's rows; an ID not on the site fails.
    Result run(Action action, const QList<QByteArray> &ids);

    // One unit's read: model, version, serial number, values, clock offset and the profile
    // compared; false with why. A unit whose serial number is not the row's fails: another
    // controller has taken the ID.
    bool readUnit(SiteUnit &unit, QString *why);

private:
    bool act(Action action, SiteUnit &unit, QString *why);
    // The serial number at the row's ID is the row's (or the row has none yet, and takes it).
    bool checkSerial(SiteUnit &unit, QString *why);
    bool applyTo(SiteUnit &unit, QString *why);
    bool setClockOf(SiteUnit &unit, QString *why);
    bool readClock(SiteUnit &unit, QString *why);
    void compareWithProfile(SiteUnit &unit) const;
    // The unit's action failed for this reason, of this kind.
    bool failed(SiteUnit::Failure kind, const QString &reason, QString *why);

    ControllerSession &m_session;
    Site &m_site;
    std::function<void(int, int, const QByteArray &)> m_progress;
    std::function<bool()> m_cancelled;
    std::function<QDateTime()> m_now;
    SiteUnit::Failure m_failure = SiteUnit::Failure::None; // of the unit in hand
};
