// The time a player waits: a click on an option button until the new game is painted, and an
// accepted move key until the tile is repainted. The window is shown on the offscreen platform
// and the cues play through the real media player on SDL's dummy audio driver.
#include "application.h"
#include "clock_random.h"
#include "form1.h"
#include "media_player.h"

#include <QDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

morvik::Form1 *form = nullptr;

// Runs what the click or key left pending: the repaint above all.
void paint()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void NewGame(benchmark::State &state, QWidget *(*option)())
{
    for (auto _ : state) {
        QTest::mouseClick(option(), Qt::LeftButton);
        paint();
    }
}

void SlidingNewGame(benchmark::State &state)
{
    NewGame(state, [] { return static_cast<QWidget *>(form->Option1); });
}

void AssemblyNewGame(benchmark::State &state)
{
    NewGame(state, [] { return static_cast<QWidget *>(form->Option2); });
}

void MoveKey(benchmark::State &state)
{
    QTest::mouseClick(form->Option1, Qt::LeftButton);
    paint();
    // Two keys that undo each other, both accepted wherever the blank is.
    const bool fromBelow = form->state.BlankY < 9;
    const Qt::Key there = fromBelow ? Qt::Key_8 : Qt::Key_2;
    const Qt::Key back = fromBelow ? Qt::Key_2 : Qt::Key_8;
    bool out = true;
    for (auto _ : state) {
        QTest::keyClick(form, out ? there : back);
        paint();
        out = !out;
    }
}

}  // namespace

BENCHMARK(SlidingNewGame)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(AssemblyNewGame)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(MoveKey)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("MORVIK_AUDIO_MODULE", MORVIK_AUDIO_MODULE, 0);
    QDir::setCurrent(MORVIK_SOUND_DIR);
    morvik::Application app(argc, argv);
    morvik::MediaPlayer MCIWnd1;
    morvik::MediaPlayer MCIWnd2;
    morvik::ClockRandom random;
    morvik::Form1 window(MCIWnd1, MCIWnd2, random);
    app.setKeyPreview(&window, [&window](std::int16_t key) { window.Form_KeyPress(key); });
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    form = &window;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
