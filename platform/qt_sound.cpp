// The sound module: QSoundEffect, one per file, kept for the next time.
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>
#include <map>
#include <memory>

#include "platform/sound_module.h"

namespace kelo {
namespace {

class QtSoundPlayer final : public SoundPlayer {
public:
    bool Play(const std::string& path, void (*failed)()) override {
        auto& effect = effects_[path];
        if (!effect) {
            effect = std::make_unique<QSoundEffect>();
            QSoundEffect* raw = effect.get();
            // A file that turns out not to decode is only known once it has been read.
            QObject::connect(raw, &QSoundEffect::statusChanged, raw, [raw, failed] {
                if (raw->status() == QSoundEffect::Error && failed) failed();
            });
            effect->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
        }
        if (effect->status() == QSoundEffect::Error) return false;
        effect->play();  // plays once loaded when the file is still being read
        return true;
    }

private:
    std::map<std::string, std::unique_ptr<QSoundEffect>> effects_;
};

}  // namespace
}  // namespace kelo

extern "C" [[gnu::visibility("default")]] kelo::SoundPlayer* kelo_create_sound_player() {
    return new kelo::QtSoundPlayer();
}
