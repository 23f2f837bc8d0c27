#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kelo {

// A file held open for byte-addressed reading, created empty when missing (never through a
// link). It never writes a byte and never blocks on a FIFO or a device.
class LevelFile {
public:
    LevelFile() = default;
    LevelFile(const LevelFile&) = delete;
    LevelFile& operator=(const LevelFile&) = delete;
    ~LevelFile();

    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    std::optional<std::int64_t> Length() const;
    // Up to `size` bytes from `offset`, and how many there were; nothing for a negative offset or
    // a read error.
    std::optional<std::size_t> Read(std::int64_t offset, char* buffer, std::size_t size) const;

private:
    int fd_ = -1;
};

}  // namespace kelo
