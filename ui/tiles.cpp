#include "ui/tiles.h"

#include <QFile>
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
    QFile file(QStringLiteral(":/assets/kelo.ico"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    QImage image = QImage::fromData(bytes, "ICO").convertToFormat(QImage::Format_ARGB32);
    // Qt's ICO reader keeps 24-bit pixels opaque; the one-bit mask closes the file, bottom row first.
    constexpr int size = 32, rowBytes = 4;
    if (image.size() != QSize(size, size) || bytes.size() < size * rowBytes) return QIcon(QPixmap::fromImage(image));
    const char* mask = bytes.constData() + bytes.size() - size * rowBytes;
    for (int y = 0; y < size; ++y) {
        const char* row = mask + (size - 1 - y) * rowBytes;
        for (int x = 0; x < size; ++x) {
            if (row[x / 8] & (0x80 >> (x % 8))) image.setPixel(x, y, 0);
        }
    }
    return QIcon(QPixmap::fromImage(image));
}

}  // namespace kelo
