// kelo-levels: checks and solves level files the way the game reads and plays them.
#include <fcntl.h>
#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstring>
#include <iostream>
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kelo-levels/analyse.h"
#include "tools/kelo-levels/check.h"
#include "tools/kelo-levels/files.h"
#include "tools/kelo-levels/generate.h"
#ifdef KELO_RENDER
#include "tools/kelo-levels/render.h"
#endif
#include "tools/kelo-levels/solve.h"

namespace {

using kelo::kLevelsError;

constexpr const char* kUsage =
    "usage: kelo-levels check FILE\n"
    "       kelo-levels solve FILE [--level N] [--max-states N]\n"
    "       kelo-levels analyse FILE [--level N] [--json] [--max-states N] [--trials N] [--seed N]\n"
    "       kelo-levels analyse FILE --standard\n"
    "       kelo-levels render FILE [--level N] [--solution] [--max-states N] -o OUT.png\n"
    "       kelo-levels render FILE --curve -o OUT.png\n"
    "       kelo-levels generate [targets] [--from FILE --level N] [--seed N] [-o OUT.txt]\n"
    "       kelo-levels --help | --version\n"
    "\n"
    "check    reports what the game would read otherwise than meant (exit 1 when anything)\n"
    "solve    the fewest moves of each level and one shortest solution (exit 1 when one cannot be won)\n"
    "analyse  each level's state graph: fewest moves, shortest solutions, dead ends, the square's part,\n"
    "         idle walls, the wall shapes, a random player's win rate, per kind of stop (the square\n"
    "         stops the ball, a ring or the ball stops the square, the board's edge) whether the\n"
    "         shortest solutions use it and the par without it, the look (how far ahead a player\n"
    "         must look to win half its games), the two-ahead player's win rate, the latest slide\n"
    "         that can lose, and a verdict (exit 1 when one cannot be won)\n"
    "render   the level as the game draws it, or a sheet of every level without --level; --solution\n"
    "         draws a shortest solution over it: numbered arrows, the ball's blue, the square's orange;\n"
    "         --curve plots par (orange) and look (blue) against the level number\n"
    "generate suggests levels that meet the targets, as level records with their analysis (exit 1\n"
    "         when none meets them all)\n"
    "\n"
    "  --level N       only level N\n"
    "  --max-states N  give up beyond N states (solve: 4000000, analyse and render --solution: 2000000)\n"
    "  --json          analyse: one JSON object per level, in an array\n"
    "  --standard      analyse: the level set's standard, each rule with its value, PASS or FAIL\n"
    "                  (exit 1 when one fails)\n"
    "  --trials N      analyse: games of the random player (500)\n"
    "  --seed N        analyse: the random player's seed; generate: the search's (1)\n"
    "\n"
    "generate's targets and search (ranges are N, MIN-MAX or MIN-):\n"
    "  --moves RANGE          fewest moves (10-14)\n"
    "  --square RANGE         square slides that a shortest solution needs (any)\n"
    "  --max-solutions K      at most K shortest solutions\n"
    "  --max-random PERCENT   the random player wins at most this often (25)\n"
    "  --no-idle              no idle walls\n"
    "  --look RANGE           how far ahead a player must look to win half its games (25: over 24)\n"
    "  --force KINDS          stops the level cannot be won without: square-ball, ring-square,\n"
    "                         ball-square, edge (comma-separated)\n"
    "  --max-two-ahead PERCENT the player that looks two slides ahead wins at most this often\n"
    "  --max-isolated N       at most N interior walls with no wall beside them\n"
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

struct Arguments {
    std::string command, path;
    long long level = 0;
    long long maxStates = 0;  // 0: the command's own default
    bool json = false;
    bool standard = false;
    long long trials = 500;
    long long seed = 1;
    bool solution = false;
    bool curve = false;
    std::string output;
    std::string from;
    kelo::GenerateOptions generate;
};

// An option's value as given, with the option's name for the messages.
struct Given {
    const char* option;
    const char* text;
};

// A whole decimal number from min to max, or false with a message saying what was expected.
template <class Field> bool Number(Given g, long long min, long long max, Field& field) {
    long long value = 0;
    const char* end = g.text + std::strlen(g.text);
    const auto [ptr, ec] = std::from_chars(g.text, end, value);
    field = static_cast<Field>(value);
    if (ec == std::errc() && ptr == end && value >= min && value <= max) return true;
    std::cerr << "kelo-levels: --" << g.option << " takes a whole number from " << min << " to " << max << ", not '"
              << g.text << "'\n";
    return false;
}

bool RangeOf(Given g, int lo, int hi, kelo::Range& range) {
    if (const auto r = kelo::ParseRange(g.text, lo, hi)) {
        range = *r;
        return true;
    }
    std::cerr << "kelo-levels: --" << g.option << " takes N, MIN-MAX or MIN- with numbers from " << lo << " to " << hi
              << ", not '" << g.text << "'\n";
    return false;
}

bool DeadEnds(Given g, kelo::Want& want) {
    const std::string_view word = g.text;
    want = word == "yes" ? kelo::Want::Yes : word == "no" ? kelo::Want::No : kelo::Want::Any;
    if (word == "yes" || word == "no" || word == "any") return true;
    std::cerr << "kelo-levels: --" << g.option << " takes yes, no or any, not '" << word << "'\n";
    return false;
}

// Stop kinds by the names the command line gives them, comma-separated.
bool Force(Given g, std::array<bool, kelo::kStopKinds>& force) {
    static const char* names[] = {"square-ball", "ring-square", "ball-square", "edge"};
    std::string_view rest = g.text;
    while (true) {
        const std::string_view word = rest.substr(0, rest.find(','));
        const auto* found = std::find_if(std::begin(names), std::end(names), [&](const char* n) { return word == n; });
        if (found == std::end(names)) {
            std::cerr << "kelo-levels: --" << g.option
                      << " takes square-ball, ring-square, ball-square or edge, comma-separated, not '" << g.text << "'\n";
            return false;
        }
        force[static_cast<std::size_t>(found - std::begin(names))] = true;
        if (word.size() == rest.size()) return true;
        rest.remove_prefix(word.size() + 1);
    }
}

// The commands, as bits of the options' table, and whether each reads a FILE.
enum : unsigned { kCheck = 1, kSolve = 2, kAnalyse = 4, kRender = 8, kGenerate = 16, kAll = 31 };
struct Command {
    const char* name;
    unsigned bit;
    bool file;
};
constexpr Command kCommands[] = {
    {"check", kCheck, true},   {"solve", kSolve, true},         {"analyse", kAnalyse, true},
    {"render", kRender, true}, {"generate", kGenerate, false},
};

// Every option: its name, whether it takes a value, the commands that take it, and what it sets
// (false, with the message told, for a wrong value). getopt names the possibilities of an
// ambiguous abbreviation in this order.
struct Option {
    const char* name;
    bool value;
    unsigned commands;
    bool (*set)(Arguments& args, Given given);
};
using A = Arguments;
constexpr Option kOptions[] = {
    {"level", true, kSolve | kAnalyse | kRender | kGenerate,
     [](A& a, Given g) { return Number(g, 1, 32767, a.level); }},
    {"max-states", true, kSolve | kAnalyse | kRender | kGenerate,
     [](A& a, Given g) { return Number(g, 1, 100'000'000, a.maxStates); }},
    {"json", false, kAnalyse, [](A& a, Given) { a.json = true; return true; }},
    {"standard", false, kAnalyse, [](A& a, Given) { a.standard = true; return true; }},
    {"trials", true, kAnalyse, [](A& a, Given g) { return Number(g, 1, 1'000'000, a.trials); }},
    {"seed", true, kAnalyse | kGenerate, [](A& a, Given g) { return Number(g, 0, LLONG_MAX, a.seed); }},
    {"help", false, kAll, nullptr},
    {"version", false, kAll, nullptr},
    {"solution", false, kRender, [](A& a, Given) { a.solution = true; return true; }},
    {"curve", false, kRender, [](A& a, Given) { a.curve = true; return true; }},
    {"output", true, kRender | kGenerate, [](A& a, Given g) { a.output = g.text; return true; }},
    {"moves", true, kGenerate, [](A& a, Given g) { return RangeOf(g, 0, 200, a.generate.targets.moves); }},
    {"square", true, kGenerate, [](A& a, Given g) { return RangeOf(g, 0, 200, a.generate.targets.squareMoves); }},
    {"max-solutions", true, kGenerate,
     [](A& a, Given g) { return Number(g, 1, 1'000'000'000, a.generate.targets.maxSolutions); }},
    {"max-random", true, kGenerate, [](A& a, Given g) {
         long long percent = 0;
         const bool ok = Number(g, 0, 100, percent);
         a.generate.targets.maxRandomWinRate = static_cast<double>(percent) / 100;
         return ok;
     }},
    {"look", true, kGenerate, [](A& a, Given g) { return RangeOf(g, 1, kelo::kLookOver, a.generate.targets.look); }},
    {"force", true, kGenerate, [](A& a, Given g) { return Force(g, a.generate.targets.force); }},
    {"max-two-ahead", true, kGenerate, [](A& a, Given g) {
         long long percent = 0;
         const bool ok = Number(g, 0, 100, percent);
         a.generate.targets.maxTwoAheadWinRate = static_cast<double>(percent) / 100;
         return ok;
     }},
    {"max-isolated", true, kGenerate,
     [](A& a, Given g) { return Number(g, 0, 1000, a.generate.targets.maxIsolatedWalls); }},
    {"no-idle", false, kGenerate, [](A& a, Given) { a.generate.targets.noIdleWalls = true; return true; }},
    {"dead-ends", true, kGenerate, [](A& a, Given g) { return DeadEnds(g, a.generate.targets.deadEnds); }},
    {"rings", true, kGenerate, [](A& a, Given g) { return RangeOf(g, 1, 40, a.generate.rings); }},
    {"shapes", true, kGenerate, [](A& a, Given g) { return RangeOf(g, 0, 30, a.generate.shapes); }},
    {"open-border", false, kGenerate, [](A& a, Given) { a.generate.openBorder = true; return true; }},
    {"from", true, kGenerate, [](A& a, Given g) { a.from = g.text; return true; }},
    {"restarts", true, kGenerate, [](A& a, Given g) { return Number(g, 1, 1000, a.generate.restarts); }},
    {"steps", true, kGenerate, [](A& a, Given g) { return Number(g, 0, 1'000'000, a.generate.steps); }},
    {"count", true, kGenerate, [](A& a, Given g) { return Number(g, 1, 1000, a.generate.count); }},
};

constexpr int IndexOf(std::string_view name) {
    for (int i = 0; i < static_cast<int>(std::size(kOptions)); ++i) {
        if (kOptions[i].name == name) return i;
    }
    return -1;
}
constexpr int kHelp = IndexOf("help"), kVersion = IndexOf("version"), kOutput = IndexOf("output");

// getopt's ids of the table's options lie past every character; -o is --output.
constexpr int kFirstId = 256;

// The options among the words after the command (getopt moves the others to the end, from
// ::optind); the exit status when there is nothing more to do.
std::optional<int> ReadOptions(int count, char** words, const Command* command, Arguments& args) {
    static const std::vector<option> longOptions = [] {
        std::vector<option> list;
        for (const Option& o : kOptions) {
            const int id = kFirstId + static_cast<int>(&o - kOptions);
            list.push_back({o.name, o.value ? required_argument : no_argument, nullptr, id});
        }
        list.push_back({nullptr, 0, nullptr, 0});
        return list;
    }();
    ::opterr = 1;
    ::optind = 1;
    for (;;) {
        int index = -1;
        const int id = ::getopt_long(count, words, "o:", longOptions.data(), &index);
        if (id == -1) return std::nullopt;
        if (id == '?' || id == ':') {
            std::cerr << "Try 'kelo-levels --help'.\n";
            return kLevelsError;
        }
        const int which = id == 'o' ? kOutput : id - kFirstId;
        if (which == kHelp) {
            Usage(std::cout);
            return kelo::kLevelsSound;
        }
        if (which == kVersion) {
            std::cout << "kelo-levels " << KELO_VERSION << "\n";
            return kelo::kLevelsSound;
        }
        if (!command) return std::nullopt;
        const Option& o = kOptions[which];
        if (!(o.commands & command->bit)) {
            const std::string given = index >= 0 ? "--" + std::string(o.name) : "-o";
            std::cerr << "kelo-levels: " << args.command << " takes no " << given << "\n";
            return kLevelsError;
        }
        if (!o.set(args, {o.name, ::optarg})) return kLevelsError;
    }
}

// The command line, or the exit status when there is nothing more to do.
std::optional<int> Parse(int argc, char* argv[], Arguments& args) {
    // The command comes first; its options and its file may then come in any order.
    args.command = argc > 1 ? argv[1] : "";
    const Command* command = nullptr;
    for (const Command& c : kCommands) command = args.command == c.name ? &c : command;
    // getopt's own messages name the program by the first word.
    static char name[] = "kelo-levels";
    std::vector<char*> words{name};
    words.insert(words.end(), argv + (command ? 2 : 1), argv + argc);
    const int count = static_cast<int>(words.size());
    if (const auto status = ReadOptions(count, words.data(), command, args)) return status;
    if (!command) {
        if (args.command.empty() || args.command[0] == '-') {
            std::cerr << "kelo-levels: no command\n";
        } else {
            std::cerr << "kelo-levels: unknown command '" << args.command << "'\n";
        }
        Usage(std::cerr);
        return kLevelsError;
    }
    const std::vector<std::string> positional(words.begin() + ::optind, words.end());
    const std::size_t files = command->file ? 1 : 0;
    if (positional.size() != files) {
        std::cerr << "kelo-levels: " << args.command
                  << (files == 0 ? " takes no FILE (a board to vary is --from FILE --level N)\n"
                      : positional.empty() ? " needs a FILE\n" : " takes one FILE\n");
        Usage(std::cerr);
        return kLevelsError;
    }
    if (files) args.path = positional[0];
    if (args.command == "render" && args.output.empty()) {
        std::cerr << "kelo-levels: render needs -o OUT.png\n";
        return kLevelsError;
    }
    if (args.command == "generate") {
        if (args.from.empty() != (args.level == 0)) {
            std::cerr << "kelo-levels: generate takes --from FILE and --level N together\n";
            return kLevelsError;
        }
        auto& g = args.generate;
        if (g.rings.max < 1) g.rings.min = g.rings.max = 1;
        g.seed = static_cast<std::uint64_t>(args.seed);
        if (args.maxStates) g.maxStates = static_cast<std::size_t>(args.maxStates);
    }
    return std::nullopt;
}

// An output that is one of the inputs would be destroyed by the writing: refused, whatever name
// or link leads to it.
bool RefuseOutputOverInput(const Arguments& args) {
    if (args.output.empty()) return false;
    for (const std::string& input : {args.path, args.from}) {
        if (!input.empty() && kelo::SameFile(args.output, input)) {
            std::cerr << "kelo-levels: the output " << args.output << " is the input " << input
                      << ", which writing would destroy: choose another output\n";
            return true;
        }
    }
    return false;
}

int Main(int argc, char* argv[]) {
    Arguments args;
    if (const auto status = Parse(argc, argv, args)) return *status;
    if (RefuseOutputOverInput(args)) return kLevelsError;
    const int level = static_cast<int>(args.level);
    if (args.command == "generate")
        return kelo::RunGenerate(args.generate, args.from, level, args.output, std::cout, std::cerr);
#ifndef KELO_RENDER
    if (args.command == "render") {
        std::cerr << "kelo-levels: render is unavailable: this kelo-levels was built without Qt (KELO_GUI=OFF)\n";
        return kLevelsError;
    }
#endif
    if (args.command == "check" || args.command == "solve") {
        // Read record by record as the game reads: the file is never held whole.
        kelo::FileSource file;
        std::string why;
        if (!file.Open(args.path, why)) {
            std::cerr << "kelo-levels: cannot read " << args.path << ": " << why << "\n";
            return kLevelsError;
        }
        if (args.command == "check") return kelo::RunCheck(file, std::cout, std::cerr);
        const auto maxStates = static_cast<std::size_t>(args.maxStates ? args.maxStates : 4'000'000);
        return kelo::RunSolve(file, level, maxStates, std::cout, std::cerr);
    }
    std::string bytes;
    if (!kelo::ReadFile(args.path, bytes, std::cerr)) return kLevelsError;
#ifdef KELO_RENDER
    if (args.command == "render") {
        const auto maxStates = args.maxStates ? static_cast<std::size_t>(args.maxStates) : kelo::AnalyseOptions{}.maxStates;
        return kelo::RunRender(bytes, level, args.solution, args.curve, maxStates, args.output, std::cout, std::cerr);
    }
#endif
    if (args.standard && (level || args.json)) {
        std::cerr << "kelo-levels: --standard judges the whole file, as text: not with --level or --json\n";
        return kLevelsError;
    }
    kelo::AnalyseOptions options;
    if (args.maxStates) options.maxStates = static_cast<std::size_t>(args.maxStates);
    options.trials = static_cast<int>(args.trials);
    options.seed = static_cast<std::uint64_t>(args.seed);
    return kelo::RunAnalyse(bytes, level, args.json, args.standard, options, std::cout, std::cerr);
}

// A standard stream that is closed would be taken by the next file opened, and what is written
// to the stream would land in that file. /dev/null holds its place, opened for reading: a write
// to a closed output still fails.
void HoldStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int held = ::open("/dev/null", O_RDONLY);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

// Standard output, written with write(2): a failed write is remembered with its error and stops
// the command at once (the stream throws), so that a full disk or a reader gone away is an error,
// not a report silently lost.
class OutputBuffer final : public std::streambuf {
public:
    OutputBuffer() : lineByLine_(::isatty(1) == 1) { setp(buffer_, buffer_ + sizeof buffer_); }
    int error() const { return error_; }

protected:
    int_type overflow(int_type c) override {
        if (!Drain()) return traits_type::eof();
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
        if (lineByLine_ && c == '\n' && !Drain()) return traits_type::eof();
        return c;
    }
    int sync() override { return Drain() ? 0 : -1; }

private:
    bool Drain() {
        if (error_ != 0) return false;
        for (char* at = pbase(); at < pptr();) {
            const ssize_t wrote = ::write(1, at, static_cast<std::size_t>(pptr() - at));
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) {
                error_ = wrote < 0 ? errno : EIO;
                return false;
            }
            at += wrote;
        }
        setp(buffer_, buffer_ + sizeof buffer_);
        return true;
    }

    char buffer_[8192];
    const bool lineByLine_;
    int error_ = 0;
};

int OutOfMemory(OutputBuffer& output) {
    std::cout.exceptions(std::ios::goodbit);
    output.pubsync();
    std::cerr << kelo::kOutOfMemory << "\n";
    return kLevelsError;
}

int OutputError(const OutputBuffer& output) {
    std::cerr << "kelo-levels: cannot write to standard output: " << std::strerror(output.error()) << "\n";
    return kLevelsError;
}

}  // namespace

int main(int argc, char* argv[]) {
    HoldStandardStreams();
    // A file size limit makes a write fail, told and cleaned up, rather than kill the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    kelo::KeepAnalysisMemory();
    OutputBuffer output;
    std::cout.rdbuf(&output);
    std::cout.exceptions(std::ios::badbit);
    int status = kLevelsError;
    try {
        status = Main(argc, argv);
        std::cout.flush();
    } catch (const std::bad_alloc&) {
        status = OutOfMemory(output);
    } catch (const std::exception& e) {
        // The stream's failure (which libstdc++ throws as a type of its old ABI, not caught as
        // std::ios_base::failure), or anything else unforeseen.
        status = kLevelsError;
        std::cout.exceptions(std::ios::goodbit);
        if (output.error() == 0) std::cerr << "kelo-levels: " << e.what() << "\n";
    }
    // Standard error flushes standard output first: it must throw no more.
    std::cout.exceptions(std::ios::goodbit);
    if (output.error() != 0) status = OutputError(output);
    // The stream outlives this buffer: it must not flush into it at exit.
    std::cout.rdbuf(nullptr);
    return status;
}
