#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "game/level_reader.h"

namespace kelo {

// The exit statuses of every command.
inline constexpr int kLevelsSound = 0;
inline constexpr int kLevelsProblems = 1;
inline constexpr int kLevelsError = 2;

inline constexpr const char* kOutOfMemory = "kelo-levels: out of memory";

// The game's level numbers are 16-bit: it never loads a record past this level's.
inline constexpr int kLastReachableLevel = 32767;

// A regular file, held open and read with pread: a 2 GiB file costs no more memory than a small
// one. Only the bytes it had when opened are read.
class FileSource final : public LevelBytes {
public:
    FileSource() = default;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource() override;

    // False with the reason in `why` when the file cannot be read as a level file.
    bool Open(const std::string& path, std::string& why);
    std::optional<std::int64_t> Size() const override { return size_; }
    std::optional<std::size_t> ReadAt(std::int64_t offset, char* buffer, std::size_t size) const override;

private:
    int fd_ = -1;
    std::int64_t size_ = 0;
};

// Bytes that remember a read that failed: a report on a file that could not be read is no report.
class WatchedBytes final : public LevelBytes {
public:
    explicit WatchedBytes(const LevelBytes& bytes) : bytes_(bytes) {}
    std::optional<std::int64_t> Size() const override;
    std::optional<std::size_t> ReadAt(std::int64_t offset, char* buffer, std::size_t size) const override;
    bool Failed() const { return failed_; }

private:
    const LevelBytes& bytes_;
    mutable bool failed_ = false;
};

// Tells on `err` that the file could not be read; the exit status.
int ReadError(std::ostream& err);

// The part of a file that the game can reach, whole in memory (for analyse, render and
// generate): levels past the last reachable one are never loaded, so a huge file costs no more
// than that. False, with the reason told on `err`, when it cannot be read.
bool ReadFile(const std::string& path, std::string& bytes, std::ostream& err);

// The levels the game finds in a file: every record that begins before the end.
std::int64_t LevelCount(std::int64_t fileSize);

// The exit status, with its message, for a file without levels or without the level asked for
// (solve, analyse, render); nothing when the command may go on.
std::optional<int> RefuseLevelChoice(std::int64_t levels, int onlyLevel, std::ostream& err);

// Refused before the work begins rather than failing inside it: status 2, with a message, when
// work of up to `maxStates` states that takes `needs` bytes would not fit in the memory left.
// What any search may take (kSearchFloorBytes) is never refused.
std::optional<int> RefuseMemory(std::size_t maxStates, std::uint64_t needs, std::ostream& err);

// Runs `work` on this thread and on threads - 1 more (fewer when the machine has fewer cores);
// what any of them throws (out of memory) is thrown here once they have all ended.
void RunSideBySide(unsigned threads, const std::function<void()>& work);

// Whether two paths lead to the same file (the same device and inode, links followed); false
// when either is missing.
bool SameFile(const std::string& a, const std::string& b);

// The memory this process may still take: the least of what the system has available and of
// its own limits (address space, data, control group).
std::uint64_t AvailableMemory();

}  // namespace kelo
