// Draws the tile images and the window icon, and synthesises the two sounds.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/art.h"

namespace {

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
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
    ok &= Write(dir + "/kelo.ico", Ico24(IconPixels()));
    // The launcher's icons: the window icon itself, and a large drawing of it.
    for (int size : {kIcon, 256}) ok &= Write(dir + "/kelo-" + std::to_string(size) + ".png", Png(IconRendering(size), size, size));
    ok &= Write(dir + "/Ding.wav", Wav16(DingSamples(), kSampleRate));
    ok &= Write(dir + "/End.wav", Wav16(EndSamples(), kSampleRate));
    if (!ok) {
        std::fprintf(stderr, "kelo-assets: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
