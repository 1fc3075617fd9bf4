// What the sound path trades for its cues' timing: printed by bench/cue_latency beside its figures.
#include "engine.h"
#include "settings.h"

#include <cstdio>

int main()
{
    using morvik::audio::Engine;
    const double ms = 1000.0 / morvik::audio::DeviceRate;
    std::printf("through a sound server: cues' period %d frames (%.1f ms), song's period %d frames (%.1f ms); "
                "song rendered %d frames ahead (%.1f ms); synth at %d Hz doubled to %d Hz\n",
                Engine::CueFrames, Engine::CueFrames * ms, Engine::SongFrames, Engine::SongFrames * ms,
                Engine::AheadFrames, Engine::AheadFrames * ms, morvik::audio::SynthRate, morvik::audio::DeviceRate);
}
