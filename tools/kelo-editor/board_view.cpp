#include "tools/kelo-editor/board_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "tools/kelo-editor/board_edit.h"
#include "tools/kelo-editor/board_painting.h"
#include "tools/kelo-levels/render.h"

namespace kelo::editor {

BoardView::BoardView(QWidget* parent) : QWidget(parent) {
    setFixedSize(kBoardWidth, kBoardHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    Repaint();
}

void BoardView::SetBoard(const Board& board) {
    board_ = board;
    Repaint();
}

void BoardView::SetEnabledForEditing(bool enabled) {
    editable_ = enabled;
    strokeStart_.reset();
    update();
}

void BoardView::SetOverlay(Overlay overlay) {
    overlay_ = std::move(overlay);
    Repaint();
}

void BoardView::Repaint() {
    image_ = PaintBoard(overlay_.shown ? *overlay_.shown : board_);
    if (!overlay_.steps.empty()) DrawSolution(image_, overlay_.steps);
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::Antialiasing);
    // Walls that change nothing: a dashed yellow frame.
    painter.setPen(QPen(QColor(0xFF, 0xE0, 0x00), 3, Qt::DashLine));
    for (const auto& [r, c] : overlay_.idleWalls) painter.drawRect(QRectF(PixelX(c) + 2.5, PixelY(r) + 2.5, 35, 35));
    // First slides that lose: a red line from where the piece starts to where it stops, and a cross.
    painter.setPen(QPen(QColor(0xE0, 0x10, 0x10), 3, Qt::SolidLine, Qt::RoundCap));
    for (const Step& s : overlay_.losingSlides) {
        const QPointF a(PixelX(s.fromCol) + 20, PixelY(s.fromRow) + 20), b(PixelX(s.toCol) + 20, PixelY(s.toRow) + 20);
        painter.drawLine(a, b);
        painter.drawLine(b + QPointF(-7, -7), b + QPointF(7, 7));
        painter.drawLine(b + QPointF(-7, 7), b + QPointF(7, -7));
    }
    update();
}

QImage BoardView::Picture() { return grab().toImage(); }

void BoardView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!painter.isActive()) return;
    painter.drawImage(event->rect(), image_, event->rect());
    if (!editable_) return;
    if (hasFocus()) {
        // The keyboard's cursor: a frame in the desktop's highlight colour, inside the cell.
        painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(PixelX(cursorCol_) + 1.5, PixelY(cursorRow_) + 1.5, 37, 37));
    }
}

std::optional<std::pair<int, int>> BoardView::CellAt(QPointF point) const {
    const int col = static_cast<int>(point.x()) / TileSize + 1, row = static_cast<int>(point.y()) / TileSize + 1;
    if (point.x() < 0 || point.y() < 0 || !OnBoard(row, col)) return std::nullopt;
    return std::make_pair(row, col);
}

void BoardView::mousePressEvent(QMouseEvent* event) {
    if (!editable_ || strokeStart_) return;
    const auto cell = CellAt(event->position());
    if (!cell) return;
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    strokeCode_ = event->button() == Qt::LeftButton ? tool_ : std::uint8_t{Empty};
    rectangle_ = event->modifiers() & Qt::ShiftModifier;
    strokeStart_ = board_;
    fromRow_ = lastRow_ = cell->first;
    fromCol_ = lastCol_ = cell->second;
    cursorRow_ = cell->first;
    cursorCol_ = cell->second;
    StrokeTo(cell->first, cell->second);
}

void BoardView::mouseMoveEvent(QMouseEvent* event) {
    if (!strokeStart_) return;
    const auto cell = CellAt(event->position());
    if (!cell) return;
    // Qt keeps sending moves from where the button went down; only a new cell is painted.
    if (cell->first == lastRow_ && cell->second == lastCol_) return;
    StrokeTo(cell->first, cell->second);
}

void BoardView::StrokeTo(int row, int col) {
    if (rectangle_) {
        board_ = *strokeStart_;
        PaintRectangle(board_, fromRow_, fromCol_, row, col, strokeCode_);
    } else {
        PaintLine(board_, lastRow_, lastCol_, row, col, strokeCode_);
    }
    lastRow_ = row;
    lastCol_ = col;
    Repaint();
}

void BoardView::mouseReleaseEvent(QMouseEvent* event) {
    if (!strokeStart_) return;
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    const Board before = *strokeStart_;
    strokeStart_.reset();
    Commit(before, board_);
}

void BoardView::Commit(const Board& before, const Board& after) {
    if (before == after) return;
    emit edited(before, after);
}

void BoardView::keyPressEvent(QKeyEvent* event) {
    if (!editable_ || strokeStart_ || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    int dr = 0, dc = 0;
    switch (key) {
    case Qt::Key_Left: dc = -1; break;
    case Qt::Key_Right: dc = 1; break;
    case Qt::Key_Up: dr = -1; break;
    case Qt::Key_Down: dr = 1; break;
    default: break;
    }
    if (dr != 0 || dc != 0) {
        if (OnBoard(cursorRow_ + dr, cursorCol_ + dc)) {
            cursorRow_ += dr;
            cursorCol_ += dc;
            update();
            emit cursorMoved(cursorRow_, cursorCol_);
        }
        return;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_4) {
        const Board before = board_;
        PaintOn(board_, cursorRow_, cursorCol_, static_cast<std::uint8_t>(key - Qt::Key_0));
        Repaint();
        Commit(before, board_);
        return;
    }
    QWidget::keyPressEvent(event);
}

void BoardView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void BoardView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

}  // namespace kelo::editor
