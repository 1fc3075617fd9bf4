#include "engine.h"

#include "whole_file.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace morvik::audio {

namespace {

constexpr std::size_t MaxFileSize = std::size_t{64} << 20;

bool isSongName(const std::string &path)
{
    return path.size() >= 4 && std::equal(path.end() - 4, path.end(), ".mid", [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

}  // namespace

Engine::Engine(const Lines &lines) : lines_(lines)
{
    // The program keeps its own SIGINT and SIGTERM behaviour: ending at once.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A wave file cut short is refused, not played up to the cut.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "verystrict");
    // The name the desktop's mixer shows for the stream.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Morvik");
    renderer_ = std::make_unique<Renderer>(exchange_);
    keeper_ = std::make_unique<Keeper>(exchange_, *renderer_, lines_);
}

Engine::~Engine()
{
    {
        std::lock_guard lock(exchange_.mutex);
        exchange_.closing = true;
    }
    exchange_.wake.notify_all();
    keeper_.reset();
    SDL_Quit();
}

// The decks, on the UI thread.

int Engine::newDeck()
{
    std::lock_guard lock(exchange_.mutex);
    const auto free = std::find_if(decks_.begin(), decks_.end(), [](const Deck &deck) { return !deck.inUse; });
    const auto deck = free != decks_.end() ? free : decks_.emplace(decks_.end());
    deck->inUse = true;
    return static_cast<int>(deck - decks_.begin());
}

void Engine::dropDeck(int deck)
{
    std::lock_guard lock(exchange_.mutex);
    release(deck);
    decks_[deck] = {};
    if (Request::Cue *cue = cueOf(deck))
        cue->level = 1000;
}

std::string Engine::load(int deck, const std::string &path)
{
    {
        std::lock_guard lock(exchange_.mutex);
        release(deck);
    }
    FileData file = readFile(path, MaxFileSize);
    if (!file.error.empty())
        return file.error;
    if (isSongName(path)) {
        auto prepared = std::make_shared<PreparedSong>();
        prepared->song = readSong(file.bytes);
        if (!prepared->song.error.empty())
            return prepared->song.error;
        prepared->synth = synthFor(prepared->song);
        if (!prepared->synth)
            say(lines_.noSoundFont);
        std::lock_guard lock(exchange_.mutex);
        decks_[deck].song = std::move(prepared);
        decks_[deck].kind = Kind::Song;
        return {};
    }
    std::string error;
    auto wave = decodeWave(file.bytes, error);
    if (!wave)
        return "not a playable wave file (" + error + ")";
    std::lock_guard lock(exchange_.mutex);
    decks_[deck].wave = std::move(wave);
    decks_[deck].kind = Kind::Wave;
    return {};
}

void Engine::release(int deck)
{
    Deck &d = decks_[deck];
    if (d.kind == Kind::Wave)
        haltWave(deck);
    if (Request::Cue *cue = cueOf(deck))
        cue->wanted = false;
    if (ownsSong(deck)) {
        songOwner_ = -1;
        Request::Song &song = exchange_.request.song;
        song = {nullptr, song.start + 1, false, 1.0f, false};
    }
    retire(std::move(d.wave));
    retire(std::move(d.song));
    d.kind = Kind::None;
    freeRetired();
}

void Engine::play(int deck)
{
    {
        std::lock_guard lock(exchange_.mutex);
        Deck &d = decks_[deck];
        Request::Song &song = exchange_.request.song;
        switch (d.kind) {
        case Kind::Wave:
            if (waveActive(deck))
                cueOf(deck)->paused = false;
            else
                startWave(deck);
            if (Request::Cue *cue = cueOf(deck))
                cue->wanted = true;
            break;
        case Kind::Song:
            if (!ownsSong(deck)) {
                songOwner_ = deck;
                // Without its synth the song is silent, and its position stays at its start.
                song.prepared = d.song->synth ? d.song.get() : nullptr;
                song.gain = d.level / 1000.0f;
                ++song.start;
            } else if (songEnded()) {
                ++song.start;
            }
            song.playing = true;
            song.wanted = true;
            break;
        case Kind::None:
            return;
        }
        exchange_.woken = true;
    }
    // The keeper opens the device at once if it is closed.
    exchange_.wake.notify_all();
}

void Engine::stop(int deck)
{
    std::lock_guard lock(exchange_.mutex);
    Deck &d = decks_[deck];
    if (d.kind == Kind::Wave) {
        if (Request::Cue *cue = cueOf(deck))
            *cue = {cue->wave, cue->frames, cue->start, true, cue->level, false};
    } else if (ownsSong(deck)) {
        exchange_.request.song.playing = false;
        exchange_.request.song.wanted = false;
    }
}

void Engine::rewind(int deck)
{
    std::lock_guard lock(exchange_.mutex);
    const Deck &d = decks_[deck];
    if (d.kind == Kind::Wave) {
        if (waveActive(deck) && !cueOf(deck)->paused)
            startWave(deck);
        else
            haltWave(deck);
    } else if (ownsSong(deck)) {
        ++exchange_.request.song.start;
    }
}

void Engine::setLevel(int deck, std::int16_t level)
{
    std::lock_guard lock(exchange_.mutex);
    decks_[deck].level = level;
    if (Request::Cue *cue = cueOf(deck))
        cue->level = level;
    if (ownsSong(deck))
        exchange_.request.song.gain = level / 1000.0f;
}

std::int32_t Engine::position(int deck)
{
    std::lock_guard lock(exchange_.mutex);
    freeRetired();
    const Deck &d = decks_[deck];
    const Progress &progress = exchange_.progress;
    if (d.kind == Kind::Wave) {
        const Request::Cue *cue = cueOf(deck);
        if (!cue || progress.cues[deck].start != cue->start)
            return 0;
        return static_cast<std::int32_t>(progress.cues[deck].frames * 1000 / DeviceRate);
    }
    if (!ownsSong(deck) || progress.song.start != exchange_.request.song.start)
        return 0;
    return static_cast<std::int32_t>(std::min<std::uint64_t>(progress.song.frames * 1000 / DeviceRate, INT32_MAX));
}

Request::Cue *Engine::cueOf(int deck)
{
    return deck < MaxDecks ? &exchange_.request.cues[static_cast<std::size_t>(deck)] : nullptr;
}

// Started, and not yet mixed to its end.
bool Engine::waveActive(int deck)
{
    const Request::Cue *cue = cueOf(deck);
    if (!cue || !cue->wave)
        return false;
    const Progress::Cue &played = exchange_.progress.cues[static_cast<std::size_t>(deck)];
    return played.start != cue->start || played.frames < cue->frames;
}

void Engine::startWave(int deck)
{
    if (Request::Cue *cue = cueOf(deck)) {
        const Samples *wave = decks_[deck].wave.get();
        *cue = {wave, wave->size() / 2, cue->start + 1, false, decks_[deck].level, cue->wanted};
    }
}

void Engine::haltWave(int deck)
{
    if (Request::Cue *cue = cueOf(deck))
        *cue = {nullptr, 0, cue->start + 1, false, cue->level, cue->wanted};
}

bool Engine::songEnded() const
{
    return exchange_.progress.song.start == exchange_.request.song.start && exchange_.progress.song.ended;
}

void Engine::retire(std::shared_ptr<const void> object)
{
    if (object)
        retired_.push_back(std::move(object));
}

void Engine::freeRetired()
{
    const Progress &progress = exchange_.progress;
    std::erase_if(retired_, [&progress](const std::shared_ptr<const void> &object) {
        const void *held = object.get();
        return held != progress.song.playing && held != progress.song.asked
            && std::none_of(progress.cues.begin(), progress.cues.end(), [held](const Progress::Cue &cue) { return cue.wave == held; });
    });
}

}  // namespace morvik::audio

extern "C" __attribute__((visibility("default"))) morvik::audio::Module *morvik_audio_start(
    const morvik::audio::Lines &lines)
{
    return new morvik::audio::Engine(lines);
}
