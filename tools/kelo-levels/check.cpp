#include "tools/kelo-levels/check.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "game/board.h"
#include "game/level_format.h"
#include "game/rules.h"
#include "tools/kelo-levels/files.h"

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
    Checker(const LevelBytes& file, std::int64_t size, std::size_t listed)
        : file_(file), size_(size), listed_(listed), window_(static_cast<std::size_t>(std::min(kWindow, size))) {}

    CheckReport Run() {
        report_.levels = LevelCount(size_);
        if (size_ == 0) {
            Add(Fault::EmptyFile, 0, 0, 0, [] { return "the file is empty: the game shows an empty level 1"; }, true);
            return std::move(report_);
        }
        CheckEncoding();
        // Past the last level number the game never reads a byte: nothing there is worth a look.
        const std::int64_t checked = std::min<std::int64_t>(report_.levels, kLastReachableLevel);
        for (int level = 1; level <= checked; ++level) CheckLevel(level);
        if (report_.levels > checked) {
            Add(Fault::Unreachable, 0, 0, 0, [this] {
                return "levels " + std::to_string(kLastReachableLevel + 1) + " to " + std::to_string(report_.levels) +
                       " lie past level " + std::to_string(kLastReachableLevel) +
                       ", the last the game can reach: it never loads them";
            }, true);
            return std::move(report_);
        }
        const std::int64_t rest = size_ % kRecordSize;
        if (rest != 0 && rest != kRecordSize - 2) {
            Add(Fault::PartialRecord, static_cast<int>(report_.levels), 0, 0, [rest] {
                return "the file ends in a partial record of " + std::to_string(rest) +
                       " bytes (a level is 164 bytes: nine lines of 16 characters and an empty line, each ended by CR LF)";
            }, true);
        }
        return std::move(report_);
    }

private:
    // The message is only built for a problem that is listed: a file of millions of problems
    // costs a count, not their text.
    template <class Message>
    void Add(Fault fault, int level, int row, int col, Message message, bool always = false) {
        ++report_.total;
        if (!always && listedInLevels_ >= listed_) return;
        listedInLevels_ += !always;
        report_.findings.push_back({fault, level, row, col, message()});
    }

    // The byte at `at`, or -1 outside the file. The file is read a window at a time, a little
    // before the byte asked for, since a line's end is looked for around it.
    int Byte(std::int64_t at) {
        if (at < 0 || at >= size_) return -1;
        if (at < windowStart_ || at >= windowStart_ + windowLength_) {
            windowStart_ = std::max<std::int64_t>(0, at - kWindowBack);
            windowLength_ = std::min<std::int64_t>(kWindow, size_ - windowStart_);
            const auto got = file_.ReadAt(windowStart_, window_.data(), static_cast<std::size_t>(windowLength_));
            // A file that shrank since it was measured reads as NUL where it now ends.
            std::fill(window_.begin() + static_cast<std::ptrdiff_t>(got.value_or(0)),
                      window_.begin() + static_cast<std::ptrdiff_t>(windowLength_), '\0');
        }
        return static_cast<unsigned char>(window_[static_cast<std::size_t>(at - windowStart_)]);
    }

    // A file saved as UTF-16 or with a byte order mark: the game reads those bytes as cells, and
    // every level out of step. Told first, by name, rather than by the faults it causes.
    void CheckEncoding() {
        const int b0 = Byte(0), b1 = Byte(1), b2 = Byte(2), b3 = Byte(3);
        std::string what;
        if (b0 == 0xEF && b1 == 0xBB && b2 == 0xBF) {
            what = "the file begins with a UTF-8 byte order mark (0xEF 0xBB 0xBF)";
        } else if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
            what = std::string("the file is UTF-16 (byte order mark ") + Shown(static_cast<unsigned char>(b0)) + " " +
                   Shown(static_cast<unsigned char>(b1)) + ")";
        } else if (b0 > 0 && b1 == 0 && b2 > 0 && b3 == 0) {
            what = "the file is UTF-16 (a NUL after every character)";
        } else if (b0 == 0 && b1 > 0 && b2 == 0 && b3 > 0) {
            what = "the file is UTF-16 (a NUL before every character)";
        } else {
            return;
        }
        Add(Fault::Encoding, 1, 1, 1, [&] {
            return what + ": save it as plain ASCII text; the game reads these bytes as cells, and every level out of step";
        });
        outOfStep_ = true;
    }

    // The line that begins at `start` must hold `length` characters and end in CR LF. The first
    // line that does not is reported; after it every level is read out of step.
    void CheckLine(int level, int row, std::int64_t start, std::int64_t length, bool mayLack) {
        const std::int64_t at = start + length;
        const int cr = Byte(at), lf = Byte(at + 1);
        if (cr == '\r' && lf == '\n') return;
        // The game skips two bytes whatever they are: LF CR is read as CR LF is.
        if (cr == '\n' && lf == '\r') {
            report_.lfcr = true;
            return;
        }
        if (cr < 0 && mayLack) return;
        if (outOfStep_) return;
        if (cr < 0 && Byte(at - 1) < 0) return;  // the cells themselves run past the end: reported there
        outOfStep_ = true;
        const int col = row == kEmptyLine ? 0 : kRowLength + 1;
        if (cr < 0) {
            Add(Fault::CutShort, level, row, col, [] { return "the record is cut short: the file ends here"; });
            return;
        }
        // Find where the line really ends, to tell a missing or extra byte from a wrong line end;
        // a line that runs on and on is only measured so far.
        std::int64_t end = start;
        while (Byte(end) >= 0 && Byte(end) != '\n' && end - start <= kLongestLine) ++end;
        const bool crlf = end > start && Byte(end - 1) == '\r';
        const std::int64_t found = (crlf ? end - 1 : end) - start;
        const bool runsOn = end - start > kLongestLine;
        const bool lfAlone = Byte(end) == '\n' && !crlf;
        const bool crAlone = cr == '\r' && lf != '\n' && lf != '\r';
        Add(Fault::LineEnd, level, row, col, [&] {
            std::string what;
            if (crAlone) {
                what = "the line ends in CR alone (old Mac line ends); every line must end in CR LF";
            } else if (lfAlone) {
                what = "the line ends in LF alone; every line must end in CR LF";
            } else if (runsOn) {
                what = "the line has more than " + std::to_string(kLongestLine) + " characters, expected " +
                       std::to_string(length);
            } else if (found != length) {
                what = "the line has " + std::to_string(found) + " characters, expected " + std::to_string(length);
            } else {
                what = "the line end is " + Shown(static_cast<unsigned char>(cr)) + " " +
                       Shown(static_cast<unsigned char>(lf < 0 ? 0 : lf)) + ", not CR LF";
            }
            return what + "; from here on the game reads every level out of step";
        });
    }

    void CheckLevel(int level) {
        const std::int64_t offset = RecordOffset(level);
        const bool lastRecord = offset + kRecordSize >= size_;
        int balls = 0, squares = 0, rings = 0;
        int ballRow = 0, ballCol = 0, squareRow = 0, squareCol = 0;
        for (int row = 1; row <= kRows; ++row) {
            const std::int64_t start = offset + (row - 1) * kRowPitch;
            if (Byte(start) >= 0) CheckLine(level, row, start, kRowLength, false);
            for (int col = 1; col <= kCols; ++col) {
                const int b = Byte(start + col - 1);
                if (b < 0) {
                    if (!outOfStep_)
                        Add(Fault::CutShort, level, row, col, [] { return "the record is cut short: the file ends here"; });
                    outOfStep_ = true;
                    break;
                }
                const char c = static_cast<char>(b);
                const std::uint8_t code = CodeOfChar(c);
                if (c < '0' || c > '9') {
                    // Out of step, line ends land in cells: a consequence of the fault already told.
                    if (!(outOfStep_ && (c == '\r' || c == '\n')))
                        Add(Fault::ReadAsEmpty, level, row, col,
                            [b] { return Shown(static_cast<unsigned char>(b)) + " is read as empty; write 0"; });
                } else if (code > Square) {
                    Add(Fault::NoTile, level, row, col,
                        [c] { return "digit " + std::string(1, c) + " has no tile: the game loads level 1 instead"; });
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
        if (balls == 0) Add(Fault::NoBall, level, 0, 0, [] { return "no ball (3): the level cannot be won"; });
        if (balls > 1)
            Add(Fault::SeveralBalls, level, 0, 0, [&] {
                return std::to_string(balls) + " balls (3): only the last, at " + where(ballRow, ballCol) +
                       ", moves; the others are walls";
            });
        if (squares == 0) Add(Fault::NoSquare, level, 0, 0, [] { return "no square (4)"; });
        if (squares > 1)
            Add(Fault::SeveralSquares, level, 0, 0, [&] {
                return std::to_string(squares) + " squares (4): only the last, at " + where(squareRow, squareCol) +
                       ", moves; the others are walls";
            });
        if (rings == 0) Add(Fault::NoRing, level, 0, 0, [] { return "no ring (2): the first key press wins the level"; });
    }

    static constexpr std::int64_t kWindow = 1 << 16;
    static constexpr std::int64_t kWindowBack = 1 << 10;
    static constexpr std::int64_t kLongestLine = 1 << 10;

    const LevelBytes& file_;
    const std::int64_t size_;
    const std::size_t listed_;
    CheckReport report_;
    std::size_t listedInLevels_ = 0;
    bool outOfStep_ = false;
    std::vector<char> window_;
    std::int64_t windowStart_ = 0;
    std::int64_t windowLength_ = 0;
};

}  // namespace

CheckReport CheckLevels(const LevelBytes& file, std::size_t listed) {
    return Checker(file, file.Size().value_or(0), listed).Run();
}

std::vector<Finding> CheckLevels(std::string_view file) { return CheckLevels(MemoryBytes(file)).findings; }

std::string FormatFinding(const Finding& f) {
    std::string s;
    if (f.level > 0) s += "level " + std::to_string(f.level);
    if (f.row > 0 && f.row != kEmptyLine) s += ", row " + std::to_string(f.row);
    if (f.row == kEmptyLine) s += ", empty line";
    if (f.col > 0) s += ", column " + std::to_string(f.col);
    return (s.empty() ? "file" : s) + ": " + f.message;
}

int RunCheck(const LevelBytes& file, std::ostream& out, std::ostream& err) {
    try {
        const WatchedBytes watched(file);
        const CheckReport report = CheckLevels(watched);
        if (watched.Failed()) return ReadError(err);
        for (const auto& f : report.findings) out << FormatFinding(f) << "\n";
        if (report.lfcr)
            out << "note: lines end in LF CR rather than CR LF; the game skips the two bytes and reads them the same\n";
        if (report.total > report.findings.size())
            out << "and " << report.total - report.findings.size() << " more problems in the levels, not listed\n";
        const std::int64_t levels = report.levels;
        if (report.total == 0) {
            out << levels << (levels == 1 ? " level" : " levels") << ", all sound\n";
            return kLevelsSound;
        }
        out << levels << (levels == 1 ? " level, " : " levels, ") << report.total
            << (report.total == 1 ? " problem\n" : " problems\n");
        return kLevelsProblems;
    } catch (const std::bad_alloc&) {
        out.flush();
        err << kOutOfMemory << "\n";
        return kLevelsError;
    }
}

}  // namespace kelo
