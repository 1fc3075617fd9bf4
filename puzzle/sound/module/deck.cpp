#include "deck.h"

#include "engine.h"
#include "files.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace morvik::audio {

namespace {

constexpr std::size_t MaxFileSize = std::size_t{64} << 20;
// A cue is a few seconds; converted to the device's frames a minute is already 10 MiB.
constexpr int MaxWaveSeconds = 60;

bool isSongName(const std::string &path)
{
    return path.size() >= 4 && std::equal(path.end() - 4, path.end(), ".mid", [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

// The wave as the device's frames, or why not (the reason as SDL gives it).
std::shared_ptr<const Samples> decodeWave(const std::vector<char> &bytes, std::string &error)
{
    SDL_AudioSpec spec{};
    Uint8 *buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1, &spec, &buffer, &length)) {
        error = SDL_GetError();
        return {};
    }
    const Uint32 frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
    if (frameBytes == 0 || spec.freq <= 0 || length / frameBytes / static_cast<Uint32>(spec.freq) >= MaxWaveSeconds) {
        error = "longer than a minute";
        SDL_FreeWAV(buffer);
        return {};
    }
    SDL_AudioCVT convert{};
    const int needed = SDL_BuildAudioCVT(&convert, spec.format, spec.channels, spec.freq, AUDIO_S16SYS, 2, Stage::Rate);
    if (needed < 0) {
        error = SDL_GetError();
        SDL_FreeWAV(buffer);
        return {};
    }
    std::vector<Uint8> work(static_cast<std::size_t>(length) * std::max(convert.len_mult, 1));
    std::copy_n(buffer, length, work.data());
    SDL_FreeWAV(buffer);
    convert.buf = work.data();
    convert.len = static_cast<int>(length);
    if (needed && SDL_ConvertAudio(&convert) != 0) {
        error = SDL_GetError();
        return {};
    }
    const std::size_t converted = needed ? static_cast<std::size_t>(convert.len_cvt) : length;
    auto samples = std::make_shared<Samples>(converted / 4 * 2);
    std::copy_n(work.data(), samples->size() * sizeof(std::int16_t), reinterpret_cast<Uint8 *>(samples->data()));
    return samples;
}

}  // namespace

EngineDeck::EngineDeck(Engine &engine, Report report)
    : engine_(engine), stage_(engine.stage()), report_(std::move(report)), channel_(stage_.newChannel())
{
}

EngineDeck::~EngineDeck()
{
    release();
}

void EngineDeck::load(const std::string &path)
{
    release();
    const bool song = isSongName(path);
    if (!engine_.isOpen())
        return;
    FileData file = readFile(path, MaxFileSize);
    if (!file.error.empty()) {
        report_("cannot play " + path, file.error);
        return;
    }
    if (song) {
        if (const std::string error = songError(file.bytes); !error.empty()) {
            report_("cannot play " + path, error);
            return;
        }
        song_ = std::make_shared<const SongFile>(std::move(file.bytes));
        kind_ = Kind::Song;
        engine_.needSynth();
        return;
    }
    std::string error;
    wave_ = decodeWave(file.bytes, error);
    if (!wave_) {
        report_("cannot play " + path, "not a playable wave file (" + error + ")");
        return;
    }
    kind_ = Kind::Wave;
}

void EngineDeck::release()
{
    if (kind_ == Kind::Wave)
        stage_.haltWave(channel_);
    if (ownsSong()) {
        stage_.loadSong(nullptr);
        engine_.songOwner = nullptr;
    }
    wave_ = nullptr;
    song_ = nullptr;
    kind_ = Kind::None;
}

void EngineDeck::play()
{
    switch (kind_) {
    case Kind::Wave:
        if (stage_.waveActive(channel_))
            stage_.pauseWave(channel_, false);
        else
            stage_.startWave(channel_, wave_, level_);
        break;
    case Kind::Song:
        if (!ownsSong()) {
            engine_.songOwner = this;
            stage_.loadSong(song_);
            stage_.setSongGain(level_ / 1000.0f);
        } else if (stage_.songEnded()) {
            stage_.rewindSong();
        }
        stage_.setSongPlaying(true);
        break;
    case Kind::None:
        break;
    }
}

void EngineDeck::stop()
{
    if (kind_ == Kind::Wave)
        stage_.pauseWave(channel_, true);
    else if (ownsSong())
        stage_.setSongPlaying(false);
}

void EngineDeck::rewind()
{
    if (kind_ == Kind::Wave) {
        if (stage_.waveActive(channel_) && !stage_.wavePaused(channel_))
            stage_.startWave(channel_, wave_, level_);
        else
            stage_.haltWave(channel_);
    } else if (ownsSong()) {
        stage_.rewindSong();
    }
}

void EngineDeck::setLevel(std::int16_t level)
{
    level_ = level;
    if (kind_ == Kind::Wave)
        stage_.setWaveLevel(channel_, level_);
    else if (ownsSong())
        stage_.setSongGain(level_ / 1000.0f);
}

std::int32_t EngineDeck::position()
{
    switch (kind_) {
    case Kind::Wave:
        return static_cast<std::int32_t>(stage_.waveFrames(channel_) * 1000 / Stage::Rate);
    case Kind::Song:
        return ownsSong() ? stage_.songPosition() : 0;
    case Kind::None:
        break;
    }
    return 0;
}

bool EngineDeck::ownsSong() const
{
    return engine_.songOwner == this;
}

}  // namespace morvik::audio
