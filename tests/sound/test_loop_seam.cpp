// The game's own song through its loop point, as a player hears it: the game's players and loop
// watch in real time, recorded from SDL's disk driver, or from the monitor of a private PulseAudio
// or PipeWire server. At the restart the music goes on from the last sample heard, and the notes
// still sounding fade out instead of being cut, which would click.
#include "fixtures.h"
#include "media_player.h"
#include "sound.h"

#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <memory>

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
    void songLoopsWithoutAClick_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("lateMs");
        // The loop watch runs on the game's timer, every 100 ms or a little later: it rewinds at
        // any time up to 200 ms past the loop point.
        // SDL's disk driver, 200 ms past the loop point; PulseAudio, 100 ms past; PipeWire, at it.
        QTest::newRow("disk") << "disk" << 200;
        QTest::newRow("pulse") << "pulse" << 100;
        QTest::newRow("pipewire") << "pipewire" << 0;
    }

    void songLoopsWithoutAClick()
    {
        QFETCH(QString, path);
        QFETCH(int, lateMs);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(MORVIK_SOUND_DIR "/ST.Mid", dir.filePath("ST.Mid")));
        std::unique_ptr<fixtures::Server> server;
        QString output = dir.filePath("rendered.raw");
        if (path == "disk") {
            qputenv("SDL_AUDIODRIVER", "disk");
            qputenv("SDL_DISKAUDIOFILE", output.toLocal8Bit());
            // SDL's own pacing: the device waits for each buffer's time, as a player's would.
            qunsetenv("SDL_DISKAUDIODELAY");
            qunsetenv("SDL_AUDIO_DISK_TIMESCALE");  // the same for SDL 3, under sdl2-compat
        } else {
            if (const QString missing = fixtures::missingServerProgram(); !missing.isEmpty())
                QSKIP(qPrintable(missing + " is not installed (scripts/deps.sh)"));
            server = std::make_unique<fixtures::Server>(path, MORVIK_SOUND_SERVER);
            QVERIFY(server->start());
            qputenv("SDL_AUDIODRIVER", "pulseaudio");
            qputenv("PULSE_SERVER", server->address().toLocal8Bit());
            server->record();
            output = server->recorded();
        }

        std::int32_t rewoundAt = 0;
        {
            auto device = std::make_shared<morvik::AudioDevice>();
            morvik::MediaPlayer MCIWnd1(device), MCIWnd2(device);
            morvik::Module1 state;
            state.AppDir = dir.path().toStdString();
            morvik::Sound sound(state, MCIWnd1, MCIWnd2);
            sound.setUpMusic();
            QElapsedTimer clock;
            clock.start();
            // The watch as the game's timer runs it, but at the given time past the loop point;
            // until the song has started again and played two seconds.
            std::int32_t last = 0;
            for (;;) {
                QVERIFY(clock.elapsed() < 150000);
                const std::int32_t position = MCIWnd2.position();
                if (rewoundAt == 0 && position < last)
                    rewoundAt = last;
                if (rewoundAt > 0 && position > 2000)
                    break;
                last = position;
                if (position > 86800 + lateMs || rewoundAt > 0)
                    sound.loopWatch();
                QThread::msleep(1);
            }
            MCIWnd2.setCommand("stop");
        }
        if (server)
            server->stopRecording();
        QVERIFY(rewoundAt > 86800 + lateMs);

        // The restart is where the recording starts over: where 50 ms of the song's opening, from
        // 20 ms after its first sound, come again most nearly, near the loop point.
        const auto samples = fixtures::samples(output);
        const auto first = std::find_if(samples.begin(), samples.end(), [](std::int16_t s) { return std::abs(s) > 2; });
        QVERIFY(first != samples.end());
        const std::int64_t start = (first - samples.begin()) / 2, opening = Rate / 50, length = Rate / 20;
        const std::int64_t from = start + std::int64_t(rewoundAt - 600) * Rate / 1000;
        QVERIFY(std::int64_t(samples.size() / 2) > from + 2 * Rate);
        std::int64_t restart = -1;
        double nearest = 0;
        for (std::int64_t frame = from; frame < from + Rate; ++frame) {
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
        // PipeWire resamples to its own rate and back, so the second pass is near, not equal.
        QVERIFY2(nearest < 0.05 * energy, qPrintable(QString("the song's opening is not heard again (%1 of its energy)").arg(nearest / energy)));
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
