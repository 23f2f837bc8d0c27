#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <sstream>

#include "levels_util.h"

namespace kelo::test {

// Linked in by AddressSanitizer, under which address space limits and sizes mean nothing.
extern "C" void __asan_init() __attribute__((weak));
inline const bool kAddressSanitizer = &__asan_init != nullptr;

enum class Output { Captured, DevFull, Closed, ReaderGone };

// One run of kelo-levels: its words, split at blanks (a word may hold any other byte), and the
// machine's faults around it.
struct ToolCall {
    std::string words;
    Output output = Output::Captured;
    rlim_t fileLimit = RLIM_INFINITY;  // bytes, with SIGXFSZ ignored
    bool asOther = false;              // as a user for whom a read-only folder is read-only, even when root
    long addressLimitKib = 0;
};

struct ToolRun {
    int status;  // the exit status, or 128 + the signal
    std::string out, err;
    long peakKib;  // the most memory the tool held
};

// kelo-levels run in `folder`, SIGPIPE ignored; what it wrote to standard output when captured.
inline ToolRun RunTool(const TempFolder& folder, const ToolCall& call) {
    std::vector<std::string> words{KELO_LEVELS_TOOL};
    std::stringstream split(call.words);
    for (std::string word; split >> word;) words.push_back(word);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const std::string outPath = folder.path() / "stdout", errPath = folder.path() / "stderr";
    int pipe[2] = {-1, -1};
    if (call.output == Output::ReaderGone && ::pipe(pipe) != 0) return {-1, "", "no pipe", 0};
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(folder.path().c_str()) != 0) ::_exit(126);
        ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
        if (call.output == Output::Closed) ::close(1);
        if (call.output == Output::DevFull) ::dup2(::open("/dev/full", O_WRONLY), 1);
        if (call.output == Output::Captured) ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666), 1);
        if (call.output == Output::ReaderGone) ::dup2(pipe[1], 1);
        ::close(pipe[0]);
        ::close(pipe[1]);
        std::signal(SIGPIPE, SIG_IGN);
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit files = {call.fileLimit, call.fileLimit};
        const struct rlimit memory = {rlim_t(call.addressLimitKib) << 10, rlim_t(call.addressLimitKib) << 10};
        if (call.fileLimit != RLIM_INFINITY && ::setrlimit(RLIMIT_FSIZE, &files) != 0) ::_exit(125);
        if (call.addressLimitKib && ::setrlimit(RLIMIT_AS, &memory) != 0) ::_exit(125);
        if (call.asOther && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(125);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipe[0]);
    ::close(pipe[1]);
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), Contents(outPath), Contents(errPath),
                usage.ru_maxrss};
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return run;
}

}  // namespace kelo::test
