#include "harness.h"

#include <QTest>

#include <random>

using namespace morvik;
using morvik::test::Harness;

class TestAssembly : public QObject {
    Q_OBJECT

private slots:
    void shuffleStart();
    void trayClicks();
    void boardClicks();
    void carryBetweenPlaces();
    void clicksOutsideAssemblyMode();
    void wrongCellPlaysOnlyThePickAndPutCue();
    void completingTheBoard();
    void completionNeedsEveryCellFilled_data();
    void completionNeedsEveryCellFilled();
    void lastPictureWrapsToTheFirst();
    void piecesAreConservedWhateverIsClicked();
};

// The tray box that holds piece p.
static std::int16_t trayOf(Harness &h, int p)
{
    for (std::int16_t i = 0; i < 100; ++i)
        if (!(h.tray(i).picture == h.c().Picture5) && h.state.TrayPiece[i] == p)
            return i;
    return -1;
}

static std::vector<Cue> pickAndPut(int n = 1)
{
    return std::vector<Cue>(static_cast<std::size_t>(n), Cue::PickAndPut);
}

void TestAssembly::shuffleStart()
{
    Harness h;
    h.game.ChooseAssembly();
    QVERIFY(h.piecesConserved());
    int moved = 0;
    for (int i = 0; i < 100; ++i) {
        QVERIFY(h.tray(i).visible);
        QCOMPARE(h.tray(i).left, trayLeft(i % 10));
        QCOMPARE(h.board(i).picture, h.c().Picture4);
        QCOMPARE(Harness::pieceShown(h.tray(i).picture), h.state.TrayPiece[i]);
        moved += h.state.TrayPiece[i] != i;
    }
    QVERIFY(moved > 50);
    QCOMPARE(h.hand().picture, h.c().Picture4);
    QVERIFY(h.cues.empty());
}

void TestAssembly::trayClicks()
{
    Harness h;
    h.game.ChooseAssembly();
    const Picture piece = h.tray(10).picture;
    const int number = h.state.TrayPiece[10];

    h.game.TrayClick(10);  // pick up
    QCOMPARE(h.hand().picture, piece);
    QCOMPARE(h.tray(10).picture.handle(), 0);
    QCOMPARE(h.state.HandPiece, number);
    QCOMPARE(h.state.TrayPiece[10], number);  // left in place
    QCOMPARE(h.cues, pickAndPut());

    h.game.TrayClick(11);  // a full box while carrying: nothing
    QCOMPARE(h.cues, pickAndPut());
    QCOMPARE(h.hand().picture, piece);

    h.game.TrayClick(10);  // put back
    QCOMPARE(h.tray(10).picture, piece);
    QCOMPARE(h.hand().picture, h.c().Picture4);
    QCOMPARE(h.cues, pickAndPut(2));

    h.game.TrayClick(10);  // pick up again, then an empty box with an empty hand does nothing
    h.game.TrayClick(10);
    h.game.TrayClick(10);
    h.cues.clear();
    h.game.TrayClick(10);
    h.game.TrayClick(10);
    QCOMPARE(h.cues, pickAndPut(2));
    h.cues.clear();
    h.game.TrayClick(10);
    h.game.TrayClick(10);
    h.game.TrayClick(10);
    QVERIFY(h.piecesConserved());
}

void TestAssembly::boardClicks()
{
    Harness h;
    h.game.ChooseAssembly();
    h.game.BoardClick(7);  // empty cell, empty hand
    QVERIFY(h.cues.empty());
    h.game.TrayClick(trayOf(h, 7));
    const Picture seven = h.hand().picture;
    h.cues.clear();
    h.game.BoardClick(7);
    QCOMPARE(h.board(7).picture, seven);
    QCOMPARE(h.hand().picture, h.c().Picture4);
    QCOMPARE(h.state.BoardPiece[7], 7);
    QCOMPARE(h.cues, (std::vector<Cue>{Cue::PickAndPut, Cue::CorrectPiece}));

    h.game.TrayClick(trayOf(h, 8));
    h.cues.clear();
    h.game.BoardClick(7);  // full cell while carrying: nothing
    QVERIFY(h.cues.empty());
    h.game.BoardClick(9);  // piece 8 on the wrong cell
    QCOMPARE(h.cues, pickAndPut());
    QCOMPARE(h.state.BoardPiece[9], 8);
    h.cues.clear();

    h.game.BoardClick(7);  // pick up from the board; the number stays
    QCOMPARE(h.hand().picture, seven);
    QCOMPARE(h.board(7).picture, h.c().Picture4);
    QCOMPARE(h.state.BoardPiece[7], 7);
    QCOMPARE(h.state.HandPiece, 7);
    QCOMPARE(h.cues, pickAndPut());
    QVERIFY(h.piecesConserved());
}

void TestAssembly::carryBetweenPlaces()
{
    Harness h;
    h.game.ChooseAssembly();
    const std::int16_t a = trayOf(h, 42);
    const std::int16_t b = trayOf(h, 43);
    h.game.TrayClick(b);
    h.game.BoardClick(0);  // 43 to the board leaves box b empty
    h.cues.clear();
    h.game.TrayClick(a);  // tray to tray
    h.game.TrayClick(b);
    QCOMPARE(h.state.TrayPiece[b], 42);
    QCOMPARE(h.tray(a).picture.handle(), 0);
    h.game.BoardClick(0);  // board to board
    h.game.BoardClick(1);
    QCOMPARE(h.state.BoardPiece[1], 43);
    QCOMPARE(h.state.BoardPiece[0], 43);
    QCOMPARE(h.board(0).picture, h.c().Picture4);
    h.game.BoardClick(1);  // board to tray
    h.game.TrayClick(a);
    QCOMPARE(h.state.TrayPiece[a], 43);
    QCOMPARE(Harness::pieceShown(h.tray(a).picture), 43);
    QCOMPARE(h.cues, pickAndPut(6));
    QVERIFY(h.piecesConserved());
}

void TestAssembly::clicksOutsideAssemblyMode()
{
    for (int mode : {-1, 0, 1}) {
        Harness h;
        if (mode == 0)
            h.game.ChooseIdle();
        if (mode == 1)
            h.game.ChooseSliding();
        h.cues.clear();
        const Controls before = h.game.controls;
        for (std::int16_t i = 0; i < 100; i += 7) {
            h.game.TrayClick(i);
            h.game.BoardClick(i);
        }
        QVERIFY(h.cues.empty());
        for (int i = 0; i < 100; ++i) {
            QCOMPARE(h.tray(i).picture, before.Picture1[i].picture);
            QCOMPARE(h.board(i).picture, before.Picture2[i].picture);
        }
        QCOMPARE(h.hand().picture, before.Picture3.picture);
    }
}

// Fills every cell but `last` with its own piece.
static void fillAllBut(Harness &h, int last)
{
    for (int p = 0; p < 100; ++p) {
        if (p == last)
            continue;
        h.game.TrayClick(trayOf(h, p));
        h.game.BoardClick(static_cast<std::int16_t>(p));
    }
}

void TestAssembly::wrongCellPlaysOnlyThePickAndPutCue()
{
    Harness h;
    h.game.ChooseAssembly();
    fillAllBut(h, 55);
    h.cues.clear();
    h.game.BoardClick(54);
    h.game.BoardClick(55);  // piece 54 on cell 55
    QCOMPARE(h.cues, pickAndPut(2));
    QCOMPARE(h.state.PictureNo, 0);
}

void TestAssembly::completingTheBoard()
{
    Harness h;
    h.game.ChooseAssembly();
    fillAllBut(h, 99);
    h.game.TrayClick(trayOf(h, 99));
    h.cues.clear();
    h.game.BoardClick(99);
    QCOMPARE(h.cues, (std::vector<Cue>{Cue::PickAndPut, Cue::CorrectPiece, Cue::Completion}));
    QCOMPARE(h.state.PictureNo, 1);
    QCOMPARE(h.c().Label1, std::string(" 2"));
    QCOMPARE(h.state.GameMode, 2);
    for (int i = 0; i < 100; ++i)
        QCOMPARE(h.board(i).picture, h.c().Picture4);
    QVERIFY(h.piecesConserved());
}

// A cell counts only while it shows its own piece: an empty cell 0 (whose number starts at 0) or a
// correct piece taken away again leaves the board unfinished.
void TestAssembly::completionNeedsEveryCellFilled_data()
{
    QTest::addColumn<int>("emptyCell");
    QTest::addColumn<int>("last");
    QTest::newRow("cell 0 never filled") << 0 << 99;
    QTest::newRow("cell 37 filled and emptied again") << 37 << 99;
    QTest::newRow("cell 99 filled and emptied again") << 99 << 98;
}

void TestAssembly::completionNeedsEveryCellFilled()
{
    QFETCH(int, emptyCell);
    QFETCH(int, last);
    Harness h;
    h.game.ChooseAssembly();
    fillAllBut(h, emptyCell == 0 ? 0 : last);
    if (emptyCell != 0) {
        h.game.BoardClick(static_cast<std::int16_t>(emptyCell));  // take it off again
        for (std::int16_t i = 0; i < 100; ++i)
            if (h.tray(i).picture == h.c().Picture5) {
                h.game.TrayClick(i);
                break;
            }
        QCOMPARE(h.state.BoardPiece[emptyCell], emptyCell);
        h.cues.clear();
        h.game.TrayClick(trayOf(h, last));
        h.game.BoardClick(static_cast<std::int16_t>(last));
    }
    QCOMPARE(h.board(emptyCell).picture, h.c().Picture4);
    QCOMPARE(h.cues.back(), Cue::CorrectPiece);
    QVERIFY(std::find(h.cues.begin(), h.cues.end(), Cue::Completion) == h.cues.end());
    QCOMPARE(h.state.PictureNo, 0);
    // Filling the empty cell completes the board.
    h.game.TrayClick(trayOf(h, emptyCell));
    h.game.BoardClick(static_cast<std::int16_t>(emptyCell));
    QCOMPARE(h.cues.back(), Cue::Completion);
    QCOMPARE(h.state.PictureNo, 1);
}

void TestAssembly::lastPictureWrapsToTheFirst()
{
    Harness h;
    h.state.PictureNo = 14;
    h.game.ChooseAssembly();
    QCOMPARE(h.c().Label1, std::string(" 15"));
    fillAllBut(h, -1);
    QCOMPARE(h.state.PictureNo, 0);
    QCOMPARE(h.c().Label1, std::string(" 1"));
    QCOMPARE(h.c().Image1, h.c().Picture6[0]);
}

void TestAssembly::piecesAreConservedWhateverIsClicked()
{
    for (unsigned seed = 0; seed < 10; ++seed) {
        Harness h;
        h.game.ChooseAssembly();
        std::mt19937 clicks(seed);
        for (int i = 0; i < 3000; ++i) {
            const auto index = static_cast<std::int16_t>(clicks() % 100);
            if (clicks() % 2)
                h.game.TrayClick(index);
            else
                h.game.BoardClick(index);
        }
        QVERIFY2(h.piecesConserved(), qPrintable(QString("seed %1").arg(seed)));
    }
}

QTEST_GUILESS_MAIN(TestAssembly)
#include "tst_assembly.moc"
