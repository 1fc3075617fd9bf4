// What the sound path trades for its cues' timing: printed by bench/cue_latency beside its figures.
#include "keeper.h"
#include "renderer.h"
#include "settings.h"

#include <cstdio>

int main()
{
    using morvik::audio::Keeper;
    using morvik::audio::Renderer;
    const double ms = 1000.0 / morvik::audio::DeviceRate;
    std::printf("through a sound server: cues' period %d frames (%.1f ms), song's period %d frames (%.1f ms); "
                "song rendered %d frames ahead (%.1f ms); synth at %d Hz doubled to %d Hz\n",
                Keeper::CueFrames, Keeper::CueFrames * ms, Keeper::SongFrames, Keeper::SongFrames * ms,
                Renderer::AheadFrames, Renderer::AheadFrames * ms, morvik::audio::SynthRate, morvik::audio::DeviceRate);
}
