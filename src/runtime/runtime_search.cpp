#include "runtime/runtime_search.h"

#include "config/ini_file.h"
#include "core/launcher.h"
#include "runtime/jvm_location.h"
#include "runtime/runtime_registry.h"
#include "runtime/variable_runtimes.h"
#include "support/environment.h"
#include "support/file_system.h"
#include "support/messages.h"
#include "support/standard_streams.h"
#include "support/text.h"
#include "support/trace.h"
#include "ui/missing_runtime_dialog.h"

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
    if (launcher.settings.jrePathSetting.empty()) {
        launcher.trace.line(L"runtime", {"no \"JRE Path\""});
        return false;
    }
    // A reference to a variable that is not set names no folder, rather
    // than a folder with "%NAME%" in its path.
    const std::optional<std::wstring> setting = expandWhenAllSet(launcher.settings.jrePathSetting);
    if (!setting || setting->empty()) {
        launcher.trace.line(L"runtime", {"\"JRE Path\" ", launcher.settings.jrePathSetting,
                                         ": names no folder, ",
                                         setting ? "its variables are empty" : "a variable it refers to is not set"});
        return false;
    }
    // The packager's or the user's own choice: no version bound applies.
    const std::wstring folder = configuredRuntimeFolder(*setting, launcherFolder());
    std::wstring library = findJvmLibrary(folder, launcher.settings.jvmType);
    launcher.trace.line(L"runtime", {"\"JRE Path\" folder ", folder, ": ",
                                     library.empty() ? TracePiece(missingLibraryText(launcher.settings.jvmType))
                                                     : "taken, no version bound applies"});
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
        launcher.trace.line(L"runtime", {"no local runtime: no bin\\java.dll beside the launcher, in ",
                                         kThisBuild.localRuntimeFolder, " or in its jre\\"});
        return false;
    }
    // A runtime shipped with the launcher is its own architecture by
    // construction; it is neither bounded nor checked.
    std::wstring library = findJvmLibrary(home, launcher.settings.jvmType);
    launcher.trace.line(L"runtime", {"local runtime ", home, ": ",
                                     library.empty() ? TracePiece(missingLibraryText(launcher.settings.jvmType)) : "taken"});
    if (library.empty()) {
        return false;
    }
    launcher.jvmLibraryPath = std::move(library);
    launcher.localRuntimeChosen = true;
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
        launcher.trace.line(L"runtime", {"a runtime of the other view: the pair hosts it"});
    }
    launcher.foundVersion = chosen->version;
    launcher.ibmRuntimeChosen = chosen->keepsJavaMainThread;
    launcher.jvmLibraryPath = findJvmLibrary(chosen->home, launcher.settings.jvmType);
    return !launcher.jvmLibraryPath.empty();
}

// Nothing found anywhere: the user may point at an installed runtime, which
// is remembered so that the next start finds it in the first step.
bool askForRuntime(Launcher& launcher)
{
    // Nobody may be there to answer a console program's dialog: it says
    // what is missing and ends as the dialog's Cancel does.
    if (isConsoleProgram()) {
        launcher.trace.line(L"runtime", {"no runtime found: said on standard error"});
        ShowErrorBox(nullptr, missingRuntimeMessage(launcher) + L"\n" + launcher.settings.downloadAddress);
        return false;
    }
    MissingRuntimeDialog dialog(missingRuntimeMessage(launcher), launcher.settings.jvmType, launcher.settings.downloadAddress);
    launcher.trace.line(L"runtime", {"no runtime found: asking the user"});
    if (!dialog.ask(::GetActiveWindow())) {
        launcher.trace.line(L"runtime", {"the user cancelled"});
        return false;
    }
    launcher.jvmLibraryPath = dialog.pickedLibrary();
    launcher.trace.line(L"runtime", {"the user chose ", dialog.chosenFolder()});
    checkArchitecture(launcher);
    saveChosenFolder(launcher, dialog.chosenFolder());
    return true;
}

}  // namespace

std::wstring configuredRuntimeFolder(std::wstring_view setting, std::wstring_view launcherFolder)
{
    // "..\jre" and ".\jre" are resolved, so the path the runtime and its
    // children see names the folder plainly.
    return withTrailingBackslash(launcherRelativePath(setting, launcherFolder));
}

std::wstring findLocalRuntime(std::wstring_view folder, const BuildTraits& traits)
{
    if (folder.empty()) {
        return {};
    }
    if (hasJavaDll(folder)) {
        return std::wstring(folder);
    }
    const std::wstring nested = std::wstring(folder) + std::wstring(traits.localRuntimeFolder);
    if (hasJavaDll(nested)) {
        return nested;
    }
    // A JDK 8 copied there whole keeps its runtime one level down.
    const std::wstring jdk8Runtime = nested + L"jre\\";
    return hasJavaDll(jdk8Runtime) ? jdk8Runtime : std::wstring();
}

bool searchRuntime(Launcher& launcher)
{
    launcher.localRuntimeChosen = false;
    return useConfiguredFolder(launcher) || useLocalRuntime(launcher) ||
           useVariableRuntimes(launcher) || useRegistry(launcher);
}

bool findRuntime(Launcher& launcher)
{
    const bool found = searchRuntime(launcher) || askForRuntime(launcher);
    if (found) {
        launcher.trace.line(L"runtime", {"VM library ", launcher.jvmLibraryPath});
    }
    return found;
}

}  // namespace velmar
