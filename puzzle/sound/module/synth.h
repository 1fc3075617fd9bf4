#pragma once

#include <cstdint>
#include <span>

// The MIDI synth with its soundfont, in a module of its own: FluidSynth and its libraries are
// loaded only once a song is to be played, and never by a game that has none.
namespace morvik::audio {

// The device's frames: 16-bit stereo at this rate, interleaved.
inline constexpr int DeviceRate = 44100;

// Made on a thread of the engine's; from then on every call comes from the audio callback.
class Synth {
public:
    virtual ~Synth() = default;
    // Stops the song and lets every note go silent at once; the song given (none if empty) waits
    // at its start.
    virtual void load(std::span<const char> song) = 0;
    virtual bool hasSong() const = 0;
    // Starts the loaded song; from then on each write plays it on.
    virtual void play() = 0;
    // Started and not yet at its last event. The notes may sound on for a little after that.
    virtual bool songRunning() const = 0;
    virtual bool sounding() const = 0;
    virtual void setGain(float gain) = 0;
    // The next frames, at the device's rate.
    virtual void write(std::int16_t *out, int frames) = 0;
};

// The module's one entry point: the synth with its instruments loaded, or null, with one line on
// standard error, when no soundfont can be loaded.
using StartSynth = Synth *(*)();
inline constexpr const char *StartSynthSymbol = "morvik_synth_start";
inline constexpr const char *SynthFileName = "morvik-synth.so";

}  // namespace morvik::audio
