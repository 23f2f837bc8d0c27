#include "tools/kelo-editor/board_painting.h"

#include <QPainter>

#include "ui/tiles.h"

namespace kelo::editor {

const std::array<QImage, 5>& GameTiles() {
    static const std::array<QImage, 5> tiles = TileImages();
    return tiles;
}

void PaintCell(QImage& image, int row, int col, std::uint8_t code) {
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect cell(PixelX(col), PixelY(row), TileSize, TileSize);
    if (code <= Square) {
        painter.drawImage(cell.topLeft(), GameTiles()[code]);
        return;
    }
    painter.fillRect(cell, QColor(0xC0, 0x20, 0x20));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(cell, Qt::AlignCenter, QString::number(code));
}

QImage PaintBoard(const Board& board) {
    QImage image(kBoardWidth, kBoardHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (int row = 1; row <= kRows; ++row) {
        for (int col = 1; col <= kCols; ++col) {
            const std::uint8_t code = board(row, col);
            if (code <= Square) painter.drawImage(PixelX(col), PixelY(row), GameTiles()[code]);
        }
    }
    painter.end();
    for (int row = 1; row <= kRows; ++row) {
        for (int col = 1; col <= kCols; ++col) {
            if (board(row, col) > Square) PaintCell(image, row, col, board(row, col));
        }
    }
    return image;
}

QImage Thumbnail(const Board& board) {
    return PaintBoard(board).scaled(kBoardWidth / 4, kBoardHeight / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace kelo::editor
