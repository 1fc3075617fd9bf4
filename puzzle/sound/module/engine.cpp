#include "engine.h"

#include "files.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>

namespace morvik::audio {

namespace {

using namespace std::chrono_literals;

constexpr std::size_t MaxFileSize = std::size_t{64} << 20;
// How often the keeper looks at an open device: whether it has been lost, whether it is still
// needed. A lost server is noticed within this time.
constexpr auto Poll = 100ms;
// Between attempts to open the device while there is none, growing to the last: a server that
// comes back is heard again well within two seconds.
constexpr auto FirstRetry = 100ms;
constexpr auto LastRetry = 500ms;

bool isSongName(const std::string &path)
{
    return path.size() >= 4 && std::equal(path.end() - 4, path.end(), ".mid", [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

}  // namespace

void say(const std::string &line, const std::string &detail)
{
    std::string text = line;
    if (const std::size_t at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, detail);
    std::fprintf(stderr, "%s\n", text.c_str());
}

Engine::Engine(const Lines &lines) : lines_(lines)
{
    // The program keeps its own SIGINT and SIGTERM behaviour: ending at once.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A wave file cut short is refused, not played up to the cut.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "verystrict");
    // The name the desktop's mixer shows for the stream.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Morvik");
    synth_ = startSynth();
    if (!synth_)
        say(lines_.noSoundFont);
    keeper_ = std::thread([this] { keep(); });
}

Engine::~Engine()
{
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    keeper_.join();
    SDL_Quit();
}

// The decks, on the UI thread.

int Engine::newDeck()
{
    std::lock_guard lock(mutex_);
    decks_.emplace_back();
    return static_cast<int>(decks_.size()) - 1;
}

void Engine::dropDeck(int deck)
{
    std::lock_guard lock(mutex_);
    release(deck);
    decks_[deck] = {};
}

std::string Engine::load(int deck, const std::string &path)
{
    {
        std::lock_guard lock(mutex_);
        release(deck);
    }
    FileData file = readFile(path, MaxFileSize);
    if (!file.error.empty())
        return file.error;
    if (isSongName(path)) {
        if (std::string error = songError(file.bytes); !error.empty())
            return error;
        auto song = std::make_shared<const SongFile>(std::move(file.bytes));
        std::lock_guard lock(mutex_);
        decks_[deck].song = std::move(song);
        decks_[deck].kind = Kind::Song;
        return {};
    }
    std::string error;
    auto wave = decodeWave(file.bytes, error);
    if (!wave)
        return "not a playable wave file (" + error + ")";
    std::lock_guard lock(mutex_);
    decks_[deck].wave = std::move(wave);
    decks_[deck].kind = Kind::Wave;
    return {};
}

void Engine::release(int deck)
{
    Deck &d = decks_[deck];
    if (d.kind == Kind::Wave)
        haltWave(d);
    if (ownsSong(deck)) {
        songOwner_ = -1;
        song_ = nullptr;
        songPlaying_ = false;
        ++restart_;
    }
    d.wave = nullptr;
    d.song = nullptr;
    d.kind = Kind::None;
    d.wantsSound = false;
}

void Engine::play(int deck)
{
    {
        std::lock_guard lock(mutex_);
        Deck &d = decks_[deck];
        switch (d.kind) {
        case Kind::Wave:
            if (waveActive(d))
                d.paused = false;
            else
                startWave(d);
            break;
        case Kind::Song:
            if (!ownsSong(deck)) {
                songOwner_ = deck;
                song_ = d.song;
                songGain_ = d.level / 1000.0f;
                ++restart_;
            } else if (songEnded()) {
                ++restart_;
            }
            songPlaying_ = true;
            break;
        case Kind::None:
            return;
        }
        d.wantsSound = true;
        woken_ = true;
    }
    // The keeper opens the device at once if it is closed.
    wake_.notify_all();
}

void Engine::stop(int deck)
{
    std::lock_guard lock(mutex_);
    Deck &d = decks_[deck];
    if (d.kind == Kind::Wave)
        d.paused = true;
    else if (ownsSong(deck))
        songPlaying_ = false;
    d.wantsSound = false;
}

void Engine::rewind(int deck)
{
    std::lock_guard lock(mutex_);
    Deck &d = decks_[deck];
    if (d.kind == Kind::Wave) {
        if (waveActive(d) && !d.paused)
            startWave(d);
        else
            haltWave(d);
    } else if (ownsSong(deck)) {
        ++restart_;
    }
}

void Engine::setLevel(int deck, std::int16_t level)
{
    std::lock_guard lock(mutex_);
    decks_[deck].level = level;
    if (ownsSong(deck))
        songGain_ = level / 1000.0f;
}

std::int32_t Engine::position(int deck)
{
    std::lock_guard lock(mutex_);
    const Deck &d = decks_[deck];
    if (d.kind == Kind::Wave)
        return static_cast<std::int32_t>(d.frames * 1000 / DeviceRate);
    if (!ownsSong(deck) || renderedRestart_ != restart_)
        return 0;
    return static_cast<std::int32_t>(std::min<std::uint64_t>(renderedFrames_ * 1000 / DeviceRate, INT32_MAX));
}

void Engine::startWave(Deck &deck)
{
    deck.sounding = deck.wave;
    deck.at = 0;
    deck.paused = false;
    deck.frames = 0;
}

void Engine::haltWave(Deck &deck)
{
    deck.sounding = nullptr;
    deck.at = 0;
    deck.paused = false;
    deck.frames = 0;
}

bool Engine::songEnded() const
{
    return renderedRestart_ == restart_ && renderedEnd_;
}

// The keeper.

// Each of the song and the cues is wanted while it sounds, and while a deck of its own asked to
// play and its last sound is recent.
Engine::Wanted Engine::wanted(Clock::time_point now)
{
    const bool songSounds = songOwner_ >= 0 && songPlaying_ && synth_ && !songEnded();
    bool cuesSound = false;
    bool songAsked = false;
    bool cuesAsked = false;
    for (const Deck &deck : decks_) {
        cuesSound = cuesSound || (waveActive(deck) && !deck.paused);
        if (deck.kind == Kind::Song)
            songAsked = songAsked || deck.wantsSound;
        else
            cuesAsked = cuesAsked || deck.wantsSound;
    }
    if (songSounds)
        lastSong_ = now;
    if (cuesSound)
        lastCue_ = now;
    return {songSounds || (songAsked && now - lastSong_ < Linger), cuesSound || (cuesAsked && now - lastCue_ < Linger)};
}

// SDL stops calling back when the server of an open device goes away, and does not reconnect:
// the devices are closed and opened again, with SDL's audio started afresh so that it finds a
// server that has come back, or one that has appeared since the start. One line on standard error
// when the sound goes, and one when it is back.
void Engine::keep()
{
    bool silent = false;
    auto retryAt = Clock::now();
    Clock::duration retry = FirstRetry;
    std::unique_lock lock(mutex_);
    while (!closing_) {
        const auto now = Clock::now();
        const Wanted wants = wanted(now);
        lock.unlock();
        if (anyLost()) {
            closeDevices();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            say(lines_.deviceGone);
            waitForServer();
            silent = true;
            retryAt = now;
            retry = FirstRetry;
        }
        if (wants.any() && now >= retryAt) {
            std::string error;
            bool opened = startAudio(error);
            if (opened)
                for (Output *output : outputs())
                    if (!output->id && wants.of(*output))
                        opened = openDevice(*output, error) && opened;
            if (opened) {
                if (silent)
                    say(lines_.deviceBack, SDL_GetCurrentAudioDriver());
                silent = false;
                retry = FirstRetry;
            } else {
                closeDevices();
                SDL_QuitSubSystem(SDL_INIT_AUDIO);
                if (!silent)
                    say(lines_.noDevice, error);
                waitForServer();
                silent = true;
                retryAt = now + retry;
                retry = std::min<Clock::duration>(retry * 2, LastRetry);
            }
        }
        for (Output *output : outputs())
            if (output->id && !wants.of(*output))
                closeDevice(*output);
        const bool open = anyOpen();
        lock.lock();
        const auto awake = [this] { return woken_ || closing_; };
        if (open)
            wake_.wait_for(lock, Poll, awake);
        else if (wants.any())
            wake_.wait_until(lock, retryAt, awake);
        else
            wake_.wait(lock, awake);
        woken_ = false;
    }
    lock.unlock();
    closeDevices();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // SDL's error text for this thread goes with it.
    SDL_TLSCleanup();
}

// What the game waits for without a device is a sound server. SDL's other drivers are left out of
// the attempts from then on: ALSA without a card writes eight lines on standard error for each.
// SDL_AUDIODRIVER, when set, still decides.
void Engine::waitForServer()
{
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "pulseaudio,pipewire");
}

// SDL's audio, started if it is not, and whether its driver is a sound server's.
bool Engine::startAudio(std::string &error)
{
    if (SDL_WasInit(SDL_INIT_AUDIO))
        return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return false;
    }
    const std::string driver = SDL_GetCurrentAudioDriver();
    serverMixes_ = driver == "pulseaudio" || driver == "pipewire";
    return true;
}

// The devices of SDL's driver: the song's and the cues' where a server mixes them, else the one.
std::span<Engine::Output *const> Engine::outputs() const
{
    return serverMixes_ ? std::span(allOutputs_).first(2) : std::span(allOutputs_).last(1);
}

bool Engine::anyOpen() const
{
    return std::any_of(allOutputs_.begin(), allOutputs_.end(), [](const Output *output) { return output->id != 0; });
}

bool Engine::anyLost() const
{
    for (const Output *output : allOutputs_)
        if (output->id && SDL_GetAudioDeviceStatus(output->id) == SDL_AUDIO_STOPPED)
            return true;
    return false;
}

// Exactly 44.1 kHz stereo 16-bit, as the cues and the synth are: SDL converts if the server
// differs, and each cue is converted once, when it is loaded.
bool Engine::openDevice(Output &output, std::string &error)
{
    SDL_AudioSpec wanted{};
    wanted.freq = DeviceRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = static_cast<Uint16>(output.frames);
    wanted.callback = callback;
    wanted.userdata = &output;
    output.id = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (output.id == 0) {
        error = SDL_GetError();
        return false;
    }
    SDL_PauseAudioDevice(output.id, 0);
    return true;
}

// Only closing lets go of the server's stream: a paused device still writes silence to it.
void Engine::closeDevice(Output &output)
{
    if (output.id)
        SDL_CloseAudioDevice(output.id);
    output.id = 0;
}

void Engine::closeDevices()
{
    for (Output *output : allOutputs_)
        closeDevice(*output);
}

// The callbacks.

void SDLCALL Engine::callback(void *output, Uint8 *stream, int length)
{
    const Output &o = *static_cast<const Output *>(output);
    auto *out = reinterpret_cast<std::int16_t *>(stream);
    const int frames = length / 4;
    std::fill_n(out, frames * 2, std::int16_t{0});
    if (o.song)
        o.engine->renderSong(out, frames);
    if (o.cues)
        o.engine->mixWaves(out, frames);
}

void Engine::renderSong(std::int16_t *out, int frames)
{
    if (!synth_)
        return;
    std::unique_lock lock(mutex_);
    const unsigned restart = restart_;
    const auto song = song_;
    const bool playing = songPlaying_;
    const float gain = songGain_;
    lock.unlock();
    if (restart != playedRestart_) {
        startSong(song);
        playedRestart_ = restart;
        lock.lock();
        renderedRestart_ = restart;
        renderedFrames_ = 0;
        renderedEnd_ = false;
        lock.unlock();
    }
    if (gain != gain_) {
        synth_->setGain(gain);
        gain_ = gain;
    }
    // Stopped, the synth is not run at all, so the song waits exactly where it stopped.
    if (synth_->hasSong() && playing) {
        if (!playerStarted_) {
            synth_->play();
            playerStarted_ = true;
        }
        playSong(out, frames);
    }
}

void Engine::startSong(const std::shared_ptr<const SongFile> &song)
{
    synth_->load(song ? std::span<const char>(*song) : std::span<const char>());
    nextPiece_ = pieces_.size();
    playerStarted_ = false;
    frames_ = 0;
}

// The song's next buffer, with the frames rendered of the song so far. SDL calls back for the
// same number of frames every time; a device opened again with another buffer, after the server
// has changed, drops what was rendered ahead for the old one.
void Engine::playSong(std::int16_t *out, int frames)
{
    if (nextPiece_ == pieces_.size() || frames != pieceFrames_)
        renderAhead(frames);
    const Piece &piece = pieces_[nextPiece_++];
    if (!piece.sounds)
        return;
    const auto samples = static_cast<std::size_t>(frames) * 2;
    std::copy_n(ahead_.begin() + static_cast<std::ptrdiff_t>(samples * (nextPiece_ - 1)), samples, out);
    if (piece.ofSong)
        frames_ += static_cast<std::uint64_t>(frames);
    std::lock_guard lock(mutex_);
    renderedFrames_ = frames_;
    renderedEnd_ = piece.endedAfter;
}

// The song runs until its last event and sounds on while its last notes fade.
void Engine::renderAhead(int frames)
{
    const auto samples = static_cast<std::size_t>(frames) * 2;
    pieces_.resize(static_cast<std::size_t>(std::max(AheadFrames / frames, 1)));
    ahead_.resize(samples * pieces_.size());
    pieceFrames_ = frames;
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
        Piece &piece = pieces_[i];
        piece.ofSong = synth_->songRunning();
        piece.sounds = piece.ofSong || synth_->sounding();
        if (piece.sounds) {
            synth_->write(ahead_.data() + samples * i, frames);
            piece.endedAfter = !synth_->songRunning();
        }
    }
    nextPiece_ = 0;
}

void Engine::mixWaves(std::int16_t *out, int frames)
{
    std::lock_guard lock(mutex_);
    for (Deck &deck : decks_) {
        if (!waveActive(deck) || deck.paused)
            continue;
        const std::size_t count = std::min<std::size_t>(frames, deck.sounding->size() / 2 - deck.at);
        const std::int16_t *in = deck.sounding->data() + deck.at * 2;
        for (std::size_t i = 0; i < count * 2; ++i) {
            const int sample = out[i] + in[i] * deck.level / 1000;
            out[i] = static_cast<std::int16_t>(std::clamp(sample, INT16_MIN, INT16_MAX));
        }
        deck.at += count;
        deck.frames += static_cast<std::int64_t>(count);
    }
}

}  // namespace morvik::audio

extern "C" __attribute__((visibility("default"))) morvik::audio::Module *morvik_audio_start(
    const morvik::audio::Lines &lines)
{
    return new morvik::audio::Engine(lines);
}
