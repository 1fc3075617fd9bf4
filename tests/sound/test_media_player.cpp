#include "audio_device.h"
#include "fixtures.h"
#include "media_player.h"
#include "sound.h"

#include <QtTest>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

using fixtures::StderrCapture;
using morvik::AudioDevice;
using morvik::MediaPlayer;

namespace {

// Polls the condition about every half millisecond, for at most the timeout.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::usleep(500);
    }
    return true;
}

// A music player that counts the rewinds it passes on.
class RewindCounter : public morvik::Player {
public:
    explicit RewindCounter(morvik::Player &player) : player_(player) {}
    void setCommand(const std::string &command) override { player_.setCommand(command); }
    void setFileName(const std::string &path) override { player_.setFileName(path); }
    std::int32_t position() override
    {
        previousRead_ = lastRead_;
        lastRead_ = player_.position();
        return lastRead_;
    }
    void setPosition(std::int16_t position) override
    {
        if (rewinds++ == 0) {
            readBeforeFirstRewind = previousRead_;
            readAtFirstRewind = lastRead_;
        }
        player_.setPosition(position);
    }
    void setFlag(bool flag) override { player_.setFlag(flag); }
    void setLevel(std::int16_t level) override { player_.setLevel(level); }

    int rewinds = 0;
    // The last two positions read before the first rewind.
    std::int32_t readBeforeFirstRewind = 0;
    std::int32_t readAtFirstRewind = 0;

private:
    morvik::Player &player_;
    std::int32_t previousRead_ = 0;
    std::int32_t lastRead_ = 0;
};

// A player of its own playing 50 s of silence: the device stays open and renders, as it does
// while the game's music plays, whatever the players under test do.
class Silence {
public:
    explicit Silence(const QString &file)
    {
        fixtures::write(file, fixtures::wave(44100 * 50, 0));
        player.setFileName(file.toStdString());
        player.setCommand("play");
    }

private:
    MediaPlayer player;
};

constexpr int Rate = 44100;
constexpr qint64 BytesPerSecond = Rate * 4;

}  // namespace

class TestMediaPlayer : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString output;

    QString path(const QString &name) const { return dir.filePath(name); }

    // For the players made from now on: the rendered stream goes to file, and the disk driver
    // waits delayMs after each buffer of 46 ms (0: as fast as the machine renders). SDL 3, under
    // sdl2-compat, reads the wait as a scale of the buffer's own time.
    static void renderTo(const QString &file, int delayMs)
    {
        qputenv("SDL_DISKAUDIOFILE", file.toLocal8Bit());
        qputenv("SDL_DISKAUDIODELAY", QByteArray::number(delayMs));
        qputenv("SDL_AUDIO_DISK_TIMESCALE", QByteArray::number(delayMs / 46.0));
    }

    qint64 rendered() const { return QFileInfo(output).size(); }

    // Waits until the device has rendered the given further time.
    bool renderMore(int ms) const
    {
        const qint64 until = rendered() + BytesPerSecond * ms / 1000;
        return waitFor([&] { return rendered() >= until; });
    }

    // Returns once the player's device has started: a 10 ms wave has played on it to its end.
    void warmUp(MediaPlayer &player)
    {
        player.setFileName(path("short.wav").toStdString());
        player.setCommand("play");
        QVERIFY(waitFor([&] { return player.position() == 10; }));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        output = path("rendered.raw");
        fixtures::write(path("short.wav"), fixtures::wave(441, 500));
        fixtures::write(path("cue.wav"), fixtures::wave(4410, 1000));
    }

    void init()
    {
        qputenv("SDL_AUDIODRIVER", "disk");
        renderTo(output, 10);
    }

    // First of all, since the module stays loaded once opened: none of the sound stack is in the
    // process before the device starts, and players told what to play meanwhile load nothing.
    void soundStackLoadsOnlyWhenStarted()
    {
        const auto loaded = [](const char *library) {
            QFile maps("/proc/self/maps");
            if (!maps.open(QIODevice::ReadOnly))
                qFatal("cannot read /proc/self/maps");
            return maps.readAll().contains(library);
        };
        QVERIFY(!loaded("morvik-audio") && !loaded("libSDL2") && !loaded("libfluidsynth"));
        fixtures::write(path("tune.mid"), fixtures::song({{0, 1000}}, 1000));
        auto device = std::make_shared<AudioDevice>(std::chrono::minutes(1));
        MediaPlayer MCIWnd1(device), MCIWnd2(device);
        MCIWnd1.setFileName(path("cue.wav").toStdString());
        MCIWnd1.setCommand("play");
        MCIWnd2.setFileName(path("tune.mid").toStdString());
        MCIWnd2.setCommand("play");
        QTest::qWait(100);
        QVERIFY(!loaded("morvik-audio") && !loaded("libSDL2") && !loaded("libfluidsynth"));
        device->start();
        QVERIFY(waitFor([&] { return MCIWnd1.position() == 100 && MCIWnd2.position() >= 500; }));
        QVERIFY(loaded("morvik-audio") && loaded("libSDL2") && loaded("libfluidsynth"));
        QVERIFY(renderMore(100));
        const auto samples = fixtures::samples(output);
        QVERIFY(std::any_of(samples.begin() + 4410 * 2, samples.end(), [](std::int16_t s) { return s != 0; }));
    }

    void songPositionFollowsRenderedAudio()
    {
        Silence silence(path("silence.wav"));
        fixtures::write(path("long.mid"), fixtures::song({{0, 20000}}, 20000));
        MediaPlayer music;
        music.setFileName(path("long.mid").toStdString());
        music.setCommand("play");
        std::int32_t last = 0;
        bool monotonic = true;
        QVERIFY(waitFor([&] {
            const std::int32_t now = music.position();
            monotonic = monotonic && now >= last;
            last = now;
            return now >= 1500;
        }));
        QVERIFY(monotonic);

        // Stopped, the song rests where it is; "play" goes on from there.
        music.setCommand("STOP");
        QVERIFY(renderMore(100));
        const std::int32_t stopped = music.position();
        QVERIFY(renderMore(500));
        QCOMPARE(music.position(), stopped);
        music.setCommand("play");
        QVERIFY(waitFor([&] { return music.position() >= stopped + 1000; }));
        QVERIFY(music.position() < stopped + 2000);
        music.setCommand("stop");
        QVERIFY(renderMore(100));
        const std::int32_t end = music.position();
        QVERIFY(renderMore(200));

        // Two stretches of sound, as long as the position says, with silence where it stood still.
        const auto runs = fixtures::soundRuns(fixtures::samples(output));
        QCOMPARE(runs.size(), std::size_t(2));
        const auto ms = [](std::int64_t frames) { return int(frames * 1000 / Rate); };
        QVERIFY2(qAbs(ms(runs[0].endFrame - runs[0].startFrame) - stopped) <= 30,
                 qPrintable(QString("first stretch %1 ms, position %2").arg(ms(runs[0].endFrame - runs[0].startFrame)).arg(stopped)));
        QVERIFY2(qAbs(ms(runs[1].endFrame - runs[1].startFrame) - (end - stopped)) <= 30,
                 qPrintable(QString("second stretch %1 ms, position %2").arg(ms(runs[1].endFrame - runs[1].startFrame)).arg(end - stopped)));
        QVERIFY(ms(runs[1].startFrame - runs[0].endFrame) >= 500);
    }

    // A short note, a long rest, another note: a rewind in the rest brings the first note back at once.
    void rewindRestartsTheSong()
    {
        Silence silence(path("silence.wav"));
        fixtures::write(path("rest.mid"), fixtures::song({{0, 500}, {3000, 3500}}, 4000));
        MediaPlayer music;
        music.setFileName(path("rest.mid").toStdString());
        music.setCommand("play");
        std::int32_t rewoundAt = 0;
        QVERIFY(waitFor([&] { return (rewoundAt = music.position()) >= 1200; }));
        music.setPosition(0);
        QVERIFY(music.position() < 100);
        QVERIFY(waitFor([&] { return music.position() >= 1200; }));
        music.setCommand("stop");
        QVERIFY(renderMore(300));

        const auto runs = fixtures::soundRuns(fixtures::samples(output));
        QCOMPARE(runs.size(), std::size_t(2));
        const auto ms = [](std::int64_t frames) { return int(frames * 1000 / Rate); };
        for (const auto &run : runs)
            QVERIFY2(ms(run.endFrame - run.startFrame) >= 450 && ms(run.endFrame - run.startFrame) <= 900,
                     qPrintable(QString("a note of %1 ms").arg(ms(run.endFrame - run.startFrame))));
        const int restart = ms(runs[1].startFrame - runs[0].startFrame);
        QVERIFY2(restart >= rewoundAt - 10 && restart <= rewoundAt + 100,
                 qPrintable(QString("the song began again %1 ms after its start, rewound at %2").arg(restart).arg(rewoundAt)));
    }

    // Each cue stops the one before; the later cue sounds in full and nothing of the earlier after it.
    void laterCueCutsEarlierOne()
    {
        fixtures::write(path("move.wav"), fixtures::wave(Rate, 1000));
        fixtures::write(path("no.wav"), fixtures::wave(Rate / 4, 3000));
        MediaPlayer MCIWnd1, MCIWnd2;
        morvik::Module1 state;
        state.AppDir = dir.path().toStdString();
        state.EffectCommand = "play";
        morvik::Sound sound(state, MCIWnd1, MCIWnd2);
        sound.play(morvik::Cue::Move);
        QVERIFY(waitFor([&] { return MCIWnd1.position() >= 200; }));
        sound.play(morvik::Cue::PickAndPut);
        QVERIFY(waitFor([&] { return MCIWnd1.position() == 250; }));
        QVERIFY(renderMore(100));

        const auto samples = fixtures::samples(output);
        qsizetype earlier = 0, later = 0, lastEarlier = -1, firstLater = -1, other = 0;
        for (qsizetype i = 0; i < qsizetype(samples.size()); ++i) {
            const int level = qAbs(samples[std::size_t(i)]);
            if (level == 1000) {
                ++earlier;
                lastEarlier = i;
            } else if (level == 3000) {
                if (firstLater < 0)
                    firstLater = i;
                ++later;
            } else if (level != 0) {
                ++other;
            }
        }
        QCOMPARE(later, qsizetype(Rate / 4 * 2));
        QVERIFY(earlier >= Rate / 5 * 2);
        QVERIFY(earlier < Rate * 2);
        QVERIFY(lastEarlier < firstLater);
        QCOMPARE(other, qsizetype(0));
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("otherUser");

        const QByteArray wave = fixtures::wave(Rate, 1000);
        const QByteArray song = fixtures::song({{0, 1000}, {1000, 2000}}, 2000);
        QByteArray garbage(5000, 0);
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919 + 13) % 251);
        fixtures::write(path("empty.wav"), {});
        fixtures::write(path("empty.mid"), {});
        fixtures::write(path("cut.wav"), wave.left(wave.size() / 2));
        fixtures::write(path("cut.mid"), song.chopped(5));
        fixtures::write(path("garbage.wav"), garbage);
        fixtures::write(path("garbage.mid"), garbage);
        fixtures::write(path("wave.MID"), wave);
        QDir(dir.path()).mkdir("folder.mid");
        QDir(dir.path()).mkdir("folder.wav");
        QVERIFY(::mkfifo(path("pipe.wav").toLocal8Bit(), 0644) == 0);
        fixtures::write(path("huge.wav"), wave);
        QVERIFY(::truncate(path("huge.wav").toLocal8Bit(), (64 << 20) + 1) == 0);
        fixtures::write(path("locked.wav"), wave);
        QVERIFY(::chmod(path("locked.wav").toLocal8Bit(), 0) == 0);

        QTest::newRow("missing wave") << "missing.wav" << "No such file or directory" << false;
        QTest::newRow("missing song") << "missing.mid" << "No such file or directory" << false;
        QTest::newRow("empty wave") << "empty.wav" << "empty file" << false;
        QTest::newRow("empty song") << "empty.mid" << "empty file" << false;
        QTest::newRow("truncated wave") << "cut.wav" << "not a playable wave file" << false;
        QTest::newRow("truncated song") << "cut.mid" << "not a standard MIDI file" << false;
        QTest::newRow("garbage wave") << "garbage.wav" << "not a playable wave file" << false;
        QTest::newRow("garbage song") << "garbage.mid" << "not a standard MIDI file" << false;
        QTest::newRow("wave named as a song") << "wave.MID" << "not a standard MIDI file" << false;
        QTest::newRow("directory named as a song") << "folder.mid" << "not a regular file" << false;
        QTest::newRow("directory named as a wave") << "folder.wav" << "not a regular file" << false;
        QTest::newRow("named pipe") << "pipe.wav" << "not a regular file" << false;
        QTest::newRow("larger than 64 MiB") << "huge.wav" << "larger than 64 MiB" << false;
        // Root reads any file; the file system user is changed on this thread alone to someone else.
        QTest::newRow("unreadable") << "locked.wav" << "Permission denied" << true;
    }

    void badInput()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QFETCH(bool, otherUser);
        Silence silence(path("silence.wav"));
        MediaPlayer player;
        warmUp(player);
        StderrCapture errors;
        const qint64 start = rendered();
        const std::string file = path(name).toStdString();
        const uid_t user = ::geteuid();
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (otherUser && user == 0)
                ::setfsuid(65534);
            player.setFileName(file);
            if (otherUser && user == 0)
                ::setfsuid(user);
            player.setCommand("play");
            player.setPosition(0);
            player.setCommand("play");
        }
        QCOMPARE(player.position(), 0);
        QVERIFY(renderMore(500));

        const auto samples = fixtures::samples(output);
        // Skip the buffers that may still hold the warm-up wave.
        const auto from = std::size_t(start / 2 + 2 * 2048 * 2);
        QVERIFY(std::all_of(samples.begin() + qMin(from, samples.size()), samples.end(), [](std::int16_t s) { return s == 0; }));
        const QStringList lines = errors.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains(QString::fromStdString(file)) && lines[0].contains(reason), qPrintable(lines[0]));
    }

    // Whatever lies in the game's folder under one of its five names, the game reads it at once
    // and plays nothing of it, with one line on standard error.
    void hostileFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("reason");

        // One note, then the end of the track 2^28 - 1 ticks later at the slowest tempo: 100 days on.
        QByteArray endless = fixtures::song({{0, 500}}, 500);
        endless.chop(4);
        endless.append(QByteArray("\x00\xff\x51\x03\xff\xff\xff\xff\xff\xff\x7f\xff\x2f\x00", 14));
        endless[21] = char(endless.size() - 22);
        QByteArray tracks("MThd\x00\x00\x00\x06\x00\x01\x27\x10\x01\xf4", 14);
        for (int track = 0; track < 10000; ++track)
            tracks.append(QByteArray("MTrk\x00\x00\x00\x04\x00\xff\x2f\x00", 12));
        // 8-bit mono: 2^31 frames fit the 32-bit size of its data chunk, which holds a few bytes.
        QByteArray declared = fixtures::wave(4, 1000);
        const char mono[] = {1, 0, 1, 0, 0x44, (char)0xac, 0, 0, 0x44, (char)0xac, 0, 0, 1, 0, 8, 0};
        declared.replace(20, 16, QByteArray(mono, 16));
        declared.replace(40, 4, QByteArray("\x00\x00\x00\x80", 4));

        QTest::newRow("song that never ends") << "ST.Mid" << endless << "" << "longer than an hour";
        QTest::newRow("song of 10 000 tracks") << "ST.Mid" << tracks << "" << "more than 128 tracks";
        QTest::newRow("wave of 2^31 declared frames") << "move.wav" << declared << "" << "not a playable wave file";
        QTest::newRow("one-byte wave") << "no.wav" << QByteArray("R") << "" << "not a playable wave file";
        QTest::newRow("one-byte song") << "ST.Mid" << QByteArray("M") << "" << "not a standard MIDI file";
        QTest::newRow("link to /dev/zero") << "Yes.wav" << QByteArray() << "/dev/zero" << "not a regular file";
        QTest::newRow("link to /dev/zero as the song") << "ST.Mid" << QByteArray() << "/dev/zero" << "not a regular file";
        QTest::newRow("link to itself") << "done.wav" << QByteArray() << "done.wav" << "Too many levels of symbolic links";
    }

    void hostileFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, link);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        const QString file = folder.filePath(name);
        if (link.isEmpty())
            fixtures::write(file, bytes);
        else
            QVERIFY(QFile::link(link, file));

        Silence silence(path("silence.wav"));
        MediaPlayer MCIWnd1, MCIWnd2;
        warmUp(MCIWnd1);
        StderrCapture errors;
        const qint64 start = rendered();
        morvik::Module1 state;
        state.AppDir = folder.path().toStdString();
        state.EffectCommand = "play";
        morvik::Sound sound(state, MCIWnd1, MCIWnd2);
        for (int round = 0; round < 2; ++round) {
            if (name == "ST.Mid")
                sound.setUpMusic();
            else
                sound.play(name == "move.wav" ? morvik::Cue::Move : name == "no.wav" ? morvik::Cue::PickAndPut
                               : name == "Yes.wav" ? morvik::Cue::CorrectPiece : morvik::Cue::Completion);
            sound.loopWatch();
        }
        QVERIFY(renderMore(300));
        QCOMPARE((name == "ST.Mid" ? MCIWnd2 : MCIWnd1).position(), 0);

        const auto samples = fixtures::samples(output);
        const auto from = std::size_t(start / 2 + 2 * 2048 * 2);
        QVERIFY(std::all_of(samples.begin() + qMin(from, samples.size()), samples.end(), [](std::int16_t s) { return s == 0; }));
        const QStringList lines = errors.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains(file) && lines[0].contains(reason), qPrintable(lines[0]));
    }

    // A wave file whose data chunk holds no frame is a sound of no length: it plays as silence.
    void waveOfNoFramesPlaysAsSilence()
    {
        Silence silence(path("silence.wav"));
        fixtures::write(path("empty.wav"), fixtures::wave(0, 1000));
        MediaPlayer player;
        warmUp(player);
        StderrCapture errors;
        player.setFileName(path("empty.wav").toStdString());
        player.setCommand("play");
        QVERIFY(renderMore(100));
        QCOMPARE(player.position(), 0);
        QCOMPARE(errors.lines().size(), 0);
    }

    void flagSwitchesTheReports()
    {
        MediaPlayer player;
        warmUp(player);
        StderrCapture errors;
        player.setFlag(false);
        player.setFileName(path("missing.wav").toStdString());
        player.setCommand("play");
        QCOMPARE(errors.lines().size(), 0);
        player.setFlag(true);
        player.setFileName(path("missing.wav").toStdString());
        QCOMPARE(errors.lines().size(), 1);
    }

    void noAudioDevice()
    {
        fixtures::write(path("tune.mid"), fixtures::song({{0, 1000}}, 1000));
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        StderrCapture errors;
        {
            MediaPlayer MCIWnd1, MCIWnd2;
            MCIWnd2.setFileName(path("tune.mid").toStdString());
            MCIWnd2.setCommand("play");
            MCIWnd1.setFileName(path("cue.wav").toStdString());
            MCIWnd1.setCommand("play");
            // A player finds the module at its next call, as the game's timer calls the music player.
            QVERIFY(waitFor([&] { return MCIWnd1.position() == 0 && !errors.lines().isEmpty(); }));
            // The files are read all the same, to be played once a device opens.
            MCIWnd1.setFileName(path("missing.wav").toStdString());
            MCIWnd2.setPosition(0);
            QCOMPARE(MCIWnd1.position(), 0);
            QCOMPARE(MCIWnd2.position(), 0);
            // The module goes on trying, without a line for each try.
            QTest::qWait(1500);
        }
        const QStringList lines = errors.lines();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains("no audio device"), qPrintable(lines[0]));
        QVERIFY2(lines[1].contains("missing.wav"), qPrintable(lines[1]));
    }

    // Players that go away before their device has started drop what they had asked for.
    void destroyedWhileStarting()
    {
        for (int round = 0; round < 3; ++round) {
            MediaPlayer MCIWnd1, MCIWnd2;
            MCIWnd2.setFileName(path("tune.mid").toStdString());
            MCIWnd2.setCommand("play");
            MCIWnd1.setFileName(path("cue.wav").toStdString());
            MCIWnd1.setCommand("play");
        }
    }

    // A held start: nothing is opened or played until the start, then what was asked plays.
    // A device going away while it is held does not wait for a start.
    void heldStartWaitsForTheStart()
    {
        QFile::remove(output);
        {
            auto device = std::make_shared<AudioDevice>(std::chrono::minutes(1));
            MediaPlayer MCIWnd1(device);
            MCIWnd1.setFileName(path("cue.wav").toStdString());
            MCIWnd1.setCommand("play");
            QTest::qWait(300);
            QCOMPARE(MCIWnd1.position(), 0);
            QCOMPARE(rendered(), 0);
            device->start();
            QVERIFY(waitFor([&] { return MCIWnd1.position() == 100; }));
        }
        {
            auto device = std::make_shared<AudioDevice>(std::chrono::minutes(1));
            MediaPlayer MCIWnd1(device);
            MCIWnd1.setCommand("play");
        }
    }

    // Until the start, each player keeps only what it was told last, however much it was told:
    // its last file, whether that plays, its level, and the flag as it was when the file was named.
    // Then exactly that plays, and nothing of what came before.
    void waitingPlayersKeepOnlyTheirLastFileAndState()
    {
        fixtures::write(path("a.wav"), fixtures::wave(4410, 1000));
        fixtures::write(path("b.wav"), fixtures::wave(4410, 2000));
        fixtures::write(path("c.wav"), fixtures::wave(4410, 3000));
        fixtures::write(path("tune.mid"), fixtures::song({{0, 2000}}, 2000));
        QFile::remove(output);
        StderrCapture errors;
        auto device = std::make_shared<AudioDevice>(std::chrono::minutes(1));
        MediaPlayer effects(device), other(device), music(device);
        // A long wait's worth of cues, as the game issues them.
        for (int cue = 0; cue < 100000; ++cue) {
            effects.setCommand("stop");
            effects.setFileName(path(cue % 2 ? "a.wav" : "b.wav").toStdString());
            effects.setCommand("play");
            effects.setPosition(0);
        }
        effects.setFileName(path("c.wav").toStdString());
        effects.setLevel(500);
        effects.setCommand("play");
        // A file named while the reports were off stays unreported; a new name drops the play.
        other.setFileName(path("a.wav").toStdString());
        other.setCommand("play");
        other.setFlag(false);
        other.setFileName(path("missing.wav").toStdString());
        other.setFlag(true);
        other.setCommand("play");
        music.setFileName(path("tune.mid").toStdString());
        music.setCommand("play");
        music.setCommand("stop");
        QCOMPARE(effects.position(), 0);

        device->start();
        QVERIFY(waitFor([&] { return effects.position() == 100; }));
        QVERIFY(renderMore(300));
        QCOMPARE(music.position(), 0);
        const auto samples = fixtures::samples(output);
        QCOMPARE(std::count_if(samples.begin(), samples.end(), [](std::int16_t s) { return s != 0; }), 4410 * 2);
        QCOMPARE(std::count_if(samples.begin(), samples.end(), [](std::int16_t s) { return qAbs(s) == 1500; }), 4410 * 2);
        QCOMPARE(errors.lines(), QStringList());

        // The stopped song is there, and plays from its start.
        music.setCommand("play");
        QVERIFY(waitFor([&] { return music.position() >= 500; }));
    }

    // Without a start, the device opens once the given time has passed.
    void deviceStartsWithinItsTime()
    {
        QFile::remove(output);
        auto device = std::make_shared<AudioDevice>(std::chrono::milliseconds(400));
        MediaPlayer effects(device);
        effects.setFileName(path("cue.wav").toStdString());
        effects.setCommand("play");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(waitFor([&] { return effects.position() == 100; }));
        QVERIFY2(clock.elapsed() >= 400, qPrintable(QString("played after %1 ms").arg(clock.elapsed())));
    }

    // The game's music at full speed: the loop watch of every tick rewinds the song once it has
    // passed the loop point, and the music check box stops it and lets it go on.
    void musicLoops()
    {
        std::vector<fixtures::Note> notes;
        for (int ms = 0; ms < 88000; ms += 1000)
            notes.push_back({ms, ms + 900});
        fixtures::write(path("ST.Mid"), fixtures::song(notes, 88000));
        const fixtures::Drain drain;
        renderTo(drain.path(), 0);
        MediaPlayer MCIWnd1, player2;
        RewindCounter MCIWnd2(player2);
        morvik::Module1 state;
        state.AppDir = dir.path().toStdString();
        morvik::Sound sound(state, MCIWnd1, MCIWnd2);
        sound.setUpMusic();

        // The song renders faster than the watch is called, so the watch is judged by what it read:
        // it rewinds on its first reading past the loop point, and the song starts again.
        QVERIFY(waitFor([&] {
            sound.loopWatch();
            return MCIWnd2.rewinds > 0;
        }));
        QVERIFY(MCIWnd2.readBeforeFirstRewind <= 86800);
        QVERIFY(MCIWnd2.readAtFirstRewind > 86800);
        QVERIFY(player2.position() < MCIWnd2.readAtFirstRewind);
        QVERIFY(waitFor([&] {
            sound.loopWatch();
            return player2.position() > 5000;
        }));
        QCOMPARE(MCIWnd2.rewinds, 1);

        sound.switchMusic(0);
        QTest::qWait(20);
        const std::int32_t stopped = player2.position();
        for (int tick = 0; tick < 100; ++tick) {
            sound.loopWatch();
            QThread::usleep(1000);
        }
        QCOMPARE(player2.position(), stopped);
        sound.switchMusic(1);
        QVERIFY(waitFor([&] {
            sound.loopWatch();
            return player2.position() > stopped + 1000;
        }));
        QCOMPARE(MCIWnd2.rewinds, 1);
    }

    void songEndingBeforeTheLoopPointPlaysOnce()
    {
        fixtures::write(path("ST.Mid"), fixtures::song({{0, 1000}, {85000, 86000}}, 86000));
        const fixtures::Drain drain;
        renderTo(drain.path(), 0);
        MediaPlayer MCIWnd1, player2;
        RewindCounter MCIWnd2(player2);
        morvik::Module1 state;
        state.AppDir = dir.path().toStdString();
        morvik::Sound sound(state, MCIWnd1, MCIWnd2);
        sound.setUpMusic();
        QVERIFY(waitFor([&] {
            sound.loopWatch();
            return player2.position() >= 86000;
        }));
        for (int tick = 0; tick < 200; ++tick) {
            sound.loopWatch();
            QThread::usleep(1000);
        }
        QVERIFY(player2.position() <= 86800);
        QCOMPARE(MCIWnd2.rewinds, 0);
    }
};

QTEST_GUILESS_MAIN(TestMediaPlayer)
#include "test_media_player.moc"
