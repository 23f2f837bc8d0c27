// kelo-levels: checks and solves level files the way the game reads and plays them.
#include <getopt.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <climits>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <vector>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "tools/analysis.h"
#include "tools/level_tool.h"

namespace {

constexpr int kExitError = kelo::kLevelsError;

constexpr const char* kUsage =
    "usage: kelo-levels check FILE\n"
    "       kelo-levels solve FILE [--level N] [--max-states N]\n"
    "       kelo-levels analyse FILE [--level N] [--json] [--max-states N] [--trials N] [--seed N]\n"
    "       kelo-levels --help | --version\n"
    "\n"
    "check    reports what the game would read otherwise than meant (exit 1 when anything)\n"
    "solve    the fewest moves of each level and one shortest solution (exit 1 when one cannot be won)\n"
    "analyse  each level's state graph: fewest moves, shortest solutions, dead ends, the square's part,\n"
    "         inert walls, a random player's win rate and a verdict (exit 1 when one cannot be won)\n"
    "\n"
    "  --level N       only level N\n"
    "  --max-states N  give up beyond N states (solve: 4000000, analyse: 2000000)\n"
    "  --json          analyse: one JSON object per level, in an array\n"
    "  --trials N      analyse: games of the random player (500)\n"
    "  --seed N        analyse: the random player's seed (1)\n"
    "\n"
    "Exit status 2: a file that cannot be read, or a wrong argument.\n";

void Usage(std::ostream& out) { out << kUsage; }

bool ReadFile(const std::string& path, std::string& bytes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        std::cerr << "kelo-levels: cannot read " << path << ": " << std::strerror(errno) << "\n";
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        std::cerr << "kelo-levels: cannot read " << path << ": it is a directory\n";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        std::cerr << "kelo-levels: cannot read " << path << ": not a regular file\n";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "kelo-levels: cannot read " << path << ": " << std::strerror(errno) << "\n";
        return false;
    }
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad()) {
        std::cerr << "kelo-levels: cannot read " << path << ": read error\n";
        return false;
    }
    bytes = out.str();
    return true;
}

// A whole decimal number from min to max, or a message saying what was expected.
bool ParseNumber(const char* text, long long min, long long max, long long& value) {
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && ptr == end && value >= min && value <= max;
}

struct Arguments {
    std::string command, path;
    long long level = 0;
    long long maxStates = 0;  // 0: the command's own default
    bool json = false;
    long long trials = 500;
    long long seed = 1;
};

enum OptionId { kLevel = 1000, kMaxStates, kJson, kTrials, kSeed, kHelp, kVersion };

bool Number(const char* option, const char* text, long long min, long long max, long long& value) {
    if (ParseNumber(text, min, max, value)) return true;
    std::cerr << "kelo-levels: --" << option << " takes a whole number from " << min << " to " << max << ", not '"
              << text << "'\n";
    return false;
}

// The command line, or the exit status when there is nothing more to do.
std::optional<int> Parse(int argc, char* argv[], Arguments& args) {
    static const option kOptions[] = {
        {"level", required_argument, nullptr, kLevel},   {"max-states", required_argument, nullptr, kMaxStates},
        {"json", no_argument, nullptr, kJson},            {"trials", required_argument, nullptr, kTrials},
        {"seed", required_argument, nullptr, kSeed},      {"help", no_argument, nullptr, kHelp},
        {"version", no_argument, nullptr, kVersion},      {nullptr, 0, nullptr, 0},
    };
    // Which options each command takes.
    const std::map<std::string, std::set<int>> accepted = {
        {"check", {}},
        {"solve", {kLevel, kMaxStates}},
        {"analyse", {kLevel, kMaxStates, kJson, kTrials, kSeed}},
    };
    // The command comes first; its options and its file may then come in any order.
    args.command = argc > 1 ? argv[1] : "";
    const bool known = accepted.count(args.command) > 0;
    ::opterr = 1;
    ::optind = 1;
    // getopt's own messages name the program by the first word.
    static char name[] = "kelo-levels";
    std::vector<char*> list{name};
    list.insert(list.end(), argv + (known ? 2 : 1), argv + argc);
    const int count = static_cast<int>(list.size());
    char** words = list.data();
    for (;;) {
        int index = 0;
        const int id = ::getopt_long(count, words, "", kOptions, &index);
        if (id == -1) break;
        if (id == kHelp) {
            Usage(std::cout);
            return kelo::kLevelsSound;
        }
        if (id == kVersion) {
            std::cout << "kelo-levels " << KELO_VERSION << "\n";
            return kelo::kLevelsSound;
        }
        if (id == '?') {
            std::cerr << "Try 'kelo-levels --help'.\n";
            return kExitError;
        }
        if (!known) break;
        if (!accepted.at(args.command).count(id)) {
            std::cerr << "kelo-levels: " << args.command << " takes no --" << kOptions[index].name << "\n";
            return kExitError;
        }
        bool ok = true;
        switch (id) {
        case kLevel: ok = Number("level", ::optarg, 1, 32767, args.level); break;
        case kMaxStates: ok = Number("max-states", ::optarg, 1, 100'000'000, args.maxStates); break;
        case kJson: args.json = true; break;
        case kTrials: ok = Number("trials", ::optarg, 1, 1'000'000, args.trials); break;
        case kSeed: ok = Number("seed", ::optarg, 0, LLONG_MAX, args.seed); break;
        default: break;
        }
        if (!ok) return kExitError;
    }
    if (!known) {
        if (args.command.empty() || args.command[0] == '-') {
            std::cerr << "kelo-levels: no command\n";
        } else {
            std::cerr << "kelo-levels: unknown command '" << args.command << "'\n";
        }
        Usage(std::cerr);
        return kExitError;
    }
    std::vector<std::string> positional(words + ::optind, words + count);
    if (positional.size() != 1) {
        std::cerr << "kelo-levels: " << args.command << (positional.empty() ? " needs a FILE\n" : " takes one FILE\n");
        Usage(std::cerr);
        return kExitError;
    }
    args.path = positional[0];
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    Arguments args;
    if (const auto status = Parse(argc, argv, args)) return *status;
    std::string bytes;
    if (!ReadFile(args.path, bytes)) return kExitError;
    const int level = static_cast<int>(args.level);
    if (args.command == "check") return kelo::RunCheck(bytes, std::cout);
    if (args.command == "solve") {
        const auto maxStates = static_cast<std::size_t>(args.maxStates ? args.maxStates : 4'000'000);
        return kelo::RunSolve(bytes, level, maxStates, std::cout, std::cerr);
    }
    kelo::AnalyseOptions options;
    if (args.maxStates) options.maxStates = static_cast<std::size_t>(args.maxStates);
    options.trials = static_cast<int>(args.trials);
    options.seed = static_cast<std::uint64_t>(args.seed);
    return kelo::RunAnalyse(bytes, level, args.json, options, std::cout, std::cerr);
}
