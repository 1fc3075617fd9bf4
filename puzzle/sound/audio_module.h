#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// What the program sees of its audio module: a shared library that it opens once its window is on
// the screen, so that the libraries of the sound stack (SDL's audio, FluidSynth and theirs) are
// neither loaded nor relocated before that.
namespace morvik::audio {

// The opened module: numbered decks, each playing one file at a time, a wave on a channel of its
// own or a MIDI song on the synth. Every call comes from the program's UI thread and returns at
// once; the module opens, keeps and closes the audio device on a thread of its own, and never
// calls into the program.
class Module {
public:
    virtual ~Module() = default;
    virtual int newDeck() = 0;
    // The deck goes silent and is not used again.
    virtual void dropDeck(int deck) = 0;
    // The file that the next play starts from its start. Returns why it cannot be played, or
    // nothing; a file that cannot be played leaves the deck silent until the next.
    virtual std::string load(int deck, const std::string &path) = 0;
    // From the start after a load or after the file has played to its end; else from where it
    // stopped.
    virtual void play(int deck) = 0;
    virtual void stop(int deck) = 0;
    // Back to the start of the file at once, playing or not.
    virtual void rewind(int deck) = 0;
    // 0..1000, 1000 full volume.
    virtual void setLevel(int deck, std::int16_t level) = 0;
    // Milliseconds of the file rendered since its start.
    virtual std::int32_t position(int deck) = 0;
};

// The lines the module writes on standard error, in the player's language; %1 stands for what the
// system says.
struct Lines {
    std::string deviceGone;   // the device was lost
    std::string deviceBack;   // found again; %1 names the driver
    std::string noDevice;     // none can be opened; %1 says why
    std::string noSoundFont;  // the synth cannot load its instruments
};

// Writes LINE on standard error, with %1 replaced by DETAIL.
inline void say(const std::string &line, const std::string &detail = {})
{
    std::string text = line;
    if (const std::size_t at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, detail);
    std::fprintf(stderr, "%s\n", text.c_str());
}

// The module's one entry point. It opens no device yet: the module's thread does, when there is
// something to hear, and writes one line on standard error each time the device is lost or found.
using Start = Module *(*)(const Lines &lines);
inline constexpr const char *StartSymbol = "morvik_audio_start";
inline constexpr const char *FileName = "morvik-audio.so";

}  // namespace morvik::audio
