#include "game/form1.h"

#include <algorithm>

#include "game/elapsed.h"

namespace kelo {

bool Form1::PieceOnBoard(int piece) const {
    if (piece != kBallPiece && piece != kSquarePiece) return false;
    const int row = PieceRow[piece];
    const int col = PieceCol[piece];
    return OnBoard(row, col) && Board(row, col) == CodeOfPiece(piece);
}

bool Form1::SelectedCell(int& row, int& col) const {
    if (Selected != kBallPiece && Selected != kSquarePiece) return false;
    row = PieceRow[Selected];
    col = PieceCol[Selected];
    return OnBoard(row, col);
}

void Form1::Display() {
    int row, col;
    // A piece that no level has placed yet has no cell to be put down on.
    if (!SelectedCell(row, col)) return;
    Board(row, col) = CodeOfPiece(Selected);
    platform_.PaintPicture(CodeOfPiece(Selected), PixelX(col), PixelY(row));
    if (MoveCount < INT16_MAX) ++MoveCount;  // stops at the top rather than wrapping
    platform_.SetFrameCaption(kMoveCaption + std::to_string(MoveCount));
}

void Form1::Erases() {
    int row, col;
    if (!SelectedCell(row, col)) return;
    Board(row, col) = Empty;
    platform_.PaintPicture(Empty, PixelX(col), PixelY(row));
}

void Form1::LoadLevel(std::int16_t level) {
    if (TryLoad(level)) return;
    // A level that cannot be loaded gives level 1; when level 1 fails too, an empty board, as of
    // an empty file, and the next load tries the file again.
    Level = 1;
    if (level != 1 && TryLoad(1)) return;
    PlaceLevel(kelo::Level{});
}

namespace {

// The platform's open level file, as the reader takes its bytes.
class LevelFileBytes final : public LevelBytes {
public:
    explicit LevelFileBytes(Platform& platform) : platform_(platform) {}
    std::optional<std::int64_t> Size() const override { return platform_.LevelFileLength(); }
    std::optional<std::size_t> ReadAt(std::int64_t offset, char* buffer, std::size_t size) const override {
        return platform_.ReadLevelFile(offset, buffer, size);
    }

private:
    Platform& platform_;
};

}  // namespace

bool Form1::TryLoad(std::int16_t level) {
    if (!platform_.LevelFileIsOpen() && !platform_.OpenLevelFile(ProgramFile("levels.txt"))) return false;
    const auto read = ReadLevel(LevelFileBytes(platform_), level);
    if (!read) return false;
    PlaceLevel(*read);
    return true;
}

void Form1::PlaceLevel(const kelo::Level& level) {
    Board = level.board;
    RingsLeft = static_cast<std::int16_t>(level.rings);
    // A piece that the level lacks keeps its place.
    if (level.ballRow != 0) {
        PieceRow[kBallPiece] = static_cast<std::uint8_t>(level.ballRow);
        PieceCol[kBallPiece] = static_cast<std::uint8_t>(level.ballCol);
    }
    if (level.squareRow != 0) {
        PieceRow[kSquarePiece] = static_cast<std::uint8_t>(level.squareRow);
        PieceCol[kSquarePiece] = static_cast<std::uint8_t>(level.squareCol);
    }
    LineBuffer = level.lastLine;
    for (RowIndex = 1; RowIndex <= kRows; ++RowIndex) {
        for (ColIndex = 1; ColIndex <= kCols; ++ColIndex)
            platform_.PaintPicture(Board(RowIndex, ColIndex), PixelX(ColIndex), PixelY(RowIndex));
    }
    FinishLoad();
}

void Form1::FinishLoad() {
    Selected = kBallPiece;
    platform_.PaintPicture(Ball, kIndicatorX, kIndicatorY);
    platform_.SetCaption(kTitlePrefix + std::to_string(Level));
    MoveCount = 0;
    platform_.SetFrameCaption(kMoveCaption + "0");
    LoadTime = platform_.MonotonicMilliseconds();
    const std::int64_t wall = platform_.WallClockMilliseconds();
    LoadPhase = static_cast<std::int16_t>((wall % 1000 + 1000) % 1000);
}

void Form1::Form_KeyDown(std::int16_t keyCode, std::int16_t /*shift*/) {
    if (keyCode == kKeySpace) {
        SwitchPiece();
        CheckCompletion();
        return;
    }
    if (const auto direction = DirectionOfKey(keyCode)) {
        const int piece = Selected;
        if (!PieceOnBoard(piece)) return;
        const SlidePath path = TraceSlide(Board, piece, PieceRow[piece], PieceCol[piece], *direction);
        if (path.refused) return;
        Slide(path, *direction);
        Display();
        CheckCompletion();
        return;
    }
    CheckCompletion();
}

void Form1::SwitchPiece() {
    if (Selected == kBallPiece) {
        Selected = kSquarePiece;
        platform_.PaintPicture(Square, kIndicatorX, kIndicatorY);
    } else {
        Selected = kBallPiece;
        platform_.PaintPicture(Ball, kIndicatorX, kIndicatorY);
    }
}

void Form1::Slide(const SlidePath& path, Direction direction) {
    const int piece = Selected;
    const bool vertical = direction == Direction::Up || direction == Direction::Down;
    Erases();
    int ring = 0;
    for (int k = 0; k < path.count; ++k) {
        const int row = Board::RowOf(path.cells[k]);
        const int col = Board::ColOf(path.cells[k]);
        (vertical ? RowIndex : ColIndex) = static_cast<std::int16_t>(vertical ? row : col);
        if (platform_.Checked(Setting::Animation)) {
            AnimX = static_cast<std::int16_t>(PixelX(col));
            AnimY = static_cast<std::int16_t>(PixelY(row));
            platform_.PaintPicture(CodeOfPiece(piece), AnimX, AnimY);
            platform_.Refresh();
            platform_.Pause(kAnimationPauseMs);
        }
        if (ring < path.rings && path.ringCells[ring] == path.cells[k]) {
            ++ring;
            Board(row, col) = Empty;
            --RingsLeft;
            if (platform_.Checked(Setting::Son)) platform_.PlaySound(ProgramFile("Ding.wav"), kSoundAsync);
            platform_.PaintPicture(Empty, PixelX(col), PixelY(row));
        }
        // The trail of the frame just drawn, unless the piece stops here.
        if (k + 1 < path.count && platform_.Checked(Setting::Animation)) platform_.PaintPicture(Empty, AnimX, AnimY);
    }
    PieceRow[piece] = static_cast<std::uint8_t>(Board::RowOf(path.to));
    PieceCol[piece] = static_cast<std::uint8_t>(Board::ColOf(path.to));
}

void Form1::CheckCompletion() {
    if (RingsLeft != 0) return;
    // The seconds the clock counted: its second boundaries passed since the load. The length comes
    // from the monotonic clock, so it is never negative and a clock change cannot falsify it; the
    // wall clock gives only where the load fell within its second.
    const std::int64_t elapsedMs = std::max<std::int64_t>(0, platform_.MonotonicMilliseconds() - LoadTime);
    Counter = static_cast<std::int32_t>(std::min<std::int64_t>((LoadPhase + elapsedMs) / 1000, INT32_MAX));
    MessageText = "Niveau " + std::to_string(Level) + " terminé !" + CrLf + kMoveCaption +
                  std::to_string(MoveCount) + CrLf + "Temps écoulé : " + FormatElapsed(Counter);
    if (platform_.Checked(Setting::Son)) platform_.PlaySound(ProgramFile("End.wav"), kSoundAsyncSilent);
    platform_.MsgBox(MessageText, kBoxTitle);
    Level = NextLevel(Level);
    LoadLevel(Level);
}

}  // namespace kelo
