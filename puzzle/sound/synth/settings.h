#pragma once

#include <fluidsynth.h>

#include <algorithm>
#include <array>

namespace morvik::audio {

// The synth runs at half the device's rate of 44.1 kHz.
inline constexpr int SynthRate = 22050;

// The voices a song is given: twice the most notes it sounds at once, for drums that ring on, long
// releases and instruments that sound a note on two voices. At least 34, what our song is given (it
// holds at most 17 notes at once): the synth is made with these voices, and one made again for a
// song that needs more holds about 1.7 MiB more at its peak, which our song should not pay.
inline constexpr int FewestVoices = 34;
inline constexpr int MostVoices = 256;
inline int voicesFor(int notesAtOnce)
{
    return std::clamp(2 * notesAtOnce, FewestVoices, MostVoices);
}

// The game's synth settings, for the audio module's synth and for what measures or checks it. A cheap
// synth: a background song needs neither reverb nor chorus, and it is only ever called from the
// audio callback. Only the samples of the instruments the song selects are read from the
// soundfont.
inline fluid_settings_t *newSynthSettings(int voices = FewestVoices)
{
    fluid_settings_t *settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", SynthRate);
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setint(settings, "synth.ladspa.active", 0);
    fluid_settings_setint(settings, "synth.polyphony", voices);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    return settings;
}

// The channels that sound before their song chooses an instrument start on General MIDI's first
// program, as on a synth just reset: the piano, and the standard kit on channel 10. The others are
// left for the song, so that a synth that reads samples as presets are selected reads none of an
// instrument the song never plays.
inline void selectFirstPrograms(fluid_synth_t *synth, const std::array<bool, 16> &channels)
{
    constexpr int drumChannel = 9;
    constexpr int drumBank = 128;
    for (int channel = 0; channel < 16; ++channel)
        if (channels[static_cast<std::size_t>(channel)]) {
            fluid_synth_bank_select(synth, channel, channel == drumChannel ? drumBank : 0);
            fluid_synth_program_change(synth, channel, 0);
        }
}

}  // namespace morvik::audio
