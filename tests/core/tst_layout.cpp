#include "harness.h"

#include <QTest>

using namespace morvik;
using morvik::test::Harness;

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void solvedStartInEveryMode_data();
    void solvedStartInEveryMode();
    void boxesPerMode_data();
    void boxesPerMode();
    void slidingToolTips_data();
    void slidingToolTips();
    void pictureSequence();
    void cellsAreCutRowByRow();
    void picturesAreMadeWhenFirstAskedForAndAgainAfterRelease();
};

// The game (or none) played before, then the mode laid out.
void TestLayout::solvedStartInEveryMode_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("mode");
    for (int before : {-1, 1, 2})
        for (int mode : {0, 1, 2})
            QTest::addRow("after %d, mode %d", before, mode) << before << mode;
}

static void play(Harness &h, int mode)
{
    if (mode == 1) {
        h.game.ChooseSliding();
        h.keys("8888422226666");
    } else if (mode == 2) {
        h.game.ChooseAssembly();
        for (std::int16_t i = 0; i < 30; ++i) {
            h.game.TrayClick(i);
            h.game.BoardClick(static_cast<std::int16_t>(99 - i));
        }
    }
}

void TestLayout::solvedStartInEveryMode()
{
    QFETCH(int, before);
    QFETCH(int, mode);
    Harness h;
    play(h, before);
    h.state.GameMode = static_cast<std::int16_t>(mode);
    h.game.LayOutBoard();
    for (int column = 0; column < 10; ++column)
        for (int row = 0; row < 10; ++row)
            QCOMPARE(h.state.Grid[column][row], column == 9 && row == 9 ? 0 : 10 * row + column);
    QCOMPARE(h.state.BlankX, 9);
    QCOMPARE(h.state.BlankY, 9);
    for (int i = 0; i < 100; ++i) {
        QCOMPARE(h.state.TrayPiece[i], i);
        QCOMPARE(h.state.BoardPiece[i], 0);
    }
}

void TestLayout::boxesPerMode_data()
{
    solvedStartInEveryMode_data();
}

void TestLayout::boxesPerMode()
{
    QFETCH(int, before);
    QFETCH(int, mode);
    Harness h;
    h.game.PictureClip1.setPicture(h.c().Picture6[0]);
    play(h, before);
    Box tray99Before = h.tray(99);
    std::vector<std::int32_t> trayBefore, boardBefore;
    for (int i = 0; i < 100; ++i) {
        trayBefore.push_back(h.tray(i).picture.handle());
        boardBefore.push_back(h.board(i).picture.handle());
    }
    if (mode == 1)
        h.tray(99).visible = false;  // as choosing sliding mode leaves it
    h.state.GameMode = static_cast<std::int16_t>(mode);
    h.game.LayOutBoard();

    std::set<std::int32_t> handles;
    for (int n = 0; n < 100; ++n) {
        const Box &tray = h.tray(n);
        const Box &board = h.board(n);
        if (mode == 1 && n == 99) {
            QCOMPARE(tray.picture.handle(), tray99Before.picture.handle());
            QCOMPARE(tray.left, tray99Before.left);
            QCOMPARE(tray.top, tray99Before.top);
            QCOMPARE(tray.toolTip, tray99Before.toolTip);
            QVERIFY(!tray.visible);
            QCOMPARE(board.picture, h.c().Picture5);
            continue;
        }
        QCOMPARE(tray.left, trayLeft(n % 10));
        QCOMPARE(tray.top, trayTop(n / 10));
        QCOMPARE(tray.visible, mode != 0);
        QCOMPARE(board.visible, mode != 0);
        QCOMPARE(board.left, boardLeft(n % 10));
        if (mode == 0) {
            QCOMPARE(tray.picture.handle(), trayBefore[n]);
            QCOMPARE(board.picture.handle(), n == 99 ? 0 : boardBefore[n]);
            QCOMPARE(tray.toolTip, std::string());
            continue;
        }
        QCOMPARE(Harness::pieceShown(tray.picture), n);
        QVERIFY(tray.picture.handle() != 0);
        QVERIFY(!(tray.picture == h.c().Picture4));
        QVERIFY(handles.insert(tray.picture.handle()).second);
        QCOMPARE(board.picture, h.c().Picture4);
        if (mode == 2)
            QCOMPARE(tray.toolTip, std::string());
    }
}

void TestLayout::slidingToolTips_data()
{
    QTest::addColumn<int>("piece");
    QTest::addColumn<QString>("tip");
    QTest::newRow("0") << 0 << " 0 =  0, 0";
    QTest::newRow("5") << 5 << " 5 =  5, 0";
    QTest::newRow("23") << 23 << " 23 =  3, 2";
    QTest::newRow("50") << 50 << " 50 =  0, 5";
    QTest::newRow("98") << 98 << " 98 =  8, 9";
}

void TestLayout::slidingToolTips()
{
    QFETCH(int, piece);
    QFETCH(QString, tip);
    Harness h;
    h.game.ChooseSliding();
    // The tip travels with its tile, wherever the shuffle put it.
    QCOMPARE(QString::fromStdString(h.tray(piece).toolTip), tip);
}

// Each game start cuts the current picture; the cheat word moves on, 14 wraps to 0, and the
// number text never shows " 0" or " 16".
void TestLayout::pictureSequence()
{
    Harness h;
    QCOMPARE(h.c().Label1, std::string("1"));
    h.game.ChooseAssembly();
    QCOMPARE(h.c().Label1, std::string(" 1"));
    QCOMPARE(h.c().Image1, h.c().Picture6[0]);
    QVERIFY(h.hand().visible);
    h.game.ChooseAssembly();
    QCOMPARE(h.c().Label1, std::string(" 1"));
    for (int i = 1; i <= 15; ++i) {
        h.keys("hopla");
        const int expected = i % 15;
        QCOMPARE(h.state.PictureNo, expected);
        QCOMPARE(h.c().Label1, numberText(expected + 1));
        QCOMPARE(h.c().Image1, h.c().Picture6[expected]);
        QCOMPARE(h.game.PictureClip1.picture(), h.c().Picture6[expected]);
    }
    // Idle mode keeps preview, number and hand.
    h.game.ChooseIdle();
    QCOMPARE(h.c().Label1, std::string(" 1"));
    QVERIFY(h.hand().visible);
}

void TestLayout::cellsAreCutRowByRow()
{
    Harness h;
    h.game.PictureClip1.setPicture(h.c().Picture6[3]);
    const Picture a = h.game.PictureClip1.GraphicCell(9);
    const Picture b = h.game.PictureClip1.GraphicCell(9);
    QVERIFY(a.handle() != b.handle());
    QCOMPARE(a.image().size(), QSize(24, 24));
    QCOMPARE(a.image().pixel(0, 0), h.c().Picture6[3].image().pixel(216, 0));
    QCOMPARE(h.game.PictureClip1.GraphicCell(99).image().pixel(23, 23),
             h.c().Picture6[3].image().pixel(239, 239));
    QCOMPARE(h.game.PictureClip1.GraphicCell(0).image().pixel(0, 0),
             h.c().Picture6[3].image().pixel(0, 0));
}

// A picture's pixels are made only when first asked for, and made again after it lets go of them;
// its handle and the cells cut from it stay. A picture given its pixels keeps them.
void TestLayout::picturesAreMadeWhenFirstAskedForAndAgainAfterRelease()
{
    int made = 0;
    const Picture picture(std::function<QImage()>([&made] {
        QImage image(240, 240, QImage::Format_RGB32);
        image.fill(qRgb(10 * ++made, 0, 0));
        return image;
    }));
    const std::int32_t handle = picture.handle();
    QCOMPARE(made, 0);
    PictureClip clip;
    clip.setPicture(picture);
    const Picture cell = clip.GraphicCell(0);
    QCOMPARE(made, 1);
    picture.image();
    QCOMPARE(made, 1);

    picture.unload();
    QCOMPARE(made, 1);
    QCOMPARE(picture.handle(), handle);
    QCOMPARE(cell.image().pixel(0, 0), qRgb(10, 0, 0));
    QCOMPARE(picture.image().pixel(0, 0), qRgb(20, 0, 0));
    QCOMPARE(made, 2);

    QImage pixels(24, 24, QImage::Format_RGB32);
    pixels.fill(Qt::red);
    const Picture given(pixels);
    given.unload();
    QCOMPARE(given.image().pixel(0, 0), qRgb(255, 0, 0));
}

QTEST_GUILESS_MAIN(TestLayout)
#include "tst_layout.moc"
