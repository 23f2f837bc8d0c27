#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/form1.h"
#include "platform/platform.h"
#include "tools/kelo-levels/analyse.h"

class QLabel;

namespace kelo::editor {

// The game's platform for a level played inside the editor: it draws into a picture of the
// game's window, reads the level from memory and shows no box.
class PlayPlatform final : public Platform {
public:
    PlayPlatform(QImage* surface, QWidget* surfaceWidget);

    void SetLevelBytes(std::string bytes) { bytes_ = std::move(bytes); }
    void SetAnimation(bool on) { animation_ = on; }
    std::function<void(const std::string& text)> onCaption, onFrameCaption, onMessage;

    void PaintPicture(int picture, int x, int y) override;
    void Refresh() override;
    void Line(int, int, int, int, std::uint32_t) override {}
    void SetCaption(const std::string& text) override;
    void SetFrameCaption(const std::string& text) override;
    bool Checked(Setting setting) override { return setting == Setting::Animation && animation_; }
    void SetChecked(Setting setting, bool checked) override;
    void PlaySound(const std::string&, int) override {}
    void MsgBox(const std::string& text, const std::string& title) override;
    std::string InputBox(const std::string&, const std::string&) override { return {}; }
    std::int64_t MonotonicMilliseconds() override;
    std::int64_t WallClockMilliseconds() override;
    void Pause(int milliseconds) override;
    std::string ProgramFolder() override { return {}; }
    bool LevelFileIsOpen() override { return true; }
    bool OpenLevelFile(const std::string&) override { return true; }
    std::optional<std::int64_t> LevelFileLength() override { return static_cast<std::int64_t>(bytes_.size()); }
    std::optional<std::size_t> ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) override;
    void End() override {}

private:
    QImage* surface_;
    QWidget* surfaceWidget_;
    std::string bytes_;
    bool animation_ = true;
};

// Plays one level with the game's own rules, keys and animation (Space, arrows), plus what a
// designer needs and the game lacks: Backspace or Ctrl+Z takes a move back, R starts again.
class PlayWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlayWidget(QWidget* parent = nullptr);
    ~PlayWidget() override;

    // Plays the level of `record`, which is level `level` of the file.
    void Start(const std::string& record, int level);
    void Restart();
    void UndoMove();
    void SetAnimation(bool on) { platform_->SetAnimation(on); }
    Form1& form() { return *form_; }
    int Moves() const { return form_->MoveCount; }
    bool Won() const { return won_; }
    const QImage& surface() const { return surface_; }
    // A key as the game takes it (Qt's key code).
    void PressKey(int qtKey);

signals:
    void leave();
    void status(const QString& text);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Snapshot {
        kelo::Board board;
        std::array<std::uint8_t, 3> row, col;
        std::uint8_t selected;
        std::int16_t ringsLeft, moves;
    };
    void Restore(const Snapshot& s);
    void Tell();

    QImage surface_;
    std::unique_ptr<PlayPlatform> platform_;
    std::unique_ptr<Form1> form_;
    std::vector<Snapshot> history_;
    int level_ = 1;
    bool won_ = false;
    int wonIn_ = 0;
};

// The slides of `moves` played on the level of `record` by the game's own rules, each with where
// its piece starts and stops.
std::vector<Step> StepsOfMoves(const std::string& record, const std::vector<Move>& moves);

// The board after the first `count` slides of a solution of the level of `record`, played by the
// game's own rules.
Board BoardAfterSlides(const std::string& record, const std::vector<Step>& steps, int count);

}  // namespace kelo::editor
