#include "ui/tiles.h"

#include <QString>

static void InitKeloResources() { Q_INIT_RESOURCE(kelo_assets); }

namespace kelo {

std::array<QImage, 5> TileImages() {
    InitKeloResources();
    std::array<QImage, 5> tiles;
    for (int i = 0; i < 5; ++i) {
        tiles[i] = QImage(QStringLiteral(":/assets/tile%1.bmp").arg(i)).convertToFormat(QImage::Format_RGB32);
    }
    return tiles;
}

QIcon WindowIcon() {
    InitKeloResources();
    // The 32-pixel launcher icon is the window icon: 24-bit colour, each pixel opaque or clear.
    return QIcon(QStringLiteral(":/assets/kelo-32.png"));
}

}  // namespace kelo
