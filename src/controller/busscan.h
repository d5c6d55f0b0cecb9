#pragma once

#include "link/exchangelimits.h"
#include "link/linksettings.h"
#include "link/reply.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class ControllerLink;

// Which IDs answer on the line: the connect's scan ("<ID>AS") for each ID of a range, one
// exchange each, then the version ("AV") of each one that answers. A silent ID costs one wait
// and nothing more: no retry, no pause. After an answer the exchange listens on for the step
// pause, so that a second controller answering the same ID is heard; the version follows.
//
// Two controllers at one ID either talk at once (the bytes mix and the check digits fail) or
// one after the other (two replies run together): either is a conflict at that ID, never a
// free ID and never a controller, since any command to that ID would reach both.
class BusScan
{
public:
    static constexpr int FirstId = 0;
    // IDs are three digits on the wire, and the tool sets any of them.
    static constexpr int LastId = 999;
    static constexpr int HighestId = 999;
    // The quick scan never waits less than this for an ID: a controller busy with its clock or
    // its memory answers late, and one missed on the first pass is an address given twice.
    static constexpr int QuickFloorMs = 50;

    enum class Speed {
        Quick,     // the wait follows the line speed and how fast the controllers found answered
        Thorough,  // the link's own limits, as the connect waits
    };

    struct Conflict
    {
        QByteArray id;
        QString why; // in plain English: what was heard there
    };

    struct Found
    {
        QByteArray id;           // "017"
        QByteArray serialNumber;
        QByteArray model;        // empty when the version did not come
        QString versionText;
    };

    struct Result
    {
        QList<Found> found;
        QList<Conflict> conflicts;
        int scanned = 0;
        bool cancelled = false;
        int lastWaitMs = 0; // the wait per ID at the end of the scan
    };

    explicit BusScan(ControllerLink &link);

    // An inclusive range within 0..HighestId; false (and the range unchanged) otherwise.
    bool setRange(int first, int last);
    int first() const { return m_first; }
    int last() const { return m_last; }
    // "000-255", "17", "5-9": the range a person writes; nothing when it is not one.
    static std::optional<std::pair<int, int>> parseRange(const QString &text);

    // Thorough by default.
    void setSpeed(Speed speed) { m_speed = speed; }
    Speed speed() const { return m_speed; }
    // A fixed wait for each scan, shorter than the link's own limits: on a serial line the idle
    // limit, over TCP the reply limit. 0 lets the speed decide.
    void setScanWaitMs(int milliseconds) { m_scanWaitMs = milliseconds; }

    // The quick scan's wait for one ID: twice the time the request and a scan reply take on the
    // line (the line settings' speed and framing; nothing known over TCP) plus the slowest
    // turnaround heard so far, never below QuickFloorMs nor above the link's own limit.
    static int quickWaitMs(const LinkSettings &settings, int slowestTurnaroundMs);
    // How long the request and a scan reply take on the wire at the settings' line speed.
    static int wireMs(const LinkSettings &settings);

    // After each ID: how many are done of how many, and what answered there (nullptr: nothing).
    // A conflict is told through the same call with found == nullptr and conflict set.
    void setConflictSeen(std::function<void(const Conflict &conflict)> seen);
    void setProgress(std::function<void(int done, int total, const Found *found)> progress);
    // Asked before each ID and after its scan; true ends the scan there, the ID in hand untold
    // (its wait may have been cut short).
    void setCancelled(std::function<bool()> cancelled);
    // How the step pause after an answer is waited; a blocking sleep by default.
    void setPause(std::function<void(int milliseconds)> pause);

    // On the open link, which is left with its default limits.
    Result run();

private:
    ExchangeLimits scanLimits(int waitMs) const;
    int currentWaitMs(int slowestTurnaroundMs) const;
    // What one reply at `id` says: a controller, a conflict, or nothing there.
    std::optional<Conflict> conflictIn(const Reply &scan, const QByteArray &id) const;

    ControllerLink &m_link;
    int m_first = FirstId;
    int m_last = LastId;
    int m_scanWaitMs = 0;
    Speed m_speed = Speed::Thorough;
    std::function<void(const Conflict &)> m_conflictSeen;
    std::function<void(int, int, const Found *)> m_progress;
    std::function<bool()> m_cancelled;
    std::function<void(int)> m_pause;
};
