#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kelo {

// What the player thread asks of the desktop's event-sound library. Every call is made on that
// thread alone, so that a sound server that hangs holds that thread and never the window's.
class SoundLibrary {
public:
    virtual ~SoundLibrary() = default;
    // Connects to the sound server (loading the library first when it is not yet loaded): true
    // when the server answered.
    virtual bool Connect() = 0;
    // Starts the file at `path` and returns once the server has it: true when it plays.
    virtual bool Play(const std::string& path) = 0;
    // Forgets a connection that failed, so that the next Connect makes a new one.
    virtual void Disconnect() = 0;
};

// libcanberra, opened with dlopen at the first Connect: the game builds and runs without it, and
// then plays nothing. One for the process, never freed: tearing down its connection waits on the
// sound server, and quitting must never wait.
std::shared_ptr<SoundLibrary> Canberra();

// Short sounds by file path. Play checks and opens the file and hands it to a thread of its own,
// which connects, plays and reconnects after a failure; the caller never waits for the library or
// the server. Each sound is a stream of its own that the library ends when the sound ends, so
// nothing keeps the process awake between sounds.
class EventSound {
public:
    // Sounds are a second or two: anything much larger is not one of ours.
    static constexpr std::int64_t kLargestFile = 4 * 1024 * 1024;
    // A sound that waited longer than this for the player (a server that hangs) is dropped.
    static constexpr int kStaleMs = 250;
    // Sounds asked for faster than the player takes them are dropped past this many.
    static constexpr std::size_t kMostPending = 16;

    // The player thread shares the library: it may still be in a call when this object goes.
    explicit EventSound(std::shared_ptr<SoundLibrary> library = Canberra());
    EventSound(const EventSound&) = delete;
    EventSound& operator=(const EventSound&) = delete;
    // Tells the player to stop after the call it is in, and does not wait for it.
    ~EventSound();

    // Hands the sound on and returns at once; false when it cannot be played as far as is known
    // now: not a regular WAV or Ogg file of at most kLargestFile bytes, or the last attempt found
    // no library or no server. A sound dropped because the player is busy still counts as played.
    bool Play(const std::string& path);

    // Opens a file that Play would hand on: without blocking, so that a FIFO or a device in its
    // place cannot hold the caller, and checked through the opened descriptor, not the name. The
    // descriptor, or -1.
    static int OpenPlayable(const std::string& path);

private:
    struct Player;
    std::shared_ptr<Player> player_;
};

}  // namespace kelo
