#pragma once

#include <QDateTime>
#include <QMutex>
#include <QtGlobal>

// The local time as QDateTime::currentDateTime() gives it, without asking the system's time
// zone at every call. A link reports some thirty events a second while the automatic test runs,
// and every local-time conversion makes the C library look at the zone file again when TZ is
// not set; the offset from UTC changes at a daylight-saving transition and otherwise only when
// someone changes the zone. So the offset found for one instant is kept for the instants after
// it, up to the zone's next transition and at most RefreshMs, and asked again beyond that (or
// for an earlier instant: the clock may have been set back).
//
// The times carry their offset (Qt::OffsetFromUTC): the same date, time and offset as the local
// time, with no further conversion when they are shown or written.
class LocalClock
{
public:
    static constexpr qint64 RefreshMs = 60 * 1000;

    // Now, from one clock shared by the whole program (any thread).
    static QDateTime now();

    // The local time at the instant (milliseconds since 1970-01-01 00:00 UTC).
    QDateTime at(qint64 msecsSinceEpoch);

private:
    qint64 m_from = 0;
    qint64 m_until = 0; // m_from == m_until: nothing kept
    int m_offset = 0;
};
