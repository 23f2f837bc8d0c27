#pragma once

#include <QImage>
#include <QWidget>
#include <optional>
#include <utility>
#include <vector>

#include "game/board.h"
#include "tools/kelo-levels/analyse.h"

namespace kelo::editor {

// The board at the game's size, 40-pixel tiles drawn as the game draws them, painted with the
// mouse (left: the chosen tile, right: floor; a drag paints a line, with Shift a rectangle) and
// with the keyboard (arrows move a cursor, 0 to 4 set its cell).
class BoardView : public QWidget {
    Q_OBJECT
public:
    explicit BoardView(QWidget* parent = nullptr);

    void SetBoard(const Board& board);
    const Board& board() const { return board_; }
    void SetEnabledForEditing(bool enabled);
    void SetTool(std::uint8_t code) { tool_ = code; }
    std::uint8_t tool() const { return tool_; }
    std::pair<int, int> cursor() const { return {cursorRow_, cursorCol_}; }

    // Shown over the board: a solution's first slides, walls that change nothing, first slides
    // that lose. `shown` replaces the board while a solution is stepped through.
    struct Overlay {
        std::vector<Step> steps;
        std::vector<std::pair<int, int>> idleWalls;
        std::vector<Step> losingSlides;
        std::optional<Board> shown;
    };
    void SetOverlay(Overlay overlay);
    const Overlay& overlay() const { return overlay_; }

    // What is on screen, as a picture (for tests and for the longest-frame measure).
    QImage Picture();

signals:
    // One stroke of the mouse or one key: the board before and after.
    void edited(const kelo::Board& before, const kelo::Board& after);
    // A paint that the view cannot take (another level is not shown): asks to edit instead.
    void cursorMoved(int row, int col);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::optional<std::pair<int, int>> CellAt(QPointF point) const;
    void StrokeTo(int row, int col);
    void Commit(const Board& before, const Board& after);
    void Repaint();

    Board board_;
    QImage image_;
    Overlay overlay_;
    bool editable_ = true;
    std::uint8_t tool_ = Wall;
    int cursorRow_ = 1, cursorCol_ = 1;
    // The stroke under way: the board before it, its first and last cells, its code.
    std::optional<Board> strokeStart_;
    int fromRow_ = 0, fromCol_ = 0, lastRow_ = 0, lastCol_ = 0;
    std::uint8_t strokeCode_ = 0;
    bool rectangle_ = false;
};

}  // namespace kelo::editor
