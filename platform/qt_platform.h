#pragma once

#include <QImage>
#include <QObject>
#include <array>
#include <chrono>
#include <map>
#include <optional>

#include "platform/level_file.h"
#include "platform/platform.h"
#include "platform/event_sound.h"

class QAction;
class QWidget;

namespace kelo {

class ClientArea;

// The steady clock in milliseconds: the game's clock, and the one the window times keys against.
std::int64_t SteadyMilliseconds();

// Where a slide's next pause counts from, once a pause to `deadline` woke at `woke`: the
// deadline, so that the slide keeps its tempo, unless the wake-up came late enough to be seen;
// such a frame is not made up by a short one after it, which would make one late frame two
// uneven ones.
std::chrono::steady_clock::time_point PauseEnd(std::chrono::steady_clock::time_point deadline,
                                               std::chrono::steady_clock::time_point woke);

// The platform of the real window: drawing through its client area, the check marks of its menu
// items, Qt boxes and sounds, the steady clock and the level file.
class QtPlatform final : public Platform {
public:
    // `checkMarks` are the menu items whose check marks hold the settings: the only copy of them.
    QtPlatform(QWidget& window, ClientArea& area, std::array<QImage, 5> tiles,
               std::map<Setting, QAction*> checkMarks);
    ~QtPlatform() override;
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    void PaintPicture(int picture, int x, int y) override;
    void Refresh() override;
    void Line(int x1, int y1, int x2, int y2, std::uint32_t colour) override;
    void SetCaption(const std::string& text) override;
    void SetFrameCaption(const std::string& text) override;
    bool Checked(Setting setting) override;
    void SetChecked(Setting setting, bool checked) override;
    void PlaySound(const std::string& path, int flags) override;
    void MsgBox(const std::string& text, const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title) override;
    std::int64_t MonotonicMilliseconds() override;
    std::int64_t WallClockMilliseconds() override;
    void Pause(int milliseconds) override;
    std::string ProgramFolder() override;
    bool LevelFileIsOpen() override;
    bool OpenLevelFile(const std::string& path) override;
    std::optional<std::int64_t> LevelFileLength() override;
    std::optional<std::size_t> ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) override;
    void End() override;

private:
    QWidget& window_;
    ClientArea& area_;
    std::array<QImage, 5> tiles_;
    std::map<Setting, QAction*> checkMarks_;
    EventSound sound_;
    LevelFile levelFile_;
    // The pacing of a slide's frames: where the last pause ended, whether the next one follows it
    // (no event has run since), and when the repaint of the frame being paused after began.
    std::chrono::steady_clock::time_point lastPauseEnd_{};
    bool followsLastPause_ = false;
    std::optional<std::chrono::steady_clock::time_point> frameStart_;
    QMetaObject::Connection eventsRan_;
};

// Loads Qt's French texts once; every box calls it before it is made. `whole` takes Qt's whole
// catalogue, for boxes beyond the game's (the level editor's file dialogs).
void LoadQtFrenchOnce(bool whole = false);

// Message texts carry CR LF; Qt's labels break lines on LF alone.
QString ForDisplay(const std::string& text);

}  // namespace kelo
