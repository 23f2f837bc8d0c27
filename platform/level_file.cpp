#include "platform/level_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelo {

LevelFile::~LevelFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool LevelFile::Open(const std::string& path) {
    if (fd_ >= 0) return true;
    // O_NONBLOCK so that a FIFO put in place of the file cannot hang the game.
    int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    fd_ = fd;
    return true;
}

std::optional<std::int64_t> LevelFile::Length() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

bool LevelFile::Read(std::int64_t offset, char* buffer, std::size_t size) const {
    if (fd_ < 0 || offset < 0) return false;
    std::memset(buffer, 0, size);
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = ::pread(fd_, buffer + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) break;  // past the end: the rest stays NUL
        done += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace kelo
