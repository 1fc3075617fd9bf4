// The game's own song through its loop point, as a player hears it: the game's players and loop
// watch on SDL's disk driver, recorded. At the restart the notes still sounding fade out instead
// of being cut, which would click.
#include "fixtures.h"
#include "media_player.h"
#include "sound.h"

#include <QtTest>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int Rate = 44100;

// The largest step from one sample to the next in [from, to), over both channels.
int largestStep(const std::vector<std::int16_t> &samples, std::int64_t from, std::int64_t to)
{
    int largest = 0;
    for (std::int64_t frame = std::max<std::int64_t>(from, 1); frame < to; ++frame)
        for (int c = 0; c < 2; ++c)
            largest = std::max(largest, std::abs(samples[std::size_t(2 * frame + c)] - samples[std::size_t(2 * (frame - 1) + c)]));
    return largest;
}

// The largest step within a millisecond of a frame, against the largest within 20 ms around that.
double stepAgainstSurroundings(const std::vector<std::int16_t> &samples, std::int64_t frame)
{
    const std::int64_t near = Rate / 1000, window = Rate / 50;
    const int around = std::max(largestStep(samples, frame - window, frame - near), largestStep(samples, frame + near, frame + window));
    return double(largestStep(samples, frame - near, frame + near)) / std::max(around, 1);
}

}  // namespace

class TestLoopSeam : public QObject {
    Q_OBJECT

private slots:
    void songLoopsWithoutAClick()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(MORVIK_SOUND_DIR "/ST.Mid", dir.filePath("ST.Mid")));
        const QString output = dir.filePath("rendered.raw");
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", output.toLocal8Bit());
        qputenv("SDL_DISKAUDIODELAY", "0");
        qputenv("SDL_AUDIO_DISK_TIMESCALE", "0");  // the same for SDL 3, under sdl2-compat

        std::int32_t rewoundAt = 0;
        {
            morvik::MediaPlayer MCIWnd1, MCIWnd2;
            morvik::Module1 state;
            state.AppDir = dir.path().toStdString();
            morvik::Sound sound(state, MCIWnd1, MCIWnd2);
            sound.setUpMusic();
            QElapsedTimer clock;
            clock.start();
            // The watch on every tick, as the game's timer runs it, only faster: until the song has
            // started again and played two seconds.
            std::int32_t last = 0;
            for (;;) {
                QVERIFY(clock.elapsed() < 120000);
                const std::int32_t position = MCIWnd2.position();
                if (rewoundAt == 0 && position < last)
                    rewoundAt = last;
                if (rewoundAt > 0 && position > 2000)
                    break;
                last = position;
                sound.loopWatch();
                QThread::usleep(200);
            }
            MCIWnd2.setCommand("stop");
        }
        QVERIFY(rewoundAt > 86800);

        // The restart is where the recording starts over: where 50 ms of the song's opening, from
        // 20 ms after its first sound, come again most nearly, near the loop point.
        const auto samples = fixtures::samples(output);
        const auto first = std::find_if(samples.begin(), samples.end(), [](std::int16_t s) { return s != 0; });
        QVERIFY(first != samples.end());
        const std::int64_t start = (first - samples.begin()) / 2, opening = Rate / 50, length = Rate / 20;
        const std::int64_t from = start + std::int64_t(rewoundAt - 600) * Rate / 1000;
        QVERIFY(std::int64_t(samples.size() / 2) > from + Rate);
        std::int64_t restart = -1;
        double nearest = 0;
        for (std::int64_t frame = from; frame < from + Rate * 8 / 10; ++frame) {
            double difference = 0;
            for (std::int64_t i = 0; i < 2 * length; ++i) {
                const double d = samples[std::size_t(2 * (frame + opening) + i)] - samples[std::size_t(2 * (start + opening) + i)];
                difference += d * d;
            }
            if (restart < 0 || difference < nearest) {
                restart = frame;
                nearest = difference;
            }
        }
        double energy = 0;
        for (std::int64_t i = 0; i < 2 * length; ++i)
            energy += double(samples[std::size_t(2 * (start + opening) + i)]) * samples[std::size_t(2 * (start + opening) + i)];
        QVERIFY2(nearest < 0.01 * energy, "the song's opening is not heard again");
        const double seam = stepAgainstSurroundings(samples, restart);
        // The same measure a second into the song, and at the same place in its second pass.
        const double elsewhere = stepAgainstSurroundings(samples, restart + Rate);
        qInfo("restart %.3f s after the song's start (rewound at %d ms): the step there %.2f times the largest within 20 ms; "
              "%.2f a second later", double(restart - start) / Rate, rewoundAt, seam, elsewhere);
        QVERIFY2(seam <= 1.5, qPrintable(QString::number(seam)));
    }
};

QTEST_GUILESS_MAIN(TestLoopSeam)
#include "test_loop_seam.moc"
