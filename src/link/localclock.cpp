#include "link/localclock.h"

#include <QMutexLocker>
#include <QTimeZone>

#include <algorithm>

QDateTime LocalClock::now()
{
    static QMutex lock;
    static LocalClock shared;
    const qint64 msecs = QDateTime::currentMSecsSinceEpoch();
    const QMutexLocker locker(&lock);
    return shared.at(msecs);
}

QDateTime LocalClock::at(qint64 msecsSinceEpoch)
{
    if (msecsSinceEpoch < m_from || msecsSinceEpoch >= m_until) {
        // The system's own answer, as currentDateTime() would give it.
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::LocalTime);
        m_offset = local.offsetFromUtc();
        m_from = msecsSinceEpoch;
        m_until = msecsSinceEpoch;
        // The zone's transitions are Qt's reading of the zone; kept only where that reading
        // agrees with the C library's, else every instant is asked again.
        const QTimeZone zone = QTimeZone::systemTimeZone();
        const QDateTime utc = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::UTC);
        if (zone.isValid() && zone.offsetFromUtc(utc) == m_offset) {
            m_until = msecsSinceEpoch + RefreshMs;
            const QTimeZone::OffsetData next = zone.nextTransition(utc);
            if (next.atUtc.isValid())
                m_until = std::min(m_until, next.atUtc.toMSecsSinceEpoch());
        }
    }
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::OffsetFromUTC, m_offset);
}
