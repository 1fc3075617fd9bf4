// The players on a real sound server, PulseAudio or PipeWire, private to the test: what reaches
// the server's null sink is read back from its monitor. The server is stopped and started again
// under the players, or appears only after they have started.
#include "audio_device.h"
#include "fixtures.h"
#include "media_player.h"

#include <QtTest>

using fixtures::Server;
using fixtures::StderrCapture;
using fixtures::waitFor;
using morvik::AudioDevice;
using morvik::MediaPlayer;

class TestServers : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    std::string path(const QString &name) const { return dir.filePath(name).toStdString(); }

private slots:
    void initTestCase()
    {
        if (const QString missing = fixtures::missingServerProgram(); !missing.isEmpty())
            QSKIP(qPrintable(missing + " is not installed (scripts/deps.sh)"));
        qputenv("SDL_AUDIODRIVER", "pulseaudio");
        fixtures::write(dir.filePath("cue.wav"), fixtures::tone(44100 / 4, 880, 8000));
        std::vector<fixtures::Note> notes;
        for (int ms = 0; ms < 60000; ms += 500)
            notes.push_back({ms, ms + 400});
        fixtures::write(dir.filePath("ST.Mid"), fixtures::song(notes, 60000));
    }

    void init()
    {
        QFETCH(QString, kind);
        server = std::make_unique<Server>(kind, MORVIK_SOUND_SERVER);
        qputenv("PULSE_SERVER", server->address().toLocal8Bit());
    }

    void cleanup() { server.reset(); }

    void serverRestart_data() { kinds(); }

    // The server goes away under a playing game and comes back 2 s later: the players answer at
    // once meanwhile, and music and cues are heard again, the song going on where it was.
    void serverRestart()
    {
        QVERIFY(server->start());
        server->record();
        StderrCapture errors;
        auto device = std::make_shared<AudioDevice>();
        MediaPlayer effects(device), music(device);
        music.setFileName(path("ST.Mid"));
        music.setCommand("play");
        music.setLevel(300);
        QVERIFY(waitFor([&] { return music.position() > 1000 && server->heard(); }));

        QVERIFY(server->stop());
        QVERIFY(waitFor([&] { return errors.lines().size() == 1; }));
        const std::int32_t before = music.position();
        // The game's calls while the server is gone: a cue and the loop watch, every tick.
        QElapsedTimer gone, call;
        gone.start();
        qint64 longest = 0;
        while (gone.elapsed() < 2000) {
            call.start();
            effects.setCommand("stop");
            effects.setFileName(path("cue.wav"));
            effects.setCommand("play");
            music.position();
            longest = std::max(longest, call.elapsed());
            QTest::qWait(100);
        }
        QVERIFY2(longest < 150, qPrintable(QString("a call took %1 ms").arg(longest)));
        QCOMPARE(music.position(), before);

        QVERIFY(server->start());
        server->record();
        QElapsedTimer back;
        back.start();
        QVERIFY(waitFor([&] { return errors.lines().size() == 2; }));
        qInfo("the device is back %lld ms after the server was up", back.elapsed());
        QVERIFY(waitFor([&] {
            effects.setCommand("stop");
            effects.setFileName(path("cue.wav"));
            effects.setCommand("play");
            return music.position() > before && server->heard();
        }));
        qInfo("heard again %lld ms after the server was up", back.elapsed());
        QVERIFY(waitFor([&] { return music.position() > before + 1000; }));
        const QStringList lines = errors.lines();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains("is gone"), qPrintable(lines[0]));
        QVERIFY2(lines[1].contains("is back"), qPrintable(lines[1]));
    }

    void serverAfterTheStart_data() { kinds(); }

    // A game started before any server has its sound once one appears.
    void serverAfterTheStart()
    {
        StderrCapture errors;
        auto device = std::make_shared<AudioDevice>();
        MediaPlayer effects(device), music(device);
        music.setFileName(path("ST.Mid"));
        music.setCommand("play");
        QVERIFY(waitFor([&] { return music.position() == 0 && errors.lines().size() == 1; }));
        QTest::qWait(1000);
        QCOMPARE(music.position(), 0);
        QVERIFY(server->start());
        server->record();
        QElapsedTimer up;
        up.start();
        QVERIFY(waitFor([&] { return music.position() > 0 && errors.lines().size() == 2; }));
        qInfo("the device is back %lld ms after the server was up", up.elapsed());
        QVERIFY(waitFor([&] { return server->heard(); }));
        qInfo("heard %lld ms after the server was up", up.elapsed());
        const QStringList lines = errors.lines();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains("no audio device"), qPrintable(lines[0]));
        QVERIFY2(lines[1].contains("is back"), qPrintable(lines[1]));
    }

    void noStreamWhenSilent_data() { kinds(); }

    // The song and the cues are streams of their own: the cues' comes with a cue and goes with
    // the cues sent "stop", the song playing on. With the music stopped too, the game holds no
    // stream once the last cue has ended; the music or a cue played brings one back at once.
    void noStreamWhenSilent()
    {
        QVERIFY(server->start());
        auto device = std::make_shared<AudioDevice>();
        MediaPlayer effects(device), music(device);
        music.setFileName(path("ST.Mid"));
        music.setCommand("play");
        QVERIFY(waitFor([&] { return music.position() > 500 && server->streams().size() == 1; }));
        effects.setFileName(path("cue.wav"));
        effects.setCommand("play");
        QVERIFY(waitFor([&] { return server->streams().size() == 2; }));
        QVERIFY(waitFor([&] { return effects.position() == 250; }));
        effects.setCommand("stop");
        QVERIFY(waitFor([&] { return server->streams().size() == 1; }));
        const std::int32_t playing = music.position();
        QVERIFY(waitFor([&] { return music.position() > playing + 500; }));

        effects.setCommand("stop");
        effects.setFileName(path("cue.wav"));
        effects.setCommand("play");
        music.setCommand("STOP");
        QVERIFY(waitFor([&] { return effects.position() == 250; }));
        effects.setCommand("stop");
        effects.setFileName(path("cue.wav"));
        effects.setCommand("stop");
        QVERIFY(waitFor([&] { return server->streams().isEmpty(); }));

        server->record();
        music.setCommand("play");
        QVERIFY(waitFor([&] { return server->streams().size() == 1 && server->heard(); }));
        music.setCommand("STOP");
        QVERIFY(waitFor([&] { return server->streams().isEmpty(); }));
        server->record();
        effects.setCommand("stop");
        effects.setFileName(path("cue.wav"));
        effects.setCommand("play");
        QVERIFY(waitFor([&] { return server->heard(); }));
    }

private:
    static void kinds()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("PulseAudio") << "pulse";
        QTest::newRow("PipeWire") << "pipewire";
    }

    std::unique_ptr<Server> server;
};

QTEST_GUILESS_MAIN(TestServers)
#include "test_servers.moc"
