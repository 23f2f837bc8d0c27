#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "fake_platform.h"
#include "game/form1.h"
#include "levels_util.h"

namespace kelo::test {

// A window's state over a recording platform, with a level file in a fresh folder.
class GameTest : public ::testing::Test {
protected:
    void Load(const std::string& levelFile, std::int16_t level = 1) {
        folder.Write("levels.txt", levelFile);
        platform = std::make_unique<FakePlatform>(folder.path());
        form = std::make_unique<Form1>(*platform);
        form->CrLf = "\r\n";
        form->Level = level;
        form->LoadLevel(level);
        platform->calls.clear();
    }
    void Key(int code) { form->Form_KeyDown(static_cast<std::int16_t>(code), 0); }
    std::uint8_t Cell(int row, int col) const { return form->Board(row, col); }
    int Moves() const { return form->MoveCount; }

    TempFolder folder;
    std::unique_ptr<FakePlatform> platform;
    std::unique_ptr<Form1> form;
};

}  // namespace kelo::test
