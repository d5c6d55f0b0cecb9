#pragma once

#include <QByteArray>
#include <QList>

// Cuts the bytes a channel receives into request frames (SOH to CR). Whatever comes before an
// SOH is line noise and goes; an unfinished frame waits for the rest, up to a bound, so that a
// line that talks without ever ending a frame cannot grow it for ever.
class RequestAssembler
{
public:
    // Appends bytes; returns nothing, frames are taken one at a time with next().
    void add(const QByteArray &bytes);
    // The next complete frame, or an empty array when none is complete yet.
    QByteArray next();
    void clear() { m_pending.clear(); }

private:
    QByteArray m_pending;
};
