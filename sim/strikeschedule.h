#pragma once

#include <QtGlobal>
#include <random>

// Chooses which events a fault strikes: exactly one in each run of N, at a place drawn anew for
// every run. A plain "every N-th" would line up with a tool that repeats a cycle of commands and
// hit the same command forever while sparing the rest; a coin tossed per event would let the
// count drift and leave gaps of any length. This way a soak run sees exactly 1/N, every kind of
// command gets struck, no two strikes are more than 2N - 2 apart, and a seed repeats a run.
class StrikeSchedule
{
public:
    // every 0 never strikes; stream keeps two schedules of one seed apart.
    StrikeSchedule(int every, quint64 seed, quint32 stream);

    // Whether the next event is struck.
    bool next();

private:
    std::mt19937_64 m_random;
    int m_every;
    int m_place = 0; // within the current run
    int m_strike = 0;
};
