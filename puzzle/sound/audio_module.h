#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// What the program sees of its audio module: a shared library that it opens once its window is on
// the screen, so that the libraries of the sound stack (SDL's audio, and the synth's once a song
// is played) are neither loaded nor relocated before that.
namespace morvik::audio {

// One line on standard error for a subject and a reason.
using Report = std::function<void(const std::string &subject, const std::string &reason)>;

// A player on the device: one file at a time, a wave on a channel of its own or a MIDI song on the
// synth. Every call comes from the program's UI thread.
class Deck {
public:
    virtual ~Deck() = default;
    // The file that the next play starts from its start; what cannot be played is reported.
    virtual void load(const std::string &path) = 0;
    // From the start after a load or after the file has played to its end; else from where it
    // stopped.
    virtual void play() = 0;
    virtual void stop() = 0;
    // Back to the start of the file at once, playing or not.
    virtual void rewind() = 0;
    // 0..1000, 1000 full volume.
    virtual void setLevel(std::int16_t level) = 0;
    // Milliseconds of the file rendered since its start.
    virtual std::int32_t position() = 0;
};

// The opened device.
class Module {
public:
    virtual ~Module() = default;
    virtual std::unique_ptr<Deck> newDeck(Report report) = 0;
};

// The module's one entry point: opens the audio device. It may fail, with one line on standard
// error; the module then plays nothing. A synth that cannot start silences the songs alone.
using Start = Module *(*)();
inline constexpr const char *StartSymbol = "morvik_audio_start";
inline constexpr const char *FileName = "morvik-audio.so";

}  // namespace morvik::audio
