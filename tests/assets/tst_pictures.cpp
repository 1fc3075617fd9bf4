#include "assets.h"

#include <QTest>

using namespace morvik::assets;

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void sizesAndDepths();
    void markerIsARedQuestionMarkOnWhite();
    void legendsLieInsideTheirPlaces();
};

void TestPictures::sizesAndDepths()
{
    struct Case {
        QString name;
        QImage image;
        QSize size;
    };
    QList<Case> cases = {
        {"background", background(), QSize(611, 428)},
        {"marker", emptyCellMarker(), QSize(24, 24)},
    };
    for (int i = 0; i < 15; ++i)
        cases.append({QString("picture %1").arg(i), puzzlePicture(i), QSize(240, 240)});
    for (int i = 0; i < 16; ++i)
        cases.append({QString("frame %1").arg(i), animationFrame(i), QSize(266, 74)});
    for (const Case &c : cases) {
        QVERIFY2(!c.image.isNull(), qPrintable(c.name));
        QCOMPARE(c.image.size(), c.size);
        QCOMPARE(c.image.depth(), 24);
        QVERIFY2(!c.image.hasAlphaChannel(), qPrintable(c.name));
    }

    const QImage programIcon = icon();
    QCOMPARE(programIcon.size(), QSize(64, 64));
    QCOMPARE(programIcon.format(), QImage::Format_Indexed8);
    QVERIFY(programIcon.colorCount() <= 16);
    QVERIFY(programIcon.hasAlphaChannel());
    QCOMPARE(qAlpha(programIcon.pixel(0, 63)), 0);
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

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"
