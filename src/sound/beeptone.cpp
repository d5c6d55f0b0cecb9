#ifdef _WIN32

#include "sound/beeptone.h"

#include <windows.h>

void BeepTone::play(int frequencyHz, int durationMs)
{
    if (durationMs <= 0)
        return;
    // Beep takes 37 to 32767 Hz; outside that it fails at once, so the time is kept by a sleep.
    if (frequencyHz < 37 || frequencyHz > 32767 || !Beep(DWORD(frequencyHz), DWORD(durationMs)))
        Sleep(DWORD(durationMs));
}

#endif
