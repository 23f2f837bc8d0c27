// Draws the tile images and the icons, and synthesises the two sounds.
#include <QImage>
#include <QString>
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/kelo-assets/formats.h"
#include "tools/kelo-assets/icon.h"
#include "tools/kelo-assets/sounds.h"
#include "tools/kelo-assets/tiles.h"

namespace {

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// An icon through Qt's PNG writer at its strongest compression (quality 0).
bool WriteIcon(const std::string& path, int size, const std::vector<std::uint32_t>& argb) {
    QImage image(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) image.setPixel(x, y, argb[static_cast<std::size_t>(y * size + x)]);
    }
    return image.save(QString::fromStdString(path), "PNG", 0);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelo-assets OUTPUT_FOLDER\n");
        return 2;
    }
    using namespace kelo::art;
    const std::string dir = argv[1];
    bool ok = true;
    for (int code = 0; code < 5; ++code) ok &= Write(dir + "/tile" + std::to_string(code) + ".bmp", Bmp8(Tile(code)));
    // The launcher's sizes of the icon theme; the 32-pixel one is also the window icon.
    for (int size : kIconSizes) ok &= WriteIcon(dir + "/kelo-" + std::to_string(size) + ".png", size, IconRendering(size));
    // The level editor's, at the same sizes.
    for (int size : kIconSizes)
        ok &= WriteIcon(dir + "/kelo-editor-" + std::to_string(size) + ".png", size, EditorIconRendering(size));
    ok &= Write(dir + "/Ding.wav", Wav16(DingSamples(), kSampleRate));
    ok &= Write(dir + "/End.wav", Wav16(EndSamples(), kSampleRate));
    if (!ok) {
        std::fprintf(stderr, "kelo-assets: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
