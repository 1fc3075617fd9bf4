#pragma once

#include <array>
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

// A song as the synth is given it: the standard MIDI file rewritten in the plainest form of the
// format, or why it cannot be played. A song is read as players and sequencers read it: bytes
// after a track's End of Track, a track without one, running status across meta and SysEx events
// and a track longer or shorter than its length says are all forgiven. What is refused is a file
// that is not a MIDI file or is cut off within an event, and what would hold the game for long or
// fill its memory: more tracks than the synth plays, and songs that would run on for over an hour.
struct Song {
    std::vector<char> standard;
    std::string error;
    // The most notes it sounds at once, on all channels together, each until 0.3 s after its
    // note-off.
    int notesAtOnce = 0;
    // The channels that may sound a note before the song selects their instrument, or that never
    // select one: they start on General MIDI's first program, the standard kit on channel 10.
    // Where a program change in the same track, or at no later tick in an earlier one, comes
    // before a channel's first note, the synth takes it up first.
    std::array<bool, 16> startsOnDefault{};
};
Song readSong(std::span<const char> bytes);
// Why the synth cannot play a song, or nothing if it can.
std::string songError(std::span<const char> bytes);

}  // namespace morvik::audio
