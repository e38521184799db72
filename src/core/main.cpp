// Process entry: one Launcher, its two phases, its teardown, and the exit
// code of the Java application.
#include "core/launcher.h"
#include "support/boundary_guard.h"
#include "support/dpi_awareness.h"

#include <windows.h>

namespace {

DWORD runLauncher()
{
    DWORD exitCode = velmar::kFailureExitCode;
    velmar::Launcher launcher;
    // Narrow texts for the VM (options, class names) use the thread's
    // ANSI code page; make it the system's.
    ::SetThreadLocale(::GetSystemDefaultLCID());
    // The boxes and dialogs of this thread look the same whatever the
    // runtime chosen later makes of the process.
    velmar::keepThreadSystemAware();
    // Makes this a GUI thread before any window or dialog needs it.
    ::DefWindowProcW(nullptr, WM_NULL, 0, 0);
    if (launcher.Prepare()) {
        exitCode = launcher.Run();
    } else {
        velmar::traceExit(launcher.trace, exitCode,
                          L"the start was not prepared (a message was shown, or the user cancelled)");
    }
    return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // An exception is reported after the Launcher's teardown, so no
    // splash owns the box.
    return static_cast<int>(velmar::guarded(velmar::kFailureExitCode, runLauncher));
}

// The console launcher's entry: the same start, which reads the program's
// command line itself as the windowed one does.
extern "C" int wmain(int, wchar_t**)
{
    return static_cast<int>(velmar::guarded(velmar::kFailureExitCode, runLauncher));
}
