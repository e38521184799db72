#include "runtime/runtime_search.h"

#include "core/launcher.h"
#include "core/messages.h"
#include "resources/resource.h"
#include "runtime/jvm_location.h"
#include "runtime/runtime_registry.h"
#include "support/text.h"

namespace velmar {

namespace {

std::wstring withTrailingBackslash(std::wstring folder)
{
    if (!endsWith(folder, L"\\")) {
        folder += L'\\';
    }
    return folder;
}

bool useConfiguredFolder(Launcher& launcher)
{
    if (launcher.jrePathSetting.empty()) {
        return false;
    }
    // The packager's or the user's own choice: no version bound applies.
    std::wstring library =
        findJvmLibrary(withTrailingBackslash(launcher.jrePathSetting), launcher.jvmType);
    if (library.empty()) {
        return false;
    }
    launcher.jvmLibraryPath = std::move(library);
    checkArchitecture(launcher);
    return true;
}

bool useLocalRuntime(Launcher& launcher)
{
    const std::wstring home = findLocalRuntime(launcher);
    if (home.empty()) {
        return false;
    }
    // A runtime shipped with the launcher is its own architecture by
    // construction; it is neither bounded nor checked.
    std::wstring library = findJvmLibrary(home, launcher.jvmType);
    if (library.empty()) {
        return false;
    }
    launcher.jvmLibraryPath = std::move(library);
    return true;
}

bool useRegistry(Launcher& launcher)
{
    std::optional<RuntimeCandidate> chosen = searchRegistry(launcher, 1);
    if (!chosen) {
        // Only a pair product can host a runtime of the other view.
        chosen = searchRegistry(launcher, 2);
        if (!chosen) {
            return false;
        }
        launcher.relaunchPair = true;
    }
    launcher.foundVersion = chosen->version;
    launcher.ibmRuntimeChosen = chosen->provider == Provider::ibm;
    launcher.jvmLibraryPath = findJvmLibrary(chosen->home, launcher.jvmType);
    return !launcher.jvmLibraryPath.empty();
}

}  // namespace

std::wstring launcherFolder(const Launcher& launcher)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    // A path cut off at the buffer's end names some other folder.
    if (length == 0 || length >= MAX_PATH) {
        const DWORD error = length == 0 ? ::GetLastError() : ERROR_INSUFFICIENT_BUFFER;
        ReportWindowsError(launcher.splashWindow, IDS_WINDOWS_EXCEPTION,
                           LoadMessage(IDS_NO_MODULE_PATH), error);
        return {};
    }
    std::wstring_view full(path, length);
    return std::wstring(full.substr(0, full.rfind(L'\\') + 1));
}

std::wstring findLocalRuntime(std::wstring_view folder, const BuildTraits& traits)
{
    if (folder.empty()) {
        return {};
    }
    if (hasJavaDll(folder)) {
        return std::wstring(folder);
    }
    std::wstring nested = std::wstring(folder) + std::wstring(traits.localRuntimeFolder);
    return hasJavaDll(nested) ? nested : std::wstring();
}

std::wstring findLocalRuntime(const Launcher& launcher)
{
    return findLocalRuntime(launcherFolder(launcher), kThisBuild);
}

bool findRuntime(Launcher& launcher)
{
    if (useConfiguredFolder(launcher) || useLocalRuntime(launcher) || useRegistry(launcher)) {
        return true;
    }
    // Until the missing-runtime dialog exists, nothing found ends the
    // launch as a cancelled dialog would: quietly.
    return false;
}

}  // namespace velmar
