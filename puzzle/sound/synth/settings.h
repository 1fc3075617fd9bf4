#pragma once

#include <fluidsynth.h>

namespace morvik::audio {

// The synth runs at half the device's rate of 44.1 kHz.
inline constexpr int SynthRate = 22050;

// The game's synth settings, for the audio module's synth and for what measures or checks it. A cheap
// synth: a background song needs neither reverb nor chorus nor hundreds of voices, and it is only
// ever called from the audio callback. Only the samples of the instruments the song selects are
// read from the soundfont.
inline fluid_settings_t *newSynthSettings()
{
    fluid_settings_t *settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", SynthRate);
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setint(settings, "synth.ladspa.active", 0);
    fluid_settings_setint(settings, "synth.polyphony", 32);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    return settings;
}

}  // namespace morvik::audio
