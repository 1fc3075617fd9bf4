#pragma once

#include <cstdint>
#include <memory>
#include <span>

// The MIDI synth with its soundfont, played by the audio module's engine.
namespace morvik::audio {

// The device's frames: 16-bit stereo at this rate, interleaved.
inline constexpr int DeviceRate = 44100;

// Made with the engine; from then on every call comes from the audio callback.
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

// The synth with its instruments loaded, or null when its soundfont cannot be loaded.
std::unique_ptr<Synth> startSynth();

}  // namespace morvik::audio
