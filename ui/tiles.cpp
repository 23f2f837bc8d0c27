#include "ui/tiles.h"

#include <QPixmap>

namespace kelo {

namespace {

// The image reads the built-in pixels where they are: no file to decode, nothing copied.
QImage Wrap(const Pixels& pixels, QImage::Format format) {
    return QImage(reinterpret_cast<const uchar*>(pixels.data), pixels.width, pixels.height, pixels.width * 4, format);
}

}  // namespace

std::array<QImage, 5> TileImages() {
    return {Wrap(kTile0, QImage::Format_RGB32), Wrap(kTile1, QImage::Format_RGB32), Wrap(kTile2, QImage::Format_RGB32),
            Wrap(kTile3, QImage::Format_RGB32), Wrap(kTile4, QImage::Format_RGB32)};
}

QIcon WindowIcon() {
    // The 32-pixel launcher icon is the window icon: 24-bit colour, each pixel opaque or clear.
    return QIcon(QPixmap::fromImage(Wrap(kIcon32, QImage::Format_ARGB32_Premultiplied)));
}

}  // namespace kelo
