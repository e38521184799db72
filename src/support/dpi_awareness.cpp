#include "support/dpi_awareness.h"

#include "support/system_library.h"

#include <windows.h>

namespace velmar {

namespace {

// The awareness contexts are pseudo handles, the same on every system that
// knows them (Windows 10 1607 and later; V2 from 1703).
using AwarenessContext = HANDLE;
const AwarenessContext kSystemAware = reinterpret_cast<AwarenessContext>(-2);
const AwarenessContext kPerMonitorAware = reinterpret_cast<AwarenessContext>(-3);
const AwarenessContext kPerMonitorAwareV2 = reinterpret_cast<AwarenessContext>(-4);

using SetThreadContext = AwarenessContext(WINAPI*)(AwarenessContext);
using SetProcessContext = BOOL(WINAPI*)(AwarenessContext);
using SetProcessAware = BOOL(WINAPI*)();

}  // namespace

DpiAwareness dpiAwarenessForJavaFeature(int feature) noexcept
{
    return feature >= 9 ? DpiAwareness::perMonitor : DpiAwareness::system;
}

void keepThreadSystemAware() noexcept
{
    if (const auto set = systemFunction<SetThreadContext>(L"user32.dll", "SetThreadDpiAwarenessContext")) {
        set(kSystemAware);
        return;
    }
    // Without per-thread awareness the process is made system-aware at
    // once, as the launcher always was; a runtime cannot change it later.
    if (const auto setAware = systemFunction<SetProcessAware>(L"user32.dll", "SetProcessDPIAware")) {
        setAware();
    }
}

DpiResult setProcessDpiAwareness(DpiAwareness wanted) noexcept
{
    const auto set = systemFunction<SetProcessContext>(L"user32.dll", "SetProcessDpiAwarenessContext");
    if (set == nullptr) {
        return {"system (set at the start: this Windows sets no awareness later)", ERROR_SUCCESS};
    }
    if (wanted == DpiAwareness::system) {
        return set(kSystemAware) ? DpiResult{"system", ERROR_SUCCESS} : DpiResult{nullptr, ::GetLastError()};
    }
    if (set(kPerMonitorAwareV2)) {
        return {"per-monitor V2", ERROR_SUCCESS};
    }
    // Windows 10 1607 knows no V2.
    if (::GetLastError() == ERROR_INVALID_PARAMETER && set(kPerMonitorAware)) {
        return {"per-monitor", ERROR_SUCCESS};
    }
    return {nullptr, ::GetLastError()};
}

}  // namespace velmar
