#include "runtime/runtime_search.h"

#include "config/ini_file.h"
#include "config/settings.h"
#include "runtime/jvm_location.h"
#include "runtime/runtime_registry.h"
#include "runtime/variable_runtimes.h"
#include "support/environment.h"
#include "support/file_system.h"
#include "support/text.h"
#include "support/trace.h"

namespace velmar {

namespace {

std::wstring withTrailingBackslash(std::wstring folder)
{
    if (!endsWith(folder, L"\\")) {
        folder += L'\\';
    }
    return folder;
}

bool useConfiguredFolder(const Settings& settings, const Trace& trace, ChosenRuntime& chosen)
{
    if (settings.jrePathSetting.empty()) {
        trace.line(L"runtime", {"no \"JRE Path\""});
        return false;
    }
    // A reference to a variable that is not set names no folder, rather
    // than a folder with "%NAME%" in its path.
    const std::optional<std::wstring> setting = expandWhenAllSet(settings.jrePathSetting);
    if (!setting || setting->empty()) {
        trace.line(L"runtime", {"\"JRE Path\" ", settings.jrePathSetting,
                                         ": names no folder, ",
                                         setting ? "its variables are empty" : "a variable it refers to is not set"});
        return false;
    }
    // The packager's or the user's own choice: no version bound applies.
    const std::wstring folder = configuredRuntimeFolder(*setting, launcherFolder());
    std::wstring library = findJvmLibrary(folder, settings.jvmType);
    trace.line(L"runtime", {"\"JRE Path\" folder ", folder, ": ",
                                     library.empty() ? TracePiece(missingLibraryText(settings.jvmType))
                                                     : "taken, no version bound applies"});
    if (library.empty()) {
        return false;
    }
    chosen.jvmLibraryPath = std::move(library);
    checkArchitecture(chosen, settings, trace);
    return true;
}

bool useLocalRuntime(const Settings& settings, const Trace& trace, ChosenRuntime& chosen)
{
    const std::wstring home = findLocalRuntime(launcherFolder(), kThisBuild);
    if (home.empty()) {
        trace.line(L"runtime", {"no local runtime: no bin\\java.dll beside the launcher, in ",
                                         kThisBuild.localRuntimeFolder, " or in its jre\\"});
        return false;
    }
    // A runtime shipped with the launcher is its own architecture by
    // construction; it is neither bounded nor checked.
    std::wstring library = findJvmLibrary(home, settings.jvmType);
    trace.line(L"runtime", {"local runtime ", home, ": ",
                                     library.empty() ? TracePiece(missingLibraryText(settings.jvmType)) : "taken"});
    if (library.empty()) {
        return false;
    }
    chosen.jvmLibraryPath = std::move(library);
    chosen.localRuntimeChosen = true;
    return true;
}

bool useRegistry(const Settings& settings, const Trace& trace, ChosenRuntime& chosen)
{
    std::optional<RuntimeCandidate> candidate = searchRegistry(settings, trace, 1);
    if (!candidate) {
        // Only a pair product can host a runtime of the other view.
        candidate = searchRegistry(settings, trace, 2);
        if (!candidate) {
            return false;
        }
        chosen.relaunchPair = true;
        trace.line(L"runtime", {"a runtime of the other view: the pair hosts it"});
    }
    chosen.foundVersion = candidate->version;
    chosen.ibmRuntimeChosen = candidate->keepsJavaMainThread;
    chosen.jvmLibraryPath = findJvmLibrary(candidate->home, settings.jvmType);
    return !chosen.jvmLibraryPath.empty();
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

bool searchRuntime(const Settings& settings, const Trace& trace, ChosenRuntime& chosen)
{
    chosen.localRuntimeChosen = false;
    return useConfiguredFolder(settings, trace, chosen) || useLocalRuntime(settings, trace, chosen) ||
           useVariableRuntimes(settings, trace, chosen) || useRegistry(settings, trace, chosen);
}

}  // namespace velmar
