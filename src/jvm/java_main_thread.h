// The thread the Java application runs on: it creates the VM, loads the
// main class, calls main with the program's arguments, and destroys the VM
// when main is done. Running Java on a thread of our own lets -Xss set the
// main thread's stack, which the process's first thread cannot have.
#pragma once

#include <windows.h>

namespace velmar {

class Launcher;

// Runs the Java main thread and waits for it; its exit code, 0 or 1.
DWORD StartJavaMainThread(Launcher& launcher);

// The thread's body: 0 when main ran and the VM was destroyed, else 1.
DWORD JavaMainThread(Launcher* launcher);

// Loads the main class and calls main; true when main has run and the
// thread has detached from the VM.
bool LaunchMain(Launcher& launcher);

}  // namespace velmar
