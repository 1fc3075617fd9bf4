#include "picture_clip.h"

namespace morvik {

Picture PictureClip::GraphicCell(std::int16_t n) const
{
    const QImage &source = source_.image();
    const int width = source.width() / 10;
    const int height = source.height() / 10;
    return Picture(source.copy(n % 10 * width, n / 10 * height, width, height));
}

}  // namespace morvik
