#include "strikeschedule.h"

namespace {

// std::seed_seq and mt19937_64 are defined to the bit, so a seed strikes the same replies
// whichever library built the simulator.
std::mt19937_64 seeded(quint64 seed, quint32 stream)
{
    std::seed_seq sequence { quint32(seed), quint32(seed >> 32), stream };
    return std::mt19937_64(sequence);
}

} // namespace

StrikeSchedule::StrikeSchedule(int every, quint64 seed, quint32 stream)
    : m_random(seeded(seed, stream))
    , m_every(every)
{
}

bool StrikeSchedule::next()
{
    if (m_every <= 0)
        return false;
    // The distributions of <random> differ between libraries; a remainder does not (its bias is
    // below 2^-32 for any N an int holds).
    if (m_place == 0)
        m_strike = int(m_random() % quint64(m_every));
    const bool struck = m_place == m_strike;
    m_place = (m_place + 1) % m_every;
    return struck;
}
