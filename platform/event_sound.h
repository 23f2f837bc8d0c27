#pragma once

#include <cstdint>
#include <string>

namespace kelo {

// Short sounds by file path through the desktop's event-sound library (libcanberra), found at
// run time: the game builds and runs without it, and then plays nothing. Each sound is a stream
// of its own that the library ends when the sound ends, so nothing keeps the process awake
// between sounds.
class EventSound {
public:
    // Sounds are a second or two: anything much larger is not one of ours.
    static constexpr std::int64_t kLargestFile = 4 * 1024 * 1024;

    EventSound() = default;
    EventSound(const EventSound&) = delete;
    EventSound& operator=(const EventSound&) = delete;
    // The library's context and the thread that talks to it are left to the end of the process:
    // tearing them down waits on the sound server, and quitting must never wait.
    ~EventSound() = default;

    // Starts the sound and returns at once; false when it cannot be played as far as can be told
    // without the server: not a regular WAV or Ogg file of at most kLargestFile bytes, no library,
    // or no sound server.
    bool Play(const std::string& path);

    // What Play asks of a file before handing it on. Opened without blocking, so that a FIFO or a
    // device in its place cannot hold the caller.
    static bool Playable(const std::string& path);

private:
    struct Player;
    // One for the process, as the library's connection is; reachable to the end.
    static inline Player* player_ = nullptr;
};

}  // namespace kelo
