#include "sound/silenttone.h"

#include <thread>

void SilentTone::play(int, int durationMs)
{
    waitUntilElapsed(std::chrono::steady_clock::now(), durationMs);
}

void SilentTone::waitUntilElapsed(std::chrono::steady_clock::time_point start, int durationMs)
{
    if (durationMs <= 0)
        return;
    const auto deadline = start + std::chrono::milliseconds(durationMs);
    // One sleep_until may wake early (MinGW's rounds the remainder down to whole
    // milliseconds); each further round sleeps only what is still left.
    while (std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_until(deadline);
}
