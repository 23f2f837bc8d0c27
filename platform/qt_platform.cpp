#include "platform/qt_platform.h"

#include "platform/program_folder.h"
#include "ui/client_area.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <QWidget>
#include <chrono>
#include <malloc.h>
#include <thread>

namespace kelo {

QString ForDisplay(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// Qt's own texts, such as the standard buttons, in French whatever the user's language. The game's
// boxes show them, so they are read when the first box opens rather than at launch, from the part
// of Qt's catalogue that those boxes can show, built in.
void LoadQtFrenchOnce(bool whole) {
    static bool tried = false;
    if (tried) return;
    tried = true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    const bool loaded = whole ? translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
                              : translator->load(QStringLiteral(":/translations/qtbase_fr.qm"));
    if (loaded) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

QtPlatform::QtPlatform(QWidget& window, ClientArea& area, std::array<QImage, 5> tiles,
                       std::map<Setting, QAction*> checkMarks)
    : window_(window), area_(area), tiles_(std::move(tiles)), checkMarks_(std::move(checkMarks)) {
    // Any event ends a slide's run of frames: the next slide is paced from its own first frame.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        eventsRan_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake,
                                      [this] { followsLastPause_ = false; });
    }
}

QtPlatform::~QtPlatform() { QObject::disconnect(eventsRan_); }

void QtPlatform::PaintPicture(int picture, int x, int y) {
    if (picture < 0 || picture >= static_cast<int>(tiles_.size())) return;
    area_.Paint(tiles_[picture], x, y);
}

void QtPlatform::Refresh() { frameStart_ = area_.Refresh(); }

void QtPlatform::Line(int x1, int y1, int x2, int y2, std::uint32_t colour) { area_.Line(x1, y1, x2, y2, colour); }

void QtPlatform::SetCaption(const std::string& text) { window_.setWindowTitle(QString::fromStdString(text)); }

void QtPlatform::SetFrameCaption(const std::string& text) { area_.SetFrameCaption(QString::fromStdString(text)); }

bool QtPlatform::Checked(Setting setting) {
    const auto it = checkMarks_.find(setting);
    return it != checkMarks_.end() && it->second->isChecked();
}

void QtPlatform::SetChecked(Setting setting, bool checked) {
    const auto it = checkMarks_.find(setting);
    if (it != checkMarks_.end()) it->second->setChecked(checked);
}

void QtPlatform::PlaySound(const std::string& path, int flags) {
    // Flags 1 asks for the default sound when the file cannot be played; flags 3 stays silent.
    if (!sound_.Play(path) && flags == kSoundAsync) QApplication::beep();
}

namespace {

// A box is the moment the game's memory is at its highest: the heap's free pages go back to the
// system first, rather than stay resident under the box.
void BeforeBox() {
    ::malloc_trim(0);
    LoadQtFrenchOnce();
}

}  // namespace

void QtPlatform::MsgBox(const std::string& text, const std::string& title) {
    BeforeBox();
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), ForDisplay(text), QMessageBox::Ok, &window_);
    box.exec();
}

std::string QtPlatform::InputBox(const std::string& prompt, const std::string& title) {
    BeforeBox();
    QInputDialog dialog(&window_);
    dialog.setWindowTitle(QString::fromStdString(title));
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextValue(QString());
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue().toStdString();
}

std::int64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t QtPlatform::MonotonicMilliseconds() { return SteadyMilliseconds(); }

std::int64_t QtPlatform::WallClockMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::chrono::steady_clock::time_point PauseEnd(std::chrono::steady_clock::time_point deadline,
                                               std::chrono::steady_clock::time_point woke) {
    // A wake-up is 0.1 to 0.3 ms late when the machine is quiet; a busy processor makes it
    // 1 ms late and more, now and then.
    return woke - deadline > std::chrono::microseconds(500) ? woke : deadline;
}

void QtPlatform::Pause(int milliseconds) {
    // A sleep to a deadline on the steady clock, and no event runs. Within a slide each deadline
    // follows the last one (or a wake-up that came late, see PauseEnd), so the time spent drawing
    // a frame comes out of its pause: frames are the same distance apart on any processor. A
    // slide's first pause counts from the moment its frame began to be drawn on screen, and one
    // after a frame that overran counts from now.
    const auto now = std::chrono::steady_clock::now();
    const auto length = std::chrono::milliseconds(milliseconds);
    auto deadline = (followsLastPause_ ? lastPauseEnd_ : frameStart_.value_or(now)) + length;
    if (deadline <= now) deadline = now + length;
    std::this_thread::sleep_until(deadline);
    lastPauseEnd_ = PauseEnd(deadline, std::chrono::steady_clock::now());
    followsLastPause_ = true;
    frameStart_.reset();
}

std::string QtPlatform::ProgramFolder() { return ExecutableFolder(); }

bool QtPlatform::LevelFileIsOpen() { return levelFile_.IsOpen(); }

bool QtPlatform::OpenLevelFile(const std::string& path) { return levelFile_.Open(path); }

std::optional<std::int64_t> QtPlatform::LevelFileLength() { return levelFile_.Length(); }

std::optional<std::size_t> QtPlatform::ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) {
    return levelFile_.Read(offset, buffer, size);
}

void QtPlatform::End() {
    // Keys and commands already on their way reach nothing: the window and its menu items take
    // no more input before the event loop ends.
    window_.setEnabled(false);
    for (QAction* action : window_.findChildren<QAction*>()) action->setEnabled(false);
    QCoreApplication::exit(0);
}

}  // namespace kelo
