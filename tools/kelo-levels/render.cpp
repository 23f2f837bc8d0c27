// Pictures of levels for designers and for the level set's page. Only Qt's image classes: no
// display, no fonts (the few labels are drawn from a small bitmap font of our own, so that a
// picture is the same on every machine).
#include "tools/kelo-levels/render.h"

#include <png.h>

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <functional>

#include "tools/common/safe_file.h"
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
    static const std::array<int, 5> p = {6, 5, 6, 4, 4}, a = {2, 5, 7, 5, 5}, r = {6, 5, 6, 5, 5}, dash = {0, 0, 7, 0, 0},
                                    l = {4, 4, 4, 4, 7}, o = {0, 7, 5, 5, 7}, k = {5, 5, 6, 5, 5}, v = {5, 5, 5, 5, 2},
                                    e = {7, 4, 6, 4, 7}, plus = {0, 2, 7, 2, 0};
    if (c >= '0' && c <= '9') return digits[static_cast<std::size_t>(c - '0')][static_cast<std::size_t>(row)];
    switch (c) {
    case 'p': return p[static_cast<std::size_t>(row)];
    case 'a': return a[static_cast<std::size_t>(row)];
    case 'r': return r[static_cast<std::size_t>(row)];
    case '-': return dash[static_cast<std::size_t>(row)];
    case 'l': return l[static_cast<std::size_t>(row)];
    case 'o': return o[static_cast<std::size_t>(row)];
    case 'k': return k[static_cast<std::size_t>(row)];
    case 'v': return v[static_cast<std::size_t>(row)];
    case 'e': return e[static_cast<std::size_t>(row)];
    case '+': return plus[static_cast<std::size_t>(row)];
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

namespace {

constexpr int kPerRow = 4, kGap = 12, kCaption = 26;
constexpr int kThumbW = kBoardWidth / 2, kThumbH = kBoardHeight / 2;
constexpr int kSheetPitch = kCaption + kThumbH + kGap;  // from one row of boards to the next

// libpng tells an error by a long jump: each call that may fail is in a function of its own
// with nothing to destroy, and the message is kept for the caller.
[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
    auto* why = static_cast<std::string*>(png_get_error_ptr(png));
    if (why->empty()) *why = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void OnPngWrite(png_structp png, png_bytep data, png_size_t size) {
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, size, file) != size) {
        *static_cast<std::string*>(png_get_error_ptr(png)) = std::strerror(errno);
        png_error(png, "write error");
    }
}

void OnPngFlush(png_structp) {}

bool PngStart(png_structp png, png_infop info, std::FILE* file, int width, int height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, file, OnPngWrite, OnPngFlush);
    // A sheet of thousands of levels is taller than libpng's default limit of a million rows.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    return true;
}

bool PngRow(png_structp png, png_bytep row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_row(png, row);
    return true;
}

bool PngEnd(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_end(png, info);
    return true;
}

// A PNG of width x height whose rows `bands` draws a band at a time, from the row it is given:
// only one band is ever held.
bool WritePng(std::FILE* file, int width, int height, const std::function<QImage(int top)>& bands, std::string& why) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &why, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        why = "out of memory";
        return false;
    }
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
    bool ok = PngStart(png, info, file, width, height);
    for (int top = 0; ok && top < height;) {
        const QImage band = bands(top);
        if (band.isNull()) {
            why = "out of memory";
            ok = false;
        }
        for (int y = 0; ok && y < band.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(band.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                row[static_cast<std::size_t>(x) * 3] = static_cast<png_byte>(qRed(line[x]));
                row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<png_byte>(qGreen(line[x]));
                row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<png_byte>(qBlue(line[x]));
            }
            ok = PngRow(png, row.data());
        }
        top += band.height();
    }
    ok = ok && PngEnd(png, info);
    png_destroy_write_struct(&png, &info);
    return ok;
}

}  // namespace

QSize ContactSheetSize(int levels) {
    const int rows = (levels + kPerRow - 1) / kPerRow;
    return {kGap + kPerRow * (kThumbW + kGap), kGap + rows * kSheetPitch};
}

QImage ContactSheetBand(std::string_view file, int row) {
    const int levels = LevelCount(file.size());
    const int rows = (levels + kPerRow - 1) / kPerRow;
    // A row of boards with the gap above it; the last row also has the gap below.
    QImage band(ContactSheetSize(levels).width(), kSheetPitch + (row == rows - 1 ? kGap : 0), QImage::Format_RGB32);
    if (band.isNull()) return band;
    band.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter painter(&band);
    for (int level = row * kPerRow + 1; level <= std::min(levels, (row + 1) * kPerRow); ++level) {
        const int x = kGap + (level - 1) % kPerRow * (kThumbW + kGap);
        const int y = kGap;
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
    return band;
}

QImage RenderCurve(const std::vector<Analysis>& levels) {
    constexpr int kLeft = 40, kRight = 20, kTop = 30, kBottom = 30, kScale = 2;
    constexpr int kWidth = 840, kHeight = 420;
    int top = kLookOver;
    for (const Analysis& a : levels) top = std::max(top, a.fewestMoves);
    top = (top + 4) / 5 * 5;
    const int count = std::max<int>(1, static_cast<int>(levels.size()));
    const double plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom;
    auto x = [&](int level) { return kLeft + plotW * (count == 1 ? 0.5 : (level - 1) / double(count - 1)); };
    auto y = [&](double value) { return kTop + plotH * (1 - value / top); };
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(QColor(255, 255, 255));
    QPainter painter(&image);
    const QColor grid(225, 225, 225), ink(60, 60, 60), par(kSquareArrow), look(kBallArrow);
    // The grid: every five slides across, every five levels down, labelled.
    for (int v = 0; v <= top; v += 5) {
        painter.setPen(QPen(grid, 1));
        painter.drawLine(QPointF(kLeft, y(v)), QPointF(kWidth - kRight, y(v)));
        const std::string label = std::to_string(v);
        DrawText(painter, kLeft - 6 - TextWidth(label, kScale), static_cast<int>(y(v)) - 5, label, kScale, ink);
    }
    for (int level = 1; level <= count; ++level) {
        if (level != 1 && level % 5 != 0) continue;
        painter.setPen(QPen(grid, 1));
        painter.drawLine(QPointF(x(level), kTop), QPointF(x(level), kHeight - kBottom));
        const std::string label = std::to_string(level);
        DrawText(painter, static_cast<int>(x(level)) - TextWidth(label, kScale) / 2, kHeight - kBottom + 8, label, kScale, ink);
    }
    painter.setPen(QPen(ink, 1));
    painter.drawRect(QRectF(kLeft, kTop, plotW, plotH));
    painter.setRenderHint(QPainter::Antialiasing);
    // One line and its dots per figure; a level without the figure breaks the line.
    auto series = [&](QColor colour, bool hollowOver, auto value) {
        QPainterPath path;
        bool open = false;
        for (int level = 1; level <= static_cast<int>(levels.size()); ++level) {
            const int v = value(levels[static_cast<std::size_t>(level - 1)]);
            if (v < 0) {
                open = false;
                continue;
            }
            const QPointF at(x(level), y(v));
            if (open) path.lineTo(at);
            else path.moveTo(at);
            open = true;
        }
        painter.setPen(QPen(colour, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        for (int level = 1; level <= static_cast<int>(levels.size()); ++level) {
            const int v = value(levels[static_cast<std::size_t>(level - 1)]);
            if (v < 0) continue;
            painter.setBrush(hollowOver && v > kMaxLook ? QBrush(Qt::white) : QBrush(colour));
            painter.drawEllipse(QPointF(x(level), y(v)), 3.5, 3.5);
        }
    };
    series(par, false, [](const Analysis& a) { return a.status == Analysis::Status::Solved ? a.fewestMoves : -1; });
    series(look, true, [](const Analysis& a) { return a.status == Analysis::Status::Solved ? a.look : -1; });
    // The legend, top left: "par" in orange, "look" in blue.
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawText(painter, kLeft + 10, kTop - 20, "par", kScale, par);
    DrawText(painter, kLeft + 10 + TextWidth("par", kScale) + 16, kTop - 20, "look", kScale, look);
    return image;
}

int RunRender(std::string_view file, int onlyLevel, bool solution, bool curve, std::size_t maxStates,
              const std::string& path, std::ostream& out, std::ostream& err) {
    const int levels = LevelCount(file.size());
    if (const auto refused = RefuseLevelChoice(levels, onlyLevel, err)) return *refused;
    QSize size;
    std::string error;
    // A single picture is encoded whole, then replaces the file in one rename.
    const auto writeImage = [&](const QImage& image) {
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
            err << kOutOfMemory << "\n";
            return false;
        }
        size = image.size();
        error = ReplaceFile(path, std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
        return true;
    };
    if (curve) {
        if (onlyLevel || solution) {
            err << "kelo-levels: --curve draws the whole file: not with --level or --solution\n";
            return kLevelsError;
        }
        std::vector<int> all;
        for (int level = 1; level <= levels; ++level) all.push_back(level);
        AnalyseOptions options;
        options.trials = 0;
        options.idleWalls = false;
        options.maxStates = maxStates;
        const QImage image = RenderCurve(AnalyseLevels(file, all, options));
        if (!writeImage(image)) return kLevelsError;
    } else if (onlyLevel == 0) {
        if (solution) {
            err << "kelo-levels: --solution needs --level N\n";
            return kLevelsError;
        }
        // Drawn and written a row of boards at a time: the memory is a band's, whatever the levels.
        size = ContactSheetSize(levels);
        error = ReplaceFileWith(path, [&](std::FILE* out, std::string& why) {
            return WritePng(out, size.width(), size.height(),
                            [&](int top) { return ContactSheetBand(file, top / kSheetPitch); }, why);
        });
    } else {
        const auto puzzle = LevelPuzzle(file, onlyLevel);
        if (!puzzle) {
            err << "kelo-levels: level " << onlyLevel << " cannot be loaded: the game shows level 1 instead\n";
            return kLevelsProblems;
        }
        QImage image = RenderBoard(puzzle->board);
        if (solution) {
            AnalyseOptions options;
            options.trials = 0;
            options.idleWalls = false;
            options.maxStates = maxStates;
            options.look = false;
            const Analysis a = Analyse(*puzzle, options);
            if (a.status == Analysis::Status::TooBig) {
                err << "kelo-levels: level " << onlyLevel << ": no solution drawn: the search stopped at its limit of "
                    << a.states << " states before it found one\n";
                return kLevelsProblems;
            }
            if (a.status != Analysis::Status::Solved) {
                err << "kelo-levels: level " << onlyLevel << " has no solution to draw\n";
                return kLevelsProblems;
            }
            DrawSolution(image, a.solution);
        }
        if (!writeImage(image)) return kLevelsError;
    }
    if (!error.empty()) {
        err << "kelo-levels: " << error << "\n";
        return kLevelsError;
    }
    out << path << ": " << size.width() << " x " << size.height() << "\n";
    return kLevelsSound;
}

}  // namespace kelo
