#pragma once

#include "controls.h"
#include "module1.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Random play on the rules, with events nested inside the yields of every game start, and the
// state's invariants checked after every event. A run is reproducible from its seed, and a failing
// run can be replayed from its recorded events and shrunk to the shortest list that still fails.
namespace morvik::random_events {

enum class Kind : std::uint8_t {
    Key,       // arg: the character typed
    Tray,      // arg: the tray box clicked
    Board,     // arg: the board cell clicked
    Sliding,   // the three option buttons
    Assembly,
    Idle,
    Tick,      // the animation timer
    Close,     // the window closes; the next event finds a new window
    Burst,     // arg: how many of the following events run inside the yield that comes next
    // The window's keyboard cursor and its cells for a screen reader:
    Focus,       // arg: what Tab gives the focus to: 0 a button, 1 the tray, 2 the board
    GridKey,     // arg: a key of `gridKeys` typed while the focus is wherever it is
    CellAction,  // arg: 100 x grid (0 the tray, 1 the board) + cell: a screen reader's click there
};

// The keys a focused tray or board reads: the cursor keys, and the two that click and are also
// typed characters.
struct GridKey {
    int key;
    bool control;
    std::int16_t typed;  // the character it types, or 0
    const char *name;
};
extern const GridKey gridKeys[10];

struct Event {
    Kind kind;
    std::int16_t arg = 0;
    friend bool operator==(const Event &, const Event &) = default;
};

std::string describe(const Event &event);

struct Failure {
    std::size_t event;  // the number of events dispatched when it was found, counting from 1
    std::string what;
};

// What a run went through, to show that the nesting and the game ends were reached.
struct Stats {
    std::uint64_t events = 0;
    std::uint64_t windows = 0;
    std::uint64_t gameStarts = 0;
    std::uint64_t overtakenStarts = 0;
    std::uint64_t boardCompletions = 0;
    std::uint64_t cheatCompletions = 0;
    std::uint64_t cellClicks = 0;            // clicks from the keyboard or a screen reader on a box
    std::uint64_t nestedCellClicks = 0;      // those of them run inside a yield
    std::uint64_t keyboardCompletions = 0;   // board completions by Space or Enter
    int deepestYield = 0;

    Stats &operator+=(const Stats &other);
};

struct Outcome {
    std::vector<Event> events;  // as dispatched, bursts included
    std::optional<Failure> failure;
    Stats stats;
};

// A planted fault, run after every event before the check: how a test shows that a broken state
// is found and its event list shrunk.
using Fault = std::function<void(Module1 &, Controls &)>;

// Draws about `count` events from `seed` and plays them, stopping at the first failure.
Outcome generate(std::uint64_t seed, std::uint64_t count, const Fault &fault = {});

// Plays recorded events again. The seed sets the game's own random numbers, as in `generate`.
Outcome replay(std::uint64_t seed, const std::vector<Event> &events, const Fault &fault = {});

// The shortest list found, by removing ever smaller runs of events, for which `fails` still holds.
std::vector<Event> shrink(std::vector<Event> events,
                          const std::function<bool(const std::vector<Event> &)> &fails);

// A failing seed's report: the failure and the shortest event list that fails the same way.
std::string report(std::uint64_t seed, const Outcome &failed, const Fault &fault = {});

// The shortest list that `report` prints.
std::vector<Event> shortest(std::uint64_t seed, const Outcome &failed, const Fault &fault = {});

}  // namespace morvik::random_events
