#include "platform/event_sound.h"

#include "kelo_version.h"

#include <canberra.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace kelo {

namespace {

// The library's entry points, typed by its own header; nothing of it is linked.
class CanberraLibrary final : public SoundLibrary {
public:
    bool Connect() override {
        if (!Load()) return false;
        if (create_(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            return false;
        }
        change_(context_, CA_PROP_APPLICATION_NAME, KELO_PRODUCT_NAME, CA_PROP_APPLICATION_ID, KELO_APP_ID,
                static_cast<char*>(nullptr));
        if (open_(context_) == CA_SUCCESS) return true;
        Disconnect();
        return false;
    }

    bool Play(const std::string& path) override {
        // Streamed, never put in the server's sample cache: a file changed on disk plays as it is
        // now, and the server keeps nothing of ours.
        return context_ && play_(context_, 0, CA_PROP_MEDIA_FILENAME, path.c_str(), CA_PROP_CANBERRA_CACHE_CONTROL,
                                 "never", static_cast<char*>(nullptr)) == CA_SUCCESS;
    }

    void Disconnect() override {
        if (context_) destroy_(context_);
        context_ = nullptr;
    }

private:
    // Loaded at the first sound, not at launch: the window comes up without it. Tried once.
    bool Load() {
        if (tried_) return destroy_ != nullptr;
        tried_ = true;
        void* library = ::dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) return false;
        create_ = reinterpret_cast<decltype(create_)>(::dlsym(library, "ca_context_create"));
        change_ = reinterpret_cast<decltype(change_)>(::dlsym(library, "ca_context_change_props"));
        open_ = reinterpret_cast<decltype(open_)>(::dlsym(library, "ca_context_open"));
        play_ = reinterpret_cast<decltype(play_)>(::dlsym(library, "ca_context_play"));
        auto destroy = reinterpret_cast<decltype(destroy_)>(::dlsym(library, "ca_context_destroy"));
        if (create_ && change_ && open_ && play_) destroy_ = destroy;
        return destroy_ != nullptr;
    }

    bool tried_ = false;
    decltype(&ca_context_create) create_ = nullptr;
    decltype(&ca_context_change_props) change_ = nullptr;
    decltype(&ca_context_open) open_ = nullptr;
    decltype(&ca_context_play) play_ = nullptr;
    decltype(&ca_context_destroy) destroy_ = nullptr;
    ca_context* context_ = nullptr;
};

using Clock = std::chrono::steady_clock;

}  // namespace

std::shared_ptr<SoundLibrary> Canberra() {
    static auto* library = new std::shared_ptr<SoundLibrary>(std::make_shared<CanberraLibrary>());
    return *library;
}

// The queue of opened sound files and the thread that empties it into the library.
struct EventSound::Player {
    struct Sound {
        int fd;
        Clock::time_point asked;
    };

    explicit Player(std::shared_ptr<SoundLibrary> l) : library(std::move(l)) {}

    const std::shared_ptr<SoundLibrary> library;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Sound> pending;
    bool started = false;
    bool closing = false;
    // The last attempt found no library or no server.
    std::atomic<bool> silent{false};
    bool connected = false;  // the player thread's own

    static void Run(const std::shared_ptr<Player>& self) {
        Player& p = *self;
        for (;;) {
            Sound sound{};
            {
                std::unique_lock lock(p.mutex);
                p.wake.wait(lock, [&p] { return p.closing || !p.pending.empty(); });
                if (p.closing) break;
                sound = p.pending.front();
                p.pending.pop_front();
            }
            if (Clock::now() - sound.asked <= std::chrono::milliseconds(kStaleMs)) p.Deliver(sound.fd);
            ::close(sound.fd);
        }
        std::lock_guard lock(p.mutex);
        for (const Sound& sound : p.pending) ::close(sound.fd);
        p.pending.clear();
    }

    void Deliver(int fd) {
        if (!connected) {
            connected = library->Connect();
            silent = !connected;
            if (!connected) return;
        }
        // The file as it was checked, whatever its name points to now.
        if (library->Play("/proc/self/fd/" + std::to_string(fd))) return;
        // A server that went away, or was replaced: the next sound connects anew.
        library->Disconnect();
        connected = false;
    }
};

EventSound::EventSound(std::shared_ptr<SoundLibrary> library) : player_(std::make_shared<Player>(std::move(library))) {}

EventSound::~EventSound() {
    {
        std::lock_guard lock(player_->mutex);
        player_->closing = true;
        if (!player_->started) {
            for (const Player::Sound& sound : player_->pending) ::close(sound.fd);
            player_->pending.clear();
        }
    }
    player_->wake.notify_one();
}

int EventSound::OpenPlayable(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    char head[12] = {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kLargestFile &&
                    ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
                    ((std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0) ||
                     std::memcmp(head, "OggS", 4) == 0);
    if (ok) return fd;
    ::close(fd);
    return -1;
}

bool EventSound::Play(const std::string& path) {
    const int fd = OpenPlayable(path);
    if (fd < 0) return false;
    Player& p = *player_;
    {
        std::lock_guard lock(p.mutex);
        if (!p.started) {
            try {
                std::thread(&Player::Run, player_).detach();
            } catch (const std::system_error&) {
                ::close(fd);
                return false;
            }
            p.started = true;
        }
        if (p.pending.size() >= kMostPending) {
            ::close(fd);
            return !p.silent;
        }
        p.pending.push_back({fd, Clock::now()});
    }
    p.wake.notify_one();
    return !p.silent;
}

}  // namespace kelo
