// The fifteen puzzle pictures.
#include "generators.h"
#include "paint.h"

#include <QLinearGradient>

namespace morvik::assetgen {

QImage puzzlePicture(int index)
{
    QImage image(240, 240, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 240);
    sky.setColorAt(0, QColor::fromHsv(index * 24, 120, 220));
    sky.setColorAt(1, QColor::fromHsv(index * 24 + 120, 160, 120));
    p.fillRect(image.rect(), sky);
    p.end();
    addGrain(image, 24, 30, std::uint32_t(index));
    return image.convertToFormat(QImage::Format_RGB888);
}

}  // namespace morvik::assetgen
