#pragma once

#include <QIcon>
#include <QImage>
#include <QList>

namespace morvik::assets {

// The pictures embedded in the program, made at build time by our own generator.
QImage background();               // 611 x 428, 24-bit colour, read-only
QList<int> iconSizes();            // 16, 24, 32, 48, 64, 128 and 256
QImage icon(int size = 64);        // size x size; up to 64 with 16 colours and transparency
QIcon programIcon();               // every size, for the window
QImage emptyCellMarker();          // 24 x 24
QImage puzzlePicture(int index);   // 0..14, 240 x 240
QImage animationFrame(int index);  // 0..15, 266 x 74

}  // namespace morvik::assets
