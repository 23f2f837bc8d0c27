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
#include <new>
#include <string>

#include "tools/kelo-levels/analyse.h"
#include "tools/kelo-levels/check.h"
#include "tools/kelo-levels/files.h"
#include "tools/kelo-levels/generate.h"
#ifdef KELO_RENDER
#include "tools/kelo-levels/render.h"
#endif
#include "tools/kelo-levels/solve.h"

namespace {

constexpr int kExitError = kelo::kLevelsError;

constexpr const char* kUsage =
    "usage: kelo-levels check FILE\n"
    "       kelo-levels solve FILE [--level N] [--max-states N]\n"
    "       kelo-levels analyse FILE [--level N] [--json] [--max-states N] [--trials N] [--seed N]\n"
    "       kelo-levels render FILE [--level N] [--solution] -o OUT.png\n"
    "       kelo-levels generate [targets] [--from FILE --level N] [--seed N] [-o OUT.txt]\n"
    "       kelo-levels --help | --version\n"
    "\n"
    "check    reports what the game would read otherwise than meant (exit 1 when anything)\n"
    "solve    the fewest moves of each level and one shortest solution (exit 1 when one cannot be won)\n"
    "analyse  each level's state graph: fewest moves, shortest solutions, dead ends, the square's part,\n"
    "         inert walls, a random player's win rate and a verdict (exit 1 when one cannot be won)\n"
    "render   the level as the game draws it, or a sheet of every level without --level; --solution\n"
    "         draws a shortest solution over it: numbered arrows, the ball's blue, the square's orange\n"
    "generate suggests levels that meet the targets, as level records with their analysis (exit 1\n"
    "         when none meets them all)\n"
    "\n"
    "  --level N       only level N\n"
    "  --max-states N  give up beyond N states (solve: 4000000, analyse: 2000000)\n"
    "  --json          analyse: one JSON object per level, in an array\n"
    "  --trials N      analyse: games of the random player (500)\n"
    "  --seed N        analyse: the random player's seed; generate: the search's (1)\n"
    "\n"
    "generate's targets and search (ranges are N, MIN-MAX or MIN-):\n"
    "  --moves RANGE          fewest moves (10-14)\n"
    "  --square RANGE         square slides that a shortest solution needs (any)\n"
    "  --max-solutions K      at most K shortest solutions\n"
    "  --max-random PERCENT   the random player wins at most this often (25)\n"
    "  --no-inert             no inert walls\n"
    "  --dead-ends yes|no|any a way to lose wanted, or not (any)\n"
    "  --rings RANGE          rings on the board (3-6)\n"
    "  --shapes RANGE         groups of walls: bars, L shapes, boxes, rooms, corridors (3-7)\n"
    "  --open-border          no walls round the edge: the edge is the stop\n"
    "  --from FILE --level N  vary this level rather than random boards\n"
    "  --restarts N --steps N climbs and changes tried in each (4, 250)\n"
    "  --count N              candidates to print (3)\n"
    "  -o, --output FILE      render: the PNG; generate: the records (else standard output,\n"
    "                         with the analysis on standard error)\n"
    "\n"
    "Exit status 2: a file that cannot be read, or a wrong argument.\n";

void Usage(std::ostream& out) { out << kUsage; }

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
    bool solution = false;
    std::string output;
    std::string from;
    kelo::GenerateOptions generate;
};

enum OptionId {
    kLevel = 1000, kMaxStates, kJson, kTrials, kSeed, kHelp, kVersion, kSolution, kOutput = 'o',
    kMoves = 2000, kSquare, kMaxSolutions, kMaxRandom, kNoInert, kDeadEnds, kRings, kShapes, kOpenBorder, kFrom,
    kRestarts, kSteps, kCount,
};

bool Number(const char* option, const char* text, long long min, long long max, long long& value) {
    if (ParseNumber(text, min, max, value)) return true;
    std::cerr << "kelo-levels: --" << option << " takes a whole number from " << min << " to " << max << ", not '"
              << text << "'\n";
    return false;
}

bool RangeOf(const char* option, const char* text, int lo, int hi, kelo::Range& range) {
    if (const auto r = kelo::ParseRange(text, lo, hi)) {
        range = *r;
        return true;
    }
    std::cerr << "kelo-levels: --" << option << " takes N, MIN-MAX or MIN- with numbers from " << lo << " to " << hi
              << ", not '" << text << "'\n";
    return false;
}

// The command line, or the exit status when there is nothing more to do.
std::optional<int> Parse(int argc, char* argv[], Arguments& args) {
    static const option kOptions[] = {
        {"level", required_argument, nullptr, kLevel},
        {"max-states", required_argument, nullptr, kMaxStates},
        {"json", no_argument, nullptr, kJson},
        {"trials", required_argument, nullptr, kTrials},
        {"seed", required_argument, nullptr, kSeed},
        {"help", no_argument, nullptr, kHelp},
        {"version", no_argument, nullptr, kVersion},
        {"solution", no_argument, nullptr, kSolution},
        {"output", required_argument, nullptr, kOutput},
        {"moves", required_argument, nullptr, kMoves},
        {"square", required_argument, nullptr, kSquare},
        {"max-solutions", required_argument, nullptr, kMaxSolutions},
        {"max-random", required_argument, nullptr, kMaxRandom},
        {"no-inert", no_argument, nullptr, kNoInert},
        {"dead-ends", required_argument, nullptr, kDeadEnds},
        {"rings", required_argument, nullptr, kRings},
        {"shapes", required_argument, nullptr, kShapes},
        {"open-border", no_argument, nullptr, kOpenBorder},
        {"from", required_argument, nullptr, kFrom},
        {"restarts", required_argument, nullptr, kRestarts},
        {"steps", required_argument, nullptr, kSteps},
        {"count", required_argument, nullptr, kCount},
        {nullptr, 0, nullptr, 0},
    };
    // Which options each command takes, and whether it reads a FILE.
    struct Command {
        std::set<int> options;
        bool file;
    };
    const std::map<std::string, Command> commands = {
        {"check", {{}, true}},
        {"solve", {{kLevel, kMaxStates}, true}},
        {"analyse", {{kLevel, kMaxStates, kJson, kTrials, kSeed}, true}},
        {"render", {{kLevel, kSolution, kOutput}, true}},
        {"generate",
         {{kMoves, kSquare, kMaxSolutions, kMaxRandom, kNoInert, kDeadEnds, kRings, kShapes, kOpenBorder, kFrom, kLevel,
           kSeed, kRestarts, kSteps, kCount, kOutput, kMaxStates},
          false}},
    };
    // The command comes first; its options and its file may then come in any order.
    args.command = argc > 1 ? argv[1] : "";
    const auto command = commands.find(args.command);
    const bool known = command != commands.end();
    ::opterr = 1;
    ::optind = 1;
    // getopt's own messages name the program by the first word.
    static char name[] = "kelo-levels";
    std::vector<char*> list{name};
    list.insert(list.end(), argv + (known ? 2 : 1), argv + argc);
    const int count = static_cast<int>(list.size());
    char** words = list.data();
    auto& g = args.generate;
    long long n = 0;
    for (;;) {
        int index = -1;
        const int id = ::getopt_long(count, words, "o:", kOptions, &index);
        if (id == -1) break;
        if (id == kHelp) {
            Usage(std::cout);
            return kelo::kLevelsSound;
        }
        if (id == kVersion) {
            std::cout << "kelo-levels " << KELO_VERSION << "\n";
            return kelo::kLevelsSound;
        }
        if (id == '?' || id == ':') {
            std::cerr << "Try 'kelo-levels --help'.\n";
            return kExitError;
        }
        if (!known) break;
        if (!command->second.options.count(id)) {
            std::cerr << "kelo-levels: " << args.command << " takes no "
                      << (index >= 0 ? "--" + std::string(kOptions[index].name) : std::string("-o")) << "\n";
            return kExitError;
        }
        bool ok = true;
        switch (id) {
        case kLevel: ok = Number("level", ::optarg, 1, 32767, args.level); break;
        case kMaxStates: ok = Number("max-states", ::optarg, 1, 100'000'000, args.maxStates); break;
        case kJson: args.json = true; break;
        case kTrials: ok = Number("trials", ::optarg, 1, 1'000'000, args.trials); break;
        case kSeed: ok = Number("seed", ::optarg, 0, LLONG_MAX, args.seed); break;
        case kSolution: args.solution = true; break;
        case kOutput: args.output = ::optarg; break;
        case kMoves: ok = RangeOf("moves", ::optarg, 0, 200, g.targets.moves); break;
        case kSquare: ok = RangeOf("square", ::optarg, 0, 200, g.targets.squareMoves); break;
        case kMaxSolutions:
            ok = Number("max-solutions", ::optarg, 1, 1'000'000'000, n);
            g.targets.maxSolutions = static_cast<std::uint64_t>(n);
            break;
        case kMaxRandom:
            ok = Number("max-random", ::optarg, 0, 100, n);
            g.targets.maxRandomWinRate = static_cast<double>(n) / 100;
            break;
        case kNoInert: g.targets.noInertWalls = true; break;
        case kDeadEnds: {
            const std::string want = ::optarg;
            g.targets.deadEnds = want == "yes" ? kelo::Want::Yes : want == "no" ? kelo::Want::No : kelo::Want::Any;
            if (want != "yes" && want != "no" && want != "any") {
                std::cerr << "kelo-levels: --dead-ends takes yes, no or any, not '" << want << "'\n";
                ok = false;
            }
            break;
        }
        case kRings: ok = RangeOf("rings", ::optarg, 1, 40, g.rings); break;
        case kShapes: ok = RangeOf("shapes", ::optarg, 0, 30, g.shapes); break;
        case kOpenBorder: g.openBorder = true; break;
        case kFrom: args.from = ::optarg; break;
        case kRestarts: ok = Number("restarts", ::optarg, 1, 1000, n), g.restarts = static_cast<int>(n); break;
        case kSteps: ok = Number("steps", ::optarg, 0, 1'000'000, n), g.steps = static_cast<int>(n); break;
        case kCount: ok = Number("count", ::optarg, 1, 1000, n), g.count = static_cast<int>(n); break;
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
    const std::size_t files = command->second.file ? 1 : 0;
    if (positional.size() != files) {
        std::cerr << "kelo-levels: " << args.command
                  << (files == 0 ? " takes no FILE (a board to vary is --from FILE --level N)\n"
                      : positional.empty() ? " needs a FILE\n" : " takes one FILE\n");
        Usage(std::cerr);
        return kExitError;
    }
    if (files) args.path = positional[0];
    if (args.command == "render" && args.output.empty()) {
        std::cerr << "kelo-levels: render needs -o OUT.png\n";
        return kExitError;
    }
    if (args.command == "generate") {
        if (args.from.empty() != (args.level == 0)) {
            std::cerr << "kelo-levels: generate takes --from FILE and --level N together\n";
            return kExitError;
        }
        if (args.generate.rings.max < 1) args.generate.rings.min = args.generate.rings.max = 1;
        g.seed = static_cast<std::uint64_t>(args.seed);
        if (args.maxStates) g.maxStates = static_cast<std::size_t>(args.maxStates);
    }
    return std::nullopt;
}

int Main(int argc, char* argv[]) {
    Arguments args;
    if (const auto status = Parse(argc, argv, args)) return *status;
    if (args.command == "generate")
        return kelo::RunGenerate(args.generate, args.from, static_cast<int>(args.level), args.output, std::cout, std::cerr);
#ifndef KELO_RENDER
    if (args.command == "render") {
        std::cerr << "kelo-levels: render is unavailable: this kelo-levels was built without Qt (KELO_GUI=OFF)\n";
        return kExitError;
    }
#endif
    const int level = static_cast<int>(args.level);
    if (args.command == "check" || args.command == "solve") {
        // Read record by record as the game reads: the file is never held whole.
        kelo::FileSource file;
        std::string why;
        if (!file.Open(args.path, why)) {
            std::cerr << "kelo-levels: cannot read " << args.path << ": " << why << "\n";
            return kExitError;
        }
        if (args.command == "check") return kelo::RunCheck(file, std::cout, std::cerr);
        const auto maxStates = static_cast<std::size_t>(args.maxStates ? args.maxStates : 4'000'000);
        return kelo::RunSolve(file, level, maxStates, std::cout, std::cerr);
    }
    std::string bytes;
    if (!kelo::ReadFile(args.path, bytes, std::cerr)) return kExitError;
#ifdef KELO_RENDER
    if (args.command == "render") return kelo::RunRender(bytes, level, args.solution, args.output, std::cout, std::cerr);
#endif
    kelo::AnalyseOptions options;
    if (args.maxStates) options.maxStates = static_cast<std::size_t>(args.maxStates);
    options.trials = static_cast<int>(args.trials);
    options.seed = static_cast<std::uint64_t>(args.seed);
    return kelo::RunAnalyse(bytes, level, args.json, options, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char* argv[]) {
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        std::cerr << kelo::kOutOfMemory << "\n";
        return kExitError;
    }
}
