#include "assets.h"

#include <QString>

namespace morvik::assets {

namespace {

// The format is named, so that no image plugin is loaded to guess it.
QImage load(const QString &name, const char *format)
{
    return QImage(QStringLiteral(":/morvik/") + name, format);
}

}  // namespace

QImage background() { return load(QStringLiteral("background.bmp"), "BMP"); }

QImage icon() { return load(QStringLiteral("icon.png"), "PNG"); }

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
