#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>
#include <unistd.h>

#include "game/level_reader.h"

namespace kelo::test {

// A row of walls all along, and a row of floor.
inline const std::string W(16, '1');
inline const std::string O(16, '0');

// One record of a level file from nine rows, each ended by CR LF, then the empty line.
inline std::string Record(const std::vector<std::string>& rows) {
    std::string s;
    for (const std::string& r : rows) s += r + "\r\n";
    return s + "\r\n";
}

// A 9 x 16 level of walls round the edge with the given rows inside: rows 2..8, columns 2..15,
// each row and the rows below filled up with floor.
inline std::string Walled(std::vector<std::string> inside) {
    inside.resize(7);
    std::vector<std::string> rows{W};
    for (std::string& row : inside) rows.push_back("1" + row.append(14 - row.size(), '0') + "1");
    rows.push_back(W);
    return Record(rows);
}

// The level won by one slide of the ball to the right, the square below it.
inline const std::string kOneSlide = Walled({"30000000000002", "00000000000004"});

// The board of the first record of a level text, as the game reads it.
inline Board BoardOf(const std::string& record) { return ReadLevel(MemoryBytes(record), 1).value().board; }

// The bytes of a file; empty when it cannot be read.
inline std::string Contents(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// A file on a disk that fails: every read that reaches past its first `readable` bytes fails.
class FailingBytes final : public LevelBytes {
public:
    FailingBytes(std::string bytes, std::int64_t readable) : bytes_(std::move(bytes)), readable_(readable) {}
    std::optional<std::int64_t> Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    std::optional<std::size_t> ReadAt(std::int64_t offset, char* buffer, std::size_t size) const override {
        if (offset + static_cast<std::int64_t>(size) > readable_) return std::nullopt;
        return MemoryBytes(bytes_).ReadAt(offset, buffer, size);
    }

private:
    std::string bytes_;
    std::int64_t readable_;
};

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder() {
        static int n = 0;
        path_ = std::filesystem::temp_directory_path() / ("kelo-test-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec_);
        std::filesystem::remove_all(path_, ec_);
    }
    const std::filesystem::path& path() const { return path_; }
    void Write(const std::string& name, const std::string& bytes) const { std::ofstream(path_ / name, std::ios::binary) << bytes; }

private:
    std::filesystem::path path_;
    std::error_code ec_;
};

}  // namespace kelo::test

namespace kelo {

// A board in a failure message: its nine rows of digits, as a level file holds them.
inline void PrintTo(const Board& board, std::ostream* out) {
    for (int row = 1; row <= kRows; ++row) {
        *out << "\n";
        for (int col = 1; col <= kCols; ++col) *out << static_cast<char>('0' + board(row, col));
    }
}

}  // namespace kelo
