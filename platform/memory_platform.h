#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace kelo {

// A read of a level file held in memory, as the real file reads: bytes past the end are NUL,
// and a negative offset fails.
inline bool ReadFromMemory(const std::string& file, std::int64_t offset, char* buffer, std::size_t size) {
    if (offset < 0) return false;
    std::memset(buffer, 0, size);
    const auto at = static_cast<std::uint64_t>(offset);
    if (at < file.size()) std::memcpy(buffer, file.data() + at, std::min<std::uint64_t>(size, file.size() - at));
    return true;
}

// A platform with no screen, no sound and no boxes, whose level file is a string in memory:
// lets tools read levels through the game's own loader.
class MemoryPlatform : public Platform {
public:
    explicit MemoryPlatform(std::string file) : file_(std::move(file)) {}

    void PaintPicture(int, int, int) override {}
    void Refresh() override {}
    void Line(int, int, int, int, std::uint32_t) override {}
    void SetCaption(const std::string&) override {}
    void SetFrameCaption(const std::string&) override {}
    bool Checked(Setting) override { return false; }
    void SetChecked(Setting, bool) override {}
    void PlaySound(const std::string&, int) override {}
    void MsgBox(const std::string&, const std::string&) override { ++boxes; }
    std::string InputBox(const std::string&, const std::string&) override { return {}; }
    std::int64_t MonotonicMilliseconds() override { return 0; }
    void Pause(int) override {}
    std::string ProgramFolder() override { return "."; }
    bool LevelFileIsOpen() override { return open_; }
    bool OpenLevelFile(const std::string&) override { return open_ = true; }
    std::optional<std::int64_t> LevelFileLength() override { return static_cast<std::int64_t>(file_.size()); }
    std::optional<std::size_t> ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) override {
        if (!ReadFromMemory(file_, offset, buffer, size)) return std::nullopt;
        return size;
    }
    void End() override {}

    int boxes = 0;  // end-of-level boxes shown

private:
    std::string file_;
    bool open_ = false;
};

}  // namespace kelo
