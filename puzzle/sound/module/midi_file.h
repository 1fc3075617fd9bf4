#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace morvik::audio {

// One event the synth acts on: a channel message, or a SysEx message whose bytes (without its
// F0 and closing F7) lie in the song's sysex.
struct SongEvent {
    std::uint64_t microsecond = 0;  // from the song's start
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    std::uint32_t sysexAt = 0;
    std::uint32_t sysexSize = 0;
};

// A standard MIDI file, read as players and sequencers read it: bytes after a track's End of Track,
// a track without one, running status across meta and SysEx events and a track longer or shorter
// than its length says are all forgiven. What is refused is a file that is not a MIDI file or is
// cut off within an event, and what would hold the game for long or fill its memory: more tracks
// than the synth plays, and songs that would run on for over an hour.
struct Song {
    std::string error;
    // The song written again in the plainest form of the format, which FluidSynth's stricter reader
    // takes: every event with its status byte, a track's events up to its End of Track and no
    // further, every track ending in one, every chunk's length its true length, and only the
    // events the synth acts on (notes, controllers, programs, SysEx and tempo).
    std::vector<char> standard;
    // The events the synth acts on, all tracks together in the order a player plays them: by time,
    // and at the same tick in the order of the tracks. The tempo is in their times.
    std::vector<SongEvent> events;
    std::vector<std::uint8_t> sysex;
    // Where the song ends: the last End of Track.
    std::uint64_t lengthMicroseconds = 0;
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
