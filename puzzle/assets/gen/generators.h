#pragma once

#include <QByteArray>
#include <QImage>

namespace morvik::assetgen {

// Each picture at `scale` device pixels to a pixel of its design (1 or 2), with that device
// pixel ratio.
QImage background(int scale);
// The program icon, drawn at each of its sizes.
inline constexpr int iconSizes[] = {16, 24, 32, 48, 64, 128, 256};
QImage icon(int size);
QImage emptyCellMarker(int scale);
QImage puzzlePicture(int index, int scale);
QImage animationFrame(int index, int scale);

// Sound effects: 16-bit PCM, 44.1 kHz, stereo wave files.
QByteArray moveWave();
QByteArray pickAndPutWave();
QByteArray correctPieceWave();
QByteArray completionWave();
// The background song: a Standard MIDI File.
QByteArray song();
// The instruments the song plays, as a SoundFont 2 file.
QByteArray soundFont();

}  // namespace morvik::assetgen
