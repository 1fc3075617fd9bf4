#include "assets.h"

#include <QFile>
#include <QResource>
#include <QTest>

#include <array>
#include <functional>
#include <cmath>
#include <vector>

using namespace morvik::assets;

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void sizesAndDepths();
    void iconAtEverySize();
    void finePicturesMatchTheirDesign();
    void finePicturesShowDetailOfTheirOwn();
    void markerIsARedQuestionMarkOnWhite_data() { scales(); }
    void markerIsARedQuestionMarkOnWhite();
    void legendsLieInsideTheirPlaces_data() { scales(); }
    void legendsLieInsideTheirPlaces();
    void everyCellOfEveryPictureIsDistinct_data() { scales(); }
    void everyCellOfEveryPictureIsDistinct();
    void framesFlowRoundTheCycle_data() { scales(); }
    void framesFlowRoundTheCycle();

private:
    // Every measure holds for the pictures at one device pixel to a design pixel and at two.
    static void scales()
    {
        QTest::addColumn<int>("scale");
        QTest::newRow("1x") << 1;
        QTest::newRow("2x") << 2;
    }
};

// How far the device pixels of a picture at scale 2 differ from the mean of their 2 x 2 block,
// on average over all channels: 0 for a picture blown up from one of half the size.
static double blockDetail(const QImage &picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    double total = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb block[] = {image.pixel(x, y), image.pixel(x + 1, y), image.pixel(x, y + 1),
                                  image.pixel(x + 1, y + 1)};
            for (const int shift : {16, 8, 0}) {
                double mean = 0;
                for (const QRgb c : block)
                    mean += (c >> shift & 0xff) / 4.0;
                for (const QRgb c : block)
                    total += std::abs((c >> shift & 0xff) - mean);
            }
        }
    return total / (double(image.width() / 2) * (image.height() / 2) * 12);
}

// Bits per pixel as an embedded PNG file stores them: its bit depth times its channels.
static int storedBitsPerPixel(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray head = file.read(32);
    if (head.mid(12, 4) == "IHDR") {
        const int channels[] = {1, 0, 3, 1, 2, 0, 4};
        const int colourType = static_cast<uchar>(head[25]);
        return static_cast<uchar>(head[24]) * (colourType <= 6 ? channels[colourType] : 0);
    }
    return 0;
}

void TestPictures::sizesAndDepths()
{
    struct Case {
        QString file;
        QImage image;
        QSize size;
    };
    QList<Case> cases;
    for (const int scale : {1, 2}) {
        const QString suffix = scale == 1 ? "" : "@2x";
        cases.append({"marker" + suffix + ".png", emptyCellMarker(scale), QSize(24, 24)});
        for (int i = 0; i < 15; ++i)
            cases.append({QString("picture%1%2.png").arg(i).arg(suffix), puzzlePicture(i, scale), QSize(240, 240)});
        for (int i = 0; i < 16; ++i)
            cases.append({QString("frame%1%2.png").arg(i).arg(suffix), animationFrame(i, scale), QSize(266, 74)});
    }
    cases.append({"background@2x.png", background(2), QSize(611, 428)});
    for (const Case &c : cases) {
        QVERIFY2(!c.image.isNull(), qPrintable(c.file));
        const int scale = c.file.contains("@2x") ? 2 : 1;
        QCOMPARE(c.image.devicePixelRatio(), qreal(scale));
        QCOMPARE(c.image.size(), c.size * scale);
        QCOMPARE(c.image.deviceIndependentSize(), QSizeF(c.size));
        QVERIFY2(!c.image.hasAlphaChannel(), qPrintable(c.file));
        QCOMPARE(storedBitsPerPixel(":/morvik/" + c.file), 24);
    }

    // The background is stored as raw 24-bit colour, each row padded to 32-bit words.
    const QImage backdrop = background();
    QCOMPARE(backdrop.size(), QSize(611, 428));
    QCOMPARE(backdrop.devicePixelRatio(), 1.0);
    QCOMPARE(QResource(":/morvik/background.rgb").size(), qint64(1836 * 428));
    int opaque = 0;
    for (int y = 0; y < backdrop.height(); ++y)
        for (int x = 0; x < backdrop.width(); ++x)
            opaque += qAlpha(backdrop.pixel(x, y)) == 255;
    QCOMPARE(opaque, 611 * 428);

    const QImage programIcon = icon();
    QCOMPARE(programIcon.size(), QSize(64, 64));
    QCOMPARE(programIcon.format(), QImage::Format_Indexed8);
    QVERIFY(programIcon.colorCount() <= 16);
    QVERIFY(programIcon.hasAlphaChannel());
    QCOMPARE(qAlpha(programIcon.pixel(0, 63)), 0);
}

// Each size is drawn whole at its own size: the piece covers about as much of every icon, and up
// to 64 pixels every pixel takes a colour of the small palette, with no smoothed or scaled edge.
void TestPictures::iconAtEverySize()
{
    const auto coverage = [](const QImage &image) {
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) == 255;
        return double(opaque) / (image.width() * image.height());
    };
    const double reference = coverage(icon(64));
    QCOMPARE(iconSizes(), QList<int>({16, 24, 32, 48, 64, 128, 256}));
    for (const int size : iconSizes()) {
        const QImage image = icon(size);
        const QByteArray at = QByteArray::number(size);
        QVERIFY2(image.size() == QSize(size, size), at);
        QVERIFY2(qAlpha(image.pixel(0, size - 1)) == 0, at);
        QVERIFY2(qAbs(coverage(image) - reference) < 0.1, at);
        if (size <= 64) {
            QVERIFY2(image.format() == QImage::Format_Indexed8 && image.colorCount() <= 16, at);
            for (const QRgb c : image.colorTable())
                QVERIFY2(qAlpha(c) == 0 || qAlpha(c) == 255, at);
        }
    }
}

static QList<std::pair<QString, std::function<QImage(int)>>> everyScaledPicture()
{
    QList<std::pair<QString, std::function<QImage(int)>>> pictures = {
        {"background", [](int scale) { return background(scale); }},
    };
    for (int i = 0; i < 15; ++i)
        pictures.append({QString("picture %1").arg(i), [i](int scale) { return puzzlePicture(i, scale); }});
    for (int i = 0; i < 16; ++i)
        pictures.append({QString("frame %1").arg(i), [i](int scale) { return animationFrame(i, scale); }});
    return pictures;
}

// The fine picture is the same picture: the means of its 2 x 2 blocks stay close to the pixels
// of the picture at scale 1, also along every edge (a shift by half a pixel fails this).
void TestPictures::finePicturesMatchTheirDesign()
{
    for (const auto &[name, picture] : everyScaledPicture()) {
        const QImage fine = picture(2).convertToFormat(QImage::Format_RGB32);
        const QImage coarse = picture(1).convertToFormat(QImage::Format_RGB32);
        double total = 0;
        for (int y = 0; y < coarse.height(); ++y)
            for (int x = 0; x < coarse.width(); ++x)
                for (const int shift : {16, 8, 0}) {
                    const auto channel = [shift](QRgb c) { return int(c >> shift & 0xff); };
                    const double mean = (channel(fine.pixel(2 * x, 2 * y)) + channel(fine.pixel(2 * x + 1, 2 * y))
                                         + channel(fine.pixel(2 * x, 2 * y + 1)) + channel(fine.pixel(2 * x + 1, 2 * y + 1)))
                                        / 4.0;
                    total += std::abs(mean - channel(coarse.pixel(x, y)));
                }
        const double difference = total / (coarse.width() * coarse.height() * 3);
        qInfo("%s: mean difference %.2f", qPrintable(name), difference);
        QVERIFY2(difference < 8, qPrintable(name));
    }
}

// Drawn at the higher resolution, never blown up: device pixels differ from the mean of their
// 2 x 2 block, which is 0 for a copy of the picture at scale 1 scaled up.
void TestPictures::finePicturesShowDetailOfTheirOwn()
{
    for (const auto &[name, picture] : everyScaledPicture()) {
        const double detail = blockDetail(picture(2));
        qInfo("%s: detail %.2f", qPrintable(name), detail);
        QVERIFY2(detail > 1, qPrintable(name));
    }
    QCOMPARE(blockDetail(puzzlePicture(0).scaled(480, 480)), 0.0);
}

void TestPictures::markerIsARedQuestionMarkOnWhite()
{
    QFETCH(int, scale);
    const QImage marker = emptyCellMarker(scale);
    const int size = 24 * scale;
    const QRect hook(QPoint(4, 1) * scale, QPoint(17, 14) * scale - QPoint(1, 1));
    const QRect dot(QPoint(8, 17) * scale, QPoint(13, 20) * scale - QPoint(1, 1));
    QRect redBounds;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb c = marker.pixel(x, y);
            QVERIFY2(c == qRgb(255, 255, 255) || c == qRgb(255, 0, 0),
                     qPrintable(QString("colour %1 at %2,%3").arg(c, 0, 16).arg(x).arg(y)));
            if (c == qRgb(255, 0, 0)) {
                QVERIFY2(hook.contains(x, y) || dot.contains(x, y), qPrintable(QString("%1,%2").arg(x).arg(y)));
                if (hook.contains(x, y))
                    redBounds |= QRect(x, y, 1, 1);
            } else {
                QVERIFY2(!dot.contains(x, y), qPrintable(QString("%1,%2").arg(x).arg(y)));
            }
        }
    // The hook fills its place, drawn from strokes on a finer canvas to within a device pixel.
    if (scale == 1)
        QCOMPARE(redBounds, hook);
    else
        QVERIFY(redBounds.adjusted(-1, -1, 1, 1).contains(hook));
    // The strokes are three pixels wide: the top of the hook, its right side and the stem.
    const auto redRun = [&marker](QPoint p, QPoint step) {
        while (marker.pixel(p) != qRgb(255, 0, 0))
            p += step;
        int run = 0;
        for (; marker.rect().contains(p) && marker.pixel(p) == qRgb(255, 0, 0); p += step)
            ++run;
        return run;
    };
    QCOMPARE(redRun(QPoint(10, 0) * scale, QPoint(0, 1)), 3 * scale);
    QCOMPARE(redRun(QPoint(size - 1, 5 * scale), QPoint(-1, 0)), 3 * scale);
    QCOMPARE(redRun(QPoint(0, 12 * scale), QPoint(1, 0)), 3 * scale);
}

// Every legend and digit leaves ink inside its place and none on the one-pixel ring around it.
void TestPictures::legendsLieInsideTheirPlaces()
{
    QFETCH(int, scale);
    const QImage image = background(scale);
    const auto dark = [&image](int x, int y) { return qGray(image.pixel(x, y)) < 150; };
    QList<std::pair<QString, QRect>> places = {
        {"Hudba", QRect(QPoint(133, 35), QPoint(163, 43))},
        {"Efekty", QRect(QPoint(133, 59), QPoint(161, 67))},
        {"obrazek", QRect(QPoint(187, 69), QPoint(261, 85))},
        {"presuny", QRect(QPoint(126, 377), QPoint(184, 389))},
        {"?", QRect(QPoint(309, 374), QPoint(315, 383))},
        {"skladani", QRect(QPoint(461, 372), QPoint(518, 383))},
    };
    for (int i = 0; i < 10; ++i) {
        const int rowCentre = 112 + 24 * i + 12;
        places.append({QString("tray column %1").arg(i), QRect(QPoint(32 + 24 * i + 10, 101), QPoint(32 + 24 * i + 13, 107))});
        places.append({QString("board column %1").arg(i), QRect(QPoint(344 + 24 * i + 10, 101), QPoint(344 + 24 * i + 13, 107))});
        places.append({QString("tray row %1").arg(i), QRect(QPoint(24, rowCentre - 4), QPoint(28, rowCentre + 3))});
        places.append({QString("board row %1").arg(i), QRect(QPoint(336, rowCentre - 4), QPoint(339, rowCentre + 3))});
    }
    for (const auto &[name, place] : places) {
        const QRect box(place.topLeft() * scale, place.size() * scale);
        int ink = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                ink += dark(x, y);
        QVERIFY2(ink >= 4, qPrintable(name));
        const QRect ring = box.adjusted(-1, -1, 1, 1);
        for (int y = ring.top(); y <= ring.bottom(); ++y)
            for (int x = ring.left(); x <= ring.right(); ++x)
                QVERIFY2(box.contains(x, y) || !dark(x, y), qPrintable(QString("%1: ink at %2,%3").arg(name).arg(x).arg(y)));
    }
}

// A piece can only be placed by its looks if no two cells of a picture are alike: every pair of
// cells differs by at least 6 of 255 on average over all channels, and at most five cells
// are nearly flat (standard deviation under 3).
void TestPictures::everyCellOfEveryPictureIsDistinct()
{
    QFETCH(int, scale);
    const int side = 24 * scale, row = 3 * side;
    QStringList faults;
    for (int index = 0; index < 15; ++index) {
        const QImage picture = puzzlePicture(index, scale).convertToFormat(QImage::Format_RGB888);
        std::vector<std::vector<quint8>> cells(100, std::vector<quint8>(side * row));
        int flat = 0;
        for (int n = 0; n < 100; ++n) {
            const int left = side * (n % 10), top = side * (n / 10);
            double sum = 0, squares = 0;
            for (int y = 0; y < side; ++y) {
                const uchar *line = picture.constScanLine(top + y) + 3 * left;
                std::copy(line, line + row, cells[n].begin() + row * y);
                for (int i = 0; i < row; ++i) {
                    sum += line[i];
                    squares += double(line[i]) * line[i];
                }
            }
            const double mean = sum / cells[n].size();
            flat += std::sqrt(squares / cells[n].size() - mean * mean) < 3;
        }
        double smallest = 255;
        std::pair<int, int> closest;
        for (int a = 0; a < 100; ++a)
            for (int b = a + 1; b < 100; ++b) {
                int total = 0;
                for (std::size_t i = 0; i < cells[a].size(); ++i)
                    total += std::abs(int(cells[a][i]) - int(cells[b][i]));
                const double difference = double(total) / cells[a].size();
                if (difference < smallest) {
                    smallest = difference;
                    closest = {a, b};
                }
            }
        qInfo("picture %2d: smallest pair difference %.2f (cells %d and %d), flat cells %d", index, smallest,
              closest.first, closest.second, flat);
        if (smallest < 6 || flat > 5)
            faults.append(QString::number(index));
    }
    QVERIFY2(faults.isEmpty(), qPrintable("pictures with cells alike: " + faults.join(", ")));
}

// The banner moves in every step, and the step from the last frame back to the first is no
// bigger than the steps between neighbours (with a tenth to spare: a jump back to a start
// would be several times as large).
void TestPictures::framesFlowRoundTheCycle()
{
    QFETCH(int, scale);
    QList<QImage> frames;
    for (int i = 0; i < 16; ++i)
        frames.append(animationFrame(i, scale));
    const auto difference = [](const QImage &a, const QImage &b) {
        qint64 total = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.bytesPerLine(); ++x)
                total += std::abs(int(a.constScanLine(y)[x]) - int(b.constScanLine(y)[x]));
        return double(total) / (a.height() * a.bytesPerLine());
    };
    for (int a = 0; a < 16; ++a)
        for (int b = a + 1; b < 16; ++b)
            QVERIFY2(frames[a] != frames[b], qPrintable(QString("frames %1 and %2").arg(a).arg(b)));
    double largestStep = 0;
    for (int i = 0; i < 15; ++i)
        largestStep = std::max(largestStep, difference(frames[i], frames[i + 1]));
    const double wrap = difference(frames[15], frames[0]);
    qInfo("largest step between neighbours %.2f, from frame 15 to 0 %.2f", largestStep, wrap);
    QVERIFY(wrap <= 1.1 * largestStep);
}

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"
