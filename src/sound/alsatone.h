#pragma once

#include "sound/tone.h"

#include <string>

// A sine tone through ALSA, returning when the device has played it out. Where the device
// cannot be opened or stops playing, the rest of the duration passes in silence.
class AlsaTone : public Tone
{
public:
    explicit AlsaTone(std::string deviceName = "default");

    void play(int frequencyHz, int durationMs) override;

    // Whether this build can reach a sound device through ALSA at all.
    static bool builtWithAlsa();

    // Whether the last play() reached the sound device.
    bool lastSounded() const { return m_lastSounded; }

    static constexpr unsigned SampleRate = 48000;

private:
    bool sound(int frequencyHz, int durationMs);

    std::string m_deviceName;
    bool m_lastSounded = false;
};
