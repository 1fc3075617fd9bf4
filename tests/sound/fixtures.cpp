#include "fixtures.h"

#include <QFile>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QtEndian>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace fixtures {

namespace {

void put32(QByteArray &out, std::uint32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void put16(QByteArray &out, std::uint16_t value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void putBig32(QByteArray &out, std::uint32_t value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

// A MIDI variable-length quantity.
void putDelta(QByteArray &out, std::uint32_t value)
{
    QByteArray reversed;
    reversed.append(char(value & 0x7f));
    while (value >>= 7)
        reversed.append(char(0x80 | (value & 0x7f)));
    std::reverse(reversed.begin(), reversed.end());
    out.append(reversed);
}

}  // namespace

QByteArray wave(int frames, std::int16_t level)
{
    const std::uint32_t dataBytes = std::uint32_t(frames) * 4;
    QByteArray out("RIFF");
    put32(out, 36 + dataBytes);
    out.append("WAVEfmt ");
    put32(out, 16);
    put16(out, 1);          // PCM
    put16(out, 2);          // stereo
    put32(out, 44100);
    put32(out, 44100 * 4);  // bytes per second
    put16(out, 4);          // bytes per frame
    put16(out, 16);
    out.append("data");
    put32(out, dataBytes);
    for (int i = 0; i < frames; ++i) {
        const std::int16_t sample = i % 2 ? -level : level;
        put16(out, std::uint16_t(sample));
        put16(out, std::uint16_t(sample));
    }
    return out;
}

QByteArray tone(int frames, int hz, std::int16_t level)
{
    QByteArray out = wave(frames, 0);
    for (int i = 0; i < frames; ++i) {
        const auto sample = std::int16_t(std::lround(level * std::sin(2 * M_PI * hz * i / 44100.0)));
        qToLittleEndian(sample, out.data() + 44 + 4 * i);
        qToLittleEndian(sample, out.data() + 46 + 4 * i);
    }
    return out;
}

QByteArray song(const std::vector<Note> &notes, int endMs)
{
    struct Event {
        int ms;
        QByteArray bytes;
    };
    std::vector<Event> events;
    events.push_back({0, QByteArray("\xc0\x10", 2)});                 // drawbar organ
    events.push_back({0, QByteArray("\xff\x51\x03\x07\xa1\x20", 6)});  // 500 000 us a quarter
    for (const Note &note : notes) {
        events.push_back({note.startMs, QByteArray("\x90\x3c\x64", 3)});
        events.push_back({note.endMs, QByteArray("\x80\x3c\x40", 3)});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) { return a.ms < b.ms; });
    events.push_back({endMs, QByteArray("\xff\x2f\x00", 3)});

    QByteArray track;
    int at = 0;
    for (const Event &event : events) {
        putDelta(track, std::uint32_t(event.ms - at));
        track.append(event.bytes);
        at = event.ms;
    }
    QByteArray out("MThd");
    putBig32(out, 6);
    out.append(QByteArray("\x00\x00\x00\x01\x01\xf4", 6));  // format 0, one track, 500 ticks a quarter
    out.append("MTrk");
    putBig32(out, std::uint32_t(track.size()));
    out.append(track);
    return out;
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

std::vector<std::int16_t> samples(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<std::int16_t> out(std::size_t(bytes.size()) / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = qFromLittleEndian<std::int16_t>(bytes.constData() + 2 * i);
    return out;
}

std::vector<Run> soundRuns(const std::vector<std::int16_t> &samples)
{
    constexpr std::int64_t JoinFrames = 44100 / 50;
    std::vector<Run> runs;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) <= 64)
            continue;
        const std::int64_t frame = std::int64_t(i / 2);
        if (!runs.empty() && frame - runs.back().endFrame <= JoinFrames)
            runs.back().endFrame = frame + 1;
        else
            runs.push_back({frame, frame + 1});
    }
    return runs;
}

StderrCapture::StderrCapture()
{
    if (!file_.open())
        qFatal("cannot make a file for stderr: %s", qPrintable(file_.errorString()));
    std::fflush(stderr);
    saved_ = ::dup(2);
    ::dup2(file_.handle(), 2);
}

StderrCapture::~StderrCapture()
{
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
}

QStringList StderrCapture::lines()
{
    std::fflush(stderr);
    QFile file(file_.fileName());
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read back stderr: %s", qPrintable(file.errorString()));
    return QString::fromLocal8Bit(file.readAll()).split('\n', Qt::SkipEmptyParts).filter(QRegularExpression("^morvik: "));
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

QString missingServerProgram()
{
    for (const char *program : {"pulseaudio", "pipewire", "wireplumber", "pipewire-pulse", "parec", "pactl", "dbus-daemon"})
        if (QStandardPaths::findExecutable(program).isEmpty())
            return program;
    return {};
}

Server::Server(QString kind, QString script) : kind_(std::move(kind)), script_(std::move(script)) {}

Server::~Server()
{
    stopRecording();
    script({"quit", dir_.path()});
}

bool Server::start()
{
    if (!script({"start", kind_, dir_.path()}))
        return false;
    for (const QString &line : QString::fromLocal8Bit(output_).split('\n', Qt::SkipEmptyParts)) {
        const auto pair = line.split('=');
        if (pair.size() == 2)
            env_[pair[0]] = pair[1];
    }
    return true;
}

bool Server::stop()
{
    return script({"stop", dir_.path()});
}

QString Server::address() const
{
    return "unix:" + dir_.path() + (kind_ == "pulse" ? "/run/native" : "/run/pulse/native");
}

void Server::record()
{
    stopRecording();
    recorded_ = dir_.filePath(QString("heard-%1.raw").arg(++recordings_));
    recorder_.setStandardOutputFile(recorded_);
    recorder_.setProcessEnvironment(environment());
    recorder_.start("parec", {"-d", env_["SINK"] + ".monitor", "--format=s16le", "--rate=44100", "--channels=2",
                              "--latency-msec=5", "--raw"});
    recorder_.waitForStarted();
}

void Server::stopRecording()
{
    if (recorder_.state() != QProcess::NotRunning) {
        recorder_.terminate();
        recorder_.waitForFinished();
    }
}

bool Server::heard(int level) const
{
    const auto heard = samples(recorded_);
    return std::any_of(heard.begin(), heard.end(), [&](std::int16_t s) { return std::abs(s) > level; });
}

QStringList Server::streams()
{
    QProcess pactl;
    pactl.setProcessEnvironment(environment());
    pactl.start("pactl", {"list", "short", "sink-inputs"});
    pactl.waitForFinished();
    return QString::fromLocal8Bit(pactl.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QProcessEnvironment Server::environment() const
{
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_SERVER", address());
    return env;
}

bool Server::script(const QStringList &args)
{
    QProcess process;
    process.start(script_, args);
    const bool ok = process.waitForFinished(120000) && process.exitCode() == 0;
    output_ = process.readAllStandardOutput();
    if (!ok)
        qWarning("%s", process.readAllStandardError().constData());
    return ok;
}

Drain::Drain()
{
    // Open for reading and writing, the pipe never reads as ended: each device that the test opens
    // and closes on it is one more writer come and gone.
    if (!dir_.isValid() || ::mkfifo(path().toLocal8Bit().constData(), 0600) != 0
        || (fd_ = ::open(path().toLocal8Bit().constData(), O_RDWR | O_CLOEXEC)) < 0)
        qFatal("cannot make the pipe %s", qPrintable(path()));
    reader_ = std::thread([this] {
        char buffer[65536];
        pollfd ready{fd_, POLLIN, 0};
        while (!done_) {
            if (::poll(&ready, 1, 50) > 0 && ::read(fd_, buffer, sizeof buffer) < 0)
                break;
        }
    });
}

Drain::~Drain()
{
    done_ = true;
    reader_.join();
    ::close(fd_);
}

}  // namespace fixtures
