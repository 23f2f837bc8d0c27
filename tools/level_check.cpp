#include "tools/level_check.h"

#include <cstdio>

#include "game/board.h"
#include "game/level_format.h"
#include "game/rules.h"

namespace kelo {
namespace {

// A byte as a designer would name it.
std::string Shown(unsigned char c) {
    switch (c) {
    case 0: return "NUL";
    case '\r': return "CR";
    case '\n': return "LF";
    case '\t': return "tab";
    case ' ': return "space";
    default: break;
    }
    if (c > 0x20 && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", c);
    return hex;
}

class Checker {
public:
    explicit Checker(std::string_view file) : file_(file) {}

    std::vector<Finding> Run() {
        if (file_.empty()) {
            Add(Fault::EmptyFile, 0, 0, 0, "the file is empty: the game shows an empty level 1");
            return std::move(findings_);
        }
        const int levels = LevelCount(file_.size());
        for (int level = 1; level <= levels; ++level) CheckLevel(level);
        const std::size_t rest = file_.size() % kRecordSize;
        if (rest != 0 && rest != kRecordSize - 2) {
            Add(Fault::PartialRecord, levels, 0, 0,
                "the file ends in a partial record of " + std::to_string(rest) +
                    " bytes (a level is 164 bytes: nine lines of 16 characters and an empty line, each ended by CR LF)");
        }
        return std::move(findings_);
    }

private:
    void Add(Fault fault, int level, int row, int col, std::string message) {
        findings_.push_back({fault, level, row, col, std::move(message)});
    }

    int Byte(std::int64_t at) const {
        return at >= 0 && at < static_cast<std::int64_t>(file_.size()) ? static_cast<unsigned char>(file_[at]) : -1;
    }

    // The line that begins at `start` must hold `length` characters and end in CR LF. The first
    // line that does not is reported; after it every level is read out of step.
    void CheckLine(int level, int row, std::int64_t start, std::int64_t length, bool mayLack) {
        const std::int64_t at = start + length;
        const int cr = Byte(at), lf = Byte(at + 1);
        if (cr == '\r' && lf == '\n') return;
        if (cr < 0 && mayLack) return;
        if (outOfStep_) return;
        if (cr < 0 && Byte(at - 1) < 0) return;  // the cells themselves run past the end: reported there
        outOfStep_ = true;
        const int col = row == kEmptyLine ? 0 : kRowLength + 1;
        if (cr < 0) {
            Add(Fault::CutShort, level, row, col, "the record is cut short: the file ends here");
            return;
        }
        // Find where the line really ends, to tell a missing or extra byte from a wrong line end.
        std::int64_t end = start;
        while (Byte(end) >= 0 && Byte(end) != '\n') ++end;
        const bool crlf = end > start && Byte(end - 1) == '\r';
        const std::int64_t found = (crlf ? end - 1 : end) - start;
        std::string what;
        if (Byte(end) == '\n' && !crlf) {
            what = "the line ends in LF alone; every line must end in CR LF";
        } else if (found != length) {
            what = "the line has " + std::to_string(found) + " characters, expected " + std::to_string(length);
        } else {
            what = "the line end is " + Shown(static_cast<unsigned char>(cr)) + " " +
                   Shown(static_cast<unsigned char>(lf < 0 ? 0 : lf)) + ", not CR LF";
        }
        Add(Fault::LineEnd, level, row, col, what + "; from here on the game reads every level out of step");
    }

    void CheckLevel(int level) {
        const std::int64_t offset = RecordOffset(level);
        const bool lastRecord = offset + kRecordSize >= static_cast<std::int64_t>(file_.size());
        int balls = 0, squares = 0, rings = 0;
        int ballRow = 0, ballCol = 0, squareRow = 0, squareCol = 0;
        for (int row = 1; row <= kRows; ++row) {
            const std::int64_t start = offset + (row - 1) * kRowPitch;
            if (Byte(start) >= 0) CheckLine(level, row, start, kRowLength, false);
            for (int col = 1; col <= kCols; ++col) {
                const int b = Byte(start + col - 1);
                if (b < 0) {
                    if (!outOfStep_) Add(Fault::CutShort, level, row, col, "the record is cut short: the file ends here");
                    outOfStep_ = true;
                    break;
                }
                const char c = static_cast<char>(b);
                const std::uint8_t code = CodeOfChar(c);
                if (c < '0' || c > '9') {
                    // Out of step, line ends land in cells: a consequence of the fault already told.
                    if (!(outOfStep_ && (c == '\r' || c == '\n')))
                        Add(Fault::ReadAsEmpty, level, row, col, Shown(static_cast<unsigned char>(b)) + " is read as empty; write 0");
                } else if (code > Square) {
                    Add(Fault::NoTile, level, row, col,
                        "digit " + std::string(1, c) + " has no tile: the game loads level 1 instead");
                } else if (code == Ring) {
                    ++rings;
                } else if (code == Ball) {
                    ++balls;
                    ballRow = row, ballCol = col;
                } else if (code == Square) {
                    ++squares;
                    squareRow = row, squareCol = col;
                }
            }
        }
        CheckLine(level, kEmptyLine, offset + 162, 0, lastRecord);
        auto where = [](int r, int c) { return "row " + std::to_string(r) + ", column " + std::to_string(c); };
        if (balls == 0) Add(Fault::NoBall, level, 0, 0, "no ball (3): the level cannot be won");
        if (balls > 1)
            Add(Fault::SeveralBalls, level, 0, 0, std::to_string(balls) + " balls (3): only the last, at " + where(ballRow, ballCol) +
                                 ", moves; the others are walls");
        if (squares == 0) Add(Fault::NoSquare, level, 0, 0, "no square (4)");
        if (squares > 1)
            Add(Fault::SeveralSquares, level, 0, 0, std::to_string(squares) + " squares (4): only the last, at " +
                                 where(squareRow, squareCol) + ", moves; the others are walls");
        if (rings == 0) Add(Fault::NoRing, level, 0, 0, "no ring (2): the first key press wins the level");
    }

    std::string_view file_;
    std::vector<Finding> findings_;
    bool outOfStep_ = false;
};

}  // namespace

int LevelCount(std::size_t fileSize) {
    return static_cast<int>((fileSize + kRecordSize - 1) / kRecordSize);
}

std::vector<Finding> CheckLevels(std::string_view file) { return Checker(file).Run(); }

std::string FormatFinding(const Finding& f) {
    std::string s;
    if (f.level > 0) s += "level " + std::to_string(f.level);
    if (f.row > 0 && f.row != kEmptyLine) s += ", row " + std::to_string(f.row);
    if (f.row == kEmptyLine) s += ", empty line";
    if (f.col > 0) s += ", column " + std::to_string(f.col);
    return (s.empty() ? "file" : s) + ": " + f.message;
}

}  // namespace kelo
