// The level loader on any bytes and any level number, then a few keys, through the recording
// platform; every invariant of the board and the screen must hold after each step.
#include <cstdio>
#include <cstdlib>

#include "support/invariants.h"

namespace {

void Check(const kelo::Form1& form, const kelo::test::FakePlatform& platform, const char* when) {
    const std::string broken = kelo::test::BrokenInvariant(form, platform);
    if (!broken.empty()) {
        std::fprintf(stderr, "after %s: %s\n", when, broken.c_str());
        std::abort();
    }
}

// One platform for every input, set back to a blank screen and a closed file: building it anew
// each time cost more than the load.
kelo::test::FakePlatform& Platform() {
    static kelo::test::FakePlatform platform("/nonexistent");
    static const bool ready = [] {
        platform.record = false;
        platform.memoryFile.emplace();
        return true;
    }();
    (void)ready;
    return platform;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    // Two bytes of level number, one of keys to press after the load, then the file.
    const auto level = static_cast<std::int16_t>(data[0] | data[1] << 8);
    const std::uint8_t keys = data[2];
    kelo::test::FakePlatform& platform = Platform();
    platform.caption.clear();
    platform.frameCaption.clear();
    platform.cells = kelo::test::FakePlatform::Unpainted();
    platform.indicator = -1;
    platform.strayPaints = 0;
    platform.memoryOpen = false;
    platform.reads = 0;
    platform.boxCount = 0;
    platform.checked[kelo::Setting::Animation] = keys & 1;
    platform.memoryFile->assign(reinterpret_cast<const char*>(data + 3), size - 3);
    kelo::Form1 form(platform);
    form.CrLf = "\r\n";
    form.Level = level;
    form.LoadLevel(level);
    Check(form, platform, "the load");
    if (platform.reads > 2 * 9) std::abort();  // a load and at most one fall-back
    for (int i = 0; i < 8; ++i) {
        static const std::int16_t codes[] = {32, 37, 38, 39, 40, 39, 40, 13};
        const int rotated = (keys >> i | keys << (8 - i)) & 7;  // each key read from the byte turned round
        const int boxes = platform.boxCount;
        form.Form_KeyDown(codes[rotated], 0);
        Check(form, platform, "a key");
        // A won level loads the next: keys on that one are an input of their own.
        if (platform.boxCount != boxes) break;
    }
    form.Level = kelo::NextLevel(form.Level);
    form.LoadLevel(form.Level);
    Check(form, platform, "the next load");
    return 0;
}
