// The game in real time, with keys and clicks arriving at a player's pace from another thread:
// are they all handled, in the order they came; do the title animation and the song keep going;
// does the song start over at its loop point? Run it on a quiet machine and next to a parallel
// build (bench/under_load.sh does both) and compare.
//
//   build/bench/under_load [seconds]      (default 100: the song passes its loop point once)
//
// The audio runs on SDL's dummy driver, which mixes in real time. The exit status is 1 when an
// event was lost or handled out of order, when the animation missed a frame, or when the song did
// not start over where it should.

#include "application.h"
#include "audio_device.h"
#include "real_window.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace morvik;
using morvik::test::RealWindow;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int LoopPoint = 86800;
constexpr int MixerBufferMs = 47;

double msSince(Clock::time_point start, Clock::time_point t = Clock::now())
{
    return std::chrono::duration<double, std::milli>(t - start).count();
}

// What the player did, as the poster sent it and as a handler saw it.
struct Input {
    char kind;  // 'k' key, 'b' board click, 'o' option button
    int arg;
    double ms;  // since the start
    bool operator==(const Input &o) const { return kind == o.kind && arg == o.arg; }
};

struct Spread {
    double median = 0, p99 = 0, max = 0;
};

Spread spread(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values[values.size() * 99 / 100], values.back()};
}

std::string loadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five;
    in >> one >> five;
    return one + " " + five;
}

// Runs just before the timer's handlers: a filter of its timer events.
class BeforeTick : public QObject {
public:
    explicit BeforeTick(std::function<void()> run) : run_(std::move(run)) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Timer)
            run_();
        return false;
    }

private:
    std::function<void()> run_;
};

void click(QWidget *widget, QPoint at, const QPointingDevice *mouse)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QCoreApplication::postEvent(widget, new QMouseEvent(type, QPointF(at), widget->mapToGlobal(QPointF(at)),
                                                            Qt::LeftButton, buttons, Qt::NoModifier, mouse));
    }
}

}  // namespace

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    setenv("MORVIK_AUDIO_MODULE", MORVIK_AUDIO_MODULE, 0);
    if (chdir(MORVIK_SOUND_DIR) != 0) {
        std::perror(MORVIK_SOUND_DIR);
        return 2;
    }
    Application app(argc, argv);
    // As the game does: the audio device opens once the window is painted.
    auto audio = std::make_shared<AudioDevice>(std::chrono::milliseconds(500));
    auto window = std::make_unique<RealWindow>(ClockRandom::Clock{}, audio);
    Form1 &form = window->form;
    const Clock::time_point start = Clock::now();
    const std::string loadBefore = loadAverage();

    // What the handlers saw.
    std::vector<Input> handled;
    app.setKeyPreview(&form, [&](std::int16_t key) {
        handled.push_back({'k', key, msSince(start)});
        form.Form_KeyPress(key);
    });
    auto board = form.Picture2->onClick;
    form.Picture2->onClick = [&, board](int n) {
        handled.push_back({'b', n, msSince(start)});
        board(n);
    };
    QObject::connect(form.Option1, &QAbstractButton::clicked, [&] { handled.push_back({'o', 1, msSince(start)}); });
    QObject::connect(form.Option2, &QAbstractButton::clicked, [&] { handled.push_back({'o', 2, msSince(start)}); });

    // Every tick: when it came, the frame it showed, and the song's position before and after it.
    struct Tick {
        double ms;
        int frame;
        std::int32_t before, after;
    };
    std::vector<Tick> ticks;
    std::int32_t before = 0;
    BeforeTick beforeTick([&] { before = window->MCIWnd2.position(); });
    form.Timer1.installEventFilter(&beforeTick);
    QObject::connect(&form.Timer1, &QTimer::timeout, [&] {
        ticks.push_back({msSince(start), form.state.AnimFrame, before, window->MCIWnd2.position()});
    });

    // The player: an option button every ten seconds, sliding and assembling by turns, and between
    // them a key or a click on the board every 40 ms.
    std::vector<Input> sent;
    std::mutex sentLock;
    // The devices events name are made on first use: here, not on the player's thread.
    const QPointingDevice *mouse = QPointingDevice::primaryPointingDevice();
    const QInputDevice *keyboard = QInputDevice::primaryKeyboard();
    std::atomic<bool> stop = false;
    std::atomic<bool> sending = true;
    std::thread player([&] {
        std::mt19937 pick(1);
        for (int n = 0; msSince(start) < seconds * 1000.0 && !stop; ++n) {
            Input input;
            if (n % 250 == 0) {
                const int option = n / 250 % 2 + 1;
                input = {'o', option, msSince(start)};
                QWidget *button = option == 1 ? static_cast<QWidget *>(form.Option1) : form.Option2;
                click(button, button->rect().center(), mouse);
            } else if (n < 25) {
                // The first game is laid out before the board is clicked.
                std::this_thread::sleep_until(start + std::chrono::milliseconds(40 * (n + 1)));
                continue;
            } else if (pick() % 2) {
                const char key = "8246ab"[pick() % 6];
                input = {'k', key, msSince(start)};
                QCoreApplication::postEvent(&form, new QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, 0, 0, 0,
                                                                 QString(QChar(key)), false, 1, keyboard));
            } else {
                const int cell = static_cast<int>(pick() % 99);
                input = {'b', cell, msSince(start)};
                click(form.Picture2, form.Picture2->geometry(cell).center() - form.Picture2->pos(), mouse);
            }
            {
                const std::lock_guard lock(sentLock);
                sent.push_back(input);
            }
            std::this_thread::sleep_until(start + std::chrono::milliseconds(40 * (n + 1)));
        }
        sending = false;
    });
    // Once the player is done, and what it sent last has had time to be handled, the run ends.
    QTimer finish;
    QObject::connect(&finish, &QTimer::timeout, [&] {
        if (!sending && msSince(start) > seconds * 1000.0 + 1000)
            QCoreApplication::exit(0);
    });
    finish.start(100);

    form.client->onFirstPaint = [&audio] { audio->start(); };
    form.show();
    app.exec();
    stop = true;
    player.join();
    const std::string loadAfter = loadAverage();

    // Input: all of it, in order, and how long it waited.
    bool inOrder = handled.size() == sent.size();
    std::vector<double> waits;
    for (std::size_t i = 0; i < std::min(handled.size(), sent.size()); ++i) {
        inOrder = inOrder && handled[i] == sent[i];
        waits.push_back(handled[i].ms - sent[i].ms);
    }
    // The animation: one frame further at every tick, and how regular the ticks came.
    int missedFrames = 0;
    std::vector<double> intervals;
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        missedFrames += ticks[i].frame != (ticks[i - 1].frame + 1) % 16;
        intervals.push_back(ticks[i].ms - ticks[i - 1].ms);
    }
    // The song: how fast its position moved against the clock, where it started over, and whether
    // it did at every tick that found it past the loop point.
    double songMs = 0;
    std::vector<std::int32_t> restarts;
    bool restartedAtItsPoint = true;
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        const bool restarted = ticks[i].after < ticks[i].before;
        if (restarted) {
            restarts.push_back(ticks[i].before);
            restartedAtItsPoint = restartedAtItsPoint && ticks[i].before > LoopPoint - MixerBufferMs;
        } else {
            songMs += ticks[i].after - ticks[i - 1].after;
            restartedAtItsPoint = restartedAtItsPoint && ticks[i].before <= LoopPoint;
        }
    }
    const double wallMs = ticks.size() > 1 ? ticks.back().ms - ticks.front().ms : 0;

    const Spread wait = spread(waits);
    const Spread interval = spread(intervals);
    std::printf("load average (1, 5 min) %s at the start, %s at the end\n", loadBefore.c_str(), loadAfter.c_str());
    std::printf("input: %zu sent, %zu handled, %s; wait from sending to its handler: median %.1f ms, "
                "99%% %.1f ms, max %.1f ms\n",
                sent.size(), handled.size(), inOrder ? "all in order" : "NOT ALL IN ORDER", wait.median, wait.p99,
                wait.max);
    std::printf("animation: %zu ticks in %.1f s, %d frames missed; tick interval median %.1f ms, 99%% %.1f ms, "
                "max %.1f ms\n",
                ticks.size(), wallMs / 1000, missedFrames, interval.median, interval.p99, interval.max);
    std::printf("music: %.1f s of song in %.1f s (%.3f of real time); started over %zu times, at",
                songMs / 1000, wallMs / 1000, wallMs > 0 ? songMs / wallMs : 0.0, restarts.size());
    for (std::int32_t at : restarts)
        std::printf(" %d ms", at);
    std::printf("\n");

    const bool ok = inOrder && missedFrames == 0 && restartedAtItsPoint;
    std::printf("%s\n", ok ? "ok" : "FAIL");
    window.reset();
    return ok ? 0 : 1;
}
