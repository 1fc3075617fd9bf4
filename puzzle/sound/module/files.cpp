#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <queue>
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

const std::string NotMidi = "not a standard MIDI file";

void putBigEndian(std::vector<char> &out, std::uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        out.push_back(static_cast<char>(value >> (8 * i) & 0xff));
}

void putNumber(std::vector<char> &out, std::uint32_t value)
{
    int shift = 21;
    while (shift > 0 && (value >> shift) == 0)
        shift -= 7;
    for (; shift > 0; shift -= 7)
        out.push_back(static_cast<char>(0x80 | (value >> shift & 0x7f)));
    out.push_back(static_cast<char>(value & 0x7f));
}

// Four printable ASCII characters: where a chunk begins.
bool chunkAt(std::span<const char> bytes, std::uint64_t at)
{
    if (at > bytes.size() || bytes.size() - at < 8)
        return false;
    return std::all_of(&bytes[at], &bytes[at] + 4, [](char c) { return c >= 0x20 && c < 0x7f; });
}

// Reads a song as players and sequencers do, forgiving what they forgive, and writes it again in
// the plainest form of the format, which FluidSynth's stricter reader takes: every event with its
// status byte, a track's events up to its End of Track and no further, every track ending in one,
// every chunk's length its true length, and only the events the synth acts on (notes,
// controllers, programs, SysEx and tempo).
class SongReader {
public:
    explicit SongReader(std::span<const char> bytes) : bytes_(bytes) {}

    Song read()
    {
        Song song;
        if (bytes_.size() < 14 || std::memcmp(bytes_.data(), "MThd", 4) != 0 || bigEndian(&bytes_[4], 4) < 6) {
            song.error = NotMidi;
            return song;
        }
        division_ = bigEndian(&bytes_[12], 2);
        // Time code: that many ticks a second, played as a quarter note a second.
        if (division_ & 0x8000) {
            const std::uint32_t perSecond = (0x100 - (division_ >> 8)) * (division_ & 0xff);
            timeCode_ = true;
            division_ = perSecond;
            tempos_[0] = 1000000;
        }
        std::uint64_t at = 8 + std::uint64_t{bigEndian(&bytes_[4], 4)};
        std::size_t tracks = 0;
        // A chunk whose length runs past the file's end is cut there; what follows the last
        // chunk is not read.
        while (chunkAt(bytes_, at)) {
            const std::uint64_t start = at + 8, end = start + bigEndian(&bytes_[at + 4], 4);
            if (std::memcmp(&bytes_[at], "MTrk", 4) != 0) {
                at = end;
                continue;
            }
            if (++tracks > MaxTracks) {
                song.error = "more than " + std::to_string(MaxTracks) + " tracks";
                return song;
            }
            const auto stop = readTrack(start, end, tracks == 1);
            if (!stop) {
                song.error = NotMidi;
                return song;
            }
            // A track that runs on past its length goes on to its End of Track.
            at = end >= bytes_.size() || chunkAt(bytes_, end) ? end : *stop;
        }
        if (tracks == 0 || division_ == 0) {
            song.error = NotMidi;
            return song;
        }
        if (microseconds() > MaxSongMicroseconds) {
            song.error = "longer than an hour";
            return song;
        }
        song.standard.assign({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1});
        putBigEndian(song.standard, static_cast<std::uint32_t>(tracks), 2);
        putBigEndian(song.standard, division_, 2);
        song.standard.insert(song.standard.end(), tracks_.begin(), tracks_.end());
        song.notesAtOnce = notesAtOnce(tracks);
        song.startsOnDefault = startsOnDefault();
        return song;
    }

private:
    std::optional<unsigned char> byte()
    {
        if (at_ >= bytes_.size())
            return std::nullopt;
        return static_cast<unsigned char>(bytes_[at_++]);
    }

    // A MIDI variable-length quantity of at most four bytes.
    std::optional<std::uint32_t> number()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto b = byte();
            if (!b)
                return std::nullopt;
            value = value << 7 | (*b & 0x7f);
            if (!(*b & 0x80))
                return value;
        }
        return std::nullopt;
    }

    // The next `count` bytes of the file, if it holds them.
    std::optional<std::span<const char>> take(std::uint32_t count)
    {
        if (count > bytes_.size() - at_)
            return std::nullopt;
        at_ += count;
        return bytes_.subspan(at_ - count, count);
    }

    // Writes an event at `tick`; the ticks of the events left out count towards it.
    void put(std::uint64_t tick, std::span<const char> event)
    {
        std::uint64_t delta = tick - written_;
        // Longer waits than a quantity holds pass through empty markers.
        for (; delta > 0x0fffffff; delta -= 0x0fffffff)
            putNumber(track_, 0x0fffffff), track_.insert(track_.end(), {'\xff', '\x06', '\x00'});
        putNumber(track_, static_cast<std::uint32_t>(delta));
        track_.insert(track_.end(), event.begin(), event.end());
        written_ = tick;
    }

    // Reads one track from `start`, up to its End of Track, its length's end where another chunk
    // begins, a byte that is no event, or the file's end; returns where it stopped, or nothing if
    // an event is cut off by the end of the file.
    std::optional<std::uint64_t> readTrack(std::uint64_t start, std::uint64_t end, bool first)
    {
        at_ = start;
        firsts_.emplace_back();
        track_.clear();
        written_ = 0;
        std::uint64_t tick = 0;
        unsigned char status = 0;
        if (first && timeCode_)
            put(0, std::array<char, 6>{'\xff', '\x51', '\x03', '\x0f', '\x42', '\x40'});
        while (at_ < bytes_.size() && !(at_ >= end && (end >= bytes_.size() || chunkAt(bytes_, end)))) {
            const auto delta = number();
            if (!delta)
                break;
            tick += *delta;
            const auto lead = byte();
            if (!lead)
                return std::nullopt;
            // Running status: a data byte repeats the last channel message's status, across
            // any meta or SysEx event between.
            if (*lead & 0x80) {
                if (*lead < 0xf0)
                    status = *lead;
            } else if (status) {
                --at_;
            } else {
                break;
            }
            const unsigned char kind = *lead & 0x80 ? *lead : status;
            if (kind < 0xf0) {
                const std::uint32_t size = (kind & 0xe0) == 0xc0 ? 1 : 2;
                const auto data = take(size);
                if (!data)
                    return std::nullopt;
                std::array<char, 3> event{static_cast<char>(kind), (*data)[0], size == 2 ? (*data)[1] : '\0'};
                put(tick, {event.data(), size + 1});
                noteFirsts(kind, size == 2 ? (*data)[1] : '\0', tick);
            } else if (kind == 0xf0 || kind == 0xf7) {
                const auto size = number();
                const auto data = size ? take(*size) : std::nullopt;
                if (!data)
                    return std::nullopt;
                if (kind == 0xf0) {
                    std::vector<char> event{'\xf0'};
                    putNumber(event, *size);
                    event.insert(event.end(), data->begin(), data->end());
                    put(tick, event);
                }
            } else if (kind == 0xff) {
                const auto type = byte();
                const auto size = type ? number() : std::nullopt;
                const auto data = size ? take(*size) : std::nullopt;
                if (!data)
                    return std::nullopt;
                if (*type == 0x2f)
                    break;
                if (*type == 0x51 && *size == 3 && !timeCode_) {
                    tempos_[tick] = bigEndian(data->data(), 3);
                    put(tick, std::array<char, 6>{'\xff', '\x51', '\x03', (*data)[0], (*data)[1], (*data)[2]});
                }
            } else {
                break;
            }
        }
        put(tick, std::array<char, 3>{'\xff', '\x2f', '\x00'});
        end_ = std::max(end_, tick);
        tracks_.insert(tracks_.end(), {'M', 'T', 'r', 'k'});
        putBigEndian(tracks_, static_cast<std::uint32_t>(track_.size()), 4);
        tracks_.insert(tracks_.end(), track_.begin(), track_.end());
        return at_;
    }

    // Where in the track being read each channel first selects a program and first sounds a note.
    void noteFirsts(unsigned char kind, char velocity, std::uint64_t tick)
    {
        Firsts &track = firsts_.back();
        const int channel = kind & 0x0f;
        if ((kind & 0xf0) == 0xc0 && !track.program[channel])
            track.program[channel] = tick;
        if ((kind & 0xf0) == 0x90 && velocity != 0 && !track.note[channel]) {
            track.note[channel] = tick;
            track.selectedFirst[channel] = track.program[channel].has_value();
        }
    }

    std::array<bool, 16> startsOnDefault() const
    {
        std::array<bool, 16> channels{};
        for (std::size_t t = 0; t < firsts_.size(); ++t)
            for (int c = 0; c < 16; ++c) {
                const auto &note = firsts_[t].note[c];
                if (!note || firsts_[t].selectedFirst[c])
                    continue;
                const bool selectedBefore = std::any_of(firsts_.begin(), firsts_.begin() + static_cast<std::ptrdiff_t>(t),
                                                        [&](const Firsts &earlier) {
                                                            return earlier.program[c] && *earlier.program[c] <= *note;
                                                        });
                channels[c] = channels[c] || !selectedBefore;
            }
        return channels;
    }

    // The most notes sounding at once: the tracks as written, merged by their ticks. A note counts
    // from its note-on until 0.3 s after its note-off, while it dies away; a note-on of a
    // key that is already down counts again, as the synth sounds it again.
    int notesAtOnce(std::size_t tracks) const
    {
        struct Cursor {
            std::size_t at, end;
            std::uint64_t tick;
        };
        const auto later = [](const Cursor &a, const Cursor &b) { return a.tick > b.tick; };
        const std::span<const char> written(tracks_);
        const auto delta = [&written](std::size_t &at) {
            std::uint64_t value = 0;
            for (unsigned char b = 0x80; b & 0x80;) {
                b = static_cast<unsigned char>(written[at++]);
                value = value << 7 | (b & 0x7f);
            }
            return value;
        };
        std::priority_queue<Cursor, std::vector<Cursor>, decltype(later)> next(later);
        for (std::size_t at = 0, track = 0; track < tracks; ++track) {
            const std::size_t end = at + 8 + bigEndian(&written[at + 4], 4);
            Cursor cursor{at + 8, end, 0};
            cursor.tick = delta(cursor.at);
            next.push(cursor);
            at = end;
        }
        std::array<std::array<int, 128>, 16> down{};
        // The ticks at which released notes fall silent.
        std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> silent;
        std::uint32_t tempo = timeCode_ ? 1000000 : 500000;
        int sounding = 0, most = 0;
        while (!next.empty()) {
            Cursor cursor = next.top();
            next.pop();
            for (; !silent.empty() && silent.top() <= cursor.tick; silent.pop())
                --sounding;
            const auto status = static_cast<unsigned char>(written[cursor.at]);
            if (status == 0xff && written[cursor.at + 1] == 0x2f)
                continue;
            std::size_t length = 3;
            if (status == 0xf0 || status == 0xff) {
                std::size_t at = cursor.at + (status == 0xff ? 2 : 1);
                const auto size = delta(at);
                if (status == 0xff && written[cursor.at + 1] == 0x51)
                    tempo = std::max<std::uint32_t>(bigEndian(&written[at], 3), 1);
                length = at - cursor.at + size;
            } else if ((status & 0xe0) == 0xc0) {
                length = 2;
            } else if ((status & 0xe0) == 0x80) {
                int &key = down[status & 0x0f][static_cast<unsigned char>(written[cursor.at + 1]) & 0x7f];
                if ((status & 0xf0) == 0x90 && written[cursor.at + 2] != 0) {
                    ++key;
                    most = std::max(most, ++sounding);
                } else if (key > 0) {
                    --key;
                    silent.push(cursor.tick + static_cast<std::uint64_t>(0.3e6 * division_ / tempo));
                }
            }
            cursor.at += length;
            cursor.tick += delta(cursor.at);
            next.push(cursor);
        }
        return most;
    }

    // How long the song lasts, at the tempos noted (half a second a quarter note until the first).
    double microseconds() const
    {
        double total = 0;
        std::uint64_t tick = 0;
        std::uint32_t tempo = 500000;
        for (const auto &[at, next] : tempos_) {
            if (at >= end_)
                break;
            total += static_cast<double>(at - tick) * tempo / division_;
            tick = at;
            tempo = next;
        }
        return total + static_cast<double>(end_ - tick) * tempo / division_;
    }

    std::span<const char> bytes_;
    std::size_t at_ = 0;
    std::uint32_t division_ = 0;
    bool timeCode_ = false;
    std::map<std::uint64_t, std::uint32_t> tempos_;
    std::uint64_t end_ = 0;
    std::vector<char> tracks_;
    std::vector<char> track_;
    struct Firsts {
        std::array<std::optional<std::uint64_t>, 16> program, note;
        std::array<bool, 16> selectedFirst{};
    };
    std::vector<Firsts> firsts_;
    std::uint64_t written_ = 0;
};

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

Song readSong(std::span<const char> bytes)
{
    return SongReader(bytes).read();
}

std::string songError(std::span<const char> bytes)
{
    return readSong(bytes).error;
}

}  // namespace morvik::audio
