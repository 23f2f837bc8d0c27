#pragma once

#include <array>
#include <deque>
#include <functional>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/level_file.h"
#include "platform/memory_platform.h"
#include "platform/platform.h"

namespace kelo::test {

// What the game asked of its platform, in order.
struct Call {
    enum Kind { Paint, Refresh, Line, Caption, FrameCaption, Sound, Box, Input, Pause, End };
    Call(Kind k, int p = -1, int px = 0, int py = 0, std::string t = {}, std::string ti = {}, int f = 0)
        : kind(k), picture(p), x(px), y(py), text(std::move(t)), title(std::move(ti)), flags(f) {}
    Kind kind;
    int picture = -1;
    int x = 0, y = 0;
    std::string text;
    std::string title;
    int flags = 0;
};

// A recording platform whose level file is a real file in `folder`.
class FakePlatform : public Platform {
public:
    static std::array<int, 144> Unpainted() {
        std::array<int, 144> a;
        a.fill(-1);
        return a;
    }

    explicit FakePlatform(std::filesystem::path folder) : folder_(std::move(folder)) {}

    void PaintPicture(int picture, int x, int y) override {
        if (record) calls.push_back({Call::Paint, picture, x, y});
        if (picture < 0 || picture > 4) ++strayPaints;
        if (x == 580 && y == 361) {
            indicator = picture;
        } else if (x >= 0 && x <= 600 && y >= 0 && y <= 320 && x % 40 == 0 && y % 40 == 0) {
            cells[(y / 40) * 16 + x / 40] = picture;
        } else {
            ++strayPaints;
        }
    }
    void Refresh() override {
        if (record) calls.push_back({Call::Refresh});
    }
    void Line(int x1, int y1, int x2, int y2, std::uint32_t colour) override {
        if (record)
            calls.push_back({Call::Line, -1, x1, y1, std::to_string(x2) + "," + std::to_string(y2), "",
                         static_cast<int>(colour)});
    }
    void SetCaption(const std::string& text) override {
        caption = text;
        if (record) calls.push_back({Call::Caption, -1, 0, 0, text});
    }
    void SetFrameCaption(const std::string& text) override {
        frameCaption = text;
        if (record) calls.push_back({Call::FrameCaption, -1, 0, 0, text});
    }
    bool Checked(Setting setting) override { return checked[setting]; }
    void SetChecked(Setting setting, bool value) override { checked[setting] = value; }
    void PlaySound(const std::string& path, int flags) override {
        if (record) calls.push_back({Call::Sound, -1, 0, 0, path, "", flags});
    }
    void MsgBox(const std::string& text, const std::string& title) override {
        ++boxCount;
        if (record) {
            calls.push_back({Call::Box, -1, 0, 0, text, title});
            boxes.push_back({text, title});
        }
        if (onBox) onBox();
    }
    std::string InputBox(const std::string& prompt, const std::string& title) override {
        if (record) calls.push_back({Call::Input, -1, 0, 0, prompt, title});
        if (answers.empty()) return {};
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
    std::int64_t MonotonicMilliseconds() override { return now; }
    void Pause(int ms) override {
        if (record) calls.push_back({Call::Pause, -1, ms});
        now += ms;
    }
    std::string ProgramFolder() override { return folder_.string(); }
    bool LevelFileIsOpen() override { return memoryFile ? memoryOpen : file.IsOpen(); }
    bool OpenLevelFile(const std::string& path) override {
        ++opens;
        if (failOpen) return false;
        if (memoryFile) return memoryOpen = true;
        return file.Open(path);
    }
    std::optional<std::int64_t> LevelFileLength() override {
        if (memoryFile) return static_cast<std::int64_t>(memoryFile->size());
        return file.Length();
    }
    bool ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) override {
        ++reads;
        return memoryFile ? ReadFromMemory(*memoryFile, offset, buffer, size) : file.Read(offset, buffer, size);
    }
    void End() override {
        if (record) calls.push_back({Call::End});
    }

    int Count(Call::Kind kind) const {
        int n = 0;
        for (const Call& c : calls) n += c.kind == kind;
        return n;
    }
    int CountPaints(int picture) const {
        int n = 0;
        for (const Call& c : calls) n += c.kind == Call::Paint && c.picture == picture;
        return n;
    }
    // The picture last drawn on board cell (row, col), or -1.
    int Shown(int row, int col) const { return cells[(row - 1) * 16 + col - 1]; }
    int Indicator() const { return indicator; }

    std::vector<Call> calls;
    std::string caption;
    std::string frameCaption;
    std::array<int, 144> cells = Unpainted();
    int indicator = -1;
    int strayPaints = 0;   // pictures that no tile has, or drawn off the cells and the indicator
    bool record = true;    // keep a log of every call (the state above is kept either way)
    std::optional<std::string> memoryFile;  // serve the level file from memory instead
    bool memoryOpen = false;
    std::map<Setting, bool> checked{{Setting::Animation, true}, {Setting::Son, true}};
    std::vector<std::pair<std::string, std::string>> boxes;
    std::deque<std::string> answers;
    std::function<void()> onBox;
    std::int64_t now = 1'000'000;
    bool failOpen = false;
    int opens = 0;
    int boxCount = 0;
    int reads = 0;
    LevelFile file;

private:
    std::filesystem::path folder_;
};

}  // namespace kelo::test
