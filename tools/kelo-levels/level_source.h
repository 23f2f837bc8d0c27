#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/memory_platform.h"

namespace kelo {

// The bytes of a level file, read by offset as the game reads them: bytes past the end are NUL,
// a negative offset fails. Nothing holds the whole file, whatever its size.
class LevelSource {
public:
    virtual ~LevelSource() = default;
    virtual std::int64_t Size() const = 0;
    virtual bool Read(std::int64_t offset, char* buffer, std::size_t size) const = 0;
    // A read that failed for a reason other than its offset (an I/O error).
    bool Failed() const { return failed_; }
    // All the bytes, when they are in memory already.
    virtual const char* Data() const { return nullptr; }

protected:
    mutable bool failed_ = false;
};

class BytesSource : public LevelSource {
public:
    explicit BytesSource(std::string_view bytes) : bytes_(bytes) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    const char* Data() const override { return bytes_.data(); }
    bool Read(std::int64_t offset, char* buffer, std::size_t size) const override {
        if (offset < 0) return false;
        std::memset(buffer, 0, size);
        const auto at = static_cast<std::uint64_t>(offset);
        if (at < bytes_.size()) std::memcpy(buffer, bytes_.data() + at, std::min<std::uint64_t>(size, bytes_.size() - at));
        return true;
    }

private:
    std::string_view bytes_;
};

// A regular file, held open and read with pread: a 2 GiB file costs no more memory than a small one.
class FileSource : public LevelSource {
public:
    FileSource() = default;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource() override {
        if (fd_ >= 0) ::close(fd_);
    }

    // False with the reason in `why` when the file cannot be read as a level file.
    bool Open(const std::string& path, std::string& why) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return Fail(why, std::strerror(errno));
        if (S_ISDIR(st.st_mode)) return Fail(why, "it is a directory");
        if (!S_ISREG(st.st_mode)) return Fail(why, "not a regular file");
        // O_NONBLOCK: a FIFO swapped in after the stat must not hang the open.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return Fail(why, std::strerror(errno));
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return Fail(why, "not a regular file");
        }
        fd_ = fd;
        size_ = static_cast<std::int64_t>(st.st_size);
        return true;
    }

    std::int64_t Size() const override { return size_; }

    bool Read(std::int64_t offset, char* buffer, std::size_t size) const override {
        if (fd_ < 0 || offset < 0) return false;
        std::memset(buffer, 0, size);
        std::size_t done = 0;
        // Only the bytes the file had when opened: a file that grows meanwhile is not read further.
        const std::int64_t end = std::min<std::int64_t>(size_, offset + static_cast<std::int64_t>(size));
        while (offset + static_cast<std::int64_t>(done) < end) {
            const ssize_t got = ::pread(fd_, buffer + done, static_cast<std::size_t>(end - offset) - done,
                                        static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                failed_ = true;
                return false;
            }
            if (got == 0) break;  // the file shrank: the rest stays NUL
            done += static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    static bool Fail(std::string& why, const std::string& reason) {
        why = reason;
        return false;
    }

    int fd_ = -1;
    std::int64_t size_ = 0;
};

// The game's loader reading from a source, without a copy of the file.
class SourcePlatform : public MemoryPlatform {
public:
    explicit SourcePlatform(const LevelSource& source) : MemoryPlatform({}), source_(source) {}
    std::optional<std::int64_t> LevelFileLength() override { return source_.Size(); }
    std::optional<std::size_t> ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) override {
        if (!source_.Read(offset, buffer, size)) return std::nullopt;
        return size;
    }

private:
    const LevelSource& source_;
};

}  // namespace kelo
