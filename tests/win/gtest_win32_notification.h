// GoogleTest's Notification over a Win32 event. MinGW's win32 thread model has no std::mutex,
// which GoogleTest's own Notification needs; GTEST_HAS_NOTIFICATION_ is its documented way to
// bring one. Forced into every file that includes GoogleTest (see CMakeLists.txt).
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification &) = delete;
    Notification &operator=(const Notification &) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace testing::internal
