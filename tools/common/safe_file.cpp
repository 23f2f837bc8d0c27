#include "tools/common/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <string>

namespace kelo {
namespace {

std::string Folder(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Reason(int error) { return error != 0 ? std::strerror(error) : "write error"; }

std::string Failed(const std::string& path, const std::string& reason, bool kept) {
    return "cannot write " + path + ": " + reason + (kept ? " (the old file is unchanged)" : "");
}

// The file a chain of links ends at (the path itself when it is no link), so that the link stays
// a link; false with errno set when the chain cannot be followed.
bool FollowLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT;
        if (!S_ISLNK(st.st_mode)) return true;
        char buffer[PATH_MAX];
        const ssize_t size = ::readlink(target.c_str(), buffer, sizeof buffer);
        if (size < 0) return false;
        const std::string next(buffer, static_cast<std::size_t>(size));
        target = next.rfind('/', 0) == 0 ? next : Folder(target) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

// What a new file's permissions would be if opened the usual way: 0666 less the umask, read
// without changing it (umask() would, for every thread of the process).
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

// Ends a write into `file`: everything flushed and closed; 0 or the error.
int Finish(std::FILE* file, bool wrote, int error, bool sync) {
    if (wrote && std::fflush(file) != 0) error = errno;
    if (wrote && error == 0 && std::ferror(file)) error = EIO;
    if (wrote && error == 0 && sync && ::fsync(::fileno(file)) != 0) error = errno;
    if (std::fclose(file) != 0 && wrote && error == 0) error = errno;
    return error;
}

// A device or a pipe (/dev/null, /dev/stdout, /dev/full): written where it is.
std::string WriteInPlace(const std::string& path, const FileWriter& writer) {
    std::FILE* file = std::fopen(path.c_str(), "wbe");
    if (!file) return Failed(path, Reason(errno), false);
    std::string why;
    errno = 0;
    const bool wrote = writer(file, why);
    const int error = Finish(file, wrote, wrote ? 0 : errno, false);
    if (!wrote && !why.empty()) return Failed(path, why, false);
    if (!wrote || error != 0) return Failed(path, Reason(error), false);
    return {};
}

}  // namespace

std::string ReplaceFile(const std::string& path, std::string_view bytes) {
    return ReplaceFileWith(path, [bytes](std::FILE* file, std::string&) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
}

std::string ReplaceFileWith(const std::string& path, const FileWriter& writer) {
    if (path.empty()) return "cannot write a file without a name";
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) return Failed(path, "it is a folder", false);
        if (!S_ISREG(old.st_mode)) return WriteInPlace(path, writer);
    } else if (errno != ENOENT) {
        return Failed(path, Reason(errno), false);
    }
    std::string target;
    if (!FollowLinks(path, target)) return Failed(path, Reason(errno), false);
    const bool exists = ::stat(target.c_str(), &old) == 0;

    // A name that says whose it is, short enough for any folder's limit on names.
    std::string name = Folder(target) + "/." + BaseName(target).substr(0, 200) + ".XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return Failed(path, "cannot make a new file in its folder: " + Reason(errno), exists);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        ::close(fd);
        ::unlink(name.c_str());
        return Failed(path, Reason(error), exists);
    }
    // The old file's owner (when allowed) and permissions; the owner first, as a change of owner
    // clears the set-id bits.
    int error = 0;
    if (exists) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Not ours to give away: the file stays the writer's, with the old permissions.
        }
    }
    if (::fchmod(fd, exists ? (old.st_mode & 07777) : NewFileMode()) != 0) error = errno;
    std::string why;
    bool wrote = false;
    if (error == 0) {
        errno = 0;
        wrote = writer(file, why);
        if (!wrote) error = errno;
    }
    error = Finish(file, wrote, error, true);
    if (wrote && error == 0 && ::rename(name.c_str(), target.c_str()) != 0) error = errno;
    if (!wrote || error != 0) {
        ::unlink(name.c_str());
        return Failed(path, !why.empty() ? why : Reason(error), exists);
    }
    // The new name itself to the disk, as far as the folder allows.
    const int folder = ::open(Folder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

}  // namespace kelo
