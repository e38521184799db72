// The launcher's own splash: a borderless pop-up tool window exactly as
// large as the picture, centred on the primary screen, living on a thread
// of its own until that thread is told to quit.
#pragma once

#include "support/handles.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace velmar {

// What the splash thread needs, copied before it starts, so that the
// thread reads nothing of the Launcher while it may still be decoding.
struct SplashRequest {
    std::wstring picturePath;
    bool shadowOn = false;
    bool autoClose = false;
};

class NativeSplashWindow {
public:
    // `owner` is where the window is published for the message boxes.
    NativeSplashWindow(std::atomic<HWND>& owner, SplashRequest request);
    ~NativeSplashWindow();
    NativeSplashWindow(const NativeSplashWindow&) = delete;
    NativeSplashWindow& operator=(const NativeSplashWindow&) = delete;

    // The window of the picture, created hidden; null when the class or
    // the window cannot be made.
    HWND createSplashWindow(const std::wstring& picturePath, bool shadowOn);

    // Signalled once the thread has published its window (null or not).
    HANDLE publishedEvent() const { return published_.get(); }

    // For the closing side: true when the thread was still creating its
    // window and now never will show it; the thread then deletes this
    // object itself.
    bool abandonWhileCreating();

    // The splash thread: its argument is the object.
    static DWORD WINAPI threadMain(LPVOID parameter);

private:
    enum Stage { creating, running, abandoned };

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    void run();
    void closeWhenApplicationShows();

    std::atomic<HWND>& owner_;
    SplashRequest request_;
    HWND window_ = nullptr;
    UniqueGdiObject picture_;
    UniqueHandle published_;
    std::atomic<Stage> stage_{creating};
};

}  // namespace velmar
