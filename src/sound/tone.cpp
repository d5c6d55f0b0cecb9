#include "sound/tone.h"

#include "sound/alsatone.h"
#include "sound/beeptone.h"

std::unique_ptr<Tone> Tone::createSystemTone()
{
#ifdef _WIN32
    return std::make_unique<BeepTone>();
#else
    return std::make_unique<AlsaTone>();
#endif
}
