#include "assets.h"

#include <QFile>
#include <QResource>
#include <QTest>

#include <array>
#include <cmath>
#include <vector>

using namespace morvik::assets;

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void sizesAndDepths();
    void iconAtEverySize();
    void markerIsARedQuestionMarkOnWhite();
    void legendsLieInsideTheirPlaces();
    void everyCellOfEveryPictureIsDistinct();
    void framesFlowRoundTheCycle();
};

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
    QList<Case> cases = {
        {"marker.png", emptyCellMarker(), QSize(24, 24)},
    };
    for (int i = 0; i < 15; ++i)
        cases.append({QString("picture%1.png").arg(i), puzzlePicture(i), QSize(240, 240)});
    for (int i = 0; i < 16; ++i)
        cases.append({QString("frame%1.png").arg(i), animationFrame(i), QSize(266, 74)});
    for (const Case &c : cases) {
        QVERIFY2(!c.image.isNull(), qPrintable(c.file));
        QCOMPARE(c.image.size(), c.size);
        QVERIFY2(!c.image.hasAlphaChannel(), qPrintable(c.file));
        QCOMPARE(storedBitsPerPixel(":/morvik/" + c.file), 24);
    }

    // The background is stored as raw 24-bit colour in 32-bit words.
    const QImage backdrop = background();
    QCOMPARE(backdrop.size(), QSize(611, 428));
    QCOMPARE(QResource(":/morvik/background.rgb").size(), qint64(611 * 428 * 4));
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

void TestPictures::markerIsARedQuestionMarkOnWhite()
{
    const QImage marker = emptyCellMarker();
    const QRect hook(QPoint(4, 1), QPoint(16, 13)), dot(QPoint(8, 17), QPoint(12, 19));
    QRect redBounds;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
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
    QCOMPARE(redBounds, hook);
    // The strokes are three pixels wide: the top of the hook, its right side and the stem.
    const auto redRun = [&marker](QPoint p, QPoint step) {
        while (marker.pixel(p) != qRgb(255, 0, 0))
            p += step;
        int run = 0;
        for (; marker.rect().contains(p) && marker.pixel(p) == qRgb(255, 0, 0); p += step)
            ++run;
        return run;
    };
    QCOMPARE(redRun(QPoint(10, 0), QPoint(0, 1)), 3);
    QCOMPARE(redRun(QPoint(23, 5), QPoint(-1, 0)), 3);
    QCOMPARE(redRun(QPoint(0, 12), QPoint(1, 0)), 3);
}

// Every legend and digit leaves ink inside its place and none on the one-pixel ring around it.
void TestPictures::legendsLieInsideTheirPlaces()
{
    const QImage image = background();
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
    for (const auto &[name, box] : places) {
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
    QStringList faults;
    for (int index = 0; index < 15; ++index) {
        const QImage picture = puzzlePicture(index).convertToFormat(QImage::Format_RGB888);
        std::vector<std::array<quint8, 24 * 24 * 3>> cells(100);
        int flat = 0;
        for (int n = 0; n < 100; ++n) {
            const int left = 24 * (n % 10), top = 24 * (n / 10);
            double sum = 0, squares = 0;
            for (int y = 0; y < 24; ++y) {
                const uchar *line = picture.constScanLine(top + y) + 3 * left;
                std::copy(line, line + 72, cells[n].begin() + 72 * y);
                for (int i = 0; i < 72; ++i) {
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
    QList<QImage> frames;
    for (int i = 0; i < 16; ++i)
        frames.append(animationFrame(i));
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
