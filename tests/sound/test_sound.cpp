#include "sound.h"

#include <QtTest>

using morvik::Cue;

namespace {

// A player that writes every operation it receives into a log shared by both players.
class RecordingPlayer : public morvik::Player {
public:
    RecordingPlayer(QString name, QStringList &log) : name_(std::move(name)), log_(log) {}

    void setCommand(const std::string &command) override { record("command " + QString::fromStdString(command)); }
    void setFileName(const std::string &path) override { record("file " + QString::fromStdString(path)); }
    std::int32_t position() override
    {
        record("position?");
        return position_;
    }
    void setPosition(std::int16_t position) override { record("position " + QString::number(position)); }
    void setFlag(bool flag) override { record(flag ? "flag true" : "flag false"); }
    void setLevel(std::int16_t level) override { record("level " + QString::number(level)); }

    std::int32_t position_ = 0;

private:
    void record(const QString &operation) { log_ << name_ + " " + operation; }

    QString name_;
    QStringList &log_;
};

}  // namespace

class TestSound : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        log.clear();
        state = {};
        state.AppDir = "/home/player/morvik";
        state.EffectCommand = "play";
    }

    void cueSequence_data()
    {
        QTest::addColumn<Cue>("cue");
        QTest::addColumn<QString>("appDir");
        QTest::addColumn<QString>("effectCommand");
        QTest::addColumn<QStringList>("expected");
        const QString dir = "/home/player/morvik";
        QTest::newRow("move") << Cue::Move << dir << "play"
                              << QStringList{"MCIWnd1 command stop", "MCIWnd1 file " + dir + "/move.wav", "MCIWnd1 command play"};
        QTest::newRow("pick and put") << Cue::PickAndPut << dir << "play"
                                      << QStringList{"MCIWnd1 command stop", "MCIWnd1 file " + dir + "/no.wav", "MCIWnd1 command play"};
        QTest::newRow("correct piece") << Cue::CorrectPiece << dir << "play"
                                       << QStringList{"MCIWnd1 command stop", "MCIWnd1 file " + dir + "/Yes.wav", "MCIWnd1 command play"};
        QTest::newRow("completion") << Cue::Completion << dir << "play"
                                    << QStringList{"MCIWnd1 command stop", "MCIWnd1 file " + dir + "/done.wav", "MCIWnd1 command play"};
        QTest::newRow("effects off still loads the file") << Cue::Move << dir << "stop"
                                                          << QStringList{"MCIWnd1 command stop", "MCIWnd1 file " + dir + "/move.wav", "MCIWnd1 command stop"};
        QTest::newRow("root directory doubles the separator") << Cue::Completion << "/" << "play"
                                                              << QStringList{"MCIWnd1 command stop", "MCIWnd1 file //done.wav", "MCIWnd1 command play"};
        QTest::newRow("directory without the files") << Cue::PickAndPut << "/nowhere" << "play"
                                                     << QStringList{"MCIWnd1 command stop", "MCIWnd1 file /nowhere/no.wav", "MCIWnd1 command play"};
    }

    void cueSequence()
    {
        QFETCH(Cue, cue);
        QFETCH(QString, appDir);
        QFETCH(QString, effectCommand);
        QFETCH(QStringList, expected);
        state.AppDir = appDir.toStdString();
        state.EffectCommand = effectCommand.toStdString();
        sound.play(cue);
        QCOMPARE(log, expected);
    }

    // The box's value decides; nothing is sent, and the change shows only at the next cue.
    void effectsSwitch_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("after");
        QTest::newRow("checked") << "stop" << 1 << "play";
        QTest::newRow("checked again") << "play" << 1 << "play";
        QTest::newRow("unchecked") << "play" << 0 << "stop";
        QTest::newRow("grayed") << "play" << 2 << "stop";
        QTest::newRow("negative") << "play" << -1 << "stop";
    }

    void effectsSwitch()
    {
        QFETCH(QString, before);
        QFETCH(int, value);
        QFETCH(QString, after);
        state.EffectCommand = before.toStdString();
        sound.switchEffects(value);
        QCOMPARE(QString::fromStdString(state.EffectCommand), after);
        QVERIFY(log.isEmpty());
        sound.play(Cue::Move);
        QCOMPARE(log.last(), "MCIWnd1 command " + after);
    }

    void musicSetUp_data()
    {
        QTest::addColumn<QString>("appDir");
        QTest::addColumn<QString>("song");
        QTest::newRow("home") << "/home/player/morvik" << "/home/player/morvik/ST.Mid";
        QTest::newRow("root") << "/" << "//ST.Mid";
    }

    void musicSetUp()
    {
        QFETCH(QString, appDir);
        QFETCH(QString, song);
        state.AppDir = appDir.toStdString();
        sound.setUpMusic();
        QCOMPARE(log, (QStringList{"MCIWnd2 file " + song, "MCIWnd2 command play", "MCIWnd2 level 300",
                                   "MCIWnd1 level 1000", "MCIWnd2 flag true"}));
    }

    void musicSwitch_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("command");
        QTest::newRow("checked") << 1 << "play";
        QTest::newRow("unchecked") << 0 << "STOP";
        QTest::newRow("grayed") << 2 << "STOP";
    }

    void musicSwitch()
    {
        QFETCH(int, value);
        QFETCH(QString, command);
        sound.switchMusic(value);
        QCOMPARE(log, QStringList{"MCIWnd2 command " + command});
    }

    void loopWatch_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("restarts");
        QTest::newRow("start") << 0 << false;
        QTest::newRow("just before the loop point") << 86799 << false;
        QTest::newRow("at the loop point") << 86800 << false;
        QTest::newRow("just past the loop point") << 86801 << true;
        QTest::newRow("far past") << 2000000000 << true;
        QTest::newRow("negative") << -1 << false;
    }

    void loopWatch()
    {
        QFETCH(int, position);
        QFETCH(bool, restarts);
        MCIWnd2.position_ = position;
        sound.loopWatch();
        QStringList expected{"MCIWnd2 position?"};
        if (restarts)
            expected << "MCIWnd2 position 0" << "MCIWnd2 command play";
        QCOMPARE(log, expected);
    }

private:
    QStringList log;
    morvik::Module1 state;
    RecordingPlayer MCIWnd1{"MCIWnd1", log};
    RecordingPlayer MCIWnd2{"MCIWnd2", log};
    morvik::Sound sound{state, MCIWnd1, MCIWnd2};
};

QTEST_GUILESS_MAIN(TestSound)
#include "test_sound.moc"
