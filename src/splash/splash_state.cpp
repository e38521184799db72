#include "splash/splash_state.h"

#include <utility>

namespace velmar {

namespace {

// A thread still creating the splash after this long is not waited for,
// and a box shown meanwhile has no owner.
constexpr DWORD kPublishBoundMs = 2000;
// Closing waits this long between quit messages...
constexpr DWORD kQuitRoundMs = 10;
// ...and gives a thread still decoding its picture this long in all.
constexpr ULONGLONG kCreationBoundMs = 3000;

}  // namespace

SplashState::~SplashState()
{
    closeNative();
    closeJavaSplash();
}

void SplashState::startNative(SplashRequest request)
{
    std::lock_guard hold(lock_);
    native_ = std::make_unique<NativeSplashWindow>(window, std::move(request));
    DWORD threadId = 0;
    thread_.reset(::CreateThread(nullptr, 0, NativeSplashWindow::threadMain, native_.get(), 0, &threadId));
    threadId_ = threadId;
    if (!thread_) {
        return;
    }
    // Until the window exists, a box would have no owner and the splash,
    // shown after it, would cover it.
    const HANDLE waitFor[] = {native_->publishedEvent(), thread_.get()};
    ::WaitForMultipleObjects(2, waitFor, FALSE, kPublishBoundMs);
}

void SplashState::closeNative()
{
    std::lock_guard hold(lock_);
    if (!native_) {
        return;
    }
    if (thread_) {
        const ULONGLONG deadline = ::GetTickCount64() + kCreationBoundMs;
        do {
            ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
            if (::GetTickCount64() > deadline && native_->abandonWhileCreating()) {
                // Still decoding: the thread deletes the object when it
                // is done, and shows nothing.
                static_cast<void>(native_.release());
                thread_.reset();
                return;
            }
        } while (::WaitForSingleObject(thread_.get(), kQuitRoundMs) == WAIT_TIMEOUT);
        thread_.reset();
    }
    native_.reset();
}

void SplashState::keepJavaSplashClose(SplashCloseFunction close)
{
    std::lock_guard hold(lock_);
    if (close == javaSplashClose_) {
        return;
    }
    if (javaSplashClose_ != nullptr) {
        javaSplashClose_();
    }
    javaSplashClose_ = close;
}

void SplashState::closeJavaSplash()
{
    SplashCloseFunction close = nullptr;
    {
        std::lock_guard hold(lock_);
        close = std::exchange(javaSplashClose_, nullptr);
    }
    if (close != nullptr) {
        close();
    }
}

}  // namespace velmar
