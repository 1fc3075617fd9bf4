#include "harness.h"

#include <QTest>

#include <cstring>
#include <random>

using namespace morvik;
using morvik::test::Harness;

Q_DECLARE_METATYPE(std::string)

class TestSliding : public QObject {
    Q_OBJECT

private slots:
    void keyAgainstEdge_data();
    void keyAgainstEdge();
    void acceptedMovesSlideTheTile_data();
    void acceptedMovesSlideTheTile();
    void oppositeKeysUndo();
    void shuffleAndMovesKeepGridAndTilesAgreeing();
    void walkNeverUndoesItsLastMove();
    void walkIsPinnedForAFixedClock();
    void digitsOutsideSlidingMode();
    void cheatWord_data();
    void cheatWord();
    void clockRandom();
    void wordBegunInIdleMode();
};

// Puts the blank at (column, row) with accepted moves from the solved start.
static void blankTo(Harness &h, int column, int row)
{
    h.state.GameMode = 1;
    h.game.LayOutBoard();
    while (h.state.BlankX > column)
        h.game.KeyPress('6');
    while (h.state.BlankY > row)
        h.game.KeyPress('2');
    h.cues.clear();
}

void TestSliding::keyAgainstEdge_data()
{
    QTest::addColumn<char>("key");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::newRow("8 in the bottom row") << '8' << 4 << 9;
    QTest::newRow("2 in the top row") << '2' << 4 << 0;
    QTest::newRow("4 in the right column") << '4' << 9 << 4;
    QTest::newRow("6 in the left column") << '6' << 0 << 4;
}

void TestSliding::keyAgainstEdge()
{
    QFETCH(char, key);
    QFETCH(int, column);
    QFETCH(int, row);
    Harness h;
    blankTo(h, column, row);
    const Module1 before = h.state;
    std::vector<std::pair<int, int>> positions;
    for (auto &tile : h.c().Picture1)
        positions.emplace_back(tile.left, tile.top);

    h.game.KeyPress(key);

    QVERIFY(h.cues.empty());
    QCOMPARE(h.state.BlankX, before.BlankX);
    QCOMPARE(h.state.BlankY, before.BlankY);
    QVERIFY(std::memcmp(h.state.Grid, before.Grid, sizeof before.Grid) == 0);
    for (int i = 0; i < 100; ++i)
        QCOMPARE(std::make_pair(h.tray(i).left, h.tray(i).top), positions[i]);
    QCOMPARE(h.state.KeyHistory[4], key);
    QCOMPARE(h.state.KeyHistory[3], before.KeyHistory[4]);
}

void TestSliding::acceptedMovesSlideTheTile_data()
{
    QTest::addColumn<char>("key");
    QTest::addColumn<int>("dx");  // where the blank goes
    QTest::addColumn<int>("dy");
    QTest::newRow("8: the tile below slides up") << '8' << 0 << 1;
    QTest::newRow("2: the tile above slides down") << '2' << 0 << -1;
    QTest::newRow("4: the tile on the right slides left") << '4' << 1 << 0;
    QTest::newRow("6: the tile on the left slides right") << '6' << -1 << 0;
}

void TestSliding::acceptedMovesSlideTheTile()
{
    QFETCH(char, key);
    QFETCH(int, dx);
    QFETCH(int, dy);
    Harness h;
    blankTo(h, 5, 5);
    const int tile = h.state.Grid[5 + dx][5 + dy];
    h.game.KeyPress(key);
    QCOMPARE(h.cues, std::vector<Cue>{Cue::Move});
    QCOMPARE(h.state.BlankX, 5 + dx);
    QCOMPARE(h.state.BlankY, 5 + dy);
    QCOMPARE(h.state.Grid[5][5], tile);
    QCOMPARE(h.tray(tile).left, trayLeft(5));
    QCOMPARE(h.tray(tile).top, trayTop(5));
    QVERIFY(h.slidingConsistent());
}

void TestSliding::oppositeKeysUndo()
{
    Harness h;
    blankTo(h, 4, 4);
    const Module1 before = h.state;
    std::vector<std::pair<int, int>> positions;
    for (auto &tile : h.c().Picture1)
        positions.emplace_back(tile.left, tile.top);
    h.keys("8246");
    QCOMPARE(h.cues.size(), std::size_t{4});
    QCOMPARE(h.state.BlankX, before.BlankX);
    QCOMPARE(h.state.BlankY, before.BlankY);
    QVERIFY(std::memcmp(h.state.Grid, before.Grid, sizeof before.Grid) == 0);
    for (int i = 0; i < 100; ++i)
        QCOMPARE(std::make_pair(h.tray(i).left, h.tray(i).top), positions[i]);
}

void TestSliding::shuffleAndMovesKeepGridAndTilesAgreeing()
{
    for (unsigned seed = 0; seed < 20; ++seed) {
        Harness h;
        h.random = ClockRandom([seed] { return std::uint64_t{seed}; });
        h.game.ChooseSliding();
        QVERIFY(h.slidingConsistent());
        QVERIFY(!h.tray(99).visible);
        std::mt19937 keys(seed);
        const char digits[] = "8246";
        for (int i = 0; i < 500; ++i)
            h.game.KeyPress(digits[keys() % 4]);
        QVERIFY2(h.slidingConsistent(), qPrintable(QString("seed %1").arg(seed)));
    }
}

// The blank's position at every reseed, that is before every step of the walk.
struct TracingRandom : Random {
    ClockRandom inner{[] { return std::uint64_t{7}; }};
    const Module1 *state = nullptr;
    std::vector<std::pair<int, int>> trail;
    float draw() override { return inner.draw(); }
    void reseed() override
    {
        inner.reseed();
        if (state && (trail.empty() || trail.back() != std::make_pair<int, int>(state->BlankX, state->BlankY)))
            trail.emplace_back(state->BlankX, state->BlankY);
    }
};

void TestSliding::walkNeverUndoesItsLastMove()
{
    for (std::uint64_t seed = 1; seed <= 30; ++seed) {
        Harness h;
        TracingRandom random;
        random.inner = ClockRandom([seed] { return seed; });
        random.state = &h.state;
        Game game(h.state, h, random, h);
        game.controls = h.game.controls;
        game.ChooseSliding();
        random.state = nullptr;
        auto &trail = random.trail;
        if (trail.back() != std::make_pair<int, int>(h.state.BlankX, h.state.BlankY))
            trail.emplace_back(h.state.BlankX, h.state.BlankY);
        QVERIFY(trail.size() > 20);
        for (std::size_t i = 2; i < trail.size(); ++i)
            QVERIFY2(trail[i] != trail[i - 2], qPrintable(QString("seed %1 step %2").arg(seed).arg(i)));
        for (std::size_t i = 1; i < trail.size(); ++i) {
            const int distance = std::abs(trail[i].first - trail[i - 1].first)
                + std::abs(trail[i].second - trail[i - 1].second);
            QCOMPARE(distance, 1);
        }
    }
}

// A fixed clock makes both shuffles repeatable: they end as they ended when this was written.
void TestSliding::walkIsPinnedForAFixedClock()
{
    Harness h;
    h.game.ChooseSliding();
    QCOMPARE(std::make_pair(int(h.state.BlankX), int(h.state.BlankY)), std::make_pair(4, 1));
    std::vector<int> row0;
    for (int column = 0; column < 10; ++column)
        row0.push_back(h.state.Grid[column][0]);
    QCOMPARE(row0, (std::vector<int>{0, 1, 13, 4, 5, 3, 6, 8, 9, 19}));
    h.game.ChooseAssembly();
    const std::vector<int> tray(h.state.TrayPiece, h.state.TrayPiece + 10);
    QCOMPARE(tray, (std::vector<int>{69, 71, 33, 26, 4, 9, 16, 37, 25, 38}));
}

void TestSliding::digitsOutsideSlidingMode()
{
    Harness h;
    h.keys("8246abc");  // no mode chosen yet
    QVERIFY(h.cues.empty());
    for (auto key : h.state.KeyHistory)
        QCOMPARE(key, 0);

    h.game.ChooseAssembly();
    h.cues.clear();
    const Module1 before = h.state;
    h.keys("8246");
    QVERIFY(h.cues.empty());
    QCOMPARE(h.state.BlankX, before.BlankX);
    QCOMPARE(h.state.KeyHistory[1], '8');
    QCOMPARE(h.state.KeyHistory[4], '6');
    QVERIFY(h.piecesConserved());
}

void TestSliding::cheatWord_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<std::string>("typed");
    QTest::addColumn<bool>("matches");
    QTest::newRow("sliding") << 1 << std::string("hopla") << true;
    QTest::newRow("assembly") << 2 << std::string("hopla") << true;
    QTest::newRow("after other keys") << 1 << std::string("xx8hopla") << true;
    QTest::newRow("capitals") << 1 << std::string("HOPLA") << false;
    QTest::newRow("one wrong letter") << 2 << std::string("hoxla") << false;
    QTest::newRow("wrong, then the whole word") << 1 << std::string("hoxlahopla") << true;
    QTest::newRow("a letter in between") << 1 << std::string("hopxla") << false;
}

void TestSliding::cheatWord()
{
    QFETCH(int, mode);
    QFETCH(std::string, typed);
    QFETCH(bool, matches);
    Harness h;
    if (mode == 1)
        h.game.ChooseSliding();
    else
        h.game.ChooseAssembly();
    h.cues.clear();
    const int yieldsBefore = h.yields;
    h.keys(typed.c_str());
    if (matches) {
        QCOMPARE(std::count(h.cues.begin(), h.cues.end(), Cue::Completion), 1);
        QCOMPARE(h.cues.back(), Cue::Completion);
        QCOMPARE(h.state.PictureNo, 1);
        QCOMPARE(h.c().Label1, std::string(" 2"));
        QCOMPARE(h.state.GameMode, mode);
        QVERIFY(h.yields > yieldsBefore);
        if (mode == 1)
            QVERIFY(h.slidingConsistent());
        else
            QVERIFY(h.piecesConserved());
    } else {
        QVERIFY(h.cues.empty() || h.cues.back() != Cue::Completion);
        QCOMPARE(h.state.PictureNo, 0);
    }
}

void TestSliding::clockRandom()
{
    // Reseeding within one tick of a stopped clock still moves on.
    ClockRandom random([] { return std::uint64_t{5}; });
    std::set<float> draws;
    for (int i = 0; i < 1000; ++i) {
        random.reseed();
        const float r = random.draw();
        QVERIFY(r >= 0.0f && r < 1.0f);
        draws.insert(r);
    }
    QVERIFY(draws.size() > 990);
}

// Letters typed in idle mode do not count towards the word.
void TestSliding::wordBegunInIdleMode()
{
    Harness h;
    h.keys("hop");
    h.game.ChooseSliding();
    h.cues.clear();
    h.keys("la");
    QVERIFY(h.cues.empty());
    QCOMPARE(h.state.PictureNo, 0);
}

QTEST_GUILESS_MAIN(TestSliding)
#include "tst_sliding.moc"
