#include "platform/program_folder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace kelo {

namespace {

std::string LinkTarget(const char* link) {
    std::string target(PATH_MAX, '\0');
    for (;;) {
        const ssize_t n = ::readlink(link, target.data(), target.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < target.size()) {
            target.resize(static_cast<std::size_t>(n));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

}  // namespace

std::string ExecutableFolder() {
    std::string exe = LinkTarget("/proc/self/exe");
    if (exe.empty() || exe.front() != '/') {
        // Without /proc: the path the program was started by, when it names a file.
        exe.clear();
        if (const char* invoked = program_invocation_name; invoked && std::string(invoked).find('/') != std::string::npos) {
            if (char* resolved = ::realpath(invoked, nullptr)) {
                exe = resolved;
                std::free(resolved);
            }
        }
    }
    const std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos) {
        // Never the root or the working folder: /dev/null is no folder, so nothing under it
        // opens, and the game carries on without its files.
        return "/dev/null";
    }
    return slash == 0 ? std::string() : exe.substr(0, slash);
}

}  // namespace kelo
