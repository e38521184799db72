// How windows are scaled on monitors of different DPI. The launcher's own
// windows (boxes, dialogs, the splash) stay system-aware, as they always
// were; the process default, which the VM's threads and windows get, is
// set once the runtime is chosen, to what that runtime's own java.exe asks
// for in its manifest.
#pragma once

namespace velmar {

enum class DpiAwareness { system, perMonitor };

// java.exe of Java 9 and later is per-monitor aware; that of 8 and older,
// and a runtime whose version cannot be told (0), system-aware.
DpiAwareness dpiAwarenessForJavaFeature(int feature) noexcept;

// The calling thread's windows are system-aware whatever the process
// default becomes. Does nothing where the system has no per-thread
// awareness (before Windows 10 1607): there the process default is
// system-aware until the runtime is chosen.
void keepThreadSystemAware() noexcept;

struct DpiResult {
    const char* set;  // what the process default now is, for the trace; null when refused
    unsigned long error;  // why it was refused
};

// Sets the process default: per-monitor V2 where the system has it, else
// per-monitor; or system-aware. Refused when something set it before (a
// manifest, a compatibility setting), which then stays.
DpiResult setProcessDpiAwareness(DpiAwareness wanted) noexcept;

}  // namespace velmar
