#include "assets.h"

#include <QResource>
#include <QString>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace morvik::assets {

namespace {

// Once a picture is decoded, the pages that hold nothing but its encoded bytes are let go of: they
// lie in the program's read-only data, and are read again from the program's file if ever needed.
void letGoOf(const QResource &resource)
{
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(resource.data());
    const std::uintptr_t first = (start + page - 1) / page * page;
    const std::uintptr_t end = (start + static_cast<std::uintptr_t>(resource.size())) / page * page;
    if (end > first)
        ::madvise(reinterpret_cast<void *>(first), end - first, MADV_DONTNEED);
}

// The format is named, so that no image plugin is loaded to guess it.
QImage load(const QString &name, int scale)
{
    const QResource resource(QStringLiteral(":/morvik/") + name +
                             (scale > 1 ? QStringLiteral("@2x.png") : QStringLiteral(".png")));
    QImage image = QImage::fromData(QByteArrayView(resource.data(), resource.size()), "PNG");
    letGoOf(resource);
    image.setDevicePixelRatio(scale > 1 ? 2 : 1);
    return image;
}

}  // namespace

QImage background(int scale)
{
    // Three bytes a pixel: a quarter less to hold than the screen's own format, and drawn only where
    // the window is uncovered.
    if (scale > 1)
        return load(QStringLiteral("background"), scale).convertToFormat(QImage::Format_RGB888);
    const QResource raw(QStringLiteral(":/morvik/background.rgb"));
    const QImage image(raw.data(), 611, 428, (611 * 3 + 3) / 4 * 4, QImage::Format_RGB888);
    // The pixels are used where they lie, unless their rows are not 32-bit aligned.
    if (reinterpret_cast<quintptr>(raw.data()) % 4 != 0)
        return image.copy();
    return image;
}

QList<int> iconSizes() { return {16, 24, 32, 48, 64, 128, 256}; }

QImage icon(int size) { return load(QStringLiteral("icon%1").arg(size), 1); }

// Each size is decoded only when something asks for it.
QIcon programIcon()
{
    QIcon set;
    for (const int size : iconSizes())
        set.addFile(QStringLiteral(":/morvik/icon%1.png").arg(size), QSize(size, size));
    return set;
}

QImage emptyCellMarker(int scale) { return load(QStringLiteral("marker"), scale); }

QImage puzzlePicture(int index, int scale)
{
    return load(QStringLiteral("picture%1").arg(index), scale);
}

QImage animationFrame(int index, int scale)
{
    return load(QStringLiteral("frame%1").arg(index), scale);
}

int scaleFor(qreal devicePixelRatio) { return devicePixelRatio > 1 ? 2 : 1; }

}  // namespace morvik::assets
