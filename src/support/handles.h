// Move-only owners of Windows handles. One template, parameterised by a
// traits type that names the raw handle, its invalid value and how to close
// it; each handle kind the launcher uses is a one-line alias below. A handle
// whose closing needs more than itself (a window's device context is given
// back to its window) keeps that in its traits object.
#pragma once

#include <windows.h>

#include <utility>

namespace velmar {

// Traits is a base, so that stateless traits take no room.
template <typename Traits>
class UniqueResource : private Traits {
public:
    using pointer = typename Traits::pointer;

    UniqueResource() noexcept = default;
    explicit UniqueResource(pointer value) noexcept : value_(value) {}
    UniqueResource(pointer value, const Traits& traits) noexcept : Traits(traits), value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : Traits(other), value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) {
            reset();
            static_cast<Traits&>(*this) = other;
            value_ = other.release();
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { reset(); }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

    // Closing keeps the thread's last error, so a caller can still report
    // the failure that made it give the handle up. A new value is closed
    // the way the old one would have been.
    void reset(pointer value = Traits::invalid()) noexcept
    {
        pointer old = std::exchange(value_, value);
        if (old != Traits::invalid()) {
            DWORD lastError = ::GetLastError();
            Traits::close(old);
            ::SetLastError(lastError);
        }
    }

    // For APIs that return the handle through an out-parameter.
    pointer* put() noexcept
    {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::invalid();
};

namespace handle_traits {
struct Kernel {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};
struct File {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};
struct Find {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::FindClose(h); }
};
struct MappedView {
    using pointer = const void*;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer view) noexcept { ::UnmapViewOfFile(view); }
};
struct RegistryKey {
    using pointer = HKEY;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer key) noexcept { ::RegCloseKey(key); }
};
struct Module {
    using pointer = HMODULE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer module) noexcept { ::FreeLibrary(module); }
};
struct GdiObject {
    using pointer = HGDIOBJ;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer object) noexcept { ::DeleteObject(object); }
};
// A device context of CreateCompatibleDC.
struct MemoryDc {
    using pointer = HDC;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer dc) noexcept { ::DeleteDC(dc); }
};
// A device context of GetDC, given back to the window it came from (null
// for the screen).
struct WindowDc {
    using pointer = HDC;
    HWND window = nullptr;
    static pointer invalid() noexcept { return nullptr; }
    void close(pointer dc) const noexcept { ::ReleaseDC(window, dc); }
};
}  // namespace handle_traits

// Events, threads, processes and file mappings are all plain kernel handles.
using UniqueHandle = UniqueResource<handle_traits::Kernel>;
using UniqueFile = UniqueResource<handle_traits::File>;
using UniqueFindHandle = UniqueResource<handle_traits::Find>;
using UniqueMappedView = UniqueResource<handle_traits::MappedView>;
using UniqueRegKey = UniqueResource<handle_traits::RegistryKey>;
using UniqueModule = UniqueResource<handle_traits::Module>;
using UniqueGdiObject = UniqueResource<handle_traits::GdiObject>;
using UniqueMemoryDc = UniqueResource<handle_traits::MemoryDc>;
using UniqueWindowDc = UniqueResource<handle_traits::WindowDc>;

// The client area's device context of `window`, or the screen's for null.
inline UniqueWindowDc windowDc(HWND window) noexcept
{
    return UniqueWindowDc(::GetDC(window), handle_traits::WindowDc{window});
}

// A window's painting between BeginPaint and EndPaint, for WM_PAINT. The
// painting ends however the handler leaves, as the system asks for every
// BeginPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    ~PaintScope() { ::EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Runs an undo action at scope exit unless dismissed.
template <typename Action>
class ScopeGuard {
public:
    explicit ScopeGuard(Action action) : action_(std::move(action)) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    ~ScopeGuard()
    {
        if (active_) {
            action_();
        }
    }
    void dismiss() noexcept { active_ = false; }

private:
    Action action_;
    bool active_ = true;
};

}  // namespace velmar
