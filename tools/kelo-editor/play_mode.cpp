#include "tools/kelo-editor/play_mode.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <chrono>
#include <thread>

#include "tools/kelo-editor/board_painting.h"
#include "ui/keys.h"

namespace kelo::editor {

namespace {
constexpr int kSurfaceHeight = 415;
constexpr QRgb kGrey = 0xFFC0C0C0;
}  // namespace

PlayPlatform::PlayPlatform(QImage* surface, QWidget* surfaceWidget) : surface_(surface), surfaceWidget_(surfaceWidget) {}

void PlayPlatform::PaintPicture(int picture, int x, int y) {
    if (picture < 0 || picture > Square || !surface_) return;
    QPainter painter(surface_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(x, y, GameTiles()[static_cast<std::size_t>(picture)]);
    if (surfaceWidget_) surfaceWidget_->update(x, y, TileSize, TileSize);
}

void PlayPlatform::Refresh() {
    if (surfaceWidget_) surfaceWidget_->repaint();
}

void PlayPlatform::SetCaption(const std::string& text) {
    if (onCaption) onCaption(text);
}

void PlayPlatform::SetFrameCaption(const std::string& text) {
    if (onFrameCaption) onFrameCaption(text);
}

void PlayPlatform::SetChecked(Setting setting, bool checked) {
    if (setting == Setting::Animation) animation_ = checked;
}

void PlayPlatform::MsgBox(const std::string& text, const std::string&) {
    if (onMessage) onMessage(text);
}

std::int64_t PlayPlatform::MonotonicMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t PlayPlatform::WallClockMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void PlayPlatform::Pause(int milliseconds) {
    if (surfaceWidget_) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::optional<std::size_t> PlayPlatform::ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) {
    return MemoryBytes(bytes_).ReadAt(offset, buffer, size);
}

PlayWidget::PlayWidget(QWidget* parent) : QWidget(parent), surface_(kBoardWidth, kSurfaceHeight, QImage::Format_RGB32) {
    surface_.fill(kGrey);
    setFixedSize(surface_.size());
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    platform_ = std::make_unique<PlayPlatform>(&surface_, this);
    form_ = std::make_unique<Form1>(*platform_);
    form_->CrLf = "\r\n";
    platform_->onFrameCaption = [this](const std::string&) { Tell(); };
    platform_->onMessage = [this](const std::string&) {
        won_ = true;
        wonIn_ = form_->MoveCount;
    };
}

PlayWidget::~PlayWidget() = default;

void PlayWidget::Start(const std::string& record, int level) {
    platform_->SetLevelBytes(record);
    level_ = level;
    Restart();
}

void PlayWidget::Restart() {
    surface_.fill(kGrey);
    history_.clear();
    won_ = false;
    form_->Level = 1;
    form_->LoadLevel(1);
    update();
    Tell();
}

void PlayWidget::Tell() {
    QString text = QStringLiteral("Jeu : niveau %1, %2 mouvement(s)").arg(level_).arg(form_->MoveCount);
    if (won_) text = QStringLiteral("Niveau %1 terminé en %2 mouvement(s) ! R pour rejouer, Échap pour revenir à l'édition").arg(level_).arg(wonIn_);
    emit status(text);
    update(0, kBoardHeight, kBoardWidth, kSurfaceHeight - kBoardHeight);
}

void PlayWidget::Restore(const Snapshot& s) {
    form_->Board = s.board;
    form_->PieceRow = s.row;
    form_->PieceCol = s.col;
    form_->Selected = s.selected;
    form_->RingsLeft = s.ringsLeft;
    form_->MoveCount = s.moves;
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kCols; ++c) platform_->PaintPicture(form_->Board(r, c), PixelX(c), PixelY(r));
    }
    platform_->PaintPicture(CodeOfPiece(form_->Selected), kIndicatorX, kIndicatorY);
    Tell();
}

void PlayWidget::UndoMove() {
    if (history_.empty()) return;
    const Snapshot s = history_.back();
    history_.pop_back();
    won_ = false;
    Restore(s);
}

void PlayWidget::PressKey(int qtKey) {
    if (won_) {
        if (qtKey == Qt::Key_R) Restart();
        return;
    }
    const std::int16_t key = VirtualKeyOf(qtKey);
    const Snapshot before{form_->Board, form_->PieceRow, form_->PieceCol, form_->Selected, form_->RingsLeft, form_->MoveCount};
    form_->Form_KeyDown(key, 0);
    if (won_) {
        // The game has gone on to the next level; the designer stays on this one.
        form_->Level = 1;
        form_->LoadLevel(1);
        history_.clear();
        Tell();
        return;
    }
    if (form_->MoveCount != before.moves) history_.push_back(before);
}

void PlayWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!painter.isActive()) return;
    painter.drawImage(event->rect(), surface_, event->rect());
    painter.setPen(Qt::black);
    painter.drawText(QRect(8, 372, 560, 30), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromStdString(kMoveCaption + std::to_string(form_->MoveCount)));
}

bool PlayWidget::event(QEvent* event) {
    // While playing, Ctrl+Z takes a move back rather than undoing the last change of the level.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Z && key->modifiers() == Qt::ControlModifier) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void PlayWidget::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        emit leave();
        return;
    }
    if (key == Qt::Key_Backspace || (key == Qt::Key_Z && (event->modifiers() & Qt::ControlModifier))) {
        UndoMove();
        return;
    }
    if (key == Qt::Key_R && !(event->modifiers() & Qt::ControlModifier)) {
        Restart();
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    PressKey(key);
}

std::vector<Step> StepsOfMoves(const std::string& record, const std::vector<Move>& moves) {
    PlayPlatform platform(nullptr, nullptr);
    platform.SetAnimation(false);
    platform.SetLevelBytes(record);
    Form1 form(platform);
    form.CrLf = "\r\n";
    bool won = false;
    platform.onMessage = [&](const std::string&) { won = true; };
    form.Level = 1;
    form.LoadLevel(1);
    std::vector<Step> steps;
    for (const Move& move : moves) {
        if (won) break;
        if (move.piece != form.Selected) form.Form_KeyDown(kKeySpace, 0);
        const auto p = static_cast<std::size_t>(move.piece);
        Step step{move, form.PieceRow[p], form.PieceCol[p], 0, 0, false};
        const std::int16_t rings = form.RingsLeft;
        form.Form_KeyDown(static_cast<std::int16_t>(kKeyLeft + static_cast<int>(move.direction)), 0);
        step.toRow = form.PieceRow[p];
        step.toCol = form.PieceCol[p];
        step.collects = won || form.RingsLeft < rings;
        steps.push_back(step);
    }
    return steps;
}

Board BoardAfterSlides(const std::string& record, const std::vector<Step>& steps, int count) {
    PlayPlatform platform(nullptr, nullptr);
    platform.SetAnimation(false);
    platform.SetLevelBytes(record);
    Form1 form(platform);
    form.CrLf = "\r\n";
    std::optional<Board> won;
    // The last slide wins, and the game goes on to load the next level: the board is taken first.
    platform.onMessage = [&](const std::string&) { won = form.Board; };
    form.Level = 1;
    form.LoadLevel(1);
    for (int k = 0; k < count && k < static_cast<int>(steps.size()) && !won; ++k) {
        const Move& move = steps[static_cast<std::size_t>(k)].move;
        if (move.piece != form.Selected) form.Form_KeyDown(kKeySpace, 0);
        form.Form_KeyDown(static_cast<std::int16_t>(kKeyLeft + static_cast<int>(move.direction)), 0);
    }
    return won ? *won : form.Board;
}

}  // namespace kelo::editor
