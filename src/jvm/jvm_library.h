// The runtime's jvm.dll: binding its entry points, creating the VM from the
// option list, the "abort" and "exit" hooks, and destroying the VM.
#pragma once

#include <windows.h>

#include <jni.h>

#include <string>
#include <vector>

namespace velmar {

class Launcher;

// Loads the library and takes its entry points; JVM_FindClassFromBootLoader
// may be missing. The library stays loaded, also after a failure.
bool BindJvmLibrary(Launcher& launcher, const std::wstring& path);

// The options JNI_CreateJavaVM gets: the "vfprintf" hook, `jvmOptions` in
// order, then the "abort" and "exit" hooks. The strings stay owned by
// `jvmOptions`.
std::vector<JavaVMOption> vmOptionsFor(std::vector<std::string>& jvmOptions);

// String id of the reason shown for a failed creation; 0 for a result the
// JNI header does not name.
UINT creationFailureReason(jint result);

// Creates the VM on the calling thread (which becomes the Java main
// thread) and redirects the standard streams. On failure, message 203 with
// what the VM printed while it was being created as the reason, or the
// reason of its result code when it printed nothing.
bool CreateJvm(Launcher& launcher);

// Destroys the VM if there is one; waits for its non-daemon threads.
void DestroyJvm(Launcher& launcher);

// While it lives, the "exit" hook treats the end of the VM as the runtime's
// launcher helper rejecting the main class: the helper prints why on
// System.err and calls System.exit(1), which a GUI user would never see.
// The hook then tells the user (message 216) and ends the process with -1.
class LauncherHelperWatch {
public:
    explicit LauncherHelperWatch(const Launcher& launcher) noexcept;
    ~LauncherHelperWatch();
    LauncherHelperWatch(const LauncherHelperWatch&) = delete;
    LauncherHelperWatch& operator=(const LauncherHelperWatch&) = delete;
};

}  // namespace velmar
