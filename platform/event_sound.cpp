#include "platform/event_sound.h"

#include "kelo_version.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace kelo {

namespace {
// The few entry points of libcanberra, declared here so that nothing of it is needed to build.
using CreateContext = int (*)(void** context);
using OpenContext = int (*)(void* context);
using ChangeProps = int (*)(void* context, ...);
using PlayFile = int (*)(void* context, std::uint32_t id, ...);
constexpr int kCanberraSuccess = 0;
// Sounds asked for faster than the server takes them are dropped past this many.
constexpr std::size_t kMostPending = 16;
}  // namespace

// The library's context and a thread that hands it the sounds: starting a stream waits for the
// server's answer, which a key press must not.
struct EventSound::Player {
    void* context = nullptr;
    OpenContext open = nullptr;
    PlayFile play = nullptr;
    bool connected = false;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::string> pending;

    void Run() {
        for (;;) {
            std::string path;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return !pending.empty(); });
                path = std::move(pending.front());
                pending.pop_front();
            }
            // Streamed, never put in the server's sample cache: a file changed on disk plays as
            // it is now, and the server keeps nothing of ours.
            play(context, 0, "media.filename", path.c_str(), "canberra.cache-control", "never",
                 static_cast<char*>(nullptr));
        }
    }
};

bool EventSound::Playable(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    char head[12] = {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kLargestFile &&
                    ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
                    ((std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0) ||
                     std::memcmp(head, "OggS", 4) == 0);
    ::close(fd);
    return ok;
}

bool EventSound::Play(const std::string& path) {
    if (!Playable(path)) return false;
    if (!player_) {
        // Loaded at the first sound, not at launch: the window comes up without it.
        void* library = ::dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) return false;
        auto create = reinterpret_cast<CreateContext>(::dlsym(library, "ca_context_create"));
        auto change = reinterpret_cast<ChangeProps>(::dlsym(library, "ca_context_change_props"));
        auto open = reinterpret_cast<OpenContext>(::dlsym(library, "ca_context_open"));
        auto play = reinterpret_cast<PlayFile>(::dlsym(library, "ca_context_play"));
        void* context = nullptr;
        if (!create || !change || !open || !play || create(&context) != kCanberraSuccess) return false;
        change(context, "application.name", KELO_PRODUCT_NAME, "application.id", KELO_APP_ID, static_cast<char*>(nullptr));
        // Never freed, like the thread, which is never joined: see the destructor.
        player_ = new Player;
        player_->context = context;
        player_->open = open;
        player_->play = play;
    }
    Player& p = *player_;
    if (!p.connected) {
        // The connection to the sound server, made here so that its absence is known at once;
        // tried again at the next sound while there is no server.
        if (p.open(p.context) != kCanberraSuccess) return false;
        p.connected = true;
        std::thread([&p] { p.Run(); }).detach();
    }
    {
        std::lock_guard lock(p.mutex);
        if (p.pending.size() >= kMostPending) return true;
        p.pending.push_back(path);
    }
    p.wake.notify_one();
    return true;
}

}  // namespace kelo
