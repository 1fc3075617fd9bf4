#include "harness.h"

#include <QTest>

using namespace morvik;
using morvik::test::Harness;

namespace morvik {
char *toString(const Holding &h)
{
    const QByteArray piece = h.piece ? "piece " + QByteArray::number(*h.piece) : QByteArray("no piece");
    return qstrdup((h.empty ? "empty, " : "not empty, ") + piece);
}
}  // namespace morvik

class TestPlaces : public QObject {
    Q_OBJECT

private slots:
    void assembly();
    void sliding();
    void boxOnTop_data();
    void boxOnTop();
    void handWithNoPicture();
};

namespace {
const Holding empty{true, std::nullopt};
Holding piece(int n) { return {false, n}; }
}  // namespace

// Told by the pictures: a place a piece has left is empty, though its number stays behind.
void TestPlaces::assembly()
{
    Harness h;
    Game &g = h.game;
    g.ChooseAssembly();
    const int p = h.state.TrayPiece[23];
    const int q = h.state.TrayPiece[40];
    g.TrayClick(23);
    g.BoardClick(5);
    g.TrayClick(40);
    g.BoardClick(7);
    g.BoardClick(7);
    QCOMPARE(h.state.BoardPiece[7], q);

    const struct {
        Place place;
        int cell;
        Holding holds;
    } cases[] = {
        {Place::Tray, 23, empty},
        {Place::Tray, 40, empty},
        {Place::Tray, 41, piece(h.state.TrayPiece[41])},
        {Place::Board, 5, piece(p)},
        {Place::Board, 6, empty},
        {Place::Board, 7, empty},
    };
    for (const auto &c : cases) {
        QCOMPARE(g.boxAt(c.place, c.cell), c.cell);
        QCOMPARE(g.inCell(c.place, c.cell), c.holds);
        QCOMPARE(g.inBox(c.place, c.cell), c.holds);
    }
    QCOMPARE(g.inHand(), piece(q));
}

// The tiles move, and a cell tells the tile standing there; the blank's cell shows no box. Board
// cell 99 keeps the tray's marker, which is neither empty nor a piece.
void TestPlaces::sliding()
{
    Harness h;
    Game &g = h.game;
    g.ChooseAssembly();
    g.ChooseSliding();
    QVERIFY(h.slidingConsistent());
    const int blank = 10 * h.state.BlankY + h.state.BlankX;
    for (int cell = 0; cell < 100; ++cell) {
        const int tile = cell == blank ? -1 : h.state.Grid[cell % 10][cell / 10];
        QCOMPARE(g.boxAt(Place::Tray, cell), tile);
        QCOMPARE(g.inCell(Place::Tray, cell), tile < 0 ? empty : piece(tile));
    }
    QCOMPARE(g.boxAt(Place::Board, 99), 99);
    QCOMPARE(g.inCell(Place::Board, 99), (Holding{false, std::nullopt}));
    QCOMPARE(g.inCell(Place::Board, 98), empty);
    QCOMPARE(g.inHand(), empty);
}

// Where two tray boxes stand on one cell, the cell shows the one the design creates later: 99
// first, then 0 to 68, 70 to 98, and 69 last.
void TestPlaces::boxOnTop_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("cell");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("shown");
    QTest::newRow("98 over 3") << 98 << 3 << true << 98;
    QTest::newRow("3 over 99") << 99 << 3 << true << 3;
    QTest::newRow("69 over all") << 3 << 69 << true << 69;
    QTest::newRow("70 over 0") << 0 << 70 << true << 70;
    QTest::newRow("a hidden box is not shown") << 98 << 3 << false << 3;
}

void TestPlaces::boxOnTop()
{
    QFETCH(int, box);
    QFETCH(int, cell);
    QFETCH(bool, visible);
    QFETCH(int, shown);
    Harness h;
    h.game.ChooseAssembly();
    h.tray(box).left = trayLeft(cell % 10);
    h.tray(box).top = trayTop(cell / 10);
    h.tray(box).visible = visible;
    QCOMPARE(h.game.boxAt(Place::Tray, cell), shown);
    QCOMPARE(h.game.inCell(Place::Tray, cell), piece(h.state.TrayPiece[shown]));
    QCOMPARE(h.game.boxAt(Place::Tray, box), -1);
}

// The hand shows no picture until the first assembly game. It carries no piece then, yet it is
// not empty either: a click on a full tray box picks nothing up.
void TestPlaces::handWithNoPicture()
{
    Harness h;
    QCOMPARE(h.game.inHand(), (Holding{false, std::nullopt}));
    h.game.ChooseAssembly();
    h.hand().picture = Picture();
    QCOMPARE(h.game.inHand(), (Holding{false, std::nullopt}));
    const Picture tray = h.tray(10).picture;
    h.game.TrayClick(10);
    QCOMPARE(h.tray(10).picture, tray);
    QVERIFY(h.cues.empty());
}

QTEST_GUILESS_MAIN(TestPlaces)
#include "tst_places.moc"
