#include "engine.h"

#include "deck.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace morvik::audio {

namespace {

// 2048 frames (46 ms) per callback: few wake-ups while the game idles, and a cue still starts well
// within a tick of the game's timer.
constexpr int BufferFrames = 2048;

// The synth module lies next to this one.
std::string synthPath()
{
    Dl_info self{};
    if (::dladdr(reinterpret_cast<const void *>(&synthPath), &self) == 0 || !self.dli_fname)
        return SynthFileName;
    const std::string path = self.dli_fname;
    return path.substr(0, path.rfind('/') + 1) + SynthFileName;
}

}  // namespace

Engine::Engine()
{
    // The program keeps its own SIGINT and SIGTERM behaviour: ending at once.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A wave file cut short is refused, not played up to the cut.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "verystrict");
    // Exactly 44.1 kHz stereo 16-bit, as the cues and the synth are: SDL converts if the hardware
    // differs, and each cue is converted once, when it is loaded.
    SDL_AudioSpec wanted{};
    wanted.freq = Stage::Rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = BufferFrames;
    wanted.callback = callback;
    wanted.userdata = this;
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || (device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0)) == 0) {
        std::fprintf(stderr, "morvik: no audio device (%s); the game runs silently\n", SDL_GetError());
        return;
    }
    SDL_PauseAudioDevice(device_, 0);
}

Engine::~Engine()
{
    if (device_)
        SDL_CloseAudioDevice(device_);
    if (synthStarter_.joinable())
        synthStarter_.join();
    delete synth_.load();
    SDL_Quit();
}

std::unique_ptr<Deck> Engine::newDeck(Report report)
{
    return std::make_unique<EngineDeck>(*this, std::move(report));
}

void Engine::needSynth()
{
    if (!synthStarter_.joinable())
        synthStarter_ = std::thread([this] { startSynth(); });
}

// The module stays in memory until the process ends: the synth's libraries do not all let go of
// what they have set up.
void Engine::startSynth()
{
    const std::string path = synthPath();
    void *library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    auto start = library ? reinterpret_cast<StartSynth>(::dlsym(library, StartSynthSymbol)) : nullptr;
    if (!start) {
        std::fprintf(stderr, "morvik: no synth module (%s); the music is silent\n", ::dlerror());
        return;
    }
    synth_.store(start(), std::memory_order_release);
}

void SDLCALL Engine::callback(void *self, Uint8 *stream, int length)
{
    static_cast<Engine *>(self)->render(reinterpret_cast<std::int16_t *>(stream), length / 4);
}

void Engine::render(std::int16_t *out, int frames)
{
    std::fill_n(out, frames * 2, std::int16_t{0});
    if (Synth *synth = synth_.load(std::memory_order_acquire)) {
        const Stage::SongRequest request = stage_.songRequest();
        if (request.restart != restart_)
            restartSong(*synth, request);
        if (request.gain != gain_) {
            synth->setGain(request.gain);
            gain_ = request.gain;
        }
        // Stopped, the synth is not run at all, so the song waits exactly where it stopped.
        if (synth->hasSong() && request.playing) {
            if (!playerStarted_) {
                synth->play();
                playerStarted_ = true;
            }
            playSong(*synth, out, frames);
        }
    }
    stage_.mixWaves(out, frames);
}

// The song's next buffer, with the frames rendered of the song so far. SDL calls back for the
// same number of frames every time.
void Engine::playSong(Synth &synth, std::int16_t *out, int frames)
{
    if (nextPiece_ == BuffersAhead)
        renderAhead(synth, frames);
    const Piece &piece = pieces_[nextPiece_];
    if (piece.sounds) {
        const auto samples = static_cast<std::size_t>(frames) * 2;
        std::copy_n(ahead_.begin() + static_cast<std::ptrdiff_t>(samples * nextPiece_), samples, out);
        if (piece.ofSong)
            frames_ += static_cast<std::uint64_t>(frames);
        stage_.songProgress(restart_, frames_, piece.endedAfter);
    }
    ++nextPiece_;
}

// The song runs until its last event and sounds on while its last notes fade.
void Engine::renderAhead(Synth &synth, int frames)
{
    const auto samples = static_cast<std::size_t>(frames) * 2;
    ahead_.resize(samples * BuffersAhead);
    for (int i = 0; i < BuffersAhead; ++i) {
        Piece &piece = pieces_[i];
        piece.ofSong = synth.songRunning();
        piece.sounds = piece.ofSong || synth.sounding();
        if (piece.sounds) {
            synth.write(ahead_.data() + samples * i, frames);
            piece.endedAfter = !synth.songRunning();
        }
    }
    nextPiece_ = 0;
}

void Engine::restartSong(Synth &synth, const Stage::SongRequest &request)
{
    synth.load(request.song ? std::span<const char>(*request.song) : std::span<const char>());
    nextPiece_ = BuffersAhead;
    playerStarted_ = false;
    frames_ = 0;
    restart_ = request.restart;
    stage_.songProgress(restart_, 0, false);
}

}  // namespace morvik::audio

// The caller's thread ends once the device is open: SDL's error buffer for it goes with it.
extern "C" __attribute__((visibility("default"))) morvik::audio::Module *morvik_audio_start()
{
    auto *engine = new morvik::audio::Engine;
    SDL_TLSCleanup();
    return engine;
}
