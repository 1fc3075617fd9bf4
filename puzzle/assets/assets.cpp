#include "assets.h"

#include <QResource>
#include <QString>

namespace morvik::assets {

namespace {

// The format is named, so that no image plugin is loaded to guess it.
QImage load(const QString &name, int scale)
{
    QImage image(QStringLiteral(":/morvik/") + name + (scale > 1 ? QStringLiteral("@2x.png") : QStringLiteral(".png")),
                 "PNG");
    image.setDevicePixelRatio(scale > 1 ? 2 : 1);
    return image;
}

}  // namespace

QImage background(int scale)
{
    // Three bytes a pixel: a quarter less to hold than the screen's own format, and drawn only where
    // the window is uncovered.
    if (scale > 1)
        return load(QStringLiteral("background"), scale).convertToFormat(QImage::Format_RGB888);
    const QResource raw(QStringLiteral(":/morvik/background.rgb"));
    const QImage image(raw.data(), 611, 428, (611 * 3 + 3) / 4 * 4, QImage::Format_RGB888);
    // The pixels are used where they lie, unless their rows are not 32-bit aligned.
    if (reinterpret_cast<quintptr>(raw.data()) % 4 != 0)
        return image.copy();
    return image;
}

QList<int> iconSizes() { return {16, 24, 32, 48, 64, 128, 256}; }

QImage icon(int size) { return load(QStringLiteral("icon%1").arg(size), 1); }

// Each size is decoded only when something asks for it.
QIcon programIcon()
{
    QIcon set;
    for (const int size : iconSizes())
        set.addFile(QStringLiteral(":/morvik/icon%1.png").arg(size), QSize(size, size));
    return set;
}

QImage emptyCellMarker(int scale) { return load(QStringLiteral("marker"), scale); }

QImage puzzlePicture(int index, int scale)
{
    return load(QStringLiteral("picture%1").arg(index), scale);
}

QImage animationFrame(int index, int scale)
{
    return load(QStringLiteral("frame%1").arg(index), scale);
}

int scaleFor(qreal devicePixelRatio) { return devicePixelRatio > 1 ? 2 : 1; }

}  // namespace morvik::assets
