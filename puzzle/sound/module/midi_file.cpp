#include "midi_file.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <queue>

namespace morvik::audio {

namespace {

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

// An event of a track as read: a channel message, a SysEx message (its bytes in the reader's
// sysex) or a tempo.
struct TrackEvent {
    static constexpr std::uint8_t Tempo = 0xff;
    std::uint64_t tick = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    // The tempo, or where the SysEx bytes begin.
    std::uint32_t value = 0;
    std::uint32_t size = 0;
};

struct Track {
    std::vector<TrackEvent> events;
    // The tick of its End of Track, or of where it was cut short.
    std::uint64_t end = 0;
};

// Turns ticks into time at the song's tempos (half a second a quarter note until the first), for
// ticks that come in order.
class TempoClock {
public:
    TempoClock(const std::map<std::uint64_t, std::uint32_t> &tempos, std::uint32_t division)
        : next_(tempos.begin()), last_(tempos.end()), division_(division)
    {
    }

    double microsecondAt(std::uint64_t tick)
    {
        for (; next_ != last_ && next_->first < tick; ++next_) {
            total_ += since(next_->first);
            from_ = next_->first;
            tempo_ = next_->second;
        }
        return total_ + since(tick);
    }

private:
    double since(std::uint64_t tick) const { return static_cast<double>(tick - from_) * tempo_ / division_; }

    std::map<std::uint64_t, std::uint32_t>::const_iterator next_, last_;
    std::uint32_t division_;
    double total_ = 0;
    std::uint64_t from_ = 0;
    std::uint32_t tempo_ = 500000;
};

// Reads a song's tracks into their events, forgiving what players and sequencers forgive; the
// song is then written again from those events, and they are what it is played and measured by.
class SongReader {
public:
    explicit SongReader(std::span<const char> bytes) : bytes_(bytes) {}

    Song read()
    {
        Song song;
        song.error = readChunks();
        if (song.error.empty() && (tracks_.empty() || division_ == 0))
            song.error = NotMidi;
        if (!song.error.empty())
            return song;
        timeline(song);
        if (static_cast<double>(song.lengthMicroseconds) > MaxSongMicroseconds) {
            song.error = "longer than an hour";
            return song;
        }
        song.standard = standardFile();
        song.sysex = sysex_;
        song.notesAtOnce = notesAtOnce(song.events);
        song.startsOnDefault = startsOnDefault();
        return song;
    }

private:
    // The header, then each track; what follows the last chunk is not read. A chunk whose length
    // runs past the file's end is cut there.
    std::string readChunks()
    {
        if (bytes_.size() < 14 || std::memcmp(bytes_.data(), "MThd", 4) != 0 || bigEndian(&bytes_[4], 4) < 6)
            return NotMidi;
        division_ = bigEndian(&bytes_[12], 2);
        // Time code: that many ticks a second, played as a quarter note a second.
        if (division_ & 0x8000) {
            division_ = (0x100 - (division_ >> 8)) * (division_ & 0xff);
            timeCode_ = true;
            tempos_[0] = 1000000;
        }
        std::uint64_t at = 8 + std::uint64_t{bigEndian(&bytes_[4], 4)};
        while (chunkAt(bytes_, at)) {
            const std::uint64_t start = at + 8, end = start + bigEndian(&bytes_[at + 4], 4);
            if (std::memcmp(&bytes_[at], "MTrk", 4) != 0) {
                at = end;
                continue;
            }
            if (tracks_.size() == MaxTracks)
                return "more than " + std::to_string(MaxTracks) + " tracks";
            const auto stop = readTrack(start, end, tracks_.empty());
            if (!stop)
                return NotMidi;
            // A track that runs on past its length goes on to its End of Track.
            at = end >= bytes_.size() || chunkAt(bytes_, end) ? end : *stop;
        }
        return {};
    }

    enum class Read { Next, Last, CutOff };

    // Reads one track from `start`, up to its End of Track, its length's end where another chunk
    // begins, a byte that is no event, or the file's end; returns where it stopped, or nothing if
    // an event is cut off by the end of the file.
    std::optional<std::uint64_t> readTrack(std::uint64_t start, std::uint64_t end, bool first)
    {
        at_ = start;
        tick_ = 0;
        status_ = 0;
        Track track;
        if (first && timeCode_)
            track.events.push_back({0, TrackEvent::Tempo, 0, 0, 1000000});
        Read read = Read::Next;
        while (read == Read::Next && !atTrackEnd(end))
            read = readEvent(track);
        if (read == Read::CutOff)
            return std::nullopt;
        track.end = tick_;
        tracks_.push_back(std::move(track));
        return at_;
    }

    // At the file's end, or at the length's end where the file ends or another chunk begins.
    bool atTrackEnd(std::uint64_t end) const
    {
        return at_ >= bytes_.size() || (at_ >= end && (end >= bytes_.size() || chunkAt(bytes_, end)));
    }

    // One event with its delta time. The track ends at End of Track, or where no event begins.
    Read readEvent(Track &track)
    {
        const auto delta = number();
        if (!delta)
            return Read::Last;
        tick_ += *delta;
        const auto lead = byte();
        if (!lead)
            return Read::CutOff;
        // Running status: a data byte repeats the last channel message's status, across any meta
        // or SysEx event between.
        if (!(*lead & 0x80)) {
            if (!status_)
                return Read::Last;
            --at_;
            return readChannelMessage(status_, track);
        }
        if (*lead < 0xf0) {
            status_ = *lead;
            return readChannelMessage(*lead, track);
        }
        if (*lead == 0xf0 || *lead == 0xf7)
            return readSysEx(*lead, track);
        if (*lead == 0xff)
            return readMeta(track);
        return Read::Last;
    }

    Read readChannelMessage(std::uint8_t status, Track &track)
    {
        const std::uint32_t size = (status & 0xe0) == 0xc0 ? 1 : 2;
        const auto data = take(size);
        if (!data)
            return Read::CutOff;
        const auto data1 = static_cast<std::uint8_t>((*data)[0]);
        const auto data2 = static_cast<std::uint8_t>(size == 2 ? (*data)[1] : 0);
        track.events.push_back({tick_, status, data1, data2});
        return Read::Next;
    }

    // A SysEx message is kept; an escape (F7), which may carry anything, is left out.
    Read readSysEx(std::uint8_t status, Track &track)
    {
        const auto size = number();
        const auto data = size ? take(*size) : std::nullopt;
        if (!data)
            return Read::CutOff;
        if (status == 0xf0) {
            track.events.push_back({tick_, 0xf0, 0, 0, static_cast<std::uint32_t>(sysex_.size()), *size});
            sysex_.insert(sysex_.end(), data->begin(), data->end());
        }
        return Read::Next;
    }

    // Of the meta events only the tempo is kept, and only where the ticks are not time code.
    Read readMeta(Track &track)
    {
        const auto type = byte();
        const auto size = type ? number() : std::nullopt;
        const auto data = size ? take(*size) : std::nullopt;
        if (!data)
            return Read::CutOff;
        if (*type == 0x2f)
            return Read::Last;
        if (*type == 0x51 && *size == 3 && !timeCode_) {
            const std::uint32_t tempo = bigEndian(data->data(), 3);
            tempos_[tick_] = tempo;
            track.events.push_back({tick_, TrackEvent::Tempo, 0, 0, tempo});
        }
        return Read::Next;
    }

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

    // Every track's events but the tempos, merged as a player plays them, with their times.
    void timeline(Song &song) const
    {
        std::vector<const TrackEvent *> merged;
        std::uint64_t end = 0;
        for (const Track &track : tracks_) {
            for (const TrackEvent &event : track.events)
                if (event.status != TrackEvent::Tempo)
                    merged.push_back(&event);
            end = std::max(end, track.end);
        }
        std::stable_sort(merged.begin(), merged.end(), [](const TrackEvent *a, const TrackEvent *b) { return a->tick < b->tick; });
        TempoClock clock(tempos_, division_);
        song.events.reserve(merged.size());
        for (const TrackEvent *event : merged) {
            SongEvent played{static_cast<std::uint64_t>(clock.microsecondAt(event->tick)), event->status, event->data1, event->data2};
            if (event->status == 0xf0) {
                // The synth takes the message without its closing F7.
                const bool closed = event->size > 0 && sysex_[event->value + event->size - 1] == 0xf7;
                played.sysexAt = event->value;
                played.sysexSize = event->size - (closed ? 1 : 0);
            }
            song.events.push_back(played);
        }
        song.lengthMicroseconds = static_cast<std::uint64_t>(clock.microsecondAt(end));
    }

    std::vector<char> standardFile() const
    {
        std::vector<char> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
        putBigEndian(file, static_cast<std::uint32_t>(tracks_.size()), 2);
        putBigEndian(file, division_, 2);
        for (const Track &track : tracks_) {
            std::vector<char> written;
            std::uint64_t tick = 0;
            for (const TrackEvent &event : track.events) {
                putDelta(written, tick, event.tick);
                putEvent(written, event);
            }
            putDelta(written, tick, track.end);
            written.insert(written.end(), {'\xff', '\x2f', '\x00'});
            file.insert(file.end(), {'M', 'T', 'r', 'k'});
            putBigEndian(file, static_cast<std::uint32_t>(written.size()), 4);
            file.insert(file.end(), written.begin(), written.end());
        }
        return file;
    }

    // The wait from `written` to `tick`; longer waits than a quantity holds pass through empty
    // markers.
    static void putDelta(std::vector<char> &out, std::uint64_t &written, std::uint64_t tick)
    {
        std::uint64_t delta = tick - written;
        for (; delta > 0x0fffffff; delta -= 0x0fffffff)
            putNumber(out, 0x0fffffff), out.insert(out.end(), {'\xff', '\x06', '\x00'});
        putNumber(out, static_cast<std::uint32_t>(delta));
        written = tick;
    }

    void putEvent(std::vector<char> &out, const TrackEvent &event) const
    {
        if (event.status == TrackEvent::Tempo) {
            out.insert(out.end(), {'\xff', '\x51', '\x03'});
            putBigEndian(out, event.value, 3);
        } else if (event.status == 0xf0) {
            out.push_back('\xf0');
            putNumber(out, event.size);
            out.insert(out.end(), sysex_.begin() + event.value, sysex_.begin() + event.value + event.size);
        } else {
            out.insert(out.end(), {static_cast<char>(event.status), static_cast<char>(event.data1)});
            if ((event.status & 0xe0) != 0xc0)
                out.push_back(static_cast<char>(event.data2));
        }
    }

    // The most notes sounding at once. A note counts from its note-on until 0.3 s after its
    // note-off, while it dies away; a note-on of a key that is already down counts again, as the
    // synth sounds it again.
    static int notesAtOnce(const std::vector<SongEvent> &events)
    {
        std::array<std::array<int, 128>, 16> down{};
        // When released notes fall silent.
        std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> silent;
        int sounding = 0, most = 0;
        for (const SongEvent &event : events) {
            for (; !silent.empty() && silent.top() <= event.microsecond; silent.pop())
                --sounding;
            const int type = event.status & 0xf0;
            if (type != 0x80 && type != 0x90)
                continue;
            int &key = down[event.status & 0x0f][event.data1 & 0x7f];
            if (type == 0x90 && event.data2 != 0) {
                ++key;
                most = std::max(most, ++sounding);
            } else if (key > 0) {
                --key;
                silent.push(event.microsecond + 300000);
            }
        }
        return most;
    }

    // Where in a track each channel first selects a program and first sounds a note.
    struct Firsts {
        std::array<std::optional<std::uint64_t>, 16> program, note;
        std::array<bool, 16> selectedFirst{};
    };

    static Firsts firstsOf(const Track &track)
    {
        Firsts firsts;
        for (const TrackEvent &event : track.events) {
            const int type = event.status & 0xf0, channel = event.status & 0x0f;
            if (event.status >= 0xf0)
                continue;
            if (type == 0xc0 && !firsts.program[channel])
                firsts.program[channel] = event.tick;
            if (type == 0x90 && event.data2 != 0 && !firsts.note[channel]) {
                firsts.note[channel] = event.tick;
                firsts.selectedFirst[channel] = firsts.program[channel].has_value();
            }
        }
        return firsts;
    }

    std::array<bool, 16> startsOnDefault() const
    {
        std::vector<Firsts> tracks;
        for (const Track &track : tracks_)
            tracks.push_back(firstsOf(track));
        std::array<bool, 16> channels{};
        for (std::size_t t = 0; t < tracks.size(); ++t)
            for (int c = 0; c < 16; ++c) {
                const auto &note = tracks[t].note[c];
                if (!note || tracks[t].selectedFirst[c])
                    continue;
                const bool selectedBefore = std::any_of(tracks.begin(), tracks.begin() + static_cast<std::ptrdiff_t>(t),
                                                        [&](const Firsts &earlier) {
                                                            return earlier.program[c] && *earlier.program[c] <= *note;
                                                        });
                channels[c] = channels[c] || !selectedBefore;
            }
        return channels;
    }

    std::span<const char> bytes_;
    std::size_t at_ = 0;
    std::uint64_t tick_ = 0;
    unsigned char status_ = 0;
    std::uint32_t division_ = 0;
    bool timeCode_ = false;
    std::map<std::uint64_t, std::uint32_t> tempos_;
    std::vector<Track> tracks_;
    std::vector<std::uint8_t> sysex_;
};

}  // namespace

Song readSong(std::span<const char> bytes)
{
    return SongReader(bytes).read();
}

std::string songError(std::span<const char> bytes)
{
    return readSong(bytes).error;
}

}  // namespace morvik::audio
