#pragma once

#include "sound/tone.h"

#include <chrono>

// No sound, only the time the tone would take: where no sound device can be opened the
// operator's rhythm (press, wait for the beep, look) stays the same.
class SilentTone : public Tone
{
public:
    void play(int frequencyHz, int durationMs) override;

    // Sleeps until `durationMs` milliseconds have passed since `start`.
    static void waitUntilElapsed(std::chrono::steady_clock::time_point start, int durationMs);
};
