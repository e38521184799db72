#include "runtime/runtime_search.h"

#include "config/ini_file.h"
#include "core/launcher.h"
#include "runtime/jvm_location.h"
#include "runtime/missing_runtime_dialog.h"
#include "runtime/runtime_registry.h"
#include "support/file_system.h"
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
    std::wstring library = findJvmLibrary(
        configuredRuntimeFolder(launcher.jrePathSetting, launcherFolder()), launcher.jvmType);
    if (library.empty()) {
        return false;
    }
    launcher.jvmLibraryPath = std::move(library);
    checkArchitecture(launcher);
    return true;
}

bool useLocalRuntime(Launcher& launcher)
{
    const std::wstring home = findLocalRuntime(launcherFolder(), kThisBuild);
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
    launcher.ibmRuntimeChosen = chosen->keepsJavaMainThread;
    launcher.jvmLibraryPath = findJvmLibrary(chosen->home, launcher.jvmType);
    return !launcher.jvmLibraryPath.empty();
}

// Nothing found anywhere: the user may point at an installed runtime, which
// is remembered so that the next start finds it in the first step.
bool askForRuntime(Launcher& launcher)
{
    MissingRuntimeDialog dialog(missingRuntimeMessage(launcher), launcher.jvmType);
    if (!dialog.ask(::GetActiveWindow())) {
        return false;
    }
    launcher.jvmLibraryPath = dialog.pickedLibrary();
    checkArchitecture(launcher);
    saveChosenFolder(launcher, dialog.chosenFolder());
    return true;
}

}  // namespace

std::wstring configuredRuntimeFolder(std::wstring_view setting, std::wstring_view launcherFolder)
{
    if (isAbsolutePath(setting) || launcherFolder.empty()) {
        return withTrailingBackslash(std::wstring(setting));
    }
    while (setting.starts_with(L'\\')) {
        setting.remove_prefix(1);
    }
    const std::wstring joined = std::wstring(launcherFolder) + std::wstring(setting);
    // "..\jre" and ".\jre" are resolved here, so the path the runtime and
    // its children see names the folder plainly.
    return withTrailingBackslash(fullPathOf(joined).value_or(joined));
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

bool searchRuntime(Launcher& launcher)
{
    return useConfiguredFolder(launcher) || useLocalRuntime(launcher) || useRegistry(launcher);
}

bool findRuntime(Launcher& launcher)
{
    return searchRuntime(launcher) || askForRuntime(launcher);
}

}  // namespace velmar
