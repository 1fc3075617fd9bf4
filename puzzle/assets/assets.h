#pragma once

#include <QIcon>
#include <QImage>
#include <QList>

namespace morvik::assets {

// The pictures embedded in the program, made at build time by our own generator. Each comes at a
// scale of 1 (one device pixel to a pixel of the design) and of 2 (twice the detail, with a
// device pixel ratio of 2); every logical size is the same at both.
QImage background(int scale = 1);              // 611 x 428, 24-bit colour, read-only at scale 1
QList<int> iconSizes();                        // 16, 24, 32, 48, 64, 128 and 256
QImage icon(int size = 64);                    // size x size; up to 64 with 16 colours and transparency
QIcon programIcon();                           // every size, for the window
QImage emptyCellMarker(int scale = 1);         // 24 x 24
QImage puzzlePicture(int index, int scale = 1);   // 0..14, 240 x 240
QImage animationFrame(int index, int scale = 1);  // 0..15, 266 x 74

// The scale of the pictures for a screen of the given device pixel ratio: 1 at a ratio of 1,
// else 2 (smoothly scaled down where the ratio lies between 1 and 2).
int scaleFor(qreal devicePixelRatio);

}  // namespace morvik::assets
