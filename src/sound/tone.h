#pragma once

#include <memory>

// A tone of a given frequency and duration that returns when the tone has ended.
// The operator's ear is part of the workflow: the outcome of every operation is heard.
class Tone
{
public:
    virtual ~Tone() = default;
    virtual void play(int frequencyHz, int durationMs) = 0;

    // The platform's tone: the PC speaker call on Windows, ALSA on Linux; where no sound
    // device can be opened it waits the same time silently, so the operator's timing holds.
    static std::unique_ptr<Tone> createSystemTone();
};
