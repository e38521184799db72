// The last line of defence where no exception may pass: wWinMain, a thread
// entry, a window or dialog procedure. An exception that arrives there is
// reported with message 202 and a detail saying what failed ("out of
// memory", "internal error: ..."), and the guarded place returns its
// failure result. The guard itself never throws; with no memory left to
// compose the message, it shows the detail "out of memory" alone.
#pragma once

#include <windows.h>

#include <atomic>
#include <exception>
#include <string>
#include <utility>

namespace velmar {

// The error number shown with a failure that is not out of memory: no
// Windows call failed.
inline constexpr DWORD kNoWindowsError = 0;

// Message 202 for the exception, composed but not shown. Throws what
// composing throws (out of memory).
std::wstring failureText(const std::exception_ptr& failure);

// The launcher's error box (error icon, default caption, OK), owned by the
// window `*owner` holds when the box is shown (the splash window, which a
// thread of its own may publish meanwhile); no owner without one.
struct ErrorBox {
    const std::atomic<HWND>* owner = nullptr;
    void operator()(const wchar_t* text) const noexcept;
};

// What std::terminate does in the launcher (an exception through a noexcept
// function, or one thrown while another unwinds): message 202 for the
// exception in flight, if any, then the end of the process with -1.
[[noreturn]] void reportTermination() noexcept;

// Shows `display(text)` for the failure; what display or composing throws
// is swallowed.
template <typename Display, typename Compose = std::wstring (*)(const std::exception_ptr&)>
void reportFailure(const std::exception_ptr& failure, Display& display,
                   Compose compose = failureText) noexcept;

// `body()`, or `failureResult` after reporting the exception body threw.
template <typename Result, typename Body, typename Display = ErrorBox>
Result guarded(Result failureResult, Body&& body, Display display = {}) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        reportFailure(std::current_exception(), display);
        return failureResult;
    }
}

namespace detail {

// "out of memory" from the string table into a buffer of its own, for
// when nothing can be allocated.
class OutOfMemoryText {
public:
    OutOfMemoryText() noexcept;
    const wchar_t* text() const noexcept { return text_; }

private:
    wchar_t text_[64];
};

}  // namespace detail

template <typename Display, typename Compose>
void reportFailure(const std::exception_ptr& failure, Display& display, Compose compose) noexcept
{
    std::wstring text;
    bool composed = false;
    try {
        text = compose(failure);
        composed = true;
    } catch (...) {
    }
    try {
        if (composed) {
            display(text.c_str());
        } else {
            const detail::OutOfMemoryText fallback;
            display(fallback.text());
        }
    } catch (...) {
    }
}

}  // namespace velmar
