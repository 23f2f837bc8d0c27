#include "platform/level_file.h"

#include <cerrno>
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
    constexpr int kRead = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(path.c_str(), kRead);
    if (fd < 0 && errno == ENOENT) {
        // Created only where the name itself is missing: O_EXCL refuses a link, even one that
        // points nowhere, so that nothing is ever made outside the program's folder.
        fd = ::open(path.c_str(), kRead | O_CREAT | O_EXCL, 0644);
        // Made by someone else in the meantime: theirs is the file.
        if (fd < 0 && errno == EEXIST) fd = ::open(path.c_str(), kRead);
    }
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

std::optional<std::size_t> LevelFile::Read(std::int64_t offset, char* buffer, std::size_t size) const {
    if (fd_ < 0 || offset < 0) return std::nullopt;
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = ::pread(fd_, buffer + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (got == 0) break;  // the end of the file
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace kelo
