#pragma once

#include <string>

namespace kelo {

// The sounds live in a module of their own, loaded on first use or once the window is up: the
// sound libraries (Qt Multimedia, PulseAudio and the codecs they bring) are a fifth of what the
// program would otherwise load before its first picture.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts the sound of a WAV file and returns at once; false when it cannot be played (the
    // file does not decode, or there is no sound device), also if that is found out later, in
    // which case `failed` runs then.
    virtual bool Play(const std::string& path, void (*failed)()) = 0;
};

// In a folder of its own beside the program: a private module, not a library for the linker's cache.
inline constexpr const char* kSoundModuleName = "modules/libkelo_sound.so";
inline constexpr const char* kSoundModuleEntry = "kelo_create_sound_player";
using CreateSoundPlayer = SoundPlayer* (*)();

}  // namespace kelo
