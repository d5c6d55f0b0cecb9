#include "tone.h"

#include <QThread>

namespace {

// Where no sound can be made the operator still waits as long as the tone would last.
class SilentTone : public Tone
{
public:
    void play(int, int durationMs) override { QThread::msleep(static_cast<unsigned long>(durationMs > 0 ? durationMs : 0)); }
};

} // namespace

std::unique_ptr<Tone> Tone::createSystemTone()
{
    return std::make_unique<SilentTone>();
}
