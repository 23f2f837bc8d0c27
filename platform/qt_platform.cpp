#include "platform/qt_platform.h"

#include "platform/program_folder.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPainter>
#include <QTranslator>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace kelo {

QString ForDisplay(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// Qt's own texts, such as the standard buttons, in French whatever the user's language. Only the
// boxes show them, so they are read when the first box opens rather than at launch.
void LoadQtFrenchOnce() {
    static bool tried = false;
    if (tried) return;
    tried = true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

QtPlatform::QtPlatform(QWidget* window, QWidget* surfaceWidget, QGroupBox* frame, QImage* surface,
                       std::array<QImage, 5> tiles)
    : window_(window), surfaceWidget_(surfaceWidget), frame_(frame), surface_(surface), tiles_(std::move(tiles)) {}

void QtPlatform::BindCheckMark(Setting setting, QAction* action) {
    actions_[setting] = action;
    action->setChecked(flags_[setting]);
}

void QtPlatform::PaintPicture(int picture, int x, int y) {
    if (picture < 0 || picture >= static_cast<int>(tiles_.size())) return;
    const QImage& tile = tiles_[picture];
    const QRect drawn = QRect(x, y, tile.width(), tile.height()) & surface_->rect();
    if (drawn.isEmpty()) return;
    if (tile.format() == surface_->format() && tile.depth() == 32) {
        // The tile's rows copied as they are: a painter made for each of a load's 144 tiles cost
        // more than the copies themselves.
        for (int row = drawn.top(); row <= drawn.bottom(); ++row) {
            std::memcpy(surface_->scanLine(row) + drawn.left() * 4, tile.constScanLine(row - y) + (drawn.left() - x) * 4,
                        static_cast<std::size_t>(drawn.width()) * 4);
        }
    } else {
        QPainter painter(surface_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(x, y, tile);
    }
    surfaceWidget_->update(drawn);
    unshown_ = unshown_.united(drawn);
}

void QtPlatform::Refresh() {
    // Only what was drawn since the last refresh: an animation frame is two neighbouring cells,
    // not the whole area with the frame's caption.
    surfaceWidget_->repaint(unshown_);
    unshown_ = QRect();
}

void QtPlatform::Line(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    const QRgb rgb = 0xFF000000u | colour;
    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1, y = y1;
    for (;;) {
        if (surface_->rect().contains(x, y)) surface_->setPixel(x, y, rgb);
        if (x == x2 && y == y2) break;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
    const QRect drawn(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2)));
    surfaceWidget_->update(drawn);
    unshown_ = unshown_.united(drawn);
}

void QtPlatform::SetCaption(const std::string& text) { window_->setWindowTitle(QString::fromStdString(text)); }

void QtPlatform::SetFrameCaption(const std::string& text) {
    frame_->setTitle(QString::fromStdString(text));
    unshown_ = unshown_.united(frame_->geometry());
}

bool QtPlatform::Checked(Setting setting) {
    const auto it = actions_.find(setting);
    if (it != actions_.end() && it->second) return it->second->isChecked();
    return flags_[setting];
}

void QtPlatform::SetChecked(Setting setting, bool checked) {
    flags_[setting] = checked;
    const auto it = actions_.find(setting);
    if (it != actions_.end() && it->second) it->second->setChecked(checked);
}

void QtPlatform::PlaySound(const std::string& path, int flags) {
    // Flags 1 asks for the default sound when the file cannot be played; flags 3 stays silent.
    if (!sound_.Play(path) && flags == kSoundAsync) QApplication::beep();
}

void QtPlatform::MsgBox(const std::string& text, const std::string& title) {
    LoadQtFrenchOnce();
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), ForDisplay(text), QMessageBox::Ok, window_);
    box.exec();
}

std::string QtPlatform::InputBox(const std::string& prompt, const std::string& title) {
    LoadQtFrenchOnce();
    QInputDialog dialog(window_);
    dialog.setWindowTitle(QString::fromStdString(title));
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextValue(QString());
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue().toStdString();
}

std::int64_t QtPlatform::MonotonicMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void QtPlatform::Pause(int milliseconds) {
    // A sleep to a deadline on the steady clock, and no event runs. Within a slide each deadline
    // follows the last one, so the time spent drawing a frame comes out of its pause: frames are
    // the same distance apart on any processor. The first pause of a slide, or one after a frame
    // that overran, counts from now.
    const auto now = std::chrono::steady_clock::now();
    const auto length = std::chrono::milliseconds(milliseconds);
    auto deadline = lastPauseEnd_ + length;
    if (deadline <= now) deadline = now + length;
    std::this_thread::sleep_until(deadline);
    lastPauseEnd_ = deadline;
}

std::string QtPlatform::ProgramFolder() { return ExecutableFolder(); }

bool QtPlatform::LevelFileIsOpen() { return levelFile_.IsOpen(); }

bool QtPlatform::OpenLevelFile(const std::string& path) { return levelFile_.Open(path); }

std::optional<std::int64_t> QtPlatform::LevelFileLength() { return levelFile_.Length(); }

std::optional<std::size_t> QtPlatform::ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) {
    return levelFile_.Read(offset, buffer, size);
}

void QtPlatform::End() {
    ending_ = true;
    QCoreApplication::exit(0);
}

}  // namespace kelo
