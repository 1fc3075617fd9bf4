#include "assets.h"

#include <QResource>
#include <QString>

namespace morvik::assets {

namespace {

// The format is named, so that no image plugin is loaded to guess it.
QImage load(const QString &name, const char *format)
{
    return QImage(QStringLiteral(":/morvik/") + name, format);
}

}  // namespace

QImage background()
{
    const QResource raw(QStringLiteral(":/morvik/background.rgb"));
    const QImage image(raw.data(), 611, 428, 611 * 4, QImage::Format_RGB32);
    // The pixels are used where they lie, unless they are not 32-bit aligned.
    if (reinterpret_cast<quintptr>(raw.data()) % 4 != 0)
        return image.copy();
    return image;
}

QList<int> iconSizes() { return {16, 24, 32, 48, 64, 128, 256}; }

QImage icon(int size) { return load(QStringLiteral("icon%1.png").arg(size), "PNG"); }

// Each size is decoded only when something asks for it.
QIcon programIcon()
{
    QIcon set;
    for (const int size : iconSizes())
        set.addFile(QStringLiteral(":/morvik/icon%1.png").arg(size), QSize(size, size));
    return set;
}

QImage emptyCellMarker() { return load(QStringLiteral("marker.png"), "PNG"); }

QImage puzzlePicture(int index)
{
    return load(QStringLiteral("picture%1.png").arg(index), "PNG");
}

QImage animationFrame(int index)
{
    return load(QStringLiteral("frame%1.png").arg(index), "PNG");
}

}  // namespace morvik::assets
