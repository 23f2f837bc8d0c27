#pragma once

#include <QImage>
#include <QPolygon>
#include <QRect>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QGroupBox;
class QKeyEvent;

namespace kelo {

inline constexpr int kClientWidth = 640;
inline constexpr int kClientHeight = 415;

// Form1's client area, 640 x 415 pixels: what was drawn on it, which it repaints from, the frame of
// the move count (Frame1), and every key that reaches it handed to the game. The one owner of all
// three: the platform draws through it.
class ClientArea : public QWidget {
public:
    explicit ClientArea(QWidget* parent = nullptr);

    // Called with Qt's key code for every key press that reaches the area.
    std::function<void(int qtKey)> onKey;

    // Copies `image` unscaled with its top-left corner at (x, y), replacing what was there.
    void Paint(const QImage& image, int x, int y);
    // A one-pixel line, both end points included, in colour 0xRRGGBB.
    void Line(int x1, int y1, int x2, int y2, QRgb colour);
    // Puts everything drawn so far on screen before it returns; gives when its repaint began.
    std::chrono::steady_clock::time_point Refresh();
    void SetFrameCaption(const QString& text);

    // What the area shows within `rect`, the frame aside: grey, then everything drawn, in turn.
    QImage Picture(const QRect& rect) const;
    QGroupBox* frame() const { return frame_; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Nothing on the area shows the focus: Qt's own handlers repaint the whole of it at every
    // change, the second full paint at launch.
    void focusInEvent(QFocusEvent*) override {}
    void focusOutEvent(QFocusEvent*) override {}

private:
    // A press that the key's auto-repeat made before the game was done with the previous key (a
    // slide being drawn): a held arrow must not queue slides to be played after it.
    bool RepeatedWhileBusy(const QKeyEvent& key);

    // One image or one line, as drawn. Kept rather than a 640 x 415 image of the whole area: the
    // drawings that a later image covers whole are dropped, so there are never many more than the
    // board's cells.
    struct Drawing {
        QRect bounds;    // null once covered
        QImage image;    // or, when null, the line's pixels
        QPolygon points;
        QRgb colour = 0;
    };
    void Add(Drawing drawing);
    // Waits until the display server has taken what was last sent of `rect` to the screen.
    void AwaitServer(const QRect& rect);
    void Draw(QPainter& painter, const QRect& rect) const;

    std::vector<Drawing> drawings_;
    std::size_t blanks_ = 0;
    QGroupBox* frame_;
    // The bounds of what was drawn since the last Refresh.
    QRect unshown_;
    // The keys' clock is the display server's, whose zero is unknown: its lead over the steady
    // clock, the largest seen (the key handed on soonest after it was made tells it best).
    std::optional<std::int64_t> keyClockLead_;
    // On the keys' clock, when the game was done with the last key handed to it.
    std::int64_t busyUntil_ = 0;
};

// The largest font that shows the longest move count whole in the frame's 161 pixels.
QFont FrameFont(const QFont& base);

}  // namespace kelo
