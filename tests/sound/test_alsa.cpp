// The players on a machine with ALSA and no sound server, SDL choosing its driver itself. ALSA's
// own user-space plugins stand in for a card: alsa-lib reads the configuration named by
// ALSA_CONFIG_PATH, and reads it again at its next open once the file has changed. A default
// device that cannot be opened (a card that is not there) becomes one that can: a "file" plugin
// over "null", writing what it plays into a pipe that the test reads.
#include "fixtures.h"
#include "media_player.h"

#include <QtTest>

#include <SDL.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <csignal>
#include <memory>
#include <thread>

using fixtures::StderrCapture;
using fixtures::waitFor;

namespace {

// Reads the pipe in real time until stopped, noting when a sample louder than the synth's dither first came.
class PipeReader {
public:
    explicit PipeReader(const QString &path) : fd_(::open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK))
    {
        clock_.start();
        thread_ = std::thread([this] { run(); });
    }
    ~PipeReader()
    {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    bool open() const { return fd_ >= 0; }
    // Milliseconds since the reader started, or -1 while nothing has been heard.
    qint64 heardAt() const { return heardAt_; }

private:
    void run()
    {
        std::int16_t buffer[4096];
        while (!stop_) {
            pollfd in{fd_, POLLIN, 0};
            if (::poll(&in, 1, 10) <= 0)
                continue;
            // At a player's pace: the null plugin takes samples as fast as they come, and the
            // pipe holds them back only when full.
            if (read_ > clock_.elapsed() * BytesPerMs) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            const ssize_t count = ::read(fd_, buffer, sizeof buffer);
            if (count > 0)
                read_ += count;
            if (count <= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            if (heardAt_ < 0 && std::any_of(buffer, buffer + count / 2, [](std::int16_t s) { return std::abs(s) > 64; }))
                heardAt_ = clock_.elapsed();
        }
    }

    static constexpr qint64 BytesPerMs = 44100 * 4 / 1000;
    int fd_;
    qint64 read_ = 0;
    QElapsedTimer clock_;
    std::atomic<bool> stop_{false};
    std::atomic<qint64> heardAt_{-1};
    std::thread thread_;
};

}  // namespace

class TestAlsa : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // A new file each time: alsa-lib sees a change by the file's inode and its time in seconds.
    void writeConfig(const QByteArray &text)
    {
        fixtures::write(dir.filePath("asound.conf.new"), text);
        QCOMPARE(::rename(dir.filePath("asound.conf.new").toLocal8Bit().constData(), dir.filePath("asound.conf").toLocal8Bit().constData()), 0);
    }

private slots:
    void initTestCase()
    {
        // Under sdl2-compat (SDL 3 behind SDL 2's interface, versions 2.32.50 and later) ALSA
        // devices behave otherwise: a lost device is not reported to the game, and a device
        // missing at the start is not always refused. Not handled yet.
        SDL_version linked;
        SDL_GetVersion(&linked);
        if (linked.major == 2 && linked.minor == 32 && linked.patch >= 50)
            QSKIP("sdl2-compat reports ALSA devices that fail or are lost otherwise; not handled yet");
        // No sound server to be found: SDL goes on to ALSA, as on a machine without one.
        const QString run = dir.filePath("run");
        QVERIFY(QDir().mkpath(run));
        fixtures::write(dir.filePath("client.conf"), "autospawn = no\n");
        qputenv("XDG_RUNTIME_DIR", run.toLocal8Bit());
        qputenv("PULSE_SERVER", ("unix:" + dir.filePath("no-server")).toLocal8Bit());
        qputenv("PULSE_CLIENTCONFIG", dir.filePath("client.conf").toLocal8Bit());
        qunsetenv("SDL_AUDIODRIVER");
        qputenv("ALSA_CONFIG_PATH", dir.filePath("asound.conf").toLocal8Bit());
        std::vector<fixtures::Note> notes;
        for (int ms = 0; ms < 60000; ms += 500)
            notes.push_back({ms, ms + 400});
        fixtures::write(dir.filePath("ST.Mid"), fixtures::song(notes, 60000));
    }

    // The default device cannot be opened when the game starts; it is there 3 s later, and the
    // music is heard within 2 s of that.
    void deviceAfterTheStart()
    {
        const QString pipe = dir.filePath("heard.pipe");
        QCOMPARE(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
        PipeReader reader(pipe);
        QVERIFY(reader.open());
        writeConfig("pcm.!default { type hw card 7 device 0 }\n");
        StderrCapture errors;
        {
            auto device = std::make_shared<morvik::AudioDevice>();
            morvik::MediaPlayer music(device);
            music.setFileName(dir.filePath("ST.Mid").toStdString());
            music.setCommand("play");
            QVERIFY(waitFor([&] { return music.position() == 0 && errors.lines().size() == 1; }));
            QTest::qWait(3000);
            QCOMPARE(music.position(), 0);
            QCOMPARE(reader.heardAt(), -1);

            QElapsedTimer there;
            there.start();
            writeConfig(fileDevice(pipe));
            QVERIFY(waitFor([&] { return reader.heardAt() >= 0; }, 10000));
            const qint64 heard = there.elapsed();
            qInfo("heard %lld ms after the device was there", heard);
            QVERIFY2(heard <= 2000, qPrintable(QString::number(heard)));
            QVERIFY(waitFor([&] { return music.position() > 1000; }));
            music.setCommand("stop");
        }
        const QStringList lines = errors.lines();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains("no audio device"), qPrintable(lines[0]));
        QVERIFY2(lines[1].contains("is back (alsa)"), qPrintable(lines[1]));
    }

    // A device lost under the playing game (its pipe closed, so that every write fails) and there
    // again a little later, as another pipe: the music is heard within 2 s of that.
    void deviceLostAndBack()
    {
        std::signal(SIGPIPE, SIG_IGN);
        const QString first = dir.filePath("first.pipe"), second = dir.filePath("second.pipe");
        QCOMPARE(::mkfifo(first.toLocal8Bit().constData(), 0600), 0);
        QCOMPARE(::mkfifo(second.toLocal8Bit().constData(), 0600), 0);
        auto reader = std::make_unique<PipeReader>(first);
        writeConfig(fileDevice(first));
        StderrCapture errors;
        auto device = std::make_shared<morvik::AudioDevice>();
        morvik::MediaPlayer music(device);
        music.setFileName(dir.filePath("ST.Mid").toStdString());
        music.setCommand("play");
        QVERIFY(waitFor([&] { return music.position() > 0 && reader->heardAt() >= 0; }));

        writeConfig("pcm.!default { type hw card 7 device 0 }\n");
        reader.reset();
        QVERIFY(waitFor([&] { return music.position() >= 0 && errors.lines().size() == 1; }, 10000));
        reader = std::make_unique<PipeReader>(second);
        QElapsedTimer there;
        there.start();
        writeConfig(fileDevice(second));
        QVERIFY2(waitFor([&] { return music.position() >= 0 && reader->heardAt() >= 0; }, 10000), qPrintable(errors.lines().join('|')));
        const qint64 heard = there.elapsed();
        qInfo("heard %lld ms after the device was there again", heard);
        QVERIFY2(heard <= 2000, qPrintable(QString::number(heard)));
        music.setCommand("stop");
        const QStringList lines = errors.lines();
        QVERIFY2(lines.size() >= 2 && lines[0].contains("is gone"), qPrintable(lines.join('|')));
        QVERIFY2(lines.back().contains("is back (alsa)"), qPrintable(lines.join('|')));
    }

private:
    static QByteArray fileDevice(const QString &pipe)
    {
        return "pcm.!default { type file slave.pcm { type null } file \"" + pipe.toLocal8Bit() + "\" format \"raw\" }\n";
    }
};

QTEST_GUILESS_MAIN(TestAlsa)
#include "test_alsa.moc"
