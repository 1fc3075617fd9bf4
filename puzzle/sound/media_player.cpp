#include "media_player.h"

#include "audio_device.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace morvik {

namespace {

constexpr off_t MaxFileSize = off_t{64} << 20;

struct FileData {
    std::vector<char> bytes;
    std::string error;
};

std::string errorText(int error)
{
    return std::generic_category().message(error);
}

// The whole file, or why it cannot be played. It is opened without blocking, so that a named pipe
// cannot hold the caller, and checked through the open descriptor, so that what is checked is what
// is read.
FileData readFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {{}, errorText(errno)};
    FileData file;
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        file.error = errorText(errno);
    else if (!S_ISREG(status.st_mode))
        file.error = "not a regular file";
    else if (status.st_size == 0)
        file.error = "empty file";
    else if (status.st_size > MaxFileSize)
        file.error = "larger than 64 MiB";
    else {
        file.bytes.resize(static_cast<std::size_t>(status.st_size));
        std::size_t done = 0;
        while (done < file.bytes.size()) {
            const ssize_t count = ::read(fd, file.bytes.data() + done, file.bytes.size() - done);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                file.error = count < 0 ? errorText(errno) : "shorter than its size";
                file.bytes.clear();
                break;
            }
            done += static_cast<std::size_t>(count);
        }
    }
    ::close(fd);
    return file;
}

bool equalsIgnoringCase(const std::string &text, const std::string &lowerCase)
{
    return std::ranges::equal(text, lowerCase, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

bool isSongName(const std::string &path)
{
    return path.size() >= 4 && equalsIgnoringCase(path.substr(path.size() - 4), ".mid");
}

std::uint32_t bigEndian(const char *bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

// A standard MIDI file: the header chunk, then at least as many track chunks as it announces, every
// chunk whole within the file. This finds cut and foreign files before the synth sees them.
bool isStandardMidi(const std::vector<char> &bytes)
{
    if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0 || bigEndian(&bytes[4], 4) < 6)
        return false;
    const std::uint32_t announced = bigEndian(&bytes[10], 2);
    std::uint32_t tracks = 0;
    std::size_t at = 0;
    while (bytes.size() - at >= 8) {
        const std::size_t length = bigEndian(&bytes[at + 4], 4);
        if (length > bytes.size() - at - 8)
            return false;
        if (std::memcmp(&bytes[at], "MTrk", 4) == 0)
            ++tracks;
        at += 8 + length;
    }
    return tracks > 0 && tracks >= announced;
}

// A mixer effect that only counts the frames mixed on its channel.
void countFrames(int, void *, int length, void *frames)
{
    static_cast<std::atomic<std::int64_t> *>(frames)->fetch_add(length / 4, std::memory_order_relaxed);
}

}  // namespace

MediaPlayer::MediaPlayer() : device_(AudioDevice::shared()), channel_(device_->newChannel()) {}

void MediaPlayer::holdAudioStart()
{
    AudioDevice::holdStart();
}

void MediaPlayer::releaseAudioStart()
{
    AudioDevice::releaseStart();
}

MediaPlayer::~MediaPlayer()
{
    if (device_->forget(this))
        release();
}

void MediaPlayer::setCommand(const std::string &command)
{
    device_->run(this, [this, command] {
        if (equalsIgnoringCase(command, "play"))
            play();
        else if (equalsIgnoringCase(command, "stop"))
            stop();
        else
            report("command \"" + command + "\"", "unknown; the commands are play and stop");
    });
}

void MediaPlayer::setFileName(const std::string &path)
{
    device_->run(this, [this, path] { load(path); });
}

std::int32_t MediaPlayer::position()
{
    if (!device_->started())
        return 0;
    switch (kind_) {
    case Kind::Wave:
        return static_cast<std::int32_t>(waveFrames_.load(std::memory_order_relaxed) * 1000 / AudioDevice::Rate);
    case Kind::Song:
        return ownsSong() ? device_->songPosition() : 0;
    case Kind::None:
        break;
    }
    return 0;
}

void MediaPlayer::setPosition(std::int16_t position)
{
    device_->run(this, [this, position] {
        if (position == 0)
            rewind();
        else
            report("position " + std::to_string(position), "unsupported; only 0, the start, is");
    });
}

void MediaPlayer::setFlag(bool flag)
{
    device_->run(this, [this, flag] { reportErrors_ = flag; });
}

void MediaPlayer::setLevel(std::int16_t level)
{
    device_->run(this, [this, level] {
        level_ = std::clamp<std::int16_t>(level, 0, 1000);
        applyLevel();
    });
}

void MediaPlayer::load(const std::string &path)
{
    release();
    const bool song = isSongName(path);
    if (!device_->isOpen() || (song && !device_->hasSynth()))
        return;
    FileData file = readFile(path);
    if (!file.error.empty()) {
        report("cannot play " + path, file.error);
        return;
    }
    if (song) {
        if (!isStandardMidi(file.bytes)) {
            report("cannot play " + path, "not a standard MIDI file");
            return;
        }
        song_ = std::move(file.bytes);
        kind_ = Kind::Song;
        return;
    }
    chunk_ = Mix_LoadWAV_RW(SDL_RWFromConstMem(file.bytes.data(), static_cast<int>(file.bytes.size())), 1);
    if (!chunk_) {
        report("cannot play " + path, std::string("not a playable wave file (") + Mix_GetError() + ")");
        return;
    }
    if (channel_ >= Mix_AllocateChannels(-1))
        Mix_AllocateChannels(channel_ + 1);
    kind_ = Kind::Wave;
}

void MediaPlayer::release()
{
    if (kind_ == Kind::Wave) {
        Mix_HaltChannel(channel_);
        Mix_FreeChunk(chunk_);
        chunk_ = nullptr;
    }
    if (ownsSong())
        device_->dropSong();
    song_ = {};
    waveFrames_.store(0, std::memory_order_relaxed);
    kind_ = Kind::None;
}

void MediaPlayer::play()
{
    switch (kind_) {
    case Kind::Wave:
        if (Mix_Playing(channel_))
            Mix_Resume(channel_);
        else
            startWave();
        break;
    case Kind::Song:
        if (!ownsSong())
            device_->loadSong(this, song_, level_ / 1000.0f);
        else if (device_->songEnded())
            device_->rewindSong();
        device_->setSongPlaying(true);
        break;
    case Kind::None:
        break;
    }
}

void MediaPlayer::stop()
{
    if (kind_ == Kind::Wave)
        Mix_Pause(channel_);
    else if (ownsSong())
        device_->setSongPlaying(false);
}

void MediaPlayer::rewind()
{
    if (kind_ == Kind::Wave) {
        if (Mix_Playing(channel_) && !Mix_Paused(channel_)) {
            startWave();
        } else {
            Mix_HaltChannel(channel_);
            waveFrames_.store(0, std::memory_order_relaxed);
        }
    } else if (ownsSong()) {
        device_->rewindSong();
    }
}

void MediaPlayer::applyLevel()
{
    if (kind_ == Kind::Wave)
        Mix_Volume(channel_, level_ * MIX_MAX_VOLUME / 1000);
    else if (ownsSong())
        device_->setSongGain(level_ / 1000.0f);
}

// From the start, on the player's own channel, counting what the mixer mixes of it.
void MediaPlayer::startWave()
{
    Mix_HaltChannel(channel_);
    waveFrames_.store(0, std::memory_order_relaxed);
    Mix_RegisterEffect(channel_, countFrames, nullptr, &waveFrames_);
    Mix_Volume(channel_, level_ * MIX_MAX_VOLUME / 1000);
    Mix_PlayChannel(channel_, chunk_, 0);
}

bool MediaPlayer::ownsSong() const
{
    return device_->songOwner() == this;
}

void MediaPlayer::report(const std::string &subject, const std::string &reason)
{
    if (reportErrors_)
        device_->report(subject, reason);
}

}  // namespace morvik
