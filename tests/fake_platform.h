#pragma once

#include <deque>
#include <functional>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/level_file.h"
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
    explicit FakePlatform(std::filesystem::path folder) : folder_(std::move(folder)) {}

    void PaintPicture(int picture, int x, int y) override {
        calls.push_back({Call::Paint, picture, x, y});
        screen[{x, y}] = picture;
    }
    void Refresh() override { calls.push_back({Call::Refresh}); }
    void Line(int x1, int y1, int x2, int y2, std::uint32_t colour) override {
        calls.push_back({Call::Line, -1, x1, y1, std::to_string(x2) + "," + std::to_string(y2), "",
                         static_cast<int>(colour)});
    }
    void SetCaption(const std::string& text) override {
        caption = text;
        calls.push_back({Call::Caption, -1, 0, 0, text});
    }
    void SetFrameCaption(const std::string& text) override {
        frameCaption = text;
        calls.push_back({Call::FrameCaption, -1, 0, 0, text});
    }
    bool Checked(Setting setting) override { return checked[setting]; }
    void SetChecked(Setting setting, bool value) override { checked[setting] = value; }
    void PlaySound(const std::string& path, int flags) override {
        calls.push_back({Call::Sound, -1, 0, 0, path, "", flags});
    }
    void MsgBox(const std::string& text, const std::string& title) override {
        calls.push_back({Call::Box, -1, 0, 0, text, title});
        boxes.push_back({text, title});
        if (onBox) onBox();
    }
    std::string InputBox(const std::string& prompt, const std::string& title) override {
        calls.push_back({Call::Input, -1, 0, 0, prompt, title});
        if (answers.empty()) return {};
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
    std::int64_t MonotonicMilliseconds() override { return now; }
    void Pause(int ms) override {
        calls.push_back({Call::Pause, -1, ms});
        now += ms;
    }
    std::string ProgramFolder() override { return folder_.string(); }
    bool LevelFileIsOpen() override { return file.IsOpen(); }
    bool OpenLevelFile(const std::string& path) override {
        ++opens;
        return failOpen ? false : file.Open(path);
    }
    std::optional<std::int64_t> LevelFileLength() override { return file.Length(); }
    bool ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) override {
        ++reads;
        return file.Read(offset, buffer, size);
    }
    void End() override { calls.push_back({Call::End}); }

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
    int Shown(int row, int col) const {
        auto it = screen.find({(col - 1) * 40, (row - 1) * 40});
        return it == screen.end() ? -1 : it->second;
    }
    int Indicator() const {
        auto it = screen.find({580, 361});
        return it == screen.end() ? -1 : it->second;
    }

    std::vector<Call> calls;
    std::string caption;
    std::string frameCaption;
    std::map<std::pair<int, int>, int> screen;
    std::map<Setting, bool> checked{{Setting::Animation, true}, {Setting::Son, true}};
    std::vector<std::pair<std::string, std::string>> boxes;
    std::deque<std::string> answers;
    std::function<void()> onBox;
    std::int64_t now = 1'000'000;
    bool failOpen = false;
    int opens = 0;
    int reads = 0;
    LevelFile file;

private:
    std::filesystem::path folder_;
};

}  // namespace kelo::test
