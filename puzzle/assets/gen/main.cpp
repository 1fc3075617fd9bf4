// morvik-assetgen: makes every picture and sound of the game.
//   morvik-assetgen pictures DIR   writes the pictures that are embedded in the program
//   morvik-assetgen sounds DIR     writes the five sound files the game reads at run time and
//                                  morvik.sf2, the instruments of the song
#include "generators.h"

#include <QDir>
#include <QBuffer>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <utility>

using namespace morvik::assetgen;

namespace {

// Every file is written aside and renamed into place once whole, so that nothing that reads it
// can ever see half a file.
bool write(const QDir &dir, const QString &name, const QByteArray &data)
{
    QSaveFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return true;
    std::fprintf(stderr, "morvik-assetgen: cannot write %s\n", qPrintable(file.fileName()));
    return false;
}

bool save(const QDir &dir, const QString &name, const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"))
        return write(dir, name, png);
    std::fprintf(stderr, "morvik-assetgen: cannot encode %s\n", qPrintable(name));
    return false;
}

// The background as raw pixels, red, green and blue bytes, each row padded to a multiple of four
// bytes, which the game draws from where it lies in the program, with nothing to decode before the
// first paint.
QByteArray rawPixels(const QImage &image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_RGB888);
    const int row = pixels.width() * 3;
    QByteArray data;
    for (int y = 0; y < pixels.height(); ++y) {
        data.append(reinterpret_cast<const char *>(pixels.constScanLine(y)), row);
        data.append(QByteArray((4 - row % 4) % 4, '\0'));
    }
    return data;
}

// Every picture at one device pixel to a design pixel, and again at two, named "@2x".
bool pictures(const QDir &dir)
{
    bool ok = write(dir, "background.rgb", rawPixels(background(1)))
              && save(dir, "background@2x.png", background(2));
    for (const int size : iconSizes)
        ok = ok && save(dir, QString("icon%1.png").arg(size), icon(size));
    for (const auto &[scale, suffix] : {std::pair(1, ""), std::pair(2, "@2x")}) {
        ok = ok && save(dir, QString("marker%1.png").arg(suffix), emptyCellMarker(scale));
        for (int i = 0; ok && i < 15; ++i)
            ok = save(dir, QString("picture%1%2.png").arg(i).arg(suffix), puzzlePicture(i, scale));
        for (int i = 0; ok && i < 16; ++i)
            ok = save(dir, QString("frame%1%2.png").arg(i).arg(suffix), animationFrame(i, scale));
    }
    return ok;
}

bool sounds(const QDir &dir)
{
    return write(dir, "move.wav", moveWave()) && write(dir, "no.wav", pickAndPutWave())
           && write(dir, "Yes.wav", correctPieceWave()) && write(dir, "done.wav", completionWave())
           && write(dir, "ST.Mid", song()) && write(dir, "morvik.sf2", soundFont());
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 || (args[1] != "pictures" && args[1] != "sounds")) {
        std::fprintf(stderr, "usage: morvik-assetgen pictures|sounds DIR\n");
        return 2;
    }
    const QDir dir(args[2]);
    if (!dir.mkpath(".")) {
        std::fprintf(stderr, "morvik-assetgen: cannot make %s\n", qPrintable(args[2]));
        return 1;
    }
    return (args[1] == "pictures" ? pictures(dir) : sounds(dir)) ? 0 : 1;
}
