#include <QFile>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace {

QByteArray soundFile(const QString &name)
{
    QFile file(QStringLiteral(MORVIK_SOUND_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 little(const QByteArray &data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | quint8(data[at + i]);
    return value;
}

quint32 big(const QByteArray &data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | quint8(data[at + i]);
    return value;
}

struct Wave {
    int channels = 0, rate = 0, bits = 0, format = 0;
    QList<qint16> samples;  // interleaved
};

std::optional<Wave> readWave(const QByteArray &data)
{
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "WAVE")
        return std::nullopt;
    Wave wave;
    for (qsizetype at = 12; at + 8 <= data.size();) {
        const QByteArray id = data.mid(at, 4);
        const qsizetype size = little(data, at + 4, 4);
        if (at + 8 + size > data.size())
            return std::nullopt;
        if (id == "fmt ") {
            wave.format = int(little(data, at + 8, 2));
            wave.channels = int(little(data, at + 10, 2));
            wave.rate = int(little(data, at + 12, 4));
            wave.bits = int(little(data, at + 22, 2));
        } else if (id == "data") {
            for (qsizetype i = 0; i + 1 < size; i += 2)
                wave.samples.append(qint16(little(data, at + 8 + i, 2)));
        }
        at += 8 + size + (size & 1);
    }
    return wave;
}

// The notes and the timing of a Standard MIDI File, as far as this test needs them.
struct Song {
    int division = 0;
    std::map<quint32, quint32> tempos;  // tick -> microseconds per quarter note
    std::map<quint32, std::pair<int, int>> meters;  // tick -> numerator, denominator
    QList<std::tuple<quint32, int, int, int>> noteOns;  // tick, channel, key, velocity
    QList<int> programmedChannels;
    quint32 lastTick = 0;

    double seconds(quint32 tick) const
    {
        double total = 0;
        quint32 from = 0, tempo = 500000;
        for (const auto &[at, microseconds] : tempos) {
            if (at >= tick)
                break;
            total += double(at - from) * tempo / division / 1e6;
            from = at;
            tempo = microseconds;
        }
        return total + double(tick - from) * tempo / division / 1e6;
    }
};

std::optional<Song> readSong(const QByteArray &data)
{
    if (data.size() < 14 || !data.startsWith("MThd") || big(data, 4, 4) != 6)
        return std::nullopt;
    Song song;
    const int tracks = int(big(data, 10, 2));
    song.division = int(big(data, 12, 2));
    if (song.division <= 0 || song.division >= 0x8000)
        return std::nullopt;
    qsizetype at = 14;
    for (int t = 0; t < tracks; ++t) {
        if (at + 8 > data.size() || data.mid(at, 4) != "MTrk")
            return std::nullopt;
        const qsizetype end = at + 8 + big(data, at + 4, 4);
        if (end > data.size())
            return std::nullopt;
        at += 8;
        quint32 tick = 0;
        int status = 0;
        bool ended = false;
        const auto number = [&]() {
            quint32 value = 0;
            for (int i = 0; i < 4 && at < end; ++i) {
                const quint8 byte = quint8(data[at++]);
                value = (value << 7) | (byte & 0x7F);
                if (!(byte & 0x80))
                    break;
            }
            return value;
        };
        while (at < end && !ended) {
            tick += number();
            if (quint8(data[at]) & 0x80)
                status = quint8(data[at++]);
            if (status == 0xFF) {
                const int type = quint8(data[at++]);
                const quint32 length = number();
                if (at + length > end)
                    return std::nullopt;
                if (type == 0x51)
                    song.tempos[tick] = big(data, at, 3);
                else if (type == 0x58)
                    song.meters[tick] = {quint8(data[at]), 1 << quint8(data[at + 1])};
                ended = type == 0x2F;
                at += length;
                status = 0;
            } else if (status == 0xF0 || status == 0xF7) {
                at += number();
                status = 0;
            } else {
                const int kind = status & 0xF0, channel = status & 0x0F;
                const int dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                if (kind < 0x80 || at + dataBytes > end)
                    return std::nullopt;
                if (kind == 0x90 && data[at + 1] != 0)
                    song.noteOns.append({tick, channel, int(data[at]), int(data[at + 1])});
                if (kind == 0xC0)
                    song.programmedChannels.append(channel);
                at += dataBytes;
            }
            song.lastTick = std::max(song.lastTick, tick);
        }
        if (!ended)
            return std::nullopt;
        at = end;
    }
    return song;
}

}  // namespace

class TestSounds : public QObject {
    Q_OBJECT

private slots:
    void waves_data();
    void waves();
    void wavesDiffer();
    void songParsesWithGeneralMidiParts();
    void songLoopPointLiesOnABarLine();
    void songRepeatsItsOpeningAfterTheLoopPoint();
};

void TestSounds::waves_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("longestMs");
    QTest::newRow("move") << "move.wav" << 150;
    QTest::newRow("pick and put") << "no.wav" << 200;
    QTest::newRow("correct piece") << "Yes.wav" << 500;
    QTest::newRow("completion") << "done.wav" << 2500;
}

void TestSounds::waves()
{
    QFETCH(QString, name);
    QFETCH(int, longestMs);
    const std::optional<Wave> wave = readWave(soundFile(name));
    QVERIFY2(wave, "not a wave file");
    QCOMPARE(wave->format, 1);
    QCOMPARE(wave->channels, 2);
    QCOMPARE(wave->rate, 44100);
    QCOMPARE(wave->bits, 16);
    const qsizetype frames = wave->samples.size() / 2;
    QVERIFY(frames > 0);
    const double ms = 1000.0 * double(frames) / 44100;
    QVERIFY2(ms < longestMs, qPrintable(QString::number(ms)));

    int peak = 0;
    for (qint16 s : wave->samples)
        peak = std::max(peak, std::abs(int(s)));
    const double dbfs = 20 * std::log10(peak / 32768.0);
    qInfo("%s: %.0f ms, peak %.2f dBFS", qPrintable(name), ms, dbfs);
    QVERIFY2(dbfs >= -6 && dbfs <= -1, qPrintable(QString::number(dbfs)));

    // Both ends fade: the first and last samples are silent and the first and last two
    // milliseconds stay well below the peak.
    const qsizetype edge = 2 * 88;
    for (qsizetype i = 0; i < edge; ++i) {
        const int limit = 2 + int(peak * (i / 2 + 1) / 88 * 0.6);
        QVERIFY2(std::abs(int(wave->samples[i])) <= limit, qPrintable(QString("start, sample %1").arg(i)));
        QVERIFY2(std::abs(int(wave->samples[wave->samples.size() - 1 - i])) <= limit,
                 qPrintable(QString("end, sample %1").arg(i)));
    }
}

// Each cue is its own sound: the levels of their first hundred milliseconds, in slices of
// five, must not match closely between any two of them.
void TestSounds::wavesDiffer()
{
    const QStringList names = {"move.wav", "no.wav", "Yes.wav", "done.wav"};
    QList<QList<double>> shapes;
    for (const QString &name : names) {
        const std::optional<Wave> wave = readWave(soundFile(name));
        QVERIFY(wave);
        QList<double> shape;
        for (int slice = 0; slice < 20; ++slice) {
            double sum = 0;
            for (int i = slice * 441; i < (slice + 1) * 441; ++i)
                sum += i < wave->samples.size() ? std::abs(double(wave->samples[i])) : 0;
            shape.append(sum / 441);
        }
        shapes.append(shape);
    }
    for (int a = 0; a < names.size(); ++a)
        for (int b = a + 1; b < names.size(); ++b) {
            double difference = 0;
            for (int i = 0; i < 20; ++i)
                difference += std::abs(shapes[a][i] - shapes[b][i]);
            QVERIFY2(difference / 20 > 300, qPrintable(names[a] + " and " + names[b]));
        }
}

void TestSounds::songParsesWithGeneralMidiParts()
{
    const std::optional<Song> song = readSong(soundFile("ST.Mid"));
    QVERIFY2(song, "ST.Mid is not a Standard MIDI File");
    QSet<int> channels;
    for (const auto &[tick, channel, key, velocity] : song->noteOns)
        channels.insert(channel);
    QVERIFY2(channels.contains(9), "no drums on channel 10");
    QVERIFY2(channels.size() >= 4, "melody, harmony, bass and drums");
    for (int channel : channels)
        QVERIFY2(channel == 9 || song->programmedChannels.contains(channel),
                 qPrintable(QString("channel %1 has no instrument").arg(channel + 1)));
    const double length = song->seconds(song->lastTick);
    qInfo("ST.Mid: %lld notes, %.2f s", qlonglong(song->noteOns.size()), length);
    QVERIFY2(length >= 88.3, qPrintable(QString::number(length)));
}

void TestSounds::songLoopPointLiesOnABarLine()
{
    const std::optional<Song> song = readSong(soundFile("ST.Mid"));
    QVERIFY(song);
    // Walk the bars from the start, following the changes of tempo and meter.
    quint32 tick = 0;
    std::pair<int, int> meter = {4, 4};
    while (song->seconds(tick) < 86.8 - 1e-9) {
        const auto m = song->meters.upper_bound(tick);
        if (m != song->meters.begin())
            meter = std::prev(m)->second;
        tick += quint32(song->division * 4 * meter.first / meter.second);
    }
    QVERIFY2(std::abs(song->seconds(tick) - 86.8) < 1e-6,
             qPrintable(QString("the nearest bar line after it is at %1 s").arg(song->seconds(tick), 0, 'f', 6)));
}

// What follows the loop point sounds like the opening, so the restart is seamless.
void TestSounds::songRepeatsItsOpeningAfterTheLoopPoint()
{
    const std::optional<Song> song = readSong(soundFile("ST.Mid"));
    QVERIFY(song);
    quint32 loop = 0;
    while (song->seconds(loop) < 86.8 - 1e-9)
        ++loop;
    QList<std::tuple<quint32, int, int, int>> opening, afterLoop;
    for (const auto &[tick, channel, key, velocity] : song->noteOns)
        if (tick >= loop)
            afterLoop.append({tick - loop, channel, key, velocity});
    const quint32 span = afterLoop.isEmpty() ? 0 : std::get<0>(*std::max_element(afterLoop.begin(), afterLoop.end()));
    for (const auto &note : song->noteOns)
        if (std::get<0>(note) <= span)
            opening.append(note);
    QVERIFY(!afterLoop.isEmpty());
    std::sort(opening.begin(), opening.end());
    std::sort(afterLoop.begin(), afterLoop.end());
    QCOMPARE(afterLoop, opening);
}

QTEST_GUILESS_MAIN(TestSounds)
#include "tst_sounds.moc"
