#pragma once

#ifdef _WIN32

#include "sound/tone.h"

// The PC speaker tone of Windows; the call returns when the tone has ended, and this play()
// never before its duration.
class BeepTone : public Tone
{
public:
    void play(int frequencyHz, int durationMs) override;
};

#endif
