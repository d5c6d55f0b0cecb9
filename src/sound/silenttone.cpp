#include "sound/silenttone.h"

#include <thread>

void SilentTone::play(int, int durationMs)
{
    waitUntilElapsed(std::chrono::steady_clock::now(), durationMs);
}

void SilentTone::waitUntilElapsed(std::chrono::steady_clock::time_point start, int durationMs)
{
    if (durationMs > 0)
        std::this_thread::sleep_until(start + std::chrono::milliseconds(durationMs));
}
