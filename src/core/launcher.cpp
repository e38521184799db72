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

void endListener(Launcher& launcher)
{
    // The listener ends only on WM_QUIT; post it until the thread is gone,
    // so a quit posted before its queue existed is not lost.
    do {
        ::PostThreadMessageW(launcher.instanceBlock->listenerThreadId, WM_QUIT, 0, 0);
    } while (::WaitForSingleObject(launcher.instanceListener.get(), 10) == WAIT_TIMEOUT);
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
    if (singleInstance && !isPrimaryInstance) {
        return true;
    }
    if (overrideWorkingDir) {
        applyWorkingDirOverride();
    }
    return findRuntime(*this);
}

DWORD Launcher::Run()
{
    if (relaunchPair) {
        return RelaunchPair(*this);
    }
    if (singleInstance && !isPrimaryInstance) {
        return waitForPrimaryInstance(*this);
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
    if (splashClose != nullptr) {
        splashClose();
        splashClose = nullptr;
    }
    return kFailureExitCode;
}

void Launcher::tearDown()
{
    CloseNativeSplash(*this);
    DestroyJvm(*this);
    if (singleInstance) {
        if (isPrimaryInstance && instanceListener && instanceBlock != nullptr) {
            endListener(*this);
        }
        if (instanceBlock != nullptr) {
            ::UnmapViewOfFile(instanceBlock);
            instanceBlock = nullptr;
        }
        instanceMapping.reset();
    }
    mainStartedEvent.reset();
    if (splashClose != nullptr) {
        splashClose();
        splashClose = nullptr;
    }
}

}  // namespace velmar
