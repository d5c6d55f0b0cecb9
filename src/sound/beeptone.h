#pragma once

#ifdef _WIN32

#include "sound/tone.h"

// The PC speaker tone of Windows; Beep returns when the tone has ended.
class BeepTone : public Tone
{
public:
    void play(int frequencyHz, int durationMs) override;
};

#endif
