// The central record of the launcher: every setting, the command line, the
// runtime chosen, the JVM options and the state of the VM, the splash and
// the single-instance mode. One Launcher lives on the main thread's stack
// from the entry point to its end; each plain field has one writer, and
// readers start after the writer is done. What several threads use at
// once (the splash, the VM's lifetime, the single-instance state) lives in
// objects that own their synchronisation.
#pragma once

#include "config/settings.h"
#include "instance/instance_state.h"
#include "jvm/stream_redirection.h"
#include "jvm/vm_lifetime.h"
#include "runtime/runtime_search.h"
#include "splash/splash_state.h"
#include "support/handles.h"
#include "support/messages.h"
#include "support/trace.h"

#include <windows.h>

#include <jni.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace velmar {

class LayeredIniFile;
struct InstanceArea;

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultInitArgsFunction = jint(JNICALL*)(void*);
using FindBootClassFunction = jclass(JNICALL*)(JNIEnv*, const char*);

class Launcher {
public:
    Launcher();
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // Settles the settings, the instance situation and the runtime; false
    // when the launch cannot go on (the user has been told).
    bool Prepare();
    // Starts the pair, waits for the first instance, or hosts the VM;
    // returns the process exit code.
    DWORD Run();
    // Opens the launcher INI and reads the settings, afresh; false when it
    // cannot be read or names no main class (the user has been told).
    bool readSettings();

    // The diagnostic trace of this start; inert without VELMAR_TRACE. Set
    // here once and never changed, so any thread may write to it.
    const Trace trace = Trace::fromEnvironment();
    // Fields, in the order of the record.
    // The splash settings, its window (the owner of every message box)
    // and the closing of either splash.
    SplashState splash;
    // Owns each error box by the splash while it shows.
    const ErrorReporter errors{splash.window};
    // What the launcher INI says, read once by Prepare.
    Settings settings;
    // The runtime to host, chosen by Prepare.
    ChosenRuntime runtime;
    // The VM and the gate workers attach through.
    VmLifetime vmLifetime;
    // The Java main thread's environment, used on that thread alone.
    JNIEnv* jniEnv = nullptr;
    // Slash form: the settings' main class, which the Java main thread
    // replaces by the class the runtime loaded before main starts (with a
    // main module), for later starts to find.
    std::wstring mainClass;
    std::vector<std::wstring> arguments;
    std::vector<std::string> jvmOptions;
    // Added to "could not find the main class" when "Class Path" entries
    // found no file: the class path searched and those entries.
    std::wstring classPathNote;
    InstanceState instance;
    StreamFiles streams;
    std::wstring extraArguments;
    size_t javaThreadStackSize = 0;
    CreateJavaVmFunction createJavaVm = nullptr;
    GetDefaultInitArgsFunction getDefaultInitArgs = nullptr;
    FindBootClassFunction findBootClass = nullptr;
    // The launcher INI's accessor for the whole start, made by Prepare.
    std::unique_ptr<LayeredIniFile> launcherIni;

private:
    // The part of Prepare after the single-instance set-up.
    bool prepareOwnStart();
    // The exit code of Run, traced with its cause.
    DWORD finish(DWORD exitCode, std::wstring_view cause) const;
    void tearDown();
};

// The trace's last line of a process: its exit code and why.
void traceExit(const Trace& trace, DWORD exitCode, std::wstring_view cause);

// Exit code of a launch that failed.
inline constexpr DWORD kFailureExitCode = static_cast<DWORD>(-1);
// Exit code of an application whose main ended with an exception.
inline constexpr DWORD kUncaughtExceptionExitCode = 1;

}  // namespace velmar
