// The thread the Java application runs on: it creates the VM, loads the
// main class, calls main with the program's arguments, and destroys the VM
// when main is done. Running Java on a thread of our own lets -Xss set the
// main thread's stack, which the process's first thread cannot have.
#pragma once

#include <windows.h>

namespace velmar {

class Launcher;

// The Java main thread's exit codes: main returned, or ended with an
// exception, and the VM was destroyed after it; or the launch failed.
inline constexpr DWORD kMainReturned = 0;
inline constexpr DWORD kLaunchFailed = 1;
inline constexpr DWORD kMainThrew = 2;

// Runs the Java main thread and waits for it; its exit code.
DWORD StartJavaMainThread(Launcher& launcher);

// The thread's body; one of the exit codes above.
DWORD JavaMainThread(Launcher* launcher);

enum class LaunchResult { failed, mainReturned, mainThrew };

// Loads the main class and calls main; failed unless main has run and the
// thread has detached from the VM.
LaunchResult LaunchMain(Launcher& launcher);

}  // namespace velmar
