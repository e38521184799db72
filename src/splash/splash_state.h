// The splash as the launcher's threads share it. The splash thread
// publishes the window that every message box takes as its owner, and
// clears it when the splash goes. Either splash may be closed by the main
// thread (a failed start, teardown) or by the Java main thread (an uncaught
// exception); closing takes a lock and happens once.
#pragma once

#include "splash/splash_window.h"
#include "support/handles.h"
#include "support/lock.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace velmar {

using SplashCloseFunction = void(__cdecl*)();

class SplashState {
public:
    SplashState() = default;
    ~SplashState();
    SplashState(const SplashState&) = delete;
    SplashState& operator=(const SplashState&) = delete;

    // The [Display] settings, read by the main thread before a splash starts.
    std::wstring imagePath;
    std::wstring shadow;

    // The launcher's own splash window while it is up; null before and after.
    std::atomic<HWND> window{nullptr};

    // Starts the launcher's own splash on a thread of its own and waits,
    // bounded, until its window is published.
    void startNative(SplashRequest request);
    // Ends the splash thread (bounded: a thread still decoding its picture
    // after a few seconds is left to end on its own); nothing happens
    // without a native splash.
    void closeNative();

    // The SplashClose of the runtime's splash library while its splash is
    // up; one kept before is called first, so no splash is left open.
    void keepJavaSplashClose(SplashCloseFunction close);
    // Calls the kept SplashClose, once.
    void closeJavaSplash();

private:
    Lock lock_;
    std::unique_ptr<NativeSplashWindow> native_;
    UniqueHandle thread_;
    DWORD threadId_ = 0;
    SplashCloseFunction javaSplashClose_ = nullptr;
};

}  // namespace velmar
