#pragma once

#include <fluidsynth.h>

#include <span>

namespace morvik::audio {

// Makes the synth read soundfonts from memory; call once, before loading any.
void readSoundFontsFromMemory(fluid_settings_t *settings, fluid_synth_t *synth);

// Loads a soundfont from bytes that stay as they are for as long as the synth lives: the synth
// reads samples from them while it plays. Bytes that are file-backed, never written (a read-only
// mapping of a file, or constant data built into a library), are dropped from memory once the
// synth has copied what it needs. No channel's instrument is chosen: a synth that reads samples as
// its presets are selected reads none until a song selects them. False if they hold no soundfont
// the synth can use.
bool loadSoundFont(fluid_synth_t *synth, std::span<const char> bytes, bool fileBacked);

}  // namespace morvik::audio
