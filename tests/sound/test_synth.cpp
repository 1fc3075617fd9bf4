// The synth on its own: it renders at half the device's rate and doubles its frames, so a
// song must come out the same however the device cuts its buffers, and at the device's pitch.
#include "fixtures.h"
#include "synth.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

using morvik::audio::Synth;

class TestSynth : public QObject {
    Q_OBJECT

    // The whole song, written in buffers of the given sizes in turn.
    std::vector<std::int16_t> render(const std::vector<int> &sizes,
                                     const QByteArray &song = fixtures::song({{0, 300}, {400, 700}}, 800))
    {
        const morvik::audio::Song read = morvik::audio::readSong({song.constData(), std::size_t(song.size())});
        const auto synth = morvik::audio::synthFor(read);
        if (!synth)
            return {};
        return play(*synth, read, sizes);
    }

    // The song from its start until the synth falls silent.
    static std::vector<std::int16_t> play(Synth &synth, const morvik::audio::Song &read, const std::vector<int> &sizes)
    {
        synth.start(&read, synth);
        std::vector<std::int16_t> out;
        for (std::size_t i = 0; synth.songRunning() || synth.sounding(); ++i) {
            const int frames = sizes[i % sizes.size()];
            out.resize(out.size() + std::size_t(frames) * 2);
            synth.write(out.data() + out.size() - std::size_t(frames) * 2, frames);
        }
        return out;
    }

private slots:
    void theSameSongHoweverTheBuffersAreCut()
    {
        const auto whole = render({2048});
        QVERIFY(whole.size() > 44100 * 2 * 8 / 10);
        for (const std::vector<int> &sizes : {std::vector<int>{1}, {3, 1}, {1023, 5, 2048}, {4096}}) {
            auto cut = render(sizes);
            // Each run renders until the synth falls silent; what both have is compared.
            const std::size_t common = std::min(cut.size(), whole.size());
            QVERIFY2(common + 2 * 4096 >= whole.size(), qPrintable(QString::number(sizes.front())));
            cut.resize(common);
            QVERIFY2(std::equal(cut.begin(), cut.end(), whole.begin()), qPrintable(QString::number(sizes.front())));
        }
    }

    // A song started again on its synth, from what was read once, plays as it did the first time,
    // to within the synth's dither: the same events at the same frames.
    void aStartAgainPlaysAsTheFirst()
    {
        const QByteArray song = fixtures::song({{0, 300}, {400, 700}}, 800);
        const morvik::audio::Song read = morvik::audio::readSong({song.constData(), std::size_t(song.size())});
        const auto synth = morvik::audio::synthFor(read);
        QVERIFY(synth);
        const auto first = play(*synth, read, {512});
        const auto again = play(*synth, read, {512});
        QVERIFY(first.size() > 44100 * 2 * 8 / 10);
        QCOMPARE(again.size(), first.size());
        // From 10 ms on: a fresh synth eases in its very first note's attack a little differently.
        int largest = 0;
        for (std::size_t i = 2 * 441; i < first.size(); ++i)
            largest = std::max(largest, std::abs(first[i] - again[i]));
        QVERIFY2(largest <= 2, qPrintable(QString::number(largest)));
    }

    // Middle C, 261.6 Hz at the device's rate: the zero crossings of the held note's left channel
    // come 44100 / 261.6 frames apart.
    void notesSoundAtTheDevicesPitch()
    {
        const auto out = render({2048});
        std::vector<double> crossings;
        for (std::size_t i = 4410; i + 1 < 11025; ++i) {
            const double a = out[2 * i], b = out[2 * i + 2];
            if (a < 0 && b >= 0)
                crossings.push_back(double(i) + a / (a - b));
        }
        QVERIFY(crossings.size() > 20);
        const double period = (crossings.back() - crossings.front()) / double(crossings.size() - 1);
        const double cents = 1200 * std::log2((44100 / period) / 261.63);
        QVERIFY2(std::abs(cents) < 10, qPrintable(QString::number(cents)));
    }

    void aChannelWithNoProgramPlaysTheFirst_data()
    {
        QTest::addColumn<QByteArray>("unselected");
        QTest::addColumn<QByteArray>("selected");
        const QByteArray piano("\x00\x90\x3c\x64\x83\x60\x80\x3c\x00", 9);
        const QByteArray snare("\x00\x99\x26\x64\x83\x60\x89\x26\x00", 9);
        QTest::newRow("the piano") << piano << QByteArray("\x00\xc0\x00", 3) + piano;
        QTest::newRow("the standard kit on channel 10") << snare << QByteArray("\x00\xc9\x00", 3) + snare;
        QTest::newRow("until the song selects another")
            << piano + QByteArray("\x00\xc0\x10", 3) + piano
            << QByteArray("\x00\xc0\x00", 3) + piano + QByteArray("\x00\xc0\x10", 3) + piano;
    }

    // A song that sounds a channel before it selects the channel's instrument hears General MIDI's
    // first program there, as if the song had selected it.
    void aChannelWithNoProgramPlaysTheFirst()
    {
        QFETCH(QByteArray, unselected);
        QFETCH(QByteArray, selected);
        const auto unselectedSound = render({2048}, oneTrack(unselected));
        QVERIFY(std::any_of(unselectedSound.begin(), unselectedSound.end(), [](std::int16_t s) { return std::abs(s) > 200; }));
        QVERIFY(unselectedSound == render({2048}, oneTrack(selected)));
    }

private:
    // A song of one track, 480 ticks a quarter of 0.5 s, of the given events and their times.
    static QByteArray oneTrack(const QByteArray &events)
    {
        const QByteArray track = events + QByteArray("\x00\xff\x2f\x00", 4);
        const auto size = quint32(track.size());
        return QByteArray("MThd\0\0\0\6\0\0\0\1\1\xe0MTrk", 18) + char(size >> 24) + char(size >> 16)
               + char(size >> 8) + char(size) + track;
    }
};

QTEST_GUILESS_MAIN(TestSynth)
#include "test_synth.moc"
