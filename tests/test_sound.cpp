// The sounds' hand-off to the sound library, over a library of the test's own: which thread
// calls it, what it is given, and what happens after a server that hangs or goes away.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/event_sound.h"
#include "support/levels_util.h"

namespace kelo {
namespace {

// A library that records each call, and marks one made from the thread that made the library (the
// test's, which is the game's caller). Its connection can be held, as a stopped server holds it,
// and its answers chosen.
class FakeLibrary final : public SoundLibrary {
public:
    bool Connect() override {
        std::unique_lock lock(mutex_);
        Note("connect");
        changed_.wait(lock, [this] { return !holdConnect_; });
        return connects;
    }
    bool Play(const std::string& path) override {
        std::lock_guard lock(mutex_);
        Note("play");
        heads_.push_back(HeadOf(path));
        return plays;
    }
    void Disconnect() override {
        std::lock_guard lock(mutex_);
        Note("disconnect");
    }

    void HoldConnect(bool hold) {
        std::lock_guard lock(mutex_);
        holdConnect_ = hold;
        changed_.notify_all();
    }
    // The calls so far, once there are `count` of them (or after a minute).
    std::string CallsOnce(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::minutes(1), [&] { return calls_.size() >= count; });
        std::string all;
        for (const std::string& call : calls_) all += (all.empty() ? "" : " ") + call;
        return all;
    }
    std::vector<std::string> Heads() {
        std::lock_guard lock(mutex_);
        return heads_;
    }

    bool connects = true;
    bool plays = true;

private:
    void Note(const std::string& call) {
        calls_.push_back(std::this_thread::get_id() == caller_ ? call + " on the caller's thread" : call);
        changed_.notify_all();
    }
    // What the library would read at `path`: the first four bytes of a regular file, or "fifo".
    static std::string HeadOf(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
        struct stat st {};
        char head[4] = {};
        std::string seen = "unreadable";
        if (fd >= 0 && ::fstat(fd, &st) == 0) seen = S_ISFIFO(st.st_mode) ? "fifo" : "";
        if (seen.empty() && ::read(fd, head, 4) == 4) seen.assign(head, 4);
        if (fd >= 0) ::close(fd);
        return seen;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool holdConnect_ = false;
    std::vector<std::string> calls_;
    const std::thread::id caller_ = std::this_thread::get_id();
    std::vector<std::string> heads_;
};

class SoundTest : public ::testing::Test {
protected:
    SoundTest() { folder.Write("Ding.wav", std::string("RIFF\x24\0\0\0WAVEfmt ", 16)); }
    std::string Ding() const { return (folder.path() / "Ding.wav").string(); }

    test::TempFolder folder;
    // Shared with the player thread, which may outlive the test's EventSound by a call.
    std::shared_ptr<FakeLibrary> shared = std::make_shared<FakeLibrary>();
    FakeLibrary& library = *shared;
};

TEST_F(SoundTest, TheLibraryIsNeverCalledFromTheCallersThread) {
    EventSound sound(shared);
    EXPECT_TRUE(sound.Play(Ding()));
    EXPECT_EQ(library.CallsOnce(2), "connect play");
}

TEST_F(SoundTest, APlayThatFailsMakesTheNextSoundConnectAnew) {
    EventSound sound(shared);
    library.plays = false;
    sound.Play(Ding());
    EXPECT_EQ(library.CallsOnce(3), "connect play disconnect");
    sound.Play(Ding());
    EXPECT_EQ(library.CallsOnce(6), "connect play disconnect connect play disconnect");
}

TEST_F(SoundTest, NoServerIsTriedAgainAtTheNextSound) {
    EventSound sound(shared);
    library.connects = false;
    sound.Play(Ding());
    EXPECT_EQ(library.CallsOnce(1), "connect");
    sound.Play(Ding());
    EXPECT_EQ(library.CallsOnce(2), "connect connect");
}

// Play returns while the server holds the connection (the test goes on only then); the file is
// swapped meanwhile.
TEST_F(SoundTest, AFileSwappedForAFifoAfterItsCheckPlaysAsChecked) {
    library.HoldConnect(true);
    EventSound sound(shared);
    ASSERT_TRUE(sound.Play(Ding()));
    const std::string fifo = (folder.path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(std::rename(fifo.c_str(), Ding().c_str()), 0);
    library.HoldConnect(false);
    EXPECT_EQ(library.CallsOnce(2), "connect play");
    EXPECT_EQ(library.Heads(), std::vector<std::string>{"RIFF"});
}

}  // namespace
}  // namespace kelo
