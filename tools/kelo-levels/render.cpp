// Pictures of levels for designers and for the level set's page. Only Qt's image classes: no
// display, no fonts (the few labels are drawn from a small bitmap font of our own, so that a
// picture is the same on every machine).
#include "tools/kelo-levels/render.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>

#include "tools/kelo-assets/tiles.h"
#include "tools/kelo-levels/files.h"

namespace kelo {
namespace {

constexpr int kBoardWidth = kCols * TileSize;
constexpr int kBoardHeight = kRows * TileSize;
constexpr QRgb kBallArrow = 0xFF1E5AFF;
constexpr QRgb kSquareArrow = 0xFFFF7A00;

QImage TileImage(int code) {
    const art::TilePixels pixels = art::Tile(code);
    QImage image(art::kTile, art::kTile, QImage::Format_RGB32);
    for (int y = 0; y < art::kTile; ++y) {
        for (int x = 0; x < art::kTile; ++x) image.setPixel(x, y, 0xFF000000u | pixels[static_cast<std::size_t>(y * art::kTile + x)]);
    }
    return image;
}

// Glyphs of 3 x 5 dots, a row of three bits per line, top first.
int Glyph(char c, int row) {
    static const std::array<std::array<int, 5>, 10> digits = {{
        {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
        {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
    }};
    static const std::array<int, 5> p = {6, 5, 6, 4, 4}, a = {2, 5, 7, 5, 5}, r = {6, 5, 6, 5, 5}, dash = {0, 0, 7, 0, 0};
    if (c >= '0' && c <= '9') return digits[static_cast<std::size_t>(c - '0')][static_cast<std::size_t>(row)];
    switch (c) {
    case 'p': return p[static_cast<std::size_t>(row)];
    case 'a': return a[static_cast<std::size_t>(row)];
    case 'r': return r[static_cast<std::size_t>(row)];
    case '-': return dash[static_cast<std::size_t>(row)];
    default: return 0;
    }
}

int TextWidth(const std::string& text, int scale) { return static_cast<int>(text.size()) * 4 * scale - scale; }

void DrawText(QPainter& painter, int x, int y, const std::string& text, int scale, QColor colour) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        for (int row = 0; row < 5; ++row) {
            const int bits = Glyph(text[k], row);
            for (int col = 0; col < 3; ++col) {
                if (bits & (4 >> col))
                    painter.fillRect(x + static_cast<int>(k) * 4 * scale + col * scale, y + row * scale, scale, scale, colour);
            }
        }
    }
}

QPointF Centre(int row, int col) { return {PixelX(col) + TileSize / 2.0, PixelY(row) + TileSize / 2.0}; }

}  // namespace

QImage RenderBoard(const Board& board) {
    const std::array<QImage, 5> tiles = {TileImage(0), TileImage(1), TileImage(2), TileImage(3), TileImage(4)};
    QImage image(kBoardWidth, kBoardHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // Every cell, row by row from the top, as the game paints a level.
    for (int row = 1; row <= kRows; ++row) {
        for (int col = 1; col <= kCols; ++col) painter.drawImage(PixelX(col), PixelY(row), tiles.at(board(row, col)));
    }
    return image;
}

std::optional<QImage> RenderLevel(std::string_view file, int level) {
    const auto read = LevelPuzzle(file, level);
    if (!read) return std::nullopt;
    return RenderBoard(read->board);
}

void DrawSolution(QImage& board, const std::vector<Step>& solution) {
    QPainter painter(&board);
    painter.setRenderHint(QPainter::Antialiasing);
    struct Label {
        QPointF at;
        QColor colour;
    };
    std::vector<Label> labels;
    for (std::size_t k = 0; k < solution.size(); ++k) {
        const Step& s = solution[k];
        const QColor colour = QColor::fromRgba(s.move.piece == kBallPiece ? kBallArrow : kSquareArrow);
        // Slides over the same cells, either way, are set a little apart: sideways for the
        // arrow, along the line for its number, by the slide's number.
        const QPointF from = Centre(s.fromRow, s.fromCol), to = Centre(s.toRow, s.toCol);
        const QPointF along = (to - from) / std::hypot((to - from).x(), (to - from).y());
        const QPointF axis = along.x() + along.y() > 0 ? along : -along;
        const double step = static_cast<double>(static_cast<int>(k % 3) - 1);
        const QPointF across = QPointF(-axis.y(), axis.x()) * (step * 5);
        const QPointF a = from + across, b = to + across - along * 6;
        painter.setPen(QPen(colour, 4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(a, b);
        QPainterPath head;
        head.moveTo(b + along * 6);
        head.lineTo(b - along * 10 + QPointF(-along.y(), along.x()) * 8);
        head.lineTo(b - along * 10 - QPointF(-along.y(), along.x()) * 8);
        head.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPath(head);
        labels.push_back({(a + b) / 2 + axis * (step * 14), colour});
    }
    // The numbers last, on discs of their arrow's colour, so that no arrow hides one.
    for (std::size_t k = 0; k < labels.size(); ++k) {
        const std::string number = std::to_string(k + 1);
        const QPointF at = labels[k].at;
        const double radius = number.size() > 1 ? 11 : 9;
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setBrush(labels[k].colour);
        painter.setPen(QPen(Qt::white, 1.5));
        painter.drawEllipse(at, radius, radius);
        painter.setRenderHint(QPainter::Antialiasing, false);
        DrawText(painter, static_cast<int>(std::lround(at.x())) - TextWidth(number, 2) / 2,
                 static_cast<int>(std::lround(at.y())) - 5, number, 2, Qt::white);
    }
}

QImage ContactSheet(std::string_view file) {
    constexpr int kPerRow = 4, kGap = 12, kCaption = 26;
    constexpr int kThumbW = kBoardWidth / 2, kThumbH = kBoardHeight / 2;
    const int levels = LevelCount(file.size());
    const int rows = (levels + kPerRow - 1) / kPerRow;
    QImage sheet(kGap + kPerRow * (kThumbW + kGap), kGap + rows * (kCaption + kThumbH + kGap), QImage::Format_RGB32);
    sheet.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter painter(&sheet);
    for (int level = 1; level <= levels; ++level) {
        const int x = kGap + (level - 1) % kPerRow * (kThumbW + kGap);
        const int y = kGap + (level - 1) / kPerRow * (kCaption + kThumbH + kGap);
        std::string caption = std::to_string(level) + "  par ";
        const auto puzzle = LevelPuzzle(file, level);
        const Solution s = puzzle ? Solve(*puzzle) : Solution{};
        caption += s.outcome == Outcome::Solved ? std::to_string(s.moves.size()) : "-";
        DrawText(painter, x, y + 4, caption, 3, Qt::black);
        if (puzzle) {
            painter.drawImage(QRect(x, y + kCaption, kThumbW, kThumbH),
                              RenderBoard(puzzle->board).scaled(kThumbW, kThumbH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        } else {
            painter.fillRect(x, y + kCaption, kThumbW, kThumbH, Qt::black);
        }
    }
    return sheet;
}

int RunRender(std::string_view file, int onlyLevel, bool solution, const std::string& path, std::ostream& out,
              std::ostream& err) {
    const int levels = LevelCount(file.size());
    if (const auto refused = RefuseLevelChoice(levels, onlyLevel, err)) return *refused;
    QImage image;
    if (onlyLevel == 0) {
        if (solution) {
            err << "kelo-levels: --solution needs --level N\n";
            return kLevelsError;
        }
        image = ContactSheet(file);
    } else {
        const auto puzzle = LevelPuzzle(file, onlyLevel);
        if (!puzzle) {
            err << "kelo-levels: level " << onlyLevel << " cannot be loaded: the game shows level 1 instead\n";
            return kLevelsProblems;
        }
        image = RenderBoard(puzzle->board);
        if (solution) {
            AnalyseOptions options;
            options.trials = 0;
            options.inertWalls = false;
            options.look = false;
            const Analysis a = Analyse(*puzzle, options);
            if (a.status != Analysis::Status::Solved) {
                err << "kelo-levels: level " << onlyLevel << " has no solution to draw\n";
                return kLevelsProblems;
            }
            DrawSolution(image, a.solution);
        }
    }
    if (!image.save(QString::fromStdString(path), "PNG")) {
        err << "kelo-levels: cannot write " << path << "\n";
        return kLevelsError;
    }
    out << path << ": " << image.width() << " x " << image.height() << "\n";
    return kLevelsSound;
}

}  // namespace kelo
