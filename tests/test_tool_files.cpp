// What kelo-levels writes, under the faults a designer's machine has: the output named as the
// input, a full disk, a read-only folder, names that are not UTF-8, an output that fails. A file
// that was there before is either replaced whole or left as it was, and a failure is status 2.
#include <gtest/gtest.h>

#include <regex>
#include <map>

#include "support/run_tool.h"

namespace kelo::test {
namespace {

const std::string kLevel = Record({W, "1300000000000021", "1000000000000001", "1400000000000001", W, W, W, W, W});
const std::string kLevels = kLevel + kLevel + kLevel;

// The files under a folder, by name, with their bytes.
std::map<std::string, std::string> Files(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        files[entry.path().lexically_relative(folder).string()] = entry.is_directory() ? "a folder" : Contents(entry.path());
    return files;
}

// Each fault: the run, its status and message, and the files of the folder afterwards: those that
// were there are as they were, and no new file is left behind.
TEST(ToolFiles, AFileIsReplacedWholeOrLeftAsItWas) {
    const std::string generate = "generate --count 10 --restarts 4 --steps 20 --moves 1- --max-random 100";
    const struct {
        const char* fault;
        ToolCall run;
        int status;
        const char* message;
    } cases[] = {
        {"render over its input", {"render mine.txt --level 1 -o mine.txt"}, 2,
         "^kelo-levels: the output mine.txt is the input mine.txt, which writing would destroy"},
        {"the sheet over its input through a link", {"render link.txt -o mine.txt"}, 2, "is the input link.txt"},
        {"generate over its board's file through a link", {generate + " --from mine.txt --level 1 -o link.txt"}, 2,
         "the output link.txt is the input mine.txt"},
        {"generate on a full disk", {generate + " -o old.txt", Output::Captured, 1000}, 2,
         "^kelo-levels: cannot write old.txt: File too large \\(the old file is unchanged\\)\n$"},
        {"the sheet on a full disk", {"render mine.txt -o old.png", Output::Captured, 4096}, 2,
         "^kelo-levels: cannot write old.png: File too large \\(the old file is unchanged\\)\n$"},
        {"a level on a full disk", {"render mine.txt --level 2 -o old.png", Output::Captured, 4096}, 2, "File too large"},
        {"a read-only folder", {"render mine.txt --level 1 -o ro/old.png", Output::Captured, RLIM_INFINITY, true}, 2,
         "^kelo-levels: cannot write ro/old.png: cannot make a new file in its folder: Permission denied"},
        {"generate to /dev/full", {generate + " -o /dev/full"}, 2, "^kelo-levels: cannot write /dev/full: No space left on device\n$"},
        {"render to /dev/full", {"render mine.txt -o /dev/full"}, 2, "cannot write /dev/full: No space left on device"},
        {"a name that is not UTF-8", {"render mine.txt --level 1 -o out\xff.png"}, 0, "^$"},
    };
    TempFolder folder;
    folder.Write("mine.txt", kLevels);
    folder.Write("old.txt", "the designer's ideas");
    folder.Write("old.png", "the designer's picture");
    std::filesystem::create_symlink("mine.txt", folder.path() / "link.txt");
    std::filesystem::create_directory(folder.path() / "ro");
    folder.Write("ro/old.png", "a picture in a read-only folder");
    std::filesystem::permissions(folder.path() / "ro", std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    std::map<std::string, std::string> files = Files(folder.path());
    for (const auto& c : cases) {
        const ToolRun result = RunTool(folder, c.run);
        EXPECT_EQ(result.status, c.status) << c.fault << ": " << result.err;
        EXPECT_TRUE(std::regex_search(result.err, std::regex(c.message))) << c.fault << ": " << result.err;
        const std::string made = c.run.words.substr(c.run.words.rfind(' ') + 1);
        if (c.status == 0) files[made] = Contents(folder.path() / made);
        EXPECT_TRUE(Files(folder.path()) == files) << c.fault;
    }
    EXPECT_EQ(Contents(folder.path().string() + "/out\xff.png").substr(1, 3), "PNG");
}

// Standard output on a full disk, closed, or a pipe whose reader left (SIGPIPE ignored): an
// error, told, status 2, not a report silently lost.
TEST(ToolFiles, AnOutputThatFailsIsAnError) {
    std::vector<std::pair<ToolCall, std::string>> cases = {{{"solve many.txt", Output::ReaderGone}, "Broken pipe"}};
    for (const char* words : {"check mine.txt", "solve mine.txt", "analyse mine.txt --json", "generate --count 1 --restarts 1 --steps 5", "--help"}) {
        cases.push_back({{words, Output::DevFull}, "No space left on device"});
        cases.push_back({{words, Output::Closed}, "Bad file descriptor"});
    }
    TempFolder folder;
    folder.Write("mine.txt", kLevels);
    std::string many;
    for (int i = 0; i < 2000; ++i) many += kLevel;
    folder.Write("many.txt", many);
    for (const auto& [run, message] : cases) {
        const ToolRun result = RunTool(folder, run);
        EXPECT_EQ(result.status, 2) << run.words;
        EXPECT_EQ(result.err, "kelo-levels: cannot write to standard output: " + message + "\n") << run.words;
    }
}

// A search that stopped at its limit was reported as a level without a solution.
TEST(ToolFiles, ASolutionSearchThatStoppedIsSaidToHaveStopped) {
    TempFolder folder;
    folder.Write("mine.txt", kLevels);
    const ToolRun result = RunTool(folder, {"render mine.txt --level 1 --solution --max-states 2 -o out.png"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "kelo-levels: level 1: no solution drawn: the search stopped at its limit of 2 states before it found one\n");
}

}  // namespace
}  // namespace kelo::test
