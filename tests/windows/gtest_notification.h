#pragma once
// GoogleTest's Notification for mingw-w64 with win32 threads, whose C++ library
// has no std::mutex. Included ahead of every file of the Windows test build.
// Only GoogleTest's thread helpers use it, and our tests start no threads: a
// plain flag that the waiter spins on serves.
#include <atomic>

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { notified_.store(true); }
    void WaitForNotification() {
        while (!notified_.load()) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace testing::internal

#define GTEST_HAS_NOTIFICATION_ 1
