#pragma once

#include <cstdint>
#include <string>

namespace kelo {

// Short sounds by file path through the desktop's event-sound library (libcanberra), found at
// run time: the game builds and runs without it, and then plays nothing. The library streams a
// file to the sound server from its own thread and lets the stream go when the sound ends, so
// nothing keeps the process awake between sounds.
class EventSound {
public:
    // Sounds are a second or two: anything much larger is not one of ours.
    static constexpr std::int64_t kLargestFile = 4 * 1024 * 1024;

    EventSound() = default;
    EventSound(const EventSound&) = delete;
    EventSound& operator=(const EventSound&) = delete;
    // The library's context is left to the end of the process: tearing it down waits for its
    // thread, and quitting must never wait on the sound server.
    ~EventSound() = default;

    // Starts the sound and returns once the server has taken it; false when it cannot be played:
    // not a regular file, too large, no library, no server, or a file the library cannot read.
    bool Play(const std::string& path);

    // A file that Play would hand to the library: a regular file of at most kLargestFile bytes.
    // Checked without opening, so that a FIFO or a device cannot hold the caller.
    static bool Playable(const std::string& path);

private:
    bool Open();

    bool tried_ = false;
    void* context_ = nullptr;
    int (*play_)(void* context, std::uint32_t id, ...) = nullptr;
};

}  // namespace kelo
