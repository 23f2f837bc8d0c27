#include "tools/kelo-levels/files.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>
#include <cstring>
#include <fstream>
#include <sstream>

#include "game/level_format.h"

namespace kelo {
namespace {

bool Fail(std::string& why, const std::string& reason) {
    why = reason;
    return false;
}

std::uint64_t FirstNumber(const std::string& path, const std::string& key) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) {
            std::istringstream fields(line.substr(key.size()));
            std::uint64_t value = 0;
            if (fields >> value) return value;
        }
    }
    return UINT64_MAX;
}

}  // namespace

FileSource::~FileSource() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileSource::Open(const std::string& path, std::string& why) {
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

std::optional<std::size_t> FileSource::ReadAt(std::int64_t offset, char* buffer, std::size_t size) const {
    if (fd_ < 0 || offset < 0) return std::nullopt;
    const std::int64_t end = std::min<std::int64_t>(size_, offset + static_cast<std::int64_t>(size));
    std::size_t done = 0;
    while (offset + static_cast<std::int64_t>(done) < end) {
        const ssize_t got = ::pread(fd_, buffer + done, static_cast<std::size_t>(end - offset) - done,
                                    static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;  // the file shrank
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::optional<std::int64_t> WatchedBytes::Size() const {
    const auto size = bytes_.Size();
    failed_ |= !size;
    return size;
}

std::optional<std::size_t> WatchedBytes::ReadAt(std::int64_t offset, char* buffer, std::size_t size) const {
    const auto got = bytes_.ReadAt(offset, buffer, size);
    failed_ |= !got;
    return got;
}

int ReadError(std::ostream& err) {
    err << "kelo-levels: cannot read the file: read error\n";
    return kLevelsError;
}

bool ReadFile(const std::string& path, std::string& bytes, std::ostream& err) {
    FileSource file;
    std::string why;
    if (!file.Open(path, why)) {
        err << "kelo-levels: cannot read " << path << ": " << why << "\n";
        return false;
    }
    constexpr std::int64_t kReachable = std::int64_t{kLastReachableLevel} * kRecordSize;
    const std::int64_t size = *file.Size();
    bytes.resize(static_cast<std::size_t>(std::min(size, kReachable)));
    const auto got = file.ReadAt(0, bytes.data(), bytes.size());
    if (!got) {
        err << "kelo-levels: cannot read " << path << ": read error\n";
        return false;
    }
    bytes.resize(*got);
    if (size > kReachable) {
        err << "kelo-levels: " << path << ": levels past " << kLastReachableLevel
            << " are never loaded by the game and are left out\n";
    }
    return true;
}

std::int64_t LevelCount(std::int64_t fileSize) { return (fileSize + kRecordSize - 1) / kRecordSize; }

std::optional<int> RefuseLevelChoice(std::int64_t levels, int onlyLevel, std::ostream& err) {
    if (levels == 0) {
        err << "kelo-levels: the file is empty: it holds no level\n";
        return kLevelsProblems;
    }
    if (onlyLevel > levels) {
        err << "kelo-levels: the file has " << levels << (levels == 1 ? " level" : " levels") << ", not " << onlyLevel
            << "\n";
        return kLevelsError;
    }
    return std::nullopt;
}

std::optional<int> RefuseMemory(std::size_t maxStates, std::uint64_t needs, std::ostream& err) {
    const std::uint64_t available = needs > (64ull << 20) ? AvailableMemory() : UINT64_MAX;
    if (needs <= available) return std::nullopt;
    auto mib = [](std::uint64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB"; };
    err << "kelo-levels: analyses of up to " << maxStates << " states need " << mib(needs) << ", more than the "
        << mib(available) << " of memory available: lower --max-states\n";
    return kLevelsError;
}

void RunSideBySide(unsigned threads, const std::function<void()>& work) {
    std::exception_ptr failure;
    std::mutex guard;
    auto guarded = [&] {
        try {
            work();
        } catch (...) {
            const std::lock_guard lock(guard);
            if (!failure) failure = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> helpers;
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        try {
            for (unsigned t = 1; t < std::min(threads, cores); ++t) helpers.emplace_back(guarded);
        } catch (const std::system_error&) {
            // No thread to be had (a limit on memory or processes): this one does all the work.
        }
        guarded();
    }
    if (failure) std::rethrow_exception(failure);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

std::uint64_t AvailableMemory() {
    std::uint64_t available = UINT64_MAX;
    const std::uint64_t kib = FirstNumber("/proc/meminfo", "MemAvailable:");
    if (kib != UINT64_MAX) available = kib * 1024;
    // What the limits of this process leave, beyond what it already holds.
    const std::uint64_t page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    std::uint64_t size = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> size >> resident;
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit {};
        if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
            const std::uint64_t held = size * page;
            available = std::min<std::uint64_t>(available, limit.rlim_cur > held ? limit.rlim_cur - held : 0);
        }
    }
    std::ifstream group("/sys/fs/cgroup/memory.max");
    std::uint64_t most = 0;
    if (group >> most) {
        std::uint64_t current = 0;
        std::ifstream("/sys/fs/cgroup/memory.current") >> current;
        available = std::min<std::uint64_t>(available, most > current ? most - current : 0);
    }
    return available;
}

}  // namespace kelo
