#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/board.h"
#include "game/level_reader.h"
#include "tools/kelo-levels/check.h"
#include "tools/kelo-levels/files.h"

namespace kelo::editor {

// The levels of a file as the bytes of their records: a level nobody touches is written back as
// it was read, byte for byte. Index 0 is level 1.
class LevelDocument {
public:
    // The game's level numbers are 16-bit: a level past this one is never played.
    static constexpr int kMostLevels = kLastReachableLevel;

    LevelDocument() = default;
    LevelDocument(LevelDocument&&) = default;
    LevelDocument& operator=(LevelDocument&&) = default;

    // The levels of these bytes, cut every 164 bytes as the game reads them; the last record may
    // be short. Only the records the game can reach are made levels; the rest is `unreachable`.
    static LevelDocument FromBytes(std::string_view bytes);

    int Count() const { return static_cast<int>(records_.size()); }
    const std::string& Record(int index) const { return records_.at(static_cast<std::size_t>(index)); }
    // The cells as the game reads them, the digits 5 to 9 kept.
    Board Cells(int index) const;
    // The level as the game loads it; nothing when the game would load level 1 instead.
    std::optional<Level> Loaded(int index) const;

    void SetRecord(int index, std::string record);
    void Insert(int index, std::string record);
    std::string Remove(int index);
    void Move(int from, int to);

    // Bytes past the last reachable level, written back after the levels untouched.
    const std::string& Unreachable() const { return unreachable_; }

    // The file: every record but the last made whole (a short record that is no longer the last
    // would put every later level out of step), then the unreachable bytes.
    std::string Bytes() const;

private:
    std::vector<std::string> records_;
    std::string unreachable_;
};

// The record of a board: nine lines of sixteen digits and an empty line, each ended by CR LF.
std::string RecordOfBoard(const Board& board);

// A fresh level: a ring of walls, the ball, the square and a ring inside.
std::string NewLevelRecord();

// What a file holds for the editor, or why it cannot be opened.
struct OpenedFile {
    bool ok = false;
    std::string why;  // in French, when not ok
    LevelDocument document;
    CheckReport report;
    // The file's identity when read, to notice a file replaced underneath before a save.
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, modified = 0;
};

// Reads a level file: a folder, a FIFO or a device, an unreadable file or one too big to hold
// (more than `mostBytes`) is refused with a reason; never blocks.
OpenedFile OpenLevelFile(const std::string& path, std::int64_t mostBytes = std::int64_t{1} << 30);

// The identity of the file at `path` now; false when there is none.
bool FileIdentity(const std::string& path, std::uint64_t& device, std::uint64_t& inode, std::int64_t& size,
                  std::int64_t& modified);

}  // namespace kelo::editor
