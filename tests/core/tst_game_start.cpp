#include "harness.h"

#include <QTest>

using namespace morvik;
using morvik::test::Harness;

// Events that arrive while a game start waits in one of its yields.
class TestGameStart : public QObject {
    Q_OBJECT

private slots:
    void idleModeNeitherShufflesNorYields();
    void timerTickDuringAYield();
    void newerGameStartOvertakesTheWalk();
    void newerGameStartOvertakesThePreparation();
    void idleChosenDuringTheWalk();
    void keyDuringTheWalkYield();
    void closingDuringAYieldAbandonsTheStart();
    void animationCycle();
};

void TestGameStart::idleModeNeitherShufflesNorYields()
{
    Harness h;
    h.game.ChooseIdle();
    QCOMPARE(h.yields, 0);
    h.game.ShufflePieces();
    QCOMPARE(h.yields, 0);
    for (int i = 0; i < 100; ++i)
        QVERIFY(!h.tray(i).visible);
    QCOMPARE(h.c().Label1, std::string("1"));
}

void TestGameStart::timerTickDuringAYield()
{
    Harness h;
    h.onYield = [&] { h.game.AdvanceAnimation(); };
    h.game.ChooseSliding();
    QCOMPARE(h.state.AnimFrame, 1);
    QCOMPARE(h.yields, 2);  // the preparation, then the walk
    QVERIFY(h.slidingConsistent());
}

void TestGameStart::newerGameStartOvertakesTheWalk()
{
    Harness h;
    int yields = 0;
    // The sliding start yields in its preparation (1st), then before the walk (2nd): choose
    // assembly mode there. The older walk must not move boxes of the new assembly layout.
    h.onYield = [&] {
        ++yields;
        h.onYield = [&] {
            ++yields;
            h.game.ChooseAssembly();
        };
    };
    h.game.ChooseSliding();
    QCOMPARE(h.state.GameMode, 2);
    for (int i = 0; i < 100; ++i) {
        QCOMPARE(h.tray(i).left, trayLeft(i % 10));
        QCOMPARE(h.tray(i).top, trayTop(i / 10));
        QVERIFY(h.tray(i).visible);
    }
    QVERIFY(h.piecesConserved());
    QCOMPARE(h.state.BlankX, 9);
    QCOMPARE(h.state.BlankY, 9);
}

void TestGameStart::newerGameStartOvertakesThePreparation()
{
    Harness h;
    h.game.ChooseAssembly();
    h.onYield = [&] { h.game.ChooseSliding(); };
    h.game.ChooseAssembly();
    // The sliding game stands as its handler left it: the older assembly start did not lay out.
    QCOMPARE(h.state.GameMode, 1);
    QVERIFY(!h.tray(99).visible);
    QVERIFY(h.slidingConsistent());
    QVERIFY(!(h.state.BlankX == 9 && h.state.BlankY == 9));
}

void TestGameStart::idleChosenDuringTheWalk()
{
    // Idle mode starts no game, so the walk goes on; everything stays consistent and hidden.
    Harness h;
    h.onYield = [&] { h.onYield = [&] { h.game.ChooseIdle(); }; };
    h.game.ChooseSliding();
    QCOMPARE(h.state.GameMode, 0);
    QVERIFY(h.slidingConsistent());
    for (int i = 0; i < 99; ++i)
        QVERIFY(!h.tray(i).visible);
}

void TestGameStart::keyDuringTheWalkYield()
{
    Harness h;
    h.onYield = [&] { h.onYield = [&] { h.game.KeyPress('2'); }; };
    h.game.ChooseSliding();
    QCOMPARE(h.cues, std::vector<Cue>{Cue::Move});
    QVERIFY(h.slidingConsistent());
}

void TestGameStart::closingDuringAYieldAbandonsTheStart()
{
    for (int yieldNo : {1, 2}) {
        Harness h;
        h.game.ChooseAssembly();
        const Controls before = h.game.controls;
        if (yieldNo == 1) {
            // In the preparation: nothing is laid out after it.
            h.onYield = [&] { h.game.Close(); };
            h.keys("hopla");
            for (int i = 0; i < 100; ++i)
                QCOMPARE(h.tray(i).picture, before.Picture1[i].picture);
        } else {
            // Before the walk: the blank never leaves its solved place.
            h.onYield = [&] { h.onYield = [&] { h.game.Close(); }; };
            h.game.ChooseSliding();
            QCOMPARE(h.state.BlankX, 9);
            QCOMPARE(h.state.BlankY, 9);
            QVERIFY(h.slidingConsistent());
        }
    }
}

void TestGameStart::animationCycle()
{
    Harness h;
    for (int tick = 1; tick <= 32; ++tick) {
        h.game.AdvanceAnimation();
        QCOMPARE(h.state.AnimFrame, tick % 16);
        QCOMPARE(h.c().Image2, h.c().Picture7[tick % 16]);
    }
}

QTEST_GUILESS_MAIN(TestGameStart)
#include "tst_game_start.moc"
