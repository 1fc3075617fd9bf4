// The synth on its own: it renders at half the device's rate and doubles its frames, so a
// song must come out the same however the device cuts its buffers, and at the device's pitch.
#include "fixtures.h"
#include "synth.h"

#include <QTest>

#include <cmath>
#include <memory>
#include <vector>

using morvik::audio::Synth;

class TestSynth : public QObject {
    Q_OBJECT

    // The whole song, written in buffers of the given sizes in turn.
    std::vector<std::int16_t> render(const std::vector<int> &sizes)
    {
        const auto synth = morvik::audio::startSynth();
        if (!synth)
            return {};
        const QByteArray song = fixtures::song({{0, 300}, {400, 700}}, 800);
        synth->load({song.constData(), std::size_t(song.size())});
        synth->play();
        std::vector<std::int16_t> out;
        for (std::size_t i = 0; synth->songRunning() || synth->sounding(); ++i) {
            const int frames = sizes[i % sizes.size()];
            out.resize(out.size() + std::size_t(frames) * 2);
            synth->write(out.data() + out.size() - std::size_t(frames) * 2, frames);
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
};

QTEST_GUILESS_MAIN(TestSynth)
#include "test_synth.moc"
