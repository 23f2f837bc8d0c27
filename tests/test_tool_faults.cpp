// The level tool's faults found by breaking it: draws without end, running out of memory, memory
// past its bound, and reports that named the wrong fault.
#include <gtest/gtest.h>

#include <new>
#include <regex>

#include "support/run_tool.h"
#include "tools/kelo-levels/analyse.h"
#include "tools/kelo-levels/check.h"
#include "tools/kelo-levels/files.h"
#include "tools/kelo-levels/generate.h"

namespace kelo::test {
namespace {

const std::string kGood = Walled({"30000000000002", "00000000000004"});

// An open board of 80 rings: more states than any limit.
std::string ManyRings() {
    std::vector<std::string> inside(7, std::string(14, '2'));
    inside[3][0] = '3';
    inside[5][13] = '4';
    for (int k = 0; k < 16; ++k) inside[static_cast<std::size_t>(k % 7)][static_cast<std::size_t>(1 + k % 12)] = '0';
    return Walled(inside);
}

// Forty rings among thirty shapes drew random cells for 25 minutes.
TEST(ToolFaults, GenerateGivesUpWhenNoBoardFits) {
    TempFolder folder;
    const ToolRun run = RunTool(folder, {"generate --rings 40 --shapes 30 --count 1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelo-levels: no board could be made: 20000 draws found no free cells for the rings and the "
                       "pieces among the walls; ask for fewer --rings or --shapes\n");
    EXPECT_EQ(run.out, "");
}

TEST(ToolFaults, GenerateRefusesMoreRingsThanCells) {
    GenerateOptions options;
    options.rings = {97, 97};
    std::ostringstream out, err;
    EXPECT_EQ(RunGenerate(options, "", 0, "", out, err), kLevelsError);
    EXPECT_EQ(err.str(), "kelo-levels: 97 rings and the two pieces cannot fit in the board's 98 free cells\n");
}

// A worker thread that ran out of memory aborted the tool.
TEST(ToolFaults, WhatAWorkerThrowsIsThrownToTheCaller) {
    EXPECT_THROW(RunSideBySide(2, [] { throw std::bad_alloc(); }), std::bad_alloc);
}

TEST(ToolFaults, AnalyseAndGenerateRefuseAStateLimitThatCannotFit) {
    if (kAddressSanitizer) GTEST_SKIP() << "memory limits mean nothing under AddressSanitizer";
    TempFolder folder;
    folder.Write("rings.txt", ManyRings() + ManyRings());
    const std::regex refused("kelo-levels: analyses of up to 2000000 states need [0-9]+ MiB, more than the [0-9]+ MiB "
                             "of memory available: lower --max-states\n");
    for (const char* words : {"analyse rings.txt", "generate --max-states 2000000"}) {
        const ToolRun run = RunTool(folder, {words, Output::Captured, RLIM_INFINITY, false, 400000});
        EXPECT_EQ(run.status, 2) << words;
        EXPECT_TRUE(std::regex_match(run.err, refused)) << run.err;
    }
}

// Two levels side by side took twice the memory of one: they are analysed side by side within
// the memory of one.
TEST(ToolFaults, TwoBigLevelsTakeTheMemoryOfOne) {
    if (kAddressSanitizer) GTEST_SKIP() << "sizes mean nothing under AddressSanitizer";
    TempFolder folder;
    folder.Write("one.txt", ManyRings());
    folder.Write("two.txt", ManyRings() + ManyRings());
    const ToolRun one = RunTool(folder, {"analyse one.txt --max-states 400000"});
    const ToolRun two = RunTool(folder, {"analyse two.txt --max-states 400000"});
    EXPECT_EQ(two.out, one.out + "level 2" + one.out.substr(7));
    EXPECT_LT(two.peakKib, one.peakKib * 5 / 4) << one.peakKib;
}

// Side by side at half the limit, a level that reaches it is analysed again at the whole: the
// figures are those of one level at a time.
TEST(ToolFaults, ALevelBetweenHalfTheLimitAndTheLimitIsAnalysedWhole) {
    TempFolder folder;
    folder.Write("levels.txt", kGood + kGood);
    std::smatch states;
    const std::string whole = RunTool(folder, {"analyse levels.txt --level 2 --json"}).out;
    ASSERT_TRUE(std::regex_search(whole, states, std::regex("\"states\": ([0-9]+)")));
    const std::string limit = std::to_string(std::stoi(states[1]) + 1);
    const ToolRun alone = RunTool(folder, {"analyse levels.txt --level 2 --max-states " + limit + " --json"});
    const ToolRun both = RunTool(folder, {"analyse levels.txt --max-states " + limit + " --json"});
    ASSERT_NE(alone.out.find("\"status\": \"solved\""), std::string::npos) << alone.out;
    EXPECT_NE(both.out.find(alone.out.substr(4, alone.out.size() - 7)), std::string::npos) << both.out;
}

// The game skips the two bytes after each line whatever they are: LF CR reads as CR LF does.
TEST(ToolFaults, LinesEndedInLfCrAreNoProblemButNamed) {
    const std::string lfcr = std::regex_replace(kGood + kGood, std::regex("\r\n"), "\n\r");
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck(MemoryBytes(lfcr), out, err), kLevelsSound);
    EXPECT_EQ(out.str(), "note: lines end in LF CR rather than CR LF; the game skips the two bytes and reads them the same\n"
                         "2 levels, all sound\n");
}

// The first problem names the file's encoding, not the faults it causes.
TEST(ToolFaults, TheFirstProblemNamesTheEncoding) {
    std::string utf16;
    for (char c : kGood + kGood) utf16 += std::string(1, c) + '\0';
    const struct {
        std::string file;
        const char* first;
    } cases[] = {
        {std::regex_replace(kGood + kGood, std::regex("\r\n"), "\r"), "the line ends in CR alone"},
        {"\xEF\xBB\xBF" + kGood + kGood, "the file begins with a UTF-8 byte order mark (0xEF 0xBB 0xBF): save it as plain ASCII"},
        {"\xFF\xFE" + utf16, "the file is UTF-16 (byte order mark 0xFF 0xFE): save it as plain ASCII"},
        {utf16, "the file is UTF-16 (a NUL after every character)"},
        {std::string(1, '\0') + utf16.substr(0, utf16.size() - 1), "the file is UTF-16 (a NUL before every character)"},
    };
    for (const auto& c : cases) {
        const auto findings = CheckLevels(c.file);
        ASSERT_FALSE(findings.empty()) << c.first;
        EXPECT_EQ(findings[0].message.substr(0, std::string(c.first).size()), c.first);
    }
}

}  // namespace
}  // namespace kelo::test
