#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace morvik::audio {

struct FileData {
    std::vector<char> bytes;
    std::string error;
};

// The whole of a regular file of at most maxSize bytes, or why not.
FileData readFile(const std::string &path, std::size_t maxSize);

// Why the synth cannot play a song, or nothing if it can. A song is a standard MIDI file: the header
// chunk, then at least as many track chunks as it announces, every chunk whole within the file and
// every track a whole series of events. This finds cut and foreign files before the synth sees
// them, songs of more tracks than the synth plays, and songs that would run on for days.
std::string songError(std::span<const char> bytes);

}  // namespace morvik::audio
