#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <system_error>

namespace morvik::audio {

namespace {

std::string errorText(int error)
{
    return std::generic_category().message(error);
}

// Opened without blocking, so that a named pipe cannot hold the caller, and checked through the
// open descriptor, so that what is checked is what is read. Returns -1 with the reason in error.
int openRegular(const std::string &path, std::size_t maxSize, std::size_t &size, std::string &error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errorText(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        error = errorText(errno);
    else if (!S_ISREG(status.st_mode))
        error = "not a regular file";
    else if (status.st_size == 0)
        error = "empty file";
    else if (static_cast<std::uint64_t>(status.st_size) > maxSize)
        error = "larger than " + std::to_string(maxSize >> 20) + " MiB";
    if (!error.empty()) {
        ::close(fd);
        return -1;
    }
    size = static_cast<std::size_t>(status.st_size);
    return fd;
}

std::uint32_t bigEndian(const char *bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

// What the synth plays at most.
constexpr std::size_t MaxTracks = 128;
constexpr double MaxSongMicroseconds = 3600e6;

// A MIDI variable-length quantity of at most four bytes.
std::optional<std::uint32_t> readNumber(std::span<const char> track, std::size_t &at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4 && at < track.size(); ++i) {
        const auto byte = static_cast<unsigned char>(track[at++]);
        value = value << 7 | (byte & 0x7f);
        if (!(byte & 0x80))
            return value;
    }
    return std::nullopt;
}

// The tick of a track's last event, noting its tempo changes; nothing if its events are not whole.
std::optional<std::uint64_t> trackTicks(std::span<const char> track, std::map<std::uint64_t, std::uint32_t> &tempos)
{
    std::uint64_t tick = 0;
    unsigned char status = 0;
    std::size_t at = 0;
    while (at < track.size()) {
        const auto delta = readNumber(track, at);
        if (!delta || at >= track.size())
            return std::nullopt;
        tick += *delta;
        auto byte = static_cast<unsigned char>(track[at]);
        if (byte & 0x80) {
            ++at;
            status = byte;
        }
        std::size_t length = 0;
        if (status == 0xff || status == 0xf0 || status == 0xf7) {
            const unsigned char type = status == 0xff && at < track.size() ? static_cast<unsigned char>(track[at++]) : 0;
            const auto size = readNumber(track, at);
            if (!size || *size > track.size() - at)
                return std::nullopt;
            if (status == 0xff && type == 0x51 && *size == 3)
                tempos[tick] = bigEndian(&track[at], 3);
            length = *size;
            // A system or meta event cancels the running status.
            status = 0;
        } else if (status >= 0x80 && status < 0xf0) {
            length = (status & 0xf0) == 0xc0 || (status & 0xf0) == 0xd0 ? 1 : 2;
        } else {
            return std::nullopt;
        }
        if (length > track.size() - at)
            return std::nullopt;
        at += length;
    }
    return tick;
}

// How long a song of the given ticks lasts, in microseconds, at the tempos noted (half a second a
// quarter note until the first).
double songMicroseconds(std::uint32_t division, const std::map<std::uint64_t, std::uint32_t> &tempos, std::uint64_t end)
{
    if (division & 0x8000) {
        const int framesPerSecond = -static_cast<std::int8_t>(division >> 8);
        const int ticksPerFrame = static_cast<int>(division & 0xff);
        return framesPerSecond > 0 && ticksPerFrame > 0 ? end * 1e6 / (framesPerSecond * ticksPerFrame) : 0;
    }
    const double ticksPerQuarter = division ? division : 1;
    double microseconds = 0;
    std::uint64_t tick = 0;
    std::uint32_t tempo = 500000;
    for (const auto &[at, next] : tempos) {
        if (at >= end)
            break;
        microseconds += (at - tick) * tempo / ticksPerQuarter;
        tick = at;
        tempo = next;
    }
    return microseconds + (end - tick) * tempo / ticksPerQuarter;
}

}  // namespace

FileData readFile(const std::string &path, std::size_t maxSize)
{
    FileData file;
    std::size_t size = 0;
    const int fd = openRegular(path, maxSize, size, file.error);
    if (fd < 0)
        return file;
    file.bytes.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = ::read(fd, file.bytes.data() + done, size - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            file.error = count < 0 ? errorText(errno) : "shorter than its size";
            file.bytes.clear();
            break;
        }
        done += static_cast<std::size_t>(count);
    }
    ::close(fd);
    return file;
}

std::string songError(std::span<const char> bytes)
{
    const std::string foreign = "not a standard MIDI file";
    if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0 || bigEndian(&bytes[4], 4) < 6)
        return foreign;
    const std::uint32_t announced = bigEndian(&bytes[10], 2);
    const std::uint32_t division = bigEndian(&bytes[12], 2);
    std::vector<std::span<const char>> tracks;
    std::size_t at = 0;
    while (bytes.size() - at >= 8) {
        const std::size_t length = bigEndian(&bytes[at + 4], 4);
        if (length > bytes.size() - at - 8)
            return foreign;
        if (std::memcmp(&bytes[at], "MTrk", 4) == 0) {
            if (tracks.size() == MaxTracks)
                return "more than " + std::to_string(MaxTracks) + " tracks";
            tracks.push_back(bytes.subspan(at + 8, length));
        }
        at += 8 + length;
    }
    if (tracks.empty() || tracks.size() < announced)
        return foreign;
    std::map<std::uint64_t, std::uint32_t> tempos;
    std::uint64_t end = 0;
    for (const auto &track : tracks) {
        const auto ticks = trackTicks(track, tempos);
        if (!ticks)
            return foreign;
        end = std::max(end, *ticks);
    }
    if (songMicroseconds(division, tempos, end) > MaxSongMicroseconds)
        return "longer than an hour";
    return {};
}

}  // namespace morvik::audio
