#include "assets.h"

#include <QString>

namespace morvik::assets {

namespace {

QImage load(const QString &name, QImage::Format format)
{
    return QImage(QStringLiteral(":/morvik/") + name).convertToFormat(format);
}

}  // namespace

QImage background() { return load(QStringLiteral("background.bmp"), QImage::Format_RGB888); }

QImage icon() { return QImage(QStringLiteral(":/morvik/icon.png")); }

QImage emptyCellMarker() { return load(QStringLiteral("marker.png"), QImage::Format_RGB888); }

QImage puzzlePicture(int index)
{
    return load(QStringLiteral("picture%1.png").arg(index), QImage::Format_RGB888);
}

QImage animationFrame(int index)
{
    return load(QStringLiteral("frame%1.png").arg(index), QImage::Format_RGB888);
}

}  // namespace morvik::assets
