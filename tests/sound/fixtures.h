#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <atomic>
#include <cstdint>
#include <functional>
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


// Whether the condition comes true within the time, the event loop running meanwhile. Generous by
// default: a loaded machine may take its time to start a server.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 30000);

// The first program a private sound server needs that is not installed, or nothing.
QString missingServerProgram();

// A private sound server, PulseAudio or PipeWire, in a folder of its own (through the given
// sound-server.sh), and a recorder of its sink's monitor.
class Server {
public:
    Server(QString kind, QString script);
    ~Server();
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    bool start();
    bool stop();
    // Where the server listens, known before it runs.
    QString address() const;
    // Records the sink's monitor into a new file, until the next recording or stopRecording.
    void record();
    void stopRecording();
    QString recorded() const { return recorded_; }
    // Something louder than the given level reached the sink since the recording began.
    bool heard(int level = 1000) const;
    // The streams clients hold on the server.
    QStringList streams();

private:
    QProcessEnvironment environment() const;
    bool script(const QStringList &args);

    QString kind_;
    QString script_;
    QTemporaryDir dir_;
    QByteArray output_;
    QMap<QString, QString> env_;
    QProcess recorder_;
    QString recorded_;
    int recordings_ = 0;
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
