#pragma once

#include "midi_file.h"

#include <cstdint>
#include <memory>

// The MIDI synth with its soundfont, played by the audio module's renderer.
namespace morvik::audio {

// The device's frames: 16-bit stereo at this rate, interleaved.
inline constexpr int DeviceRate = 44100;

// Made on the thread that loads the songs and handed to the renderer ready; from then on every call
// comes from the audio callback, which it never makes wait: it reads no file and allocates nothing.
class Synth {
public:
    virtual ~Synth() = default;
    // The song from its start, or none (silence); the song stays the caller's and lives on until
    // another is started. The frames go on from the last ones of heardLast, the synth written
    // last (most often this one), and the notes that sound there fade out over 5 ms under the
    // song's first notes instead of stopping at once, which clicks.
    virtual void start(const Song *song, Synth &heardLast) = 0;
    // Started and not yet at its end. The notes may sound on for a little after that.
    virtual bool songRunning() const = 0;
    virtual bool sounding() const = 0;
    virtual void setGain(float gain) = 0;
    // The next frames, at the device's rate, with the song's events played on the way.
    virtual void write(std::int16_t *out, int frames) = 0;
};

// A song's synth, made on the thread that loads the song: its instruments loaded and held, and
// voices for the most notes the song sounds at once, so that no note is lost to a voice taken for
// another. Null when its soundfont cannot be loaded.
std::unique_ptr<Synth> synthFor(const Song &song);

}  // namespace morvik::audio
