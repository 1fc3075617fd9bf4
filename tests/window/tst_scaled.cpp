// The window on a screen of more than one device pixel to a pixel: run with QT_SCALE_FACTOR set
// (2 and 1.5). Both ways to play are played through by clicks and keys that pass through the
// window system's scaling, and the screenshot shows the detail of the finer pictures.
#include "assets.h"
#include "window_fixture.h"

#include <QTest>
#include <QWindow>

#include <cmath>

using namespace morvik;
using morvik::test::Window;

class TestScaled : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void assemblyShowsFineDetail();
    void piecesAreTheFinePicturesScaledSmoothly();
    void assemblyGameByScaledClicks();
    void slidingGameTakesMoves();
    void focusFrameOnThePieces();

private:
    qreal ratio_ = 1;
};

// A click at a logical point of the window, delivered through the window system interface, which
// scales it to device pixels and back as a real click would be.
static void clickAt(Window &w, QWidget *widget, QPoint point)
{
    QTest::mouseClick(w.form.windowHandle(), Qt::LeftButton, {}, widget->mapTo(&w.form, point));
}

static void clickBox(Window &w, PictureArray *array, int n)
{
    clickAt(w, array, array->geometry(n).center() - array->pos());
}

// How far device pixels differ from the mean of their 2 x 2 block, on average over the channels,
// in a logical area of a screenshot at a device pixel ratio of 2: 0 where a picture of one device
// pixel to a pixel is blown up.
static double blockDetail(const QImage &shot, QRect area)
{
    double total = 0;
    int blocks = 0;
    for (int y = area.top() * 2; y < (area.bottom() + 1) * 2; y += 2)
        for (int x = area.left() * 2; x < (area.right() + 1) * 2; x += 2, ++blocks)
            for (const int shift : {16, 8, 0}) {
                int block[4] = {int(shot.pixel(x, y) >> shift & 0xff), int(shot.pixel(x + 1, y) >> shift & 0xff),
                                int(shot.pixel(x, y + 1) >> shift & 0xff), int(shot.pixel(x + 1, y + 1) >> shift & 0xff)};
                const double mean = (block[0] + block[1] + block[2] + block[3]) / 4.0;
                for (const int c : block)
                    total += std::abs(c - mean);
            }
    return total / (blocks * 12);
}

void TestScaled::initTestCase()
{
    Window w;
    w.open();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    ratio_ = w.form.devicePixelRatioF();
    qInfo("device pixel ratio %.2f", ratio_);
    if (ratio_ == 1)
        QSKIP("run with QT_SCALE_FACTOR above 1");
    QCOMPARE(w.form.size(), QSize(612, 417));
}

// In assembly mode with some pieces on the board: the tray, the board and the digit strips along
// them show detail finer than a logical pixel.
void TestScaled::assemblyShowsFineDetail()
{
    if (ratio_ != 2)
        QSKIP("the 2 x 2 blocks are device pixels at a ratio of 2");
    Window w;
    w.open();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    clickAt(w, w.form.Option2, w.form.Option2->rect().center());
    QCOMPARE(w.form.state.GameMode, 2);
    for (int p = 0; p < 30; ++p) {
        clickBox(w, w.form.Picture1, w.trayOf(p));
        clickBox(w, w.form.Picture2, p);
    }
    const QImage shot = w.form.client->grab().toImage();
    QCOMPARE(shot.size(), QSize(1220, 830));
    const QList<std::pair<const char *, QRect>> areas = {
        {"tray", QRect(32, 112, 240, 240)},
        {"board", QRect(344, 112, 241, 241)},
        {"column digits", QRect(32, 100, 553, 9)},
        {"tray row digits", QRect(23, 112, 7, 240)},
        {"board row digits", QRect(335, 112, 6, 240)},
        {"legends", QRect(126, 372, 393, 18)},
    };
    for (const auto &[name, area] : areas) {
        const double detail = blockDetail(shot, area);
        qInfo("%s: detail %.2f", name, detail);
        QVERIFY2(detail > 1, name);
    }
}

// At a ratio between 1 and 2 a tray cell on the screen is its fine piece scaled down smoothly: it
// lies closer to that than to the coarse piece blown up.
void TestScaled::piecesAreTheFinePicturesScaledSmoothly()
{
    Window w;
    w.open();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    clickAt(w, w.form.Option2, w.form.Option2->rect().center());
    const QImage shot = w.form.client->grab().toImage();
    const int side = std::lround(24 * ratio_);
    const auto difference = [&](const QImage &cell, QPoint at) {
        double total = 0;
        for (int y = 2; y < side - 2; ++y)
            for (int x = 2; x < side - 2; ++x)
                for (const int shift : {16, 8, 0})
                    total += std::abs(int(shot.pixel(at.x() + x, at.y() + y) >> shift & 0xff)
                                      - int(cell.pixel(x, y) >> shift & 0xff));
        return total / ((side - 4) * (side - 4) * 3);
    };
    const int picture = w.form.state.PictureNo;
    double fine = 0, coarse = 0;
    for (const int n : {0, 33, 55, 99}) {
        const int piece = w.form.state.TrayPiece[n];
        const QRect cell(24 * (piece % 10), 24 * (piece / 10), 24, 24);
        const QImage fineCell = assets::puzzlePicture(picture, 2).copy(QRect(cell.topLeft() * 2, cell.size() * 2));
        const QImage coarseCell = assets::puzzlePicture(picture, 1).copy(cell);
        const QPoint at = (QPointF(32 + 24 * (n % 10), 112 + 24 * (n / 10)) * ratio_).toPoint();
        fine += difference(fineCell.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), at);
        coarse += difference(coarseCell.scaled(side, side), at);
    }
    qInfo("difference from the fine pieces %.2f, from the coarse pieces %.2f", fine / 4, coarse / 4);
    QVERIFY(fine < coarse / 2);
}

void TestScaled::assemblyGameByScaledClicks()
{
    Window w;
    w.open();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    clickAt(w, w.form.Option2, w.form.Option2->rect().center());
    QCOMPARE(w.form.state.GameMode, 2);
    for (int p = 0; p < 100; ++p) {
        clickBox(w, w.form.Picture1, w.trayOf(p));
        QCOMPARE(w.form.state.HandPiece, p);
        clickBox(w, w.form.Picture2, p);
    }
    QCOMPARE(w.form.state.PictureNo, 1);
    QCOMPARE(w.form.Label1->text(), QString(" 2"));
    for (int n = 0; n < 100; ++n)
        QCOMPARE(w.form.Picture2->picture(n), w.form.game.controls.Picture4);
}

void TestScaled::slidingGameTakesMoves()
{
    Window w;
    w.open();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    clickAt(w, w.form.Option1, w.form.Option1->rect().center());
    QCOMPARE(w.form.state.GameMode, 1);
    for (int move = 0; move < 20; ++move) {
        const int x = w.form.state.BlankX, y = w.form.state.BlankY;
        const bool up = y < 9;
        const int tile = up ? w.form.state.Grid[x][y + 1] : w.form.state.Grid[x][y - 1];
        QTest::keyClick(w.form.windowHandle(), up ? Qt::Key_8 : Qt::Key_2);
        QCOMPARE(w.form.Picture1->geometry(tile).topLeft(), QPoint(32 + 24 * x, 112 + 24 * y));
        QCOMPARE(w.form.state.Grid[x][y], tile);
    }
}

// The cursor's frame on a scaled screen: its black and white rings stand on the device pixels of
// the cell's edge, on a piece and on the empty-cell marker, and nothing else changes.
void TestScaled::focusFrameOnThePieces()
{
    Window w;
    w.open();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.form.Option2_Click();
    if (QApplication::focusWidget())
        QApplication::focusWidget()->clearFocus();
    const QImage plain = w.form.client->grab().toImage();
    for (PictureArray *grid : {w.form.Picture1, w.form.Picture2}) {
        grid->moveCursorTo(45);
        grid->setFocus(Qt::TabFocusReason);
        const QImage framed = w.form.client->grab().toImage();
        grid->clearFocus();
        QCOMPARE(w.form.client->grab().toImage(), plain);
        const QRectF cell = grid->cell(45);
        const auto device = [this](qreal x, qreal y) { return (QPointF(x, y) * ratio_).toPoint(); };
        for (qreal along = 0.5; along < cell.width(); along += 1) {
            QCOMPARE(framed.pixel(device(cell.left() + along, cell.top() + 0.5)), qRgb(0, 0, 0));
            QCOMPARE(framed.pixel(device(cell.left() + 0.5, cell.top() + along)), qRgb(0, 0, 0));
        }
        for (qreal along = 1.5; along < cell.width() - 1; along += 1) {
            QCOMPARE(framed.pixel(device(cell.left() + along, cell.top() + 1.5)), qRgb(255, 255, 255));
            QCOMPARE(framed.pixel(device(cell.right() - 1.5, cell.top() + along)), qRgb(255, 255, 255));
        }
        const QRect around = QRectF(cell.topLeft() * ratio_, cell.size() * ratio_).toAlignedRect().adjusted(-1, -1, 1, 1);
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                if (!around.contains(x, y) && plain.pixel(x, y) != framed.pixel(x, y))
                    QFAIL(qPrintable(QString("device pixel (%1, %2) changed outside the frame").arg(x).arg(y)));
    }
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    TestScaled test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaled.moc"
