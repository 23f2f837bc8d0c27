#pragma once

#include <algorithm>
#include <array>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/level_reader.h"
#include "platform/level_file.h"
#include "platform/platform.h"

namespace kelo::test {

// What the game asked of its platform, in order.
struct Call {
    enum Kind { Paint, Refresh, Line, Caption, FrameCaption, Sound, Box, Input, Pause, End };
    Call(Kind k, int p = -1, int px = 0, int py = 0, std::string t = {}, std::string ti = {}, int f = 0)
        : kind(k), picture(p), x(px), y(py), text(std::move(t)), title(std::move(ti)), flags(f) {}
    Kind kind;
    int picture, x, y;
    std::string text, title;
    int flags;
};

// A recording platform whose level file is a real file in `folder`, or `memoryFile` when set.
class FakePlatform : public Platform {
public:
    explicit FakePlatform(std::filesystem::path folder) : folder_(std::move(folder)) {}

    void PaintPicture(int picture, int x, int y) override {
        Log({Call::Paint, picture, x, y});
        const bool onCell = x >= 0 && x <= 600 && y >= 0 && y <= 320 && x % 40 == 0 && y % 40 == 0;
        if (x == 580 && y == 361) indicator = picture;
        else if (onCell) cells[static_cast<std::size_t>(y / 40 * 16 + x / 40)] = picture;
        strayPaints += picture < 0 || picture > 4 || (!onCell && !(x == 580 && y == 361));
    }
    void Refresh() override { Log({Call::Refresh}); }
    void Line(int x1, int y1, int x2, int y2, std::uint32_t c) override {
        Log({Call::Line, -1, x1, y1, std::to_string(x2) + "," + std::to_string(y2), "", static_cast<int>(c)});
    }
    void SetCaption(const std::string& text) override { Log({Call::Caption, -1, 0, 0, caption = text}); }
    void SetFrameCaption(const std::string& text) override { Log({Call::FrameCaption, -1, 0, 0, frameCaption = text}); }
    bool Checked(Setting setting) override { return checked[setting]; }
    void SetChecked(Setting setting, bool value) override { checked[setting] = value; }
    void PlaySound(const std::string& path, int flags) override { Log({Call::Sound, -1, 0, 0, path, "", flags}); }
    void MsgBox(const std::string& text, const std::string& title) override {
        Log({Call::Box, -1, 0, 0, text, title});
        boxes.push_back({text, title});  // kept unrecorded too: play needs to see wins
        if (onBox) onBox();
    }
    std::string InputBox(const std::string& prompt, const std::string& title) override {
        Log({Call::Input, -1, 0, 0, prompt, title});
        if (answers.empty()) return {};
        const std::string a = answers.front();
        answers.pop_front();
        return a;
    }
    std::int64_t MonotonicMilliseconds() override { return now; }
    std::int64_t WallClockMilliseconds() override { return wall; }
    void Pause(int ms) override {
        Log({Call::Pause, -1, ms});
        now += ms;
    }
    std::string ProgramFolder() override { return folder_.string(); }
    bool LevelFileIsOpen() override { return memoryFile ? memoryOpen : file.IsOpen(); }
    bool OpenLevelFile(const std::string& path) override {
        ++opens;
        return memoryFile ? (memoryOpen = true) : file.Open(path);
    }
    std::optional<std::int64_t> LevelFileLength() override { return memoryFile ? static_cast<std::int64_t>(memoryFile->size()) : file.Length(); }
    std::optional<std::size_t> ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) override {
        ++reads;
        return memoryFile ? MemoryBytes(*memoryFile).ReadAt(offset, buffer, size) : file.Read(offset, buffer, size);
    }
    void End() override { Log({Call::End}); }

    int Count(Call::Kind kind) const {
        return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const Call& c) { return c.kind == kind; }));
    }
    // A blank screen, a closed memory file and no boxes, as if new (a fuzzer's input each).
    void Blank() {
        cells.fill(-1);
        indicator = -1;
        strayPaints = reads = 0;
        memoryOpen = false;
        caption.clear();
        frameCaption.clear();
        boxes.clear();
        answers.clear();
    }

    std::vector<Call> calls;
    std::string caption, frameCaption;
    std::array<int, 144> cells = [] { std::array<int, 144> a; a.fill(-1); return a; }();
    int indicator = -1, strayPaints = 0;  // pictures that no tile has, or drawn off the cells and the indicator
    bool record = true;                   // keep a log of every call (the state above is kept either way)
    std::optional<std::string> memoryFile;  // the level file, when served from memory
    bool memoryOpen = false;
    std::map<Setting, bool> checked{{Setting::Animation, true}, {Setting::Son, true}};
    std::vector<std::pair<std::string, std::string>> boxes;
    std::deque<std::string> answers;
    std::function<void()> onBox;
    std::int64_t now = 1'000'000;
    std::int64_t wall = 1'700'000'000'000;  // on a whole second
    int opens = 0, reads = 0;
    LevelFile file;

private:
    void Log(Call c) { record ? calls.push_back(std::move(c)) : void(); }
    std::filesystem::path folder_;
};

}  // namespace kelo::test
