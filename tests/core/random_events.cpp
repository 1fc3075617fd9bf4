#include "random_events.h"

#include "harness.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>

namespace morvik::random_events {

const GridKey gridKeys[10] = {
    {Qt::Key_Left, false, 0, "left"},   {Qt::Key_Right, false, 0, "right"},
    {Qt::Key_Up, false, 0, "up"},       {Qt::Key_Down, false, 0, "down"},
    {Qt::Key_Home, false, 0, "home"},   {Qt::Key_End, false, 0, "end"},
    {Qt::Key_Home, true, 0, "ctrl+home"}, {Qt::Key_End, true, 0, "ctrl+end"},
    {Qt::Key_Space, false, ' ', "space"}, {Qt::Key_Return, false, '\r', "enter"},
};

namespace {

constexpr std::int16_t keySpace = 8, keyEnter = 9;

using test::Harness;

std::uint64_t mix(std::uint64_t z)
{
    z += 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

struct Failed {
    Failure failure;
};

// Everything a handler can change, to show that an overtaken game start changed nothing.
struct Snapshot {
    Module1 state;
    Controls controls;
    std::size_t cues = 0;
};

bool sameBox(const Box &a, const Box &b)
{
    return a.picture == b.picture && a.visible == b.visible && a.left == b.left && a.top == b.top
        && a.toolTip == b.toolTip;
}

bool same(const Snapshot &a, const Snapshot &b)
{
    const Module1 &s = a.state;
    const Module1 &t = b.state;
    const bool state = s.BlankX == t.BlankX && s.BlankY == t.BlankY
        && std::memcmp(s.Grid, t.Grid, sizeof s.Grid) == 0
        && std::memcmp(s.TrayPiece, t.TrayPiece, sizeof s.TrayPiece) == 0
        && std::memcmp(s.BoardPiece, t.BoardPiece, sizeof s.BoardPiece) == 0
        && std::memcmp(s.KeyHistory, t.KeyHistory, sizeof s.KeyHistory) == 0
        && s.GameMode == t.GameMode && s.PictureNo == t.PictureNo && s.HandPiece == t.HandPiece
        && s.AnimFrame == t.AnimFrame && s.AppDir == t.AppDir && s.EffectCommand == t.EffectCommand;
    const Controls &k = a.controls;
    const Controls &l = b.controls;
    bool controls = sameBox(k.Picture3, l.Picture3) && k.Image1 == l.Image1 && k.Image2 == l.Image2
        && k.Label1 == l.Label1;
    for (int n = 0; n < 100; ++n)
        controls = controls && sameBox(k.Picture1[n], l.Picture1[n]) && sameBox(k.Picture2[n], l.Picture2[n]);
    return state && controls && a.cues == b.cues;
}

// One event in flight: the mode before it, the yields of its game start, and, if a newer start or
// the closing overtook it in a yield, the state right after that yield.
struct Frame {
    std::int16_t modeBefore = 0;
    int yields = 0;
    bool overtaken = false;
    Snapshot afterYield;
};

// The events run at one level: at the top, or inside one yield. The state is settled when the
// layout on the controls is the one of the current mode; it is not while a mode chosen anew waits
// in its first yield, before its layout, until something nested lays out.
struct Scope {
    bool settled;
    bool started = false;  // a game start began here
};

// How one seed plays: how often it changes mode, fills the yields, and clicks with a purpose, and
// whether it makes those clicks with the mouse, from the keyboard or through a screen reader.
enum class Way { Mouse, Keyboard, Reader };
struct Profile {
    double modeRate;
    double burstRate;
    double purposeRate;
    double closeRate;
    Way way;
};

class Driver {
public:
    Driver(std::uint64_t seed, const std::vector<Event> *recorded, std::uint64_t count, const Fault &fault)
        : seed_(seed), recorded_(recorded), count_(count), fault_(fault), pick_(mix(seed))
    {
        static constexpr double modeRates[] = {0.08, 0.01, 0.001};
        static constexpr double closeRates[] = {1.0 / 500, 1.0 / 3000, 1.0 / 20000};
        static constexpr double burstRates[] = {0.2, 0.6, 0.9};
        static constexpr double purposeRates[] = {0.3, 0.8};
        const auto pace = pick_() % 3;
        // Seeds 1, 4, 7... click with the mouse, 2, 5, 8... from the keyboard, 3, 6, 9... through a
        // screen reader.
        profile_ = {modeRates[pace], burstRates[pick_() % 3], purposeRates[pick_() % 2], closeRates[pace],
                    static_cast<Way>((seed + 2) % 3)};
        // From the keyboard a click takes some five keys: the pace counts clicks, not keys.
        if (profile_.way == Way::Keyboard) {
            profile_.modeRate /= 5;
            profile_.closeRate /= 5;
        }
    }

    Outcome run()
    {
        Outcome out;
        try {
            openWindow();
            while (recorded_ ? at_ < recorded_->size() : stats_.events < count_) {
                dispatch(take());
                if (h_->game.closed())
                    openWindow();
            }
        } catch (const Failed &failed) {
            out.failure = failed.failure;
        }
        out.events = std::move(log_);
        out.stats = stats_;
        return out;
    }

private:
    Module1 &state() { return h_->state; }
    Controls &controls() { return h_->game.controls; }
    bool closed() const { return h_->game.closed(); }

    void openWindow()
    {
        h_ = std::make_unique<Harness>();
        ++stats_.windows;
        h_->random = ClockRandom([clock = mix(seed_ ^ mix(stats_.windows))]() mutable { return clock++; });
        h_->onYield = [this] { yield(); };
        scopes_ = {Scope{false}};
        frames_.clear();
        cheat_ = 0;
        focus_ = 0;
        walking_ = false;
    }

    [[noreturn]] void fail(const std::string &what) { throw Failed{{stats_.events, what}}; }

    Event take()
    {
        const Event e = recorded_ ? (*recorded_)[at_++] : draw();
        log_.push_back(e);
        return e;
    }

    // How many of the following events run inside the yield that has come.
    int burst()
    {
        if (recorded_) {
            if (at_ < recorded_->size() && (*recorded_)[at_].kind == Kind::Burst)
                return take().arg;
            return 0;
        }
        if (scopes_.size() > 5 || chance() >= profile_.burstRate)
            return 0;
        const auto n = static_cast<std::int16_t>(1 + pick_() % 8);
        log_.push_back({Kind::Burst, n});
        return n;
    }

    bool moreAt() const { return !recorded_ || at_ < recorded_->size(); }

    void yield()
    {
        h_->onYield = [this] { yield(); };
        const std::size_t f = frames_.size() - 1;
        const bool first = ++frames_[f].yields == 1;
        // In the first yield of a start the layout is still the old one: settled only if the mode
        // has not changed. In the second, before the walk, it is the solved sliding layout.
        const bool settled = !first || (scopes_.back().settled && frames_[f].modeBefore == state().GameMode);
        scopes_.push_back(Scope{settled});
        stats_.deepestYield = std::max(stats_.deepestYield, static_cast<int>(scopes_.size()) - 1);
        const int n = burst();
        for (int i = 0; i < n && !closed() && moreAt(); ++i)
            dispatch(take());
        const Scope scope = scopes_.back();
        scopes_.pop_back();
        if (scope.started || closed()) {
            frames_[f].overtaken = true;
            frames_[f].afterYield = snapshot();
        }
    }

    Snapshot snapshot() { return {state(), controls(), h_->cues.size()}; }

    void dispatch(const Event &e)
    {
        if (e.kind == Kind::Burst || closed())
            return;  // a burst means something only in a yield; a closed window takes no events
        ++stats_.events;
        frames_.emplace_back().modeBefore = state().GameMode;
        apply(e);
        if (fault_)
            fault_(state(), controls());
        const Frame frame = std::move(frames_.back());
        frames_.pop_back();
        if (frame.yields > 0) {
            ++stats_.gameStarts;
            scopes_.back().started = true;
            if (e.kind == Kind::Board || e.kind == Kind::GridKey || e.kind == Kind::CellAction)
                ++stats_.boardCompletions;
            if (e.kind == Kind::GridKey)
                ++stats_.keyboardCompletions;
            if (e.kind == Kind::Key)
                ++stats_.cheatCompletions;
        }
        if (frame.overtaken) {
            ++stats_.overtakenStarts;
            if (!same(frame.afterYield, snapshot()))
                fail("a game start overtaken in its yield changed the state after it");
        }
        if (closed())
            return;
        if (frame.yields > 0 || e.kind == Kind::Idle)
            scopes_.back().settled = true;
        check(scopes_.back().settled);
    }

    void apply(const Event &e)
    {
        Game &game = h_->game;
        switch (e.kind) {
        case Kind::Key:
            game.KeyPress(e.arg);
            break;
        case Kind::Tray:
            game.TrayClick(e.arg);
            break;
        case Kind::Board:
            game.BoardClick(e.arg);
            break;
        // A click on an option button gives it the focus, and idle mode hides the grids.
        case Kind::Sliding:
            focus_ = 0;
            game.ChooseSliding();
            break;
        case Kind::Assembly:
            focus_ = 0;
            game.ChooseAssembly();
            break;
        case Kind::Idle:
            focus_ = 0;
            game.ChooseIdle();
            break;
        // Hidden grids take no focus.
        case Kind::Focus:
            focus_ = state().GameMode != 0 ? e.arg : 0;
            break;
        case Kind::GridKey: {
            // A typed character reaches the window's key handler first, wherever the focus is,
            // and then the focused control.
            const GridKey &key = gridKeys[e.arg];
            if (key.typed)
                game.KeyPress(key.typed);
            if (focus_ == 0 || closed())
                break;
            GridCursor &cursor = game.cursor(place(focus_ - 1));
            if (!cursor.move(key.key, key.control))
                clickCell(focus_ - 1, cursor.cell);
            break;
        }
        case Kind::CellAction:
            clickCell(e.arg / 100, e.arg % 100);
            break;
        case Kind::Tick:
            game.AdvanceAnimation();
            break;
        case Kind::Close:
            game.Close();
            break;
        case Kind::Burst:
            break;
        }
    }

    static Place place(int grid) { return grid == 0 ? Place::Tray : Place::Board; }

    // The click on a grid cell: on the box shown there, as the mouse would make it, or nothing.
    void clickCell(int grid, int cell)
    {
        const int box = h_->game.boxAt(place(grid), cell);
        if (box < 0)
            return;
        ++stats_.cellClicks;
        stats_.nestedCellClicks += scopes_.size() > 1;
        if (grid == 0)
            h_->game.TrayClick(static_cast<std::int16_t>(box));
        else
            h_->game.BoardClick(static_cast<std::int16_t>(box));
    }

    void check(bool settled)
    {
        const Module1 &s = state();
        const Controls &k = controls();
        auto inRange = [](int value, int last) { return value >= 0 && value <= last; };
        if (!inRange(s.PictureNo, 14))
            fail("picture number " + std::to_string(s.PictureNo) + " out of 0..14");
        if (!inRange(s.GameMode, 2))
            fail("game mode " + std::to_string(s.GameMode) + " out of 0..2");
        if (!inRange(s.AnimFrame, 15) || !(k.Image2.isNull() || k.Image2 == k.Picture7[s.AnimFrame]))
            fail("the animation display disagrees with its frame number");
        if (!inRange(s.HandPiece, 99))
            fail("hand piece out of 0..99");
        for (int n = 0; n < 100; ++n)
            if (!inRange(s.TrayPiece[n], 99) || !inRange(s.BoardPiece[n], 99))
                fail("tray or board piece number out of 0..99");
        const bool started = !k.Image1.isNull();
        if (started ? k.Label1 != numberText(s.PictureNo + 1) || !(k.Image1 == k.Picture6[s.PictureNo])
                    : k.Label1 != "1" || s.PictureNo != 0)
            fail("the picture number, its label and the preview disagree");
        if (!settled)
            return;
        if (!inRange(s.BlankX, 9) || !inRange(s.BlankY, 9))
            fail("blank out of the grid");
        if (!h_->slidingConsistent())
            fail("grid, blank and tile positions disagree");
        for (int n = 0; n < 99; ++n) {
            const bool shown = s.GameMode != 0;
            if (k.Picture1[n].visible != shown || k.Picture2[n].visible != shown)
                fail("a tray box or board cell is shown or hidden against the mode");
            if (s.GameMode == 1 && Harness::pieceShown(k.Picture1[n].picture) != n)
                fail("a sliding tile shows another piece than its number");
        }
        if (s.GameMode == 1 && k.Picture1[99].visible)
            fail("the blank's tray box is shown in sliding mode");
        if (s.GameMode == 2 && !h_->piecesConserved())
            fail("a piece is lost, doubled, or shown where its number says another");
    }

    double chance() { return std::uniform_real_distribution<double>(0, 1)(pick_); }
    int below(int n) { return static_cast<int>(pick_() % static_cast<unsigned>(n)); }

    Event draw()
    {
        static constexpr char cheat[] = "hopla";
        if (chance() < profile_.closeRate)
            return {Kind::Close};
        if (cheat_ > 0 && cheat_ < 5)
            return {Kind::Key, cheat[cheat_++]};
        cheat_ = 0;
        // Walking the cursor to a cell mostly goes on until it is there.
        if (walking_ && state().GameMode == 2 && chance() < 0.9)
            return anyWay(purposeful());
        walking_ = false;
        // Idle mode has little to play, so a mode is chosen sooner there.
        if (chance() < (state().GameMode == 0 ? 0.05 : profile_.modeRate)) {
            const double r = chance();
            return {r < 0.4 ? Kind::Sliding : r < 0.85 ? Kind::Assembly : Kind::Idle};
        }
        // A player at work in assembly mode keeps at it.
        if (state().GameMode == 2 && chance() < profile_.purposeRate / 2)
            return anyWay(purposeful());
        const double r = chance();
        if (r < 0.30)
            return {Kind::Key, "8246"[below(4)]};
        if (r < 0.34)
            return {Kind::Key, "013579"[below(6)]};
        if (r < 0.42)
            return {Kind::Key, static_cast<std::int16_t>((below(2) ? 'a' : 'A') + below(26))};
        if (r < 0.42 + profile_.modeRate / 4) {
            cheat_ = 1;
            return {Kind::Key, cheat[0]};
        }
        if (r < 0.52)
            return {Kind::Tick};
        if (r < 0.54)
            return {Kind::Focus, static_cast<std::int16_t>(below(3))};
        if (r < 0.60)
            return {Kind::GridKey, static_cast<std::int16_t>(below(10))};
        if (r < 0.62)
            return {Kind::CellAction, static_cast<std::int16_t>(below(200))};
        // A player at the keyboard does not reach for the mouse: a stray key in place of a click.
        if (profile_.way == Way::Keyboard)
            return {Kind::GridKey, static_cast<std::int16_t>(below(10))};
        return {r < 0.81 ? Kind::Tray : Kind::Board, static_cast<std::int16_t>(below(100))};
    }

    // A purposeful click made the seed's way: with the mouse, through a screen reader, or from the
    // keyboard, where it is the focus into the grid, the cursor one key nearer to the cell, or
    // Space or Enter once it is there.
    Event anyWay(Event click)
    {
        const int grid = click.kind == Kind::Tray ? 0 : 1;
        if (profile_.way == Way::Mouse)
            return click;
        if (profile_.way == Way::Reader)
            return {Kind::CellAction, static_cast<std::int16_t>(100 * grid + click.arg)};
        walking_ = true;
        if (focus_ != grid + 1)
            return {Kind::Focus, static_cast<std::int16_t>(grid + 1)};
        const int at = h_->game.cursor(place(grid)).cell, c = at % 10, r = at / 10;
        const int column = click.arg % 10, row = click.arg / 10;
        auto key = [](int k) { return Event{Kind::GridKey, static_cast<std::int16_t>(k)}; };
        if (at == click.arg) {
            walking_ = false;
            return key(below(2) ? keySpace : keyEnter);
        }
        if (click.arg == 0 || click.arg == 99)
            return key(click.arg == 0 ? 6 : 7);
        if (column == 0 && c > 1)
            return key(4);
        if (column == 9 && c < 8)
            return key(5);
        if (r != row)
            return key(r < row ? 3 : 2);
        return key(c < column ? 1 : 0);
    }

    // The click that brings the assembly nearer to its end: a wrong piece off the board, a piece
    // in hand onto its cell, or the next missing piece out of the tray.
    Event purposeful()
    {
        const Module1 &s = state();
        const Game &game = h_->game;
        auto boardEmpty = [&](int i) { return game.inBox(Place::Board, i).empty; };
        auto trayEmpty = [&](int i) { return game.inBox(Place::Tray, i).empty; };
        auto at = [](Kind kind, int i) { return Event{kind, static_cast<std::int16_t>(i)}; };
        if (game.inHand().empty) {
            for (int i = 0; i < 100; ++i)
                if (!boardEmpty(i) && s.BoardPiece[i] != i)
                    return at(Kind::Board, i);
            for (int p = 0; p < 100; ++p) {
                if (!boardEmpty(p))
                    continue;
                for (int i = 0; i < 100; ++i)
                    if (!trayEmpty(i) && s.TrayPiece[i] == p)
                        return at(Kind::Tray, i);
            }
        } else {
            if (s.HandPiece >= 0 && s.HandPiece < 100 && boardEmpty(s.HandPiece))
                return at(Kind::Board, s.HandPiece);
            for (int i = 0; i < 100; ++i)
                if (trayEmpty(i))
                    return at(Kind::Tray, i);
        }
        return at(below(2) ? Kind::Tray : Kind::Board, below(100));
    }

    const std::uint64_t seed_;
    const std::vector<Event> *recorded_;
    const std::uint64_t count_;
    const Fault &fault_;
    std::mt19937_64 pick_;
    Profile profile_;
    std::size_t at_ = 0;
    std::vector<Event> log_;
    Stats stats_;
    std::unique_ptr<Harness> h_;
    std::vector<Scope> scopes_;
    std::vector<Frame> frames_;
    int cheat_ = 0;
    int focus_ = 0;  // 0 a button, 1 the tray, 2 the board
    bool walking_ = false;  // the last purposeful event moved the focus or the cursor
};

}  // namespace

std::string describe(const Event &e)
{
    const std::string arg = std::to_string(e.arg);
    switch (e.kind) {
    case Kind::Key:
        if (e.arg > 32 && e.arg < 127)
            return std::string("key '") + static_cast<char>(e.arg) + "'";
        return "key " + arg;
    case Kind::Tray:
        return "tray click " + arg;
    case Kind::Board:
        return "board click " + arg;
    case Kind::Sliding:
        return "choose sliding";
    case Kind::Assembly:
        return "choose assembly";
    case Kind::Idle:
        return "choose idle";
    case Kind::Tick:
        return "timer tick";
    case Kind::Close:
        return "close the window";
    case Kind::Burst:
        return "the next yield runs the next " + arg + " events";
    case Kind::Focus:
        return e.arg == 1 ? "Tab into the tray" : e.arg == 2 ? "Tab into the board" : "Tab to a button";
    case Kind::GridKey:
        return std::string("key ") + gridKeys[e.arg].name;
    case Kind::CellAction:
        return std::string("screen reader clicks ") + (e.arg < 100 ? "tray" : "board") + " cell "
            + std::to_string(e.arg % 100);
    }
    return "?";
}

Stats &Stats::operator+=(const Stats &o)
{
    events += o.events;
    windows += o.windows;
    gameStarts += o.gameStarts;
    overtakenStarts += o.overtakenStarts;
    boardCompletions += o.boardCompletions;
    cheatCompletions += o.cheatCompletions;
    cellClicks += o.cellClicks;
    nestedCellClicks += o.nestedCellClicks;
    keyboardCompletions += o.keyboardCompletions;
    deepestYield = std::max(deepestYield, o.deepestYield);
    return *this;
}

Outcome generate(std::uint64_t seed, std::uint64_t count, const Fault &fault)
{
    return Driver(seed, nullptr, count, fault).run();
}

Outcome replay(std::uint64_t seed, const std::vector<Event> &events, const Fault &fault)
{
    return Driver(seed, &events, 0, fault).run();
}

std::vector<Event> shrink(std::vector<Event> events, const std::function<bool(const std::vector<Event> &)> &fails)
{
    // Rounds of passes until none finds anything: leave out runs of events, halving their length
    // down to one; leave events out of bursts; shorten the bursts, so that the events they held
    // run on the outside.
    for (bool shorter = true; shorter;) {
        shorter = false;
        for (std::size_t chunk = std::max<std::size_t>(events.size() / 2, 1);; chunk /= 2) {
            for (std::size_t from = 0; from < events.size();) {
                std::vector<Event> fewer = events;
                fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(from),
                            fewer.begin() + static_cast<std::ptrdiff_t>(std::min(from + chunk, events.size())));
                if (fails(fewer)) {
                    events = std::move(fewer);
                    shorter = true;
                } else {
                    from += chunk;
                }
            }
            if (chunk == 1)
                break;
        }
        // Leave one event out of the burst that holds it, which then holds one fewer.
        for (std::size_t i = 0; i < events.size(); ++i) {
            std::size_t burst = i;
            for (std::size_t j = i; j-- > 0 && burst == i;)
                if (events[j].kind == Kind::Burst && j + static_cast<std::size_t>(events[j].arg) >= i)
                    burst = j;
            if (burst == i || events[i].kind == Kind::Burst)
                continue;
            std::vector<Event> fewer = events;
            fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
            if (--fewer[burst].arg == 0)
                fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(burst));
            if (fails(fewer)) {
                events = std::move(fewer);
                shorter = true;
                --i;
            }
        }
        for (Event &e : events) {
            while (e.kind == Kind::Burst && e.arg > 1) {
                --e.arg;
                if (!fails(events)) {
                    ++e.arg;
                    break;
                }
                shorter = true;
            }
        }
    }
    return events;
}

std::vector<Event> shortest(std::uint64_t seed, const Outcome &failed, const Fault &fault)
{
    const std::string what = failed.failure->what;
    return shrink(failed.events, [&](const std::vector<Event> &events) {
        const Outcome again = replay(seed, events, fault);
        return again.failure && again.failure->what == what;
    });
}

std::string report(std::uint64_t seed, const Outcome &failed, const Fault &fault)
{
    const std::string what = failed.failure->what;
    const std::vector<Event> list = shortest(seed, failed, fault);
    std::ostringstream out;
    out << "seed " << seed << ": " << what << ", at event " << failed.failure->event << "\n"
        << "shortest event list that still fails (" << list.size() << "):\n";
    for (std::size_t i = 0; i < list.size(); ++i)
        out << "  " << i + 1 << ". " << describe(list[i]) << "\n";
    return out.str();
}

}  // namespace morvik::random_events
