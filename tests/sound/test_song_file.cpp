// What the game makes of a song file before the synth sees it: songs as players and sequencers
// write them, with the faults they forgive, are taken and rewritten so that FluidSynth's player
// plays every note of them; only what is no song, is cut off within an event, or would hold the
// game too long is refused.
#include "midi_file.h"
#include "settings.h"

#include <fluidsynth.h>

#include <QTest>

namespace {

QByteArray number(quint32 value)
{
    QByteArray out(1, char(value & 0x7f));
    while (value >>= 7)
        out.prepend(char(0x80 | (value & 0x7f)));
    return out;
}

QByteArray header(int tracks, int format = 1, int division = 480)
{
    return QByteArray("MThd\0\0\0\6", 8) + char(0) + char(format) + char(tracks >> 8) + char(tracks)
           + char(division >> 8) + char(division);
}

QByteArray track(const QByteArray &events, qint64 length = -1)
{
    const quint32 size = quint32(length < 0 ? events.size() : length);
    return "MTrk" + QByteArray(1, char(size >> 24)) + char(size >> 16) + char(size >> 8) + char(size) + events;
}

const QByteArray tempo("\x00\xff\x51\x03\x07\xa1\x20", 7);
// Two notes, a quarter each.
const QByteArray notes("\x00\x90\x3c\x64\x83\x60\x80\x3c\x00\x00\x90\x40\x64\x83\x60\x80\x40\x00", 18);
const QByteArray end("\x00\xff\x2f\x00", 4);

// The note-ons FluidSynth's player plays of a song, to its end.
int notesPlayed(const std::vector<char> &song)
{
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    fluid_settings_t *settings = morvik::audio::newSynthSettings();
    fluid_synth_t *synth = new_fluid_synth(settings);
    fluid_player_t *player = new_fluid_player(synth);
    int played = 0;
    fluid_player_set_playback_callback(
        player,
        [](void *count, fluid_midi_event_t *event) {
            if (fluid_midi_event_get_type(event) == 0x90 && fluid_midi_event_get_velocity(event) > 0)
                ++*static_cast<int *>(count);
            return FLUID_OK;
        },
        &played);
    fluid_player_add_mem(player, song.data(), song.size());
    fluid_player_play(player);
    std::vector<float> block(2 * 512);
    for (int i = 0; i < 22050 / 512 * 20 && fluid_player_get_status(player) == FLUID_PLAYER_PLAYING; ++i)
        fluid_synth_write_float(synth, 512, block.data(), 0, 2, block.data(), 1, 2);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return played;
}

}  // namespace

class TestSongFile : public QObject {
    Q_OBJECT

private slots:
    void forgivenFaults_data()
    {
        QTest::addColumn<QByteArray>("song");
        QTest::addColumn<int>("notes");
        const QByteArray whole = tempo + notes + end;
        // A data byte after a meta or SysEx event goes on with the status of the note before.
        const QByteArray afterMeta = tempo + QByteArray("\x00\x90\x3c\x64\x00\xff\x01\x01x\x00\x40\x64\x83\x60\x80\x3c\x00\x00\x40\x00", 20) + end;
        const QByteArray afterSysEx = tempo + QByteArray("\x00\x90\x3c\x64\x00\xf0\x05\x7e\x7f\x09\x01\xf7\x00\x40\x64\x83\x60\x80\x3c\x00\x00\x40\x00", 23) + end;
        QTest::newRow("as it should be") << header(1, 0) + track(whole) << 2;
        QTest::newRow("a byte after End of Track") << header(1, 0) + track(whole + '\0') << 2;
        QTest::newRow("a byte after the last track") << header(1, 0) + track(whole) + '\0' << 2;
        QTest::newRow("no End of Track") << header(1, 0) + track(tempo + notes) << 2;
        QTest::newRow("no End of Track, longer length") << header(1, 0) + track(tempo + notes, tempo.size() + notes.size() + 10) << 2;
        QTest::newRow("running status across a meta event") << header(1, 0) + track(afterMeta) << 2;
        QTest::newRow("running status across SysEx") << header(1, 0) + track(afterSysEx) << 2;
        QTest::newRow("last track shorter than its length") << header(1, 0) + track(whole, whole.size() + 100) << 2;
        QTest::newRow("last track longer than its length") << header(1, 0) + track(whole, whole.size() - 6) << 2;
        QTest::newRow("first track shorter than its length") << header(2) + track(whole, whole.size() + 3) + track(notes + end) << 4;
        QTest::newRow("first track longer than its length") << header(2) + track(whole, whole.size() - 6) + track(notes + end) << 4;
        QTest::newRow("fewer tracks than announced") << header(3) + track(whole) << 2;
        QTest::newRow("a chunk of another kind") << header(1, 0) + "XFIH" + QByteArray("\0\0\0\4abcd", 8) + track(whole) << 2;
        QTest::newRow("a sequencer's escape") << header(1, 0) + track(tempo + QByteArray("\x00\xf7\x02\xf3\x01", 5) + notes + end) << 2;
        QTest::newRow("End of Track with a length") << header(1, 0) + track(tempo + notes + QByteArray("\x00\xff\x2f\x01\x00", 5)) << 2;
        QTest::newRow("tempo of four bytes") << header(1, 0) + track(QByteArray("\x00\xff\x51\x04\x07\xa1\x20\x00", 8) + notes + end) << 2;
        QTest::newRow("time code") << header(1, 0, 0xe728) + track(whole) << 2;
    }

    // Each song is taken, and every note of it is played.
    void forgivenFaults()
    {
        QFETCH(QByteArray, song);
        QFETCH(int, notes);
        const morvik::audio::Song read = morvik::audio::readSong({song.constData(), std::size_t(song.size())});
        QCOMPARE(QString::fromStdString(read.error), QString());
        QCOMPARE(notesPlayed(read.standard), notes);
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("song");
        QTest::addColumn<QString>("reason");
        const QByteArray whole = tempo + notes + end;
        QByteArray tracks = header(129);
        for (int i = 0; i < 129; ++i)
            tracks += track(end);
        // A quarter note of 16.7 s, 216 of them.
        const QByteArray slow = QByteArray("\x00\xff\x51\x03\xff\xff\xff", 7) + number(216 * 480) + QByteArray("\x90\x3c\x64", 3) + end;
        QTest::newRow("not a MIDI file") << QByteArray("RIFF....WAVEfmt ") << "not a standard MIDI file";
        QTest::newRow("header alone") << header(1, 0) << "not a standard MIDI file";
        QTest::newRow("cut within an event") << header(1, 0) + track(whole).chopped(6) << "not a standard MIDI file";
        QTest::newRow("more than 128 tracks") << tracks << "more than 128 tracks";
        QTest::newRow("longer than an hour") << header(1, 0) + track(slow) << "longer than an hour";
    }

    void refusedFiles()
    {
        QFETCH(QByteArray, song);
        QFETCH(QString, reason);
        const morvik::audio::Song read = morvik::audio::readSong({song.constData(), std::size_t(song.size())});
        QCOMPARE(QString::fromStdString(read.error), reason);
        QCOMPARE(QString::fromStdString(morvik::audio::songError({song.constData(), std::size_t(song.size())})), reason);
    }

    void channelsOnDefault_data()
    {
        QTest::addColumn<QByteArray>("song");
        QTest::addColumn<QList<int>>("channels");
        const QByteArray organ("\x00\xc0\x10", 3);
        const QByteArray drum("\x00\x99\x26\x64\x60\x89\x26\x00", 8);
        QTest::newRow("notes and no program") << header(1, 0) + track(tempo + notes + end) << QList<int>{0};
        QTest::newRow("a program before the notes") << header(1, 0) + track(tempo + organ + notes + end) << QList<int>{};
        QTest::newRow("a program after the first note") << header(1, 0) + track(tempo + notes + organ + notes + end) << QList<int>{0};
        QTest::newRow("a program in an earlier track") << header(2) + track(tempo + organ + end) + track(notes + end) << QList<int>{};
        QTest::newRow("a program in a later track, at the same tick") << header(2) + track(tempo + notes + end) + track(organ + end) << QList<int>{0};
        QTest::newRow("drums on channel 10") << header(1, 0) + track(tempo + drum + end) << QList<int>{9};
        QTest::newRow("a note-on of no strength") << header(1, 0) + track(tempo + QByteArray("\x00\x90\x3c\x00", 4) + end) << QList<int>{};
    }

    // The channels that sound before their song selects an instrument.
    void channelsOnDefault()
    {
        QFETCH(QByteArray, song);
        QFETCH(QList<int>, channels);
        const morvik::audio::Song read = morvik::audio::readSong({song.constData(), std::size_t(song.size())});
        QList<int> onDefault;
        for (int c = 0; c < 16; ++c)
            if (read.startsOnDefault[std::size_t(c)])
                onDefault.append(c);
        QCOMPARE(onDefault, channels);
    }

    // The notes a song sounds at once, each until 0.3 s after its note-off, size the synth's voices.
    void notesAtOnce()
    {
        QByteArray chord = tempo;
        for (int key = 40; key < 100; ++key)
            chord += QByteArray(1, '\0') + QByteArray("\x90", 1) + char(key) + char(100);
        chord += number(960) + QByteArray("\x80\x28\x00", 3);
        for (int key = 41; key < 100; ++key)
            chord += QByteArray(1, '\0') + char(key) + char(0);
        // A note a beat later, while the chord dies away, and one after that has gone.
        chord += number(100) + QByteArray("\x90\x20\x64", 3) + number(960) + QByteArray("\x90\x21\x64", 3) + end;
        const QByteArray song = header(1, 0) + track(chord);
        const morvik::audio::Song read = morvik::audio::readSong({song.constData(), std::size_t(song.size())});
        QCOMPARE(read.notesAtOnce, 61);
        QCOMPARE(morvik::audio::voicesFor(read.notesAtOnce), 122);
        QCOMPARE(morvik::audio::voicesFor(3), morvik::audio::FewestVoices);
        QCOMPARE(morvik::audio::voicesFor(1000), morvik::audio::MostVoices);
    }
};

QTEST_GUILESS_MAIN(TestSongFile)
#include "test_song_file.moc"
