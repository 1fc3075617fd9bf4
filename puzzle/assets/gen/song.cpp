// The background song, a Standard MIDI File in F major, 4/4 at 700 000 microseconds a quarter
// note: a bar lasts 2.8 s, so the game's loop point of 86.8 s falls on the start of bar 32.
// Bars 32 and 33 repeat the two opening bars, so the restart at the loop point is seamless.
#include "generators.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <map>

namespace morvik::assetgen {

namespace {

constexpr int quarter = 480, eighth = quarter / 2, bar = 4 * quarter;
constexpr int loopBar = 31;  // the bars before the loop point
constexpr int bars = loopBar + 2;

enum Channel { Melody = 0, Keys = 1, Bass = 2, Strings = 3, Drums = 9 };

struct Event {
    int tick;
    int order;  // note-offs before note-ons at the same tick
    QByteArray bytes;
};

class Track {
public:
    void note(int channel, int tick, int length, int key, int velocity)
    {
        events_.push_back({tick, 1, message(0x90 | channel, key, velocity)});
        events_.push_back({tick + length, 0, message(0x80 | channel, key, 0)});
    }
    void raw(int tick, const QByteArray &bytes) { events_.push_back({tick, 0, bytes}); }

    QByteArray chunk(int end)
    {
        std::stable_sort(events_.begin(), events_.end(), [](const Event &a, const Event &b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        QByteArray data;
        int now = 0;
        for (const Event &e : events_) {
            data += variableLength(e.tick - now) + e.bytes;
            now = e.tick;
        }
        data += variableLength(std::max(end - now, 0)) + QByteArray("\xFF\x2F\x00", 3);
        return "MTrk" + bigEndian(quint32(data.size()), 4) + data;
    }

    static QByteArray message(int status, int first, int second)
    {
        return QByteArray(1, char(status)) + char(first) + char(second);
    }
    static QByteArray bigEndian(quint32 value, int bytes)
    {
        QByteArray out;
        for (int i = bytes - 1; i >= 0; --i)
            out += char((value >> (8 * i)) & 0xFF);
        return out;
    }

private:
    static QByteArray variableLength(int value)
    {
        QByteArray out(1, char(value & 0x7F));
        while ((value >>= 7) > 0)
            out.prepend(char(0x80 | (value & 0x7F)));
        return out;
    }
    std::vector<Event> events_;
};

int key(const QString &name)
{
    static const std::map<QChar, int> steps = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5}, {'G', 7}, {'A', 9}, {'B', 11}};
    int k = steps.at(name[0]);
    int i = 1;
    if (name[i] == 'b') {
        --k;
        ++i;
    }
    return 12 * (name.mid(i).toInt() + 1) + k;
}

// Chords of every bar; "Gm C" splits the bar in two halves.
const QStringList chords = {
    "F", "Bb",                                     // opening
    "F", "Dm", "Bb", "C", "F", "Dm", "Gm C", "F",  // theme
    "F", "Am", "Bb", "C", "Dm", "Bb", "Gm C", "F", // theme again, with strings
    "Dm", "Am", "Bb", "F", "Gm", "Dm", "Eb", "C7", // bridge
    "F", "Dm", "Bb C", "F",                        // last theme
    "C7",                                          // turn back to the opening
    "F", "Bb",                                     // the opening once more, past the loop point
};

// The tune, bar by bar, as note:eighths; "r" is a rest.
const QStringList melody = {
    "r:8", "r:8",
    "C5:2 F5:2 A5:3 G5:1", "F5:2 D5:2 A4:3 D5:1", "D5:3 C5:1 Bb4:2 D5:2", "G4:2 C5:2 E5:4",
    "A5:3 G5:1 F5:2 C5:2", "D5:2 F5:2 A5:2 G5:2", "Bb5:2 A5:1 G5:1 E5:2 G5:2", "F5:6 r:2",
    "A5:2 G5:1 F5:1 C5:2 F5:2", "E5:3 C5:1 A4:2 C5:2", "D5:2 F5:2 Bb5:3 A5:1", "G5:4 E5:2 C5:2",
    "F5:2 E5:1 D5:1 A5:3 F5:1", "D5:3 F5:1 Bb4:4", "G4:2 Bb4:2 E5:2 G5:2", "F5:4 r:2 C5:2",
    "A4:4 D5:2 F5:2", "E5:6 C5:2", "D5:4 F5:2 D5:2", "C5:6 A4:2",
    "Bb4:4 D5:2 G5:2", "F5:4 A5:2 F5:2", "G5:4 Eb5:2 Bb4:2", "C5:2 E5:2 G5:2 Bb5:2",
    "A5:3 G5:1 F5:2 C5:2", "D5:2 F5:2 A5:2 G5:2", "F5:2 D5:2 E5:2 G5:2", "F5:6 r:2",
    "Bb4:2 C5:2 E5:2 G5:2",
    "r:8", "r:8",
};

// Root, third, fifth and, for a seventh chord, the seventh; root in octave 3.
QList<int> chordKeys(const QString &name)
{
    const bool seventh = name.endsWith('7');
    const QString root = QString(name).remove('m').remove('7');
    const int base = key(root + "3");
    QList<int> keys = {base, base + (name.contains('m') ? 3 : 4), base + 7};
    if (seventh)
        keys.append(base + 10);
    return keys;
}

void drums(Track &t, int barIndex)
{
    const int start = barIndex * bar;
    const bool opening = barIndex < 2 || barIndex >= loopBar;
    const bool bridge = barIndex >= 18 && barIndex < 26;
    if (barIndex == 2 || barIndex == 10 || barIndex == 18 || barIndex == 26)
        t.note(Drums, start, quarter, 49, 70);
    for (int e = 0; e < 8; ++e) {
        const int at = start + e * eighth;
        if (bridge) {
            if (e % 2 == 0)
                t.note(Drums, at, eighth, 51, e == 0 ? 62 : 48);
        } else {
            t.note(Drums, at, eighth, 42, e % 2 == 0 ? 52 : 34);
        }
    }
    t.note(Drums, start, eighth, 36, 74);
    t.note(Drums, start + 2 * quarter, eighth, 36, 66);
    if (opening)
        return;
    if (barIndex == loopBar - 1) {
        for (int e = 4; e < 8; ++e)
            t.note(Drums, start + e * eighth, eighth, 38, 44 + 10 * (e - 4));
        return;
    }
    t.note(Drums, start + 5 * eighth, eighth, 36, 52);
    t.note(Drums, start + 3 * quarter, eighth, 37, 58);
    if (!bridge)
        t.note(Drums, start + quarter, eighth, 37, 58);
}

}  // namespace

QByteArray song()
{
    Track conductor;
    conductor.raw(0, QByteArray("\xFF\x03\x06Morvik", 9));
    conductor.raw(0, QByteArray("\xFF\x58\x04\x04\x02\x18\x08", 7));
    conductor.raw(0, QByteArray("\xFF\x51\x03", 3) + Track::bigEndian(700000, 3));
    conductor.raw(0, QByteArray("\xFF\x59\x02\xFF\x00", 5));

    // General MIDI voices: flute, electric piano, acoustic bass, string ensemble.
    const struct {
        Channel channel;
        int program, volume, pan;
    } voices[] = {{Melody, 73, 100, 64}, {Keys, 4, 84, 46}, {Bass, 32, 100, 64}, {Strings, 48, 64, 84}};
    Track music;
    for (const auto &v : voices) {
        music.raw(0, QByteArray(1, char(0xC0 | v.channel)) + char(v.program));
        music.raw(0, Track::message(0xB0 | v.channel, 7, v.volume));
        music.raw(0, Track::message(0xB0 | v.channel, 10, v.pan));
        music.raw(0, Track::message(0xB0 | v.channel, 91, 48));
    }
    music.raw(0, QByteArray(1, char(0xC0 | Drums)) + char(songKitProgram));
    music.raw(0, Track::message(0xB0 | Drums, 7, 90));

    for (int b = 0; b < bars; ++b) {
        const int start = b * bar;
        const QStringList halves = chords[b].split(' ');
        const int part = bar / int(halves.size());
        for (int h = 0; h < halves.size(); ++h) {
            const QList<int> c = chordKeys(halves[h]);
            const int at = start + h * part;
            // Electric piano: a rolling figure over the chord.
            const int figure[] = {c[0], c[2], c[0] + 12, c[1] + 12, c[2] + 12, c[1] + 12, c[0] + 12, c[2]};
            for (int e = 0; e < part / eighth; ++e)
                music.note(Keys, at + e * eighth, eighth + eighth / 2, figure[e], e % 2 == 0 ? 62 : 50);
            // Bass: root, root again, then the fifth or the octave.
            const int root = c[0] - 12;
            music.note(Bass, at, 3 * eighth - 20, root, 90);
            music.note(Bass, at + 3 * eighth, eighth - 20, root, 70);
            if (part == bar) {
                music.note(Bass, at + 4 * eighth, 2 * eighth - 20, root + 7, 80);
                music.note(Bass, at + 6 * eighth, 2 * eighth - 20, b == loopBar - 1 ? root + 10 : root + 12, 74);
            }
            // Strings hold the chord through the middle of the song.
            if (b >= 10 && b < loopBar)
                for (int k : c.mid(0, 3))
                    music.note(Strings, at, part - 10, k + 12, 52);
        }
        drums(music, b);

        int at = start;
        for (const QString &token : melody[b].split(' ')) {
            const QStringList parts = token.split(':');
            const int length = parts[1].toInt() * eighth;
            if (parts[0] != "r")
                music.note(Melody, at, length - 30, key(parts[0]), (at - start) % (2 * quarter) == 0 ? 88 : 78);
            at += length;
        }
    }

    const int end = bars * bar;
    QByteArray file = "MThd" + Track::bigEndian(6, 4) + Track::bigEndian(1, 2) + Track::bigEndian(2, 2)
                      + Track::bigEndian(quarter, 2);
    return file + conductor.chunk(end) + music.chunk(end);
}

}  // namespace morvik::assetgen
