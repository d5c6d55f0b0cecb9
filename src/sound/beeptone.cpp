#ifdef _WIN32

#include "sound/beeptone.h"

#include "sound/silenttone.h"

#include <windows.h>

void BeepTone::play(int frequencyHz, int durationMs)
{
    if (durationMs <= 0)
        return;
    const auto start = std::chrono::steady_clock::now();
    // Beep takes 37 to 32767 Hz and otherwise fails at once. Where it returns before its time
    // (no speaker or sound device; Wine, which only rings the terminal's bell) the rest of the
    // time is waited all the same: the operator's rhythm does not depend on the sound.
    if (frequencyHz >= 37 && frequencyHz <= 32767)
        Beep(DWORD(frequencyHz), DWORD(durationMs));
    SilentTone::waitUntilElapsed(start, durationMs);
}

#endif
