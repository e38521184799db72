#include "core/launcher.h"

#include "config/ini_file.h"
#include "config/settings.h"
#include "core/command_line.h"
#include "instance/single_instance.h"
#include "jvm/java_main_thread.h"
#include "jvm/jvm_library.h"
#include "jvm/jvm_options.h"
#include "jvm/native_paths.h"
#include "runtime/release_file.h"
#include "runtime/runtime_search.h"
#include "splash/splash.h"
#include "support/dpi_awareness.h"
#include "support/text.h"
#include "ui/missing_runtime_dialog.h"

#include <algorithm>

namespace velmar {

namespace {

bool hasArgument(const std::vector<std::wstring>& arguments, std::wstring_view wanted)
{
    return std::find(arguments.begin(), arguments.end(), wanted) != arguments.end();
}

#ifdef _WIN64
constexpr std::wstring_view kBuildName = L"x86-64";
#else
constexpr std::wstring_view kBuildName = L"x86";
#endif

void traceMainCall(const Trace& trace, const std::wstring& mainClass,
                   const std::vector<std::wstring>& arguments)
{
    trace.line(L"java", {"main class ", mainClass, ", ",
                         decimalText(static_cast<long long>(arguments.size())), " arguments"});
    for (const std::wstring& argument : arguments) {
        trace.line(L"java", {"argument ", argument});
    }
}

// The feature release of a version: 8 for 1.8, 17 for 17.0.2; 0 when the
// version is not known.
int javaFeature(const JavaVersion& version)
{
    return version.c[0] == 1 ? version.c[1] : version.c[0];
}

// The version of the chosen runtime; one the search did not tell (beside
// the launcher, "JRE Path") from its release file, two folders above the
// folder of jvm.dll.
JavaVersion chosenRuntimeVersion(const Launcher& launcher)
{
    if (launcher.runtime.foundVersion.c[0] != 0) {
        return launcher.runtime.foundVersion;
    }
    std::wstring_view home = launcher.runtime.jvmLibraryPath;
    for (int level = 0; level < 3 && home.rfind(L'\\') != std::wstring_view::npos; ++level) {
        home = home.substr(0, home.rfind(L'\\'));
    }
    return readReleaseVersion(std::wstring(home) + L"\\").version.value_or(JavaVersion{});
}

// The VM's windows scale as under the runtime's own java.exe; set before
// any thread of the VM or the splash exists.
void applyRuntimeDpiAwareness(const Launcher& launcher)
{
    const int feature = javaFeature(chosenRuntimeVersion(launcher));
    const DpiAwareness wanted = dpiAwarenessForJavaFeature(feature);
    const DpiResult result = setProcessDpiAwareness(wanted);
    if (!launcher.trace.on()) {
        return;
    }
    const std::wstring error = decimalText(static_cast<long long>(result.error));
    launcher.trace.line(L"dpi", {wanted == DpiAwareness::perMonitor ? "per-monitor" : "system",
                                 " for a runtime of Java ", feature != 0 ? decimalText(feature) : L"(version unknown)",
                                 ": ", result.set != nullptr ? result.set : "refused, error ",
                                 result.set != nullptr ? std::wstring() : error});
}

void traceStart(const Trace& trace)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    trace.line(L"start", {path, " (", kBuildName, " build)"});
    trace.line(L"start", {"command line: ", ::GetCommandLineW()});
}

}  // namespace

Launcher::Launcher() = default;

Launcher::~Launcher()
{
    tearDown();
}

bool Launcher::Prepare()
{
    if (trace.on()) {
        traceStart(trace);
    }
    arguments = ReadCommandLine();
    if (!readSettings()) {
        return false;
    }
    if (!setupSingleInstance(*this)) {
        return false;
    }
    if (instance.forwarding()) {
        return true;
    }
    return prepareOwnStart();
}

bool Launcher::readSettings()
{
    launcherIni = openLauncherIni();
    if (!launcherIni || !loadSettings(*launcherIni, settings, trace, errors)) {
        return false;
    }
    mainClass = settings.mainClass;
    return true;
}

bool Launcher::prepareOwnStart()
{
    if (settings.overrideWorkingDir) {
        applyWorkingDirOverride();
    }
    const bool found = searchRuntime(settings, trace, runtime) || askForRuntime(settings, trace, runtime);
    if (found) {
        trace.line(L"runtime", {"VM library ", runtime.jvmLibraryPath});
    }
    return found;
}

DWORD Launcher::Run()
{
    // A later start that the first instance did not serve, because it was
    // ending, runs the application itself once that one is gone, unless
    // another start got there first.
    while (instance.forwarding()) {
        if (const std::optional<DWORD> answer = waitForPrimaryInstance(*this)) {
            return finish(*answer, L"the first instance's answer");
        }
        if (!startAgainAfterRefusal(*this)) {
            return finish(kFailureExitCode, L"the single-instance set-up failed");
        }
        if (!instance.forwarding() && !prepareOwnStart()) {
            return finish(kFailureExitCode, L"no runtime");
        }
    }
    if (runtime.relaunchPair) {
        // The pair's own instance is the one later starts must meet.
        releaseInstance(*this);
        return finish(RelaunchPair(*this), settings.pairReturnCode ? L"the pair's exit code"
                                                          : L"the pair started (no \"Pair Return Code\")");
    }
    applyRuntimeDpiAwareness(*this);
    if (!prepareNativePaths(settings, runtime.jvmLibraryPath, jvmOptions, errors)) {
        return finish(kFailureExitCode, L"the runtime's paths could not be set");
    }
    if (!hasArgument(arguments, L"-nosplash") && !hasArgument(arguments, L"/nosplash")) {
        startSplash(splash, *launcherIni, runtime.jvmLibraryPath, trace);
    } else {
        trace.line(L"splash", {"none: -nosplash on the command line"});
    }
    if (!BindJvmLibrary(*this, runtime.jvmLibraryPath)) {
        return finish(kFailureExitCode, L"the VM library could not be bound");
    }
    // A missing class path has been reported; the VM still starts.
    if (assembleJvmOptions(*this) == OptionAssembly::failed) {
        return finish(kFailureExitCode, L"an option could not be encoded");
    }
    if (trace.on()) {
        traceMainCall(trace, mainClass, arguments);
    }
    switch (StartJavaMainThread(*this)) {
    case kMainReturned:
        return finish(0, L"main returned");
    case kMainThrew:
        // What java.exe ends with, which scripts and installers read.
        return finish(kUncaughtExceptionExitCode, L"main ended with an exception");
    default:
        break;
    }
    splash.closeJavaSplash();
    return finish(kFailureExitCode, L"the VM or the main class could not be started");
}

DWORD Launcher::finish(DWORD exitCode, std::wstring_view cause) const
{
    traceExit(trace, exitCode, cause);
    return exitCode;
}

void traceExit(const Trace& trace, DWORD exitCode, std::wstring_view cause)
{
    if (trace.on()) {
        trace.line(L"exit", {"code ", decimalText(static_cast<int>(exitCode)), ": ", cause});
    }
}

// The VM's end closes the gate, so the workers, which it waits for, are
// all done or refused when the instance waits for them.
void Launcher::tearDown()
{
    splash.closeNative();
    DestroyJvm(*this);
    releaseInstance(*this);
    splash.closeJavaSplash();
}

}  // namespace velmar
