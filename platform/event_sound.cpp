#include "platform/event_sound.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace kelo {

namespace {
// The few entry points of libcanberra, declared here so that nothing of it is needed to build.
using CreateContext = int (*)(void** context);
using ChangeProps = int (*)(void* context, ...);
using PlayFile = int (*)(void* context, std::uint32_t id, ...);
constexpr int kCanberraSuccess = 0;
}  // namespace

bool EventSound::Playable(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kLargestFile;
}

bool EventSound::Open() {
    if (tried_) return context_ != nullptr;
    tried_ = true;
    // Loaded at the first sound, not at launch: the window comes up without it.
    void* library = ::dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return false;
    auto create = reinterpret_cast<CreateContext>(::dlsym(library, "ca_context_create"));
    auto change = reinterpret_cast<ChangeProps>(::dlsym(library, "ca_context_change_props"));
    play_ = reinterpret_cast<PlayFile>(::dlsym(library, "ca_context_play"));
    void* context = nullptr;
    if (!create || !change || !play_ || create(&context) != kCanberraSuccess) return false;
    change(context, "application.name", "Kelo", "application.id", "org.kelo.Kelo", static_cast<char*>(nullptr));
    context_ = context;
    return true;
}

bool EventSound::Play(const std::string& path) {
    if (!Playable(path) || !Open()) return false;
    // Streamed, never uploaded to the server's sample cache: a file changed on disk plays as it
    // is now, and the server keeps nothing of ours.
    return play_(context_, 0, "media.filename", path.c_str(), "canberra.cache-control", "never",
                 static_cast<char*>(nullptr)) == kCanberraSuccess;
}

}  // namespace kelo
