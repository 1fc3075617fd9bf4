#include "window_fixture.h"

#include <QDir>
#include <QGuiApplication>
#include <QWindow>
#include <QTest>
#include <QTimer>

using namespace morvik;
using morvik::test::Window;


class TestPlay : public QObject {
    Q_OBJECT

private slots:
    void windowMapsAtItsSize();
    void slidingGame();
    void assemblyGame();
    void assemblyOnTheLastPicture();
    void effectsSwitch();
    void titleAnimation();
    void newGameChosenDuringAYield();
    void assemblyGameFromTheKeyboard();
    void slidingWithTheTrayFocused();
};

// The window maps frameless at its design size on whichever platform the test runs on (it is also
// run on Wayland), and that is the platform asked for.
void TestPlay::windowMapsAtItsSize()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        QCOMPARE(QGuiApplication::platformName(), QString(platform));
    Window w;
    w.open();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    QVERIFY(w.form.windowHandle()->flags() & Qt::FramelessWindowHint);
    QCOMPARE(w.form.windowHandle()->size(), QSize(612, 417));
    QCOMPARE(w.form.client->geometry(), QRect(1, 1, 610, 415));
    QCOMPARE(w.form.windowHandle()->minimumSize(), w.form.windowHandle()->maximumSize());
}

void TestPlay::slidingGame()
{
    Window w;
    w.open();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QTest::mouseClick(w.form.Option1, Qt::LeftButton);
    QCOMPARE(w.form.state.GameMode, 1);
    QVERIFY(w.form.Option1->isChecked());
    QCOMPARE(w.form.Label1->text(), QString(" 1"));
    QVERIFY(!w.form.Picture1->isShown(99));
    QVERIFY(!w.form.Picture3->isHidden());
    for (int n = 0; n < 99; ++n)
        QVERIFY(w.form.Picture1->isShown(n));

    // Find a key that moves: the tile next to the blank slides into it, on screen.
    const int x = w.form.state.BlankX, y = w.form.state.BlankY;
    const bool up = y < 9;
    const int tile = up ? w.form.state.Grid[x][y + 1] : w.form.state.Grid[x][y - 1];
    const QPoint before = w.form.Picture1->geometry(tile).topLeft();
    w.log.clear();
    QTest::keyClick(w.keyTarget(), up ? Qt::Key_8 : Qt::Key_2);
    QCOMPARE(w.form.Picture1->geometry(tile).topLeft(), QPoint(32 + 24 * x, 112 + 24 * y));
    QCOMPARE(w.form.Picture1->geometry(tile).topLeft().y(), before.y() + (up ? -24 : 24));
    QCOMPARE(w.log, w.cue("move.wav"));

    w.log.clear();
    QTest::keyClicks(w.keyTarget(), "hopla");
    QCOMPARE(w.log, w.cue("done.wav"));
    QCOMPARE(w.form.state.PictureNo, 1);
    QCOMPARE(w.form.Label1->text(), QString(" 2"));
    QCOMPARE(w.form.Image1->picture(), w.form.game.controls.Picture6[1]);
    QCOMPARE(w.form.state.GameMode, 1);
    QVERIFY(!(w.form.state.BlankX == 9 && w.form.state.BlankY == 9));
    QVERIFY(!w.form.Picture1->isShown(99));
}

void TestPlay::assemblyGame()
{
    Window w;
    w.open();
    QTest::mouseClick(w.form.Option2, Qt::LeftButton);
    QCOMPARE(w.form.state.GameMode, 2);
    QCOMPARE(w.form.Picture3->picture(), w.form.game.controls.Picture4);
    for (int p = 0; p < 100; ++p) {
        const int from = w.trayOf(p);
        QVERIFY(from >= 0);
        w.log.clear();
        w.click(w.form.Picture1, from);
        QCOMPARE(w.form.Picture1->picture(from).handle(), 0);
        w.click(w.form.Picture2, p);
        if (p < 99) {
            QCOMPARE(w.form.Picture2->picture(p), w.form.game.controls.Picture2[p].picture);
            QCOMPARE(w.log, w.cue("no.wav") + w.cue("no.wav") + w.cue("Yes.wav"));
        }
    }
    // The last put-down: pick-and-put, correct piece, completion, then the next picture.
    QCOMPARE(w.log, w.cue("no.wav") + w.cue("no.wav") + w.cue("Yes.wav") + w.cue("done.wav"));
    QCOMPARE(w.form.state.PictureNo, 1);
    QCOMPARE(w.form.Label1->text(), QString(" 2"));
    int shuffled = 0;
    for (int n = 0; n < 100; ++n) {
        QCOMPARE(w.form.Picture2->picture(n), w.form.game.controls.Picture4);
        QVERIFY(w.form.Picture1->isShown(n));
        shuffled += w.form.state.TrayPiece[n] != n;
    }
    QVERIFY(shuffled > 50);
}

void TestPlay::assemblyOnTheLastPicture()
{
    Window w;
    w.open();
    w.form.state.PictureNo = 14;
    QTest::mouseClick(w.form.Option2, Qt::LeftButton);
    QCOMPARE(w.form.Label1->text(), QString(" 15"));
    for (int p = 0; p < 100; ++p) {
        w.click(w.form.Picture1, w.trayOf(p));
        w.click(w.form.Picture2, p);
    }
    QCOMPARE(w.form.state.PictureNo, 0);
    QCOMPARE(w.form.Label1->text(), QString(" 1"));
    QCOMPARE(w.form.Image1->picture(), w.form.game.controls.Picture6[0]);
}

void TestPlay::effectsSwitch()
{
    Window w;
    w.open();
    QTest::mouseClick(w.form.Option2, Qt::LeftButton);
    QTest::mouseClick(w.form.Check3, Qt::LeftButton);
    QVERIFY(!w.form.Check3->isChecked());
    QCOMPARE(w.form.state.EffectCommand, std::string("stop"));
    w.log.clear();
    w.click(w.form.Picture1, 0);
    QStringList silent = w.cue("no.wav");
    silent.last() = "MCIWnd1: command stop";
    QCOMPARE(w.log, silent);
    QTest::mouseClick(w.form.Check3, Qt::LeftButton);
    QTest::mouseClick(w.form.Check2, Qt::LeftButton);
    QTest::mouseClick(w.form.Check2, Qt::LeftButton);
    QCOMPARE(w.log.mid(3), (QStringList{"MCIWnd2: command STOP", "MCIWnd2: command play"}));
    QCOMPARE(w.form.state.EffectCommand, std::string("play"));
}

void TestPlay::titleAnimation()
{
    Window w;
    // Stopped before the window opens: on a slow machine the wait for it to be shown can outlast
    // the first tick.
    w.form.Timer1.stop();
    w.open();
    QVERIFY(w.form.Image2->picture().isNull());
    for (int tick = 1; tick <= 16; ++tick) {
        w.form.Timer1_Timer();
        QCOMPARE(w.form.Image2->picture(), w.form.game.controls.Picture7[tick % 16]);
        QCOMPARE(w.form.Image2->picture(), w.form.Picture7->picture(tick % 16));
    }
    QCOMPARE(w.form.Image2->geometry(), QRect(317, 16, 266, 74));
    // The timer itself ticks, also in idle mode.
    w.form.Timer1.start();
    QTRY_COMPARE_WITH_TIMEOUT(int(w.form.state.AnimFrame), 2, 2000);
}

// Sliding chosen, and while its game start waits in a yield, assembly chosen: the assembly game
// stands as its handler left it and the sliding walk never moves its boxes.
void TestPlay::newGameChosenDuringAYield()
{
    Window w;
    w.open();
    int ticks = 0;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] { QTest::mouseClick(w.form.Option2, Qt::LeftButton); });
        ++ticks;
        QTest::mouseClick(w.form.Option1, Qt::LeftButton);
    });
    QTRY_COMPARE(ticks, 1);
    QCOMPARE(w.form.state.GameMode, 2);
    QVERIFY(w.form.Option2->isChecked());
    for (int n = 0; n < 100; ++n) {
        QCOMPARE(w.form.Picture1->geometry(n).topLeft(), QPoint(32 + 24 * (n % 10), 112 + 24 * (n / 10)));
        QVERIFY(w.form.Picture1->isShown(n));
    }
}

// A whole assembly game without the mouse: Tab to the assembling button and Space, Tab into the
// tray, the cursor keys to each piece, Space to pick it up, Tab to the board, the cursor keys to
// its cell and Enter to put it down, then Shift+Tab back to the tray.
void TestPlay::assemblyGameFromTheKeyboard()
{
    Window w;
    w.open();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    // Tray and board are hidden at start, and Tab passes them by.
    QCOMPARE(QApplication::focusWidget(), w.form.Check2);
    QVERIFY(!w.tabTo(w.form.Picture1));
    // Tab enters the option buttons at the first; the arrows choose among them, left to right
    // on the screen: sliding, idle, assembling.
    QVERIFY(w.tabTo(w.form.Option1));
    w.type(Qt::Key_Right);
    w.type(Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), w.form.Option2);
    QCOMPARE(w.form.state.GameMode, 2);
    QVERIFY(w.tabTo(w.form.Picture1));
    for (int p = 0; p < 100; ++p) {
        w.log.clear();
        w.walkTo(w.form.Picture1, w.trayOf(p));
        QCOMPARE(w.form.Picture1->cursorCell(), w.trayOf(p));
        w.type(Qt::Key_Space);
        QCOMPARE(w.form.state.HandPiece, p);
        QCOMPARE(w.form.Picture3->accessibleName(),
                 QString("Hand: the piece of column %1, row %2").arg(p % 10).arg(p / 10));
        w.type(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.form.Picture2);
        w.walkTo(w.form.Picture2, p);
        QCOMPARE(w.form.Picture2->cursorCell(), p);
        w.type(p % 2 ? Qt::Key_Return : Qt::Key_Enter);
        if (p < 99) {
            QCOMPARE(w.form.state.BoardPiece[p], p);
            QCOMPARE(w.log, w.cue("no.wav") + w.cue("no.wav") + w.cue("Yes.wav"));
        }
        w.type(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), w.form.Picture1);
    }
    // The last put-down: pick-and-put, correct piece, completion, then the next picture.
    QCOMPARE(w.log, w.cue("no.wav") + w.cue("no.wav") + w.cue("Yes.wav") + w.cue("done.wav"));
    QCOMPARE(w.form.state.PictureNo, 1);
    QCOMPARE(w.form.Label1->text(), QString(" 2"));
    for (int n = 0; n < 100; ++n)
        QCOMPARE(w.form.Picture2->picture(n), w.form.game.controls.Picture4);
    // Space and Enter were typed characters too, and went into the key history first.
    QCOMPARE(w.form.state.KeyHistory[3], ' ');
    QCOMPARE(w.form.state.KeyHistory[4], '\r');
}

// With the tray focused the digits still slide the tiles, the arrows only move the cursor, and
// Space on a tile does what a click does in sliding mode: nothing but enter the key history.
void TestPlay::slidingWithTheTrayFocused()
{
    Window w;
    w.open();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QVERIFY(w.tabTo(w.form.Option1));
    w.type(Qt::Key_Space);
    QCOMPARE(w.form.state.GameMode, 1);
    QVERIFY(w.tabTo(w.form.Picture1, true));
    for (int move = 0; move < 20; ++move) {
        const int x = w.form.state.BlankX, y = w.form.state.BlankY;
        const bool up = y < 9;
        const int tile = up ? w.form.state.Grid[x][y + 1] : w.form.state.Grid[x][y - 1];
        w.log.clear();
        w.type(up ? Qt::Key_8 : Qt::Key_2, move % 2 ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(w.form.Picture1->geometry(tile).topLeft(), QPoint(32 + 24 * x, 112 + 24 * y));
        QCOMPARE(w.log, w.cue("move.wav"));
    }
    QCOMPARE(QApplication::focusWidget(), w.form.Picture1);

    const Module1 before = w.form.state;
    w.log.clear();
    const int tile = w.form.state.Grid[0][0] ? 0 : 1;
    w.walkTo(w.form.Picture1, tile);
    w.type(Qt::Key_Down, Qt::KeypadModifier);  // the keypad's arrow, with Num Lock off
    w.type(Qt::Key_Up);
    w.type(Qt::Key_Space);
    QVERIFY(w.log.isEmpty());
    QCOMPARE(w.form.state.BlankX, before.BlankX);
    QCOMPARE(w.form.state.BlankY, before.BlankY);
    QVERIFY(std::equal(&before.Grid[0][0], &before.Grid[0][0] + 100, &w.form.state.Grid[0][0]));
    QCOMPARE(w.form.state.KeyHistory[4], ' ');

    QTest::keyClicks(w.keyTarget(), "hopla");
    QCOMPARE(w.log, w.cue("done.wav"));
    QCOMPARE(w.form.state.PictureNo, 1);
    QCOMPARE(QApplication::focusWidget(), w.form.Picture1);
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    TestPlay test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_play.moc"
