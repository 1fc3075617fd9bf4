#pragma once

#include <QImage>

namespace morvik::assets {

// The pictures embedded in the program, made at build time by our own generator.
QImage background();               // 611 x 428, 24-bit colour, read-only
QImage icon();                     // 64 x 64, 16 colours with transparency
QImage emptyCellMarker();          // 24 x 24
QImage puzzlePicture(int index);   // 0..14, 240 x 240
QImage animationFrame(int index);  // 0..15, 266 x 74

}  // namespace morvik::assets
