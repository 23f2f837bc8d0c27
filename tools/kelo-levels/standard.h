#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/kelo-levels/analyse.h"

namespace kelo {

// Two levels of a file too much alike: their interior walls overlap by more than 60 % under one of
// the four symmetries of the board, or their walls and rings are the same and only the pieces moved.
struct NearDuplicate {
    int first, second;     // level numbers, first < second
    double overlap;        // shared interior walls over the larger level's count
    std::string symmetry;  // "as is", "mirrored left to right", "mirrored top to bottom", "half turn"
    bool piecesMoved;      // the same board but for the ball and the square
};
inline constexpr double kDuplicateOverlap = 0.6;

// Over every pair of the file's levels (index k is level k + 1; nothing: not loadable).
std::vector<NearDuplicate> NearDuplicates(const std::vector<std::optional<Puzzle>>& levels);
std::string NearDuplicateText(const NearDuplicate& d);  // "34 and 39: walls and rings the same, pieces moved"

// The rules of the standard that each level meets or breaks alone, whatever the others are.
enum class LevelRule { Sound, TwoAhead, Random, Shallow, LateTrap, IdleWallShape };
inline constexpr LevelRule kLevelRules[] = {LevelRule::Sound,   LevelRule::TwoAhead, LevelRule::Random,
                                            LevelRule::Shallow, LevelRule::LateTrap, LevelRule::IdleWallShape};
// Level number `level` (from 1) breaks `rule`; `puzzle` is nothing when the level is not loadable.
bool Breaks(LevelRule rule, int level, const std::optional<Puzzle>& puzzle, const Analysis& analysis);
// The rules that level number `level` breaks, in the standard's order.
std::vector<LevelRule> RulesBroken(int level, const std::optional<Puzzle>& puzzle, const Analysis& analysis);

// The level set's standard: each rule with its measured value and PASS or FAIL; true when all pass.
struct RuleResult {
    std::string rule, value;
    bool pass;
};
std::vector<RuleResult> Standard(const std::vector<std::optional<Puzzle>>& levels, const std::vector<Analysis>& analyses,
                                 const std::vector<NearDuplicate>& duplicates);

}  // namespace kelo
