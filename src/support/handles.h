// Move-only owners of Windows handles. One template, parameterised by a
// traits type that names the raw handle, its invalid value and how to close
// it; each handle kind the launcher uses is a one-line alias below.
#pragma once

#include <windows.h>

#include <utility>

namespace velmar {

template <typename Traits>
class UniqueResource {
public:
    using pointer = typename Traits::pointer;

    UniqueResource() noexcept = default;
    explicit UniqueResource(pointer value) noexcept : value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
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
    // the failure that made it give the handle up.
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
}  // namespace handle_traits

// Events, threads, processes and file mappings are all plain kernel handles.
using UniqueHandle = UniqueResource<handle_traits::Kernel>;
using UniqueFile = UniqueResource<handle_traits::File>;
using UniqueFindHandle = UniqueResource<handle_traits::Find>;
using UniqueMappedView = UniqueResource<handle_traits::MappedView>;
using UniqueRegKey = UniqueResource<handle_traits::RegistryKey>;
using UniqueModule = UniqueResource<handle_traits::Module>;
using UniqueGdiObject = UniqueResource<handle_traits::GdiObject>;

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
