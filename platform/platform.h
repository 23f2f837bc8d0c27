#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kelo {

// The two check marks of the Options menu: the game's only settings.
enum class Setting { Animation, Son };

// Flags of PlaySound, as the game has always passed them.
inline constexpr int kSoundAsync = 1;        // may fall back to the system's default sound
inline constexpr int kSoundAsyncSilent = 3;  // stays silent when the file cannot be played

// Everything the game asks of its platform. The game holds no toolkit type;
// the Qt window implements this, and tests use a recording fake.
class Platform {
public:
    virtual ~Platform() = default;

    // Copies tile image `picture` (0..4) unscaled with its top-left corner at (x, y).
    virtual void PaintPicture(int picture, int x, int y) = 0;
    // Puts everything drawn so far on screen before it returns.
    virtual void Refresh() = 0;
    // A one-pixel line, both end points included; colour is 0xRRGGBB.
    virtual void Line(int x1, int y1, int x2, int y2, std::uint32_t colour) = 0;

    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetFrameCaption(const std::string& text) = 0;

    virtual bool Checked(Setting setting) = 0;
    virtual void SetChecked(Setting setting, bool checked) = 0;

    // Starts the sound and returns at once.
    virtual void PlaySound(const std::string& path, int flags) = 0;
    // Modal box with an OK button only and no icon; returns when closed.
    virtual void MsgBox(const std::string& text, const std::string& title) = 0;
    // Modal box with an empty text field; the empty text when cancelled.
    virtual std::string InputBox(const std::string& prompt, const std::string& title) = 0;

    // A steady clock that never goes back, in milliseconds.
    virtual std::int64_t MonotonicMilliseconds() = 0;
    // The wall clock, in milliseconds since 1970: the game reads only where it stands within its
    // second.
    virtual std::int64_t WallClockMilliseconds() = 0;
    // Waits for a fixed time without handling any event.
    virtual void Pause(int milliseconds) = 0;

    // The folder of the executable, without a trailing separator.
    virtual std::string ProgramFolder() = 0;

    // The level file: opened once (created empty when missing), then held open.
    virtual bool LevelFileIsOpen() = 0;
    virtual bool OpenLevelFile(const std::string& path) = 0;
    virtual std::optional<std::int64_t> LevelFileLength() = 0;
    // Copies up to `size` bytes from `offset` and tells how many there were: fewer only at the
    // end of the file. Nothing for a negative offset or an I/O error.
    virtual std::optional<std::size_t> ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) = 0;

    // Ends the program at once.
    virtual void End() = 0;
};

}  // namespace kelo
