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
// The program of the drum bank that holds the song's own kit: the drums it plays, as they are in
// the standard kit. A synth reads every sample of a kit once a song selects it, and the song need
// not hold the whole map's. Program 120 of the drum bank is a kit of no standard, so that no other
// song selects it.
inline constexpr int songKitProgram = 120;

}  // namespace morvik::assetgen
