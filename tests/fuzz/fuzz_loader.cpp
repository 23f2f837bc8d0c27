// The level loader on any bytes and any level number, then a few events of play through the
// recording platform; every invariant of the board and the screen must hold after each step.
#include <cstdio>
#include <cstdlib>
#include <random>

#include "support/invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    // One platform for every input, blanked each time: building it anew cost more than the load.
    static kelo::test::FakePlatform platform("/nonexistent");
    platform.record = false;
    platform.Blank();
    // Two bytes of level number, one that seeds the events after the load, then the file.
    std::minstd_rand rng(data[2] + 1u);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    platform.checked = {{kelo::Setting::Animation, data[2] & 1}, {kelo::Setting::Son, false}};
    platform.memoryFile.emplace(reinterpret_cast<const char*>(data + 3), size - 3);
    kelo::Form1 form(platform);
    form.CrLf = "\r\n";
    form.LoadLevel(form.Level = static_cast<std::int16_t>(data[0] | data[1] << 8));
    std::string broken = platform.reads > 2 * 9 ? "more reads than a load and one fall-back" : kelo::test::BrokenInvariant(form, platform);
    for (int i = 0; i < 8 && broken.empty(); ++i) broken = kelo::test::PlayEvent(form, platform, pick);
    if (broken.empty()) return 0;
    std::fprintf(stderr, "%s\n", broken.c_str());
    std::abort();
}
