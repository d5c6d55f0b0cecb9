#include "sound/alsatone.h"

#include "sound/silenttone.h"

#ifdef ZU42_HAVE_ALSA
#include <alsa/asoundlib.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>
#endif

AlsaTone::AlsaTone(std::string deviceName)
    : m_deviceName(std::move(deviceName))
{
}

bool AlsaTone::builtWithAlsa()
{
#ifdef ZU42_HAVE_ALSA
    return true;
#else
    return false;
#endif
}

void AlsaTone::play(int frequencyHz, int durationMs)
{
    if (durationMs <= 0) {
        m_lastSounded = false;
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    m_lastSounded = sound(frequencyHz, durationMs);
    SilentTone::waitUntilElapsed(start, durationMs);
}

#ifdef ZU42_HAVE_ALSA

namespace {

// ALSA reports every failed open on stderr; a machine without sound is normal here.
void quietAlsa(const char *, int, const char *, int, const char *, ...) {}

struct PcmCloser
{
    void operator()(snd_pcm_t *pcm) const { snd_pcm_close(pcm); }
};

} // namespace

bool AlsaTone::sound(int frequencyHz, int durationMs)
{
    if (frequencyHz <= 0 || unsigned(frequencyHz) >= SampleRate / 2)
        return false;
    snd_lib_error_set_handler(quietAlsa);

    snd_pcm_t *raw = nullptr;
    // Opened without blocking, so a device held by another program fails at once.
    if (snd_pcm_open(&raw, m_deviceName.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return false;
    std::unique_ptr<snd_pcm_t, PcmCloser> pcm(raw);
    if (snd_pcm_nonblock(pcm.get(), 0) < 0)
        return false;
    if (snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, SampleRate, 1,
                           50000) < 0)
        return false;

    const auto frames = std::size_t(SampleRate) * std::size_t(durationMs) / 1000;
    // 5 ms ramps at both ends keep the speaker from clicking.
    const std::size_t ramp = std::min<std::size_t>(SampleRate / 200, frames / 2);
    std::vector<std::int16_t> samples(frames);
    const double step = 2 * std::numbers::pi * frequencyHz / SampleRate;
    for (std::size_t i = 0; i < frames; ++i) {
        double gain = 0.5;
        if (ramp > 0 && i < ramp)
            gain *= double(i) / double(ramp);
        else if (ramp > 0 && frames - i <= ramp)
            gain *= double(frames - i - 1) / double(ramp);
        samples[i] = std::int16_t(std::lround(gain * 32767 * std::sin(step * double(i))));
    }

    std::size_t done = 0;
    while (done < frames) {
        snd_pcm_sframes_t n = snd_pcm_writei(pcm.get(), samples.data() + done, frames - done);
        if (n < 0)
            n = snd_pcm_recover(pcm.get(), int(n), 1);
        if (n < 0)
            return false;
        done += std::size_t(n);
    }
    snd_pcm_drain(pcm.get());
    return true;
}

#else

bool AlsaTone::sound(int, int)
{
    return false;
}

#endif
