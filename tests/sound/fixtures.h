#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

// Sound files made for the tests, and a reader for what SDL's disk driver rendered.
namespace fixtures {

// A 44.1 kHz stereo 16-bit wave whose samples alternate between +level and -level, so that its
// frames can be told apart from any other sound in the rendered output.
QByteArray wave(int frames, std::int16_t level);

// A 44.1 kHz stereo 16-bit sine wave: a sound that survives the resampling of a sound server.
QByteArray tone(int frames, int hz, std::int16_t level);

struct Note {
    int startMs;
    int endMs;
};

// A one-track MIDI song for an organ, which holds its notes at full strength, one tick per
// millisecond: the given notes (middle C), and the end of the track at endMs.
QByteArray song(const std::vector<Note> &notes, int endMs);

void write(const QString &path, const QByteArray &bytes);

// The 16-bit samples of a raw stereo stream, interleaved.
std::vector<std::int16_t> samples(const QString &path);

struct Run {
    std::int64_t startFrame;
    std::int64_t endFrame;
};

// The stretches of sound louder than the synth's dither, joined across gaps shorter than 20 ms.
std::vector<Run> soundRuns(const std::vector<std::int16_t> &samples);

// Standard error goes into a file while this lives.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;
    // The program's own lines ("morvik: ..."), leaving out the notes of SDL's drivers.
    QStringList lines();

private:
    QTemporaryFile file_;
    int saved_ = -1;
};

// A pipe whose every byte is read and thrown away while this lives: a file for SDL's disk driver
// to render into as fast as the machine can, for as long as a test needs, without filling a disk.
class Drain {
public:
    Drain();
    ~Drain();
    Drain(const Drain &) = delete;
    Drain &operator=(const Drain &) = delete;
    QString path() const { return dir_.filePath("audio"); }

private:
    QTemporaryDir dir_;
    int fd_ = -1;
    std::atomic<bool> done_{false};
    std::thread reader_;
};

}  // namespace fixtures
