// The invocation side: the exported entry points, which this variant of
// jvm.dll leaves out by compile definition, option checking as a real
// runtime does it, and the JavaVM function table with thread attachment and
// a DestroyJavaVM that waits for the non-daemon threads.
#include "jdk11_layout.h"
#include "stub_jvm.h"
#ifdef STUB_IMPORT_DEPENDENCY
#include "dependency.h"
#endif

#include <psapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace stub {
namespace {

// HotSpot on Windows names no stack size of its own: 0, the system's default.
constexpr jint kJavaStackSize = 0;

// 1.2 up to the versions of JDK 21 and 24.
constexpr jint kVersions[] = {JNI_VERSION_1_2, JNI_VERSION_1_4, JNI_VERSION_1_6, JNI_VERSION_1_8, JNI_VERSION_9,
    JNI_VERSION_10, 0x00130000, 0x00140000, 0x00150000, 0x00180000};

bool supported(jint version)
{
    return std::ranges::find(kVersions, version) != std::end(kVersions);
}

std::string hexVersion(jint version)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(version));
    return text;
}

bool recognized(std::string_view option)
{
    // The module options only in the joined form: HotSpot refuses "--add-opens" followed by its
    // value as a separate option.
    constexpr std::string_view kPrefixes[] = {"-D", "-X", "-javaagent:", "-agentlib:", "-agentpath:",
        "--module-path=", "--upgrade-module-path=", "--add-modules=", "--limit-modules=", "--add-exports=",
        "--add-opens=", "--add-reads=", "--patch-module=", "--enable-native-access="};
    constexpr std::string_view kFlags[] = {"-verbose", "-ea", "-da", "-esa", "-dsa", "-enableassertions",
        "-disableassertions", "-enablesystemassertions", "-disablesystemassertions"};
    constexpr std::string_view kHooks[] = {"exit", "abort", "vfprintf"};
    auto prefixOf = [&](std::string_view p) { return option.starts_with(p); };
    auto flagOf = [&](std::string_view f) { return option == f || option.starts_with(std::string(f) + ":"); };
    return std::ranges::any_of(kPrefixes, prefixOf) || std::ranges::any_of(kFlags, flagOf)
        || std::ranges::find(kHooks, option) != std::end(kHooks);
}

// The reservation the creating thread's stack was given: every region of
// the allocation the current stack lives in.
void recordCreatingThread()
{
    record("thread", std::to_string(::GetCurrentThreadId()));
    MEMORY_BASIC_INFORMATION region{};
    ::VirtualQuery(&region, &region, sizeof region);
    const void* allocation = region.AllocationBase;
    size_t reserved = 0;
    auto* next = static_cast<const char*>(allocation);
    while (::VirtualQuery(next, &region, sizeof region) && region.AllocationBase == allocation) {
        reserved = region.RegionSize;
        next += region.RegionSize;
    }
    record("stackReserve", std::to_string(reserved));
}

void recordEnvironment()
{
    for (std::string name : {"KESTO_JVM_PATH", "KESTO_JVM_HOME", "Path"}) {
        std::wstring wide(name.begin(), name.end());
        std::wstring value(32767, L'\0');
        ::SetLastError(ERROR_SUCCESS);
        DWORD length = ::GetEnvironmentVariableW(wide.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
            record("env", name);
            continue;
        }
        record("env", name + "=" + hexUnits(std::u16string(value.begin(), value.begin() + length)));
    }
}

bool reducesSignalUse(const JavaVMInitArgs& args)
{
    return std::any_of(args.options, args.options + args.nOptions,
                       [](const JavaVMOption& option) { return option.optionString && std::string_view(option.optionString) == "-Xrs"; });
}

using PrintHook = jint(JNICALL*)(FILE*, const char*, va_list);

// As HotSpot prints: through the "vfprintf" hook once the option list has
// given it, to standard error before.
void vmPrint(PrintHook hook, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    if (hook) {
        hook(stderr, format, arguments);
    } else {
        std::vfprintf(stderr, format, arguments);
    }
    va_end(arguments);
}

// Records every option before judging any, so a test sees the whole list
// also when creation fails. HotSpot takes the options in order and stops
// at the first it refuses, printing its name with its own format.
jint takeOptions(const JavaVMInitArgs& args)
{
    Vm& v = vm();
    bool allRecognized = true;
    PrintHook printHook = nullptr;
    for (jint i = 0; i < args.nOptions; ++i) {
        const JavaVMOption& option = args.options[i];
        std::string_view text = option.optionString ? option.optionString : "";
        record("option", hexBytes(text));
        if (text == "vfprintf" && allRecognized) {
            printHook = reinterpret_cast<PrintHook>(option.extraInfo);
        } else if (text == "exit") {
            v.exitHook = reinterpret_cast<void(JNICALL*)(jint)>(option.extraInfo);
        } else if (text.starts_with("-D")) {
            size_t equals = text.find('=');
            std::string_view value = equals == std::string_view::npos ? "" : text.substr(equals + 1);
            v.properties[std::string(text.substr(2, equals - 2))] = value;
        }
        if (!recognized(text) && !args.ignoreUnrecognized) {
            record("warning", "unrecognized option " + hexBytes(text));
            if (allRecognized) {
                vmPrint(printHook, "Unrecognized %s%soption: %s\n", "", "", std::string(text).c_str());
            }
            allRecognized = false;
        }
    }
    return allRecognized ? JNI_OK : JNI_ERR;
}

// As HotSpot: Ctrl+C on the console is SIGINT, which the VM answers with
// its shutdown hooks and System.exit(128 + 2); -Xrs leaves the console's
// events to the host, whose default ends the process without them.
BOOL WINAPI consoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT) {
        return FALSE;
    }
    std::lock_guard hold(vm().lock);
    recordCall("shutdown hooks on Ctrl+C");
    exitVm(130);
}

jint createVm(const JavaVMInitArgs* args, JavaVM** pvm, void** penv);

jint JNICALL destroyJavaVm(JavaVM* jvm);
jint JNICALL attachCurrentThread(JavaVM* jvm, void** penv, void* args);
jint JNICALL attachCurrentThreadAsDaemon(JavaVM* jvm, void** penv, void* args);
jint JNICALL detachCurrentThread(JavaVM* jvm);
jint JNICALL getEnv(JavaVM* jvm, void** penv, jint version);

const JNIInvokeInterface_ kInvokeInterface = {nullptr, nullptr, nullptr, destroyJavaVm, attachCurrentThread,
    detachCurrentThread, getEnv, attachCurrentThreadAsDaemon};
JavaVM_ theVm{&kInvokeInterface};

jint createVm(const JavaVMInitArgs* args, JavaVM** pvm, void** penv)
{
    Vm& v = vm();
    if (!args || !pvm || !penv || args->nOptions < 0) {
        return JNI_EINVAL;
    }
    record("version", hexVersion(args->version));
    record("ignoreUnrecognized", args->ignoreUnrecognized ? "1" : "0");
    if (v.created) {
        return JNI_EEXIST;
    }
    if (!supported(args->version)) {
        return JNI_EVERSION;
    }
    if (jint taken = takeOptions(*args); taken != JNI_OK) {
        return taken;
    }
    if (auto wanted = v.properties.find("stub.create"); wanted != v.properties.end()) {
        if (jint code = std::strtol(wanted->second.c_str(), nullptr, 10); code != JNI_OK) {
            return code;
        }
    }
    v.pendingCallsFail = v.properties["stub.pendingCalls"] != "warn";
    v.systemOut = newPrintStream(::GetStdHandle(STD_OUTPUT_HANDLE));
    v.systemErr = newPrintStream(::GetStdHandle(STD_ERROR_HANDLE));
    if (!reducesSignalUse(*args)) {
        ::SetConsoleCtrlHandler(consoleEvent, TRUE);
    }
    v.created = true;
    *pvm = &theVm;
    *penv = &newThreadEnv("main", false).jni;
    return JNI_OK;
}

ThreadEnv* currentEnv()
{
    for (auto& [key, env] : vm().envs) {
        if (env->attached && env->threadId == ::GetCurrentThreadId()) {
            return env.get();
        }
    }
    return nullptr;
}

void checkVm(JavaVM* jvm, const std::string& function)
{
    if (jvm != &theVm || !vm().created || vm().destroyed) {
        failViolation(function + " on a JavaVM that is not a live VM of this runtime");
    }
}

// Once DestroyJavaVM has stopped waiting for threads the VM is going down:
// a thread attaching then would run Java code in a dying VM.
void checkNotEnding(const std::string& function)
{
    if (vm().destroying) {
        failViolation(function + " while DestroyJavaVM takes the VM down");
    }
}

// The caller's thread does not count. A thread that ended still attached
// counts as running, as in HotSpot, which never learns that it ended: the
// VM then waits for it for ever.
bool othersRunning()
{
    std::lock_guard hold(vm().lock);
    auto running = [](HANDLE thread) { return thread && ::WaitForSingleObject(thread, 0) == WAIT_TIMEOUT; };
    bool javaThreads = std::ranges::any_of(vm().javaThreads, [&](auto& thread) { return running(thread.get()); });
    bool attached = std::ranges::any_of(vm().envs, [&](auto& entry) {
        const ThreadEnv& env = *entry.second;
        return env.attached && !env.daemon && env.threadId != ::GetCurrentThreadId();
    });
    return javaThreads || attached;
}

jint JNICALL destroyJavaVm(JavaVM* jvm)
{
    {
        std::lock_guard hold(vm().lock);
        checkVm(jvm, "DestroyJavaVM");
        recordCall("DestroyJavaVM");
        if (!currentEnv()) {
            newThreadEnv("DestroyJavaVM", false);
        }
    }
    // The last check and the start of the shutdown are one step, as under
    // HotSpot's thread lock: no thread slips in between.
    for (;;) {
        {
            std::lock_guard hold(vm().lock);
            if (!othersRunning()) {
                vm().destroying = true;
                break;
            }
        }
        ::Sleep(10);
    }
    // The shutdown itself, which stub.destroyHold makes last.
    if (auto wanted = vm().properties.find("stub.destroyHold"); wanted != vm().properties.end()) {
        ::Sleep(static_cast<DWORD>(std::strtoul(wanted->second.c_str(), nullptr, 10)));
    }
    std::lock_guard hold(vm().lock);
    vm().destroyed = true;
    recordCall("DestroyJavaVM end");
    return JNI_OK;
}

jint attach(JavaVM* jvm, void** penv, void* args, bool daemon)
{
    std::string function = daemon ? "AttachCurrentThreadAsDaemon" : "AttachCurrentThread";
    std::lock_guard hold(vm().lock);
    checkVm(jvm, function);
    recordCall(function);
    checkNotEnding(function);
    auto* attachArgs = static_cast<const JavaVMAttachArgs*>(args);
    if (!penv) {
        failViolation(function + " without a place for the JNIEnv");
    }
    if (attachArgs && !supported(attachArgs->version)) {
        return JNI_EVERSION;
    }
    ThreadEnv* env = currentEnv();
    if (!env) {
        std::string name = "Thread-" + std::to_string(vm().envs.size());
        env = &newThreadEnv(attachArgs && attachArgs->name ? attachArgs->name : name, daemon);
    }
    *penv = &env->jni;
    return JNI_OK;
}

jint JNICALL attachCurrentThread(JavaVM* jvm, void** penv, void* args)
{
    return attach(jvm, penv, args, false);
}

jint JNICALL attachCurrentThreadAsDaemon(JavaVM* jvm, void** penv, void* args)
{
    return attach(jvm, penv, args, true);
}

// An exception still pending is the thread's uncaught exception, printed
// as the runtime prints one.
jint JNICALL detachCurrentThread(JavaVM* jvm)
{
    std::lock_guard hold(vm().lock);
    checkVm(jvm, "DetachCurrentThread");
    recordCall("DetachCurrentThread");
    if (ThreadEnv* env = currentEnv()) {
        describePending(*env, true);
        env->attached = false;
    }
    return JNI_OK;
}

jint JNICALL getEnv(JavaVM* jvm, void** penv, jint version)
{
    std::lock_guard hold(vm().lock);
    checkVm(jvm, "GetEnv");
    ThreadEnv* env = currentEnv();
    *penv = env ? &env->jni : nullptr;
    if (version != JNI_VERSION_1_1 && !supported(version)) {
        *penv = nullptr;
        return JNI_EVERSION;
    }
    return env ? JNI_OK : JNI_EDETACHED;
}

}  // namespace

// Time from the creation of the process to this call, in 100 ns units: the
// launcher's own share of a start, for the start-up benchmark.
long long sinceProcessStart()
{
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    ::GetSystemTimeAsFileTime(&now);
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) { return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return ticks(now) - ticks(created);
}

BOOL CALLBACK recordWindow(HWND window, LPARAM)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId == ::GetCurrentProcessId() && ::IsWindowVisible(window)) {
        wchar_t name[256] = {};
        const int length = ::GetClassNameW(window, name, 256);
        record("window", hexUnits(std::u16string(name, name + (length > 0 ? length : 0))));
    }
    return TRUE;
}

// The class of each visible top-level window of the process at the
// creation of the VM: what the launcher shows while the runtime starts.
void recordWindows()
{
    ::EnumWindows(recordWindow, 0);
}

// The process's peak working set and every module of it at the creation of
// the VM, by file name: what a start has used and loaded before the runtime
// begins, for the start-up benchmark.
void recordModules()
{
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (::K32GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory)) {
        record("peakWorkingSet", std::to_string(memory.PeakWorkingSetSize));
    }
    std::vector<HMODULE> modules(64);
    for (int round = 0; round < 4; ++round) {
        DWORD needed = 0;
        const DWORD size = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
        if (!::K32EnumProcessModules(::GetCurrentProcess(), modules.data(), size, &needed)) {
            return;
        }
        if (needed <= size) {
            modules.resize(needed / sizeof(HMODULE));
            break;
        }
        modules.resize(needed / sizeof(HMODULE) + 8);
    }
    for (HMODULE module : modules) {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
        const std::wstring_view full(path, std::min<DWORD>(length, MAX_PATH - 1));
        const std::wstring_view name = full.substr(full.rfind(L'\\') + 1);
        record("module", hexUnits(std::u16string(name.begin(), name.end())));
    }
}

// How the creating thread's windows would scale, as Java's toolkit finds
// out when it starts: the thread's awareness, which it takes from the
// process default unless the thread set its own.
void recordDpiAwareness()
{
    using GetContext = HANDLE(WINAPI*)();
    using AwarenessOf = int(WINAPI*)(HANDLE);
    using ContextsEqual = BOOL(WINAPI*)(HANDLE, HANDLE);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    auto get = reinterpret_cast<GetContext>(reinterpret_cast<void*>(::GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    auto awarenessOf = reinterpret_cast<AwarenessOf>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    auto equal = reinterpret_cast<ContextsEqual>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "AreDpiAwarenessContextsEqual")));
    if (!get || !awarenessOf || !equal) {
        record("dpiAwareness", "unknown");
        return;
    }
    HANDLE context = get();
    const char* names[] = {"unaware", "system", "perMonitor"};
    const int awareness = awarenessOf(context);
    const bool v2 = equal(context, reinterpret_cast<HANDLE>(-4));
    record("dpiAwareness", v2 ? "perMonitorV2" : awareness >= 0 && awareness <= 2 ? names[awareness] : "invalid");
}

#ifndef STUB_IMPORT_DEPENDENCY
void recordDependency() {}
#endif

jint createJavaVm(JavaVM** pvm, void** penv, void* args)
{
    long long sinceStart = sinceProcessStart();
    std::lock_guard hold(vm().lock);
    recordCall("JNI_CreateJavaVM");
    record("sinceProcessStart", std::to_string(sinceStart));
    recordCreatingThread();
    recordEnvironment();
    recordDependency();
    recordModules();
    recordWindows();
    recordDpiAwareness();
    jint result = createVm(static_cast<const JavaVMInitArgs*>(args), pvm, penv);
    record("create", std::to_string(result));
    return result;
}

// A JDK 1.1 structure learns the default Java stack size (0 unless
// VELMAR_STUB_JAVA_STACK gives another); known newer versions are
// accepted as they are, unknown ones refused.
jint defaultInitArgs(void* args)
{
    jint version = *static_cast<const jint*>(args);
    recordCall("JNI_GetDefaultJavaVMInitArgs " + hexVersion(version));
    if (version == JNI_VERSION_1_1) {
        char text[32] = {};
        DWORD length = ::GetEnvironmentVariableA("VELMAR_STUB_JAVA_STACK", text, sizeof text);
        bool given = length > 0 && length < sizeof text;
        static_cast<Jdk11InitArgs*>(args)->javaStackSize = given ? std::strtol(text, nullptr, 10) : kJavaStackSize;
        return JNI_OK;
    }
    return supported(version) ? JNI_OK : JNI_EVERSION;
}

Vm& vm()
{
    static auto* instance = new Vm;  // never destroyed: threads may still be inside at process exit
    return *instance;
}

}  // namespace stub

// Each variant of jvm.dll exports its own subset of these.
#ifdef STUB_EXPORT_CREATE
jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args)
{
    return stub::createJavaVm(pvm, penv, args);
}
#endif

#ifdef STUB_EXPORT_DEFAULT_ARGS
jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args)
{
    return stub::defaultInitArgs(args);
}
#endif

#ifdef STUB_EXPORT_BOOT_LOADER
extern "C" JNIEXPORT jclass JNICALL JVM_FindClassFromBootLoader(JNIEnv* env, const char* name)
{
    return stub::findBootClass(env, name);
}
#endif
