#include "core/launcher.h"

#include "config/ini_file.h"
#include "config/settings.h"
#include "core/command_line.h"
#include "instance/single_instance.h"
#include "jvm/java_main_thread.h"
#include "jvm/jvm_library.h"
#include "jvm/jvm_options.h"
#include "jvm/native_paths.h"
#include "runtime/runtime_search.h"
#include "splash/splash.h"

#include <algorithm>

namespace velmar {

namespace {

bool hasArgument(const std::vector<std::wstring>& arguments, std::wstring_view wanted)
{
    return std::find(arguments.begin(), arguments.end(), wanted) != arguments.end();
}

}  // namespace

Launcher::Launcher() = default;

Launcher::~Launcher()
{
    tearDown();
}

bool Launcher::Prepare()
{
    arguments = ReadCommandLine();
    if (!loadSettings(*this)) {
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

bool Launcher::prepareOwnStart()
{
    if (overrideWorkingDir) {
        applyWorkingDirOverride();
    }
    return findRuntime(*this);
}

DWORD Launcher::Run()
{
    // A later start that the first instance did not serve, because it was
    // ending, runs the application itself once that one is gone, unless
    // another start got there first.
    while (instance.forwarding()) {
        if (const std::optional<DWORD> answer = waitForPrimaryInstance(*this)) {
            return *answer;
        }
        if (!startAgainAfterRefusal(*this)) {
            return kFailureExitCode;
        }
        if (!instance.forwarding() && !prepareOwnStart()) {
            return kFailureExitCode;
        }
    }
    if (relaunchPair) {
        // The pair's own instance is the one later starts must meet.
        releaseInstance(*this);
        return RelaunchPair(*this);
    }
    if (!prepareNativePaths(*this)) {
        return kFailureExitCode;
    }
    if (!hasArgument(arguments, L"-nosplash") && !hasArgument(arguments, L"/nosplash")) {
        if (!startSplash(*this)) {
            return 0;
        }
    }
    if (!BindJvmLibrary(*this, jvmLibraryPath)) {
        return kFailureExitCode;
    }
    // A missing class path has been reported; the VM still starts.
    if (assembleJvmOptions(*this) == OptionAssembly::failed) {
        return kFailureExitCode;
    }
    switch (StartJavaMainThread(*this)) {
    case kMainReturned:
        return 0;
    case kMainThrew:
        // What java.exe ends with, which scripts and installers read.
        return kUncaughtExceptionExitCode;
    default:
        break;
    }
    splash.closeJavaSplash();
    return kFailureExitCode;
}

// The VM's end closes the gate, so the workers, which it waits for, are
// all done or refused when the instance waits for them.
void Launcher::tearDown()
{
    CloseNativeSplash(*this);
    DestroyJvm(*this);
    releaseInstance(*this);
    splash.closeJavaSplash();
}

}  // namespace velmar
