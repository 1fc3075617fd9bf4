#pragma once

#include <span>

namespace morvik {

// The General MIDI instruments of the background song, as the bytes of a SoundFont 2 file that
// lies in the program.
std::span<const unsigned char> soundFontData();

}  // namespace morvik
