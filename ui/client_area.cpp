#include "ui/client_area.h"

#include <QBackingStore>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cstdlib>

#include "game/form1.h"
#include "platform/qt_platform.h"

namespace kelo {

namespace {

constexpr QRgb kGrey = 0xFFC0C0C0;
const QRect kArea(0, 0, kClientWidth, kClientHeight);
const QRect kFrameRect(8, 376, 161, 25);

// QRect's own tests, without a call into the library: a load makes some 20 000 of them.
bool Within(const QRect& inner, const QRect& outer) {
    return inner.left() >= outer.left() && inner.right() <= outer.right() && inner.top() >= outer.top() &&
           inner.bottom() <= outer.bottom();
}
bool Overlap(const QRect& a, const QRect& b) {
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

// Frame1: an etched frame with its caption set into the top edge, the way a labelled frame looks:
// a groove of 808080, the caption's room 6 pixels in with 2 pixels either side, the caption
// centred in it. Drawn here rather than by a style sheet, whose parser and style cost the launch
// more than the rest of the window; the pixels are the ones the style sheet drew.
class CaptionFrame final : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int top = metrics.height() / 2;
        const QRect caption(8, 0, metrics.horizontalAdvance(title() + QLatin1Char(' ')), metrics.height());
        const int w = width(), h = height();
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawLine(0, top, 0, h - 1);
        painter.drawLine(0, top, 5, top);
        painter.drawLine(caption.right() + 3, top, w - 1, top);
        painter.drawLine(w - 2, top + 2, w - 2, h - 3);
        painter.drawLine(2, h - 2, w - 2, h - 2);
        painter.setPen(Qt::black);
        painter.drawText(caption, Qt::AlignCenter | Qt::TextShowMnemonic, title());
    }
};

}  // namespace

QFont FrameFont(const QFont& base) {
    const QString longest = QString::fromStdString(kMoveCaption + "32767");
    // The group box draws its title with a few pixels of margin on either side.
    const int room = kFrameRect.width() - 14;
    // Each size tried costs a font load at launch (fontconfig's matching, the face's set-up): the
    // size to start from is read off the window's own font, which is loaded already, and steps down
    // from there only while the text is still too wide.
    const int wide = QFontMetrics(base).horizontalAdvance(longest);
    QFont font = base;
    for (int pixels = wide > 0 ? std::clamp(QFontInfo(base).pixelSize() * room / wide, 7, 13) : 13;; --pixels) {
        font.setPixelSize(pixels);
        if (pixels == 7 || QFontMetrics(font).horizontalAdvance(longest) <= room) return font;
    }
}

ClientArea::ClientArea(QWidget* parent) : QWidget(parent) {
    setFixedSize(kClientWidth, kClientHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    frame_ = new CaptionFrame(QStringLiteral("Nombre de mouvements :"), this);
    frame_->setGeometry(kFrameRect);
    frame_->setFocusPolicy(Qt::NoFocus);
    frame_->setFont(FrameFont(frame_->font()));
    QPalette palette = frame_->palette();
    palette.setColor(QPalette::Window, QColor(kGrey));
    palette.setColor(QPalette::WindowText, Qt::black);
    frame_->setPalette(palette);
}

void ClientArea::Add(Drawing drawing) {
    const QRect drawn = drawing.bounds & kArea;
    if (drawn.isEmpty()) return;
    // An image is opaque: whatever lies wholly under it will never show again. It is blanked where
    // it stands, so that the others keep their order without being moved, and the blanks are
    // swept out once they are half of the list: a load covers all 144 cells.
    if (!drawing.image.isNull()) {
        for (Drawing& d : drawings_) {
            if (!d.bounds.isNull() && Within(d.bounds, drawing.bounds)) {
                d = Drawing{};
                ++blanks_;
            }
        }
        if (blanks_ * 2 > drawings_.size()) {
            std::erase_if(drawings_, [](const Drawing& d) { return d.bounds.isNull(); });
            blanks_ = 0;
        }
    }
    drawings_.push_back(std::move(drawing));
    update(drawn);
    unshown_ = unshown_.united(drawn);
}

void ClientArea::Paint(const QImage& image, int x, int y) {
    // Shared, not copied: the tiles are already in the window's format.
    Add({QRect(x, y, image.width(), image.height()), image.convertToFormat(QImage::Format_RGB32), {}, 0});
}

void ClientArea::Line(int x1, int y1, int x2, int y2, QRgb colour) {
    QPolygon points;
    const int dx = std::abs(x2 - x1);
    const int sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1);
    const int sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1;
    int y = y1;
    for (;;) {
        if (kArea.contains(x, y)) points.append(QPoint(x, y));
        if (x == x2 && y == y2) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    if (!points.isEmpty()) Add({points.boundingRect(), QImage(), points, colour});
}

void ClientArea::Draw(QPainter& painter, const QRect& rect) const {
    painter.fillRect(rect, QColor(kGrey));
    for (const Drawing& d : drawings_) {
        if (d.bounds.isNull() || !Overlap(d.bounds, rect)) continue;
        if (!d.image.isNull()) {
            painter.drawImage(d.bounds.topLeft(), d.image);
        } else {
            painter.setPen(QColor(d.colour));
            painter.drawPoints(d.points);
        }
    }
}

QImage ClientArea::Picture(const QRect& rect) const {
    QImage picture(rect.size(), QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.translate(-rect.topLeft());
    Draw(painter, rect);
    return picture;
}

std::chrono::steady_clock::time_point ClientArea::Refresh() {
    // Only what was drawn since the last refresh: an animation frame is two neighbouring cells,
    // not the whole area with the frame's caption.
    const QRect rect = unshown_;
    unshown_ = QRect();
    // The server's reading of what the window last sent there (after a key, the repaints of the
    // event loop) is waited for before the frame's repaint begins, and the frame's own after it.
    AwaitServer(rect);
    const auto start = std::chrono::steady_clock::now();
    repaint(rect);
    AwaitServer(rect);
    return start;
}

void ClientArea::AwaitServer(const QRect& rect) {
    // Under X11 the server reads the window's pixels from memory that it shares with us, and Qt
    // waits for it to have read them before it paints over them: a round trip to the server, and
    // as long as the server takes to answer. Left to Qt, it falls between the end of a pause and
    // the frame that the pause times; taken here, as a frame is sent, it comes out of the pause.
    // Qt's own wait is what runs: beginPaint waits, and nothing is painted.
    static const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (!x11 || rect.isEmpty() || !isVisible()) return;
    // beginPaint clears the pixels of a window that has an alpha channel; the game's has none.
    // Before the window's first exposure nothing was sent, and the store has no pixels yet, on
    // which endPaint would fail.
    const QWindow* handle = window()->windowHandle();
    QBackingStore* store = backingStore();
    if (!handle || !handle->isExposed() || handle->format().hasAlpha() || !store || store->size().isEmpty()) return;
    const QRegion region(QRect(mapTo(window(), rect.topLeft()), rect.size()));
    store->beginPaint(region);
    store->endPaint();
}

void ClientArea::SetFrameCaption(const QString& text) {
    frame_->setTitle(text);
    unshown_ = unshown_.united(frame_->geometry());
}

bool ClientArea::event(QEvent* event) {
    // Every key, Tab included, goes to the game; menu shortcuts are taken before they get here.
    // Once the program ends the window is disabled, and its keys go nowhere; nor do the presses
    // that a held key repeated while the game was busy.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (RepeatedWhileBusy(*key) || !onKey || !isEnabled()) return true;
        onKey(key->key());
        busyUntil_ = SteadyMilliseconds() + *keyClockLead_;
        return true;
    }
    return QWidget::event(event);
}

bool ClientArea::RepeatedWhileBusy(const QKeyEvent& key) {
    const auto made = static_cast<std::int64_t>(key.timestamp());
    const std::int64_t lead = made - SteadyMilliseconds();
    // X11's clock is 32 bits wide: when it wraps round (every 49 days) the lead is learnt anew.
    if (!keyClockLead_ || lead > *keyClockLead_ || lead < *keyClockLead_ - (std::int64_t{1} << 31)) keyClockLead_ = lead;
    // Deliberate presses all count, even those made during a slide.
    return key.isAutoRepeat() && made < busyUntil_;
}

void ClientArea::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // No device to paint on when Qt could not make the window's buffer: the next repaint draws it.
    if (!painter.isActive()) return;
    if (painter.device()->devicePixelRatio() == 1.0) {
        Draw(painter, event->rect());
        return;
    }
    // On a scaled screen each pixel becomes a block, the whole picture scaled as one: tiles keep
    // their hard edges and meet where they always met.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(event->rect(), Picture(event->rect()));
}

}  // namespace kelo
