#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <array>
#include <chrono>
#include <map>
#include <memory>

#include "platform/level_file.h"
#include "platform/platform.h"
#include "platform/event_sound.h"

class QAction;
class QGroupBox;
class QWidget;

namespace kelo {

// The platform of the real window: a kept 640 x 415 image that the surface widget repaints from,
// Qt boxes and sounds, the steady clock and the level file.
class QtPlatform final : public Platform {
public:
    QtPlatform(QWidget* window, QWidget* surfaceWidget, QGroupBox* frame, QImage* surface,
               std::array<QImage, 5> tiles);

    // Until an action is bound, a check mark is a plain flag, on as at launch.
    void BindCheckMark(Setting setting, QAction* action);
    bool Ending() const { return ending_; }

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
    void Pause(int milliseconds) override;
    std::string ProgramFolder() override;
    bool LevelFileIsOpen() override;
    bool OpenLevelFile(const std::string& path) override;
    std::optional<std::int64_t> LevelFileLength() override;
    std::optional<std::size_t> ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) override;
    void End() override;

private:
    QWidget* window_;
    QWidget* surfaceWidget_;
    QGroupBox* frame_;
    QImage* surface_;
    // The bounds of what was drawn since the last Refresh.
    QRect unshown_;
    std::array<QImage, 5> tiles_;
    std::map<Setting, QPointer<QAction>> actions_;
    std::map<Setting, bool> flags_{{Setting::Animation, true}, {Setting::Son, true}};
    EventSound sound_;
    LevelFile levelFile_;
    bool ending_ = false;
    std::chrono::steady_clock::time_point lastPauseEnd_{};
};

// Loads Qt's French texts once; every box calls it before it is made.
void LoadQtFrenchOnce();

// Message texts carry CR LF; Qt's labels break lines on LF alone.
QString ForDisplay(const std::string& text);

}  // namespace kelo
