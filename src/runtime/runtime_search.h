// The choice of the Java runtime that will host the application: the
// folder named by "JRE Path", then a runtime shipped beside the launcher,
// then the runtimes named by "Java Home Variables", then those registered in the launcher's own registry view and, when
// a paired launcher exists, in the other view.
#pragma once

#include "config/java_version.h"
#include "runtime/build_traits.h"

#include <string>
#include <string_view>

namespace velmar {

class Trace;
struct Settings;

// The runtime a start hosts, as the search chose it.
struct ChosenRuntime {
    std::wstring jvmLibraryPath;
    // The version the search learned (registry, release file of a
    // variable's folder); 0.0.0.0 when it did not.
    JavaVersion foundVersion;
    // A VM of the other architecture: the pair hosts it.
    bool relaunchPair = false;
    // From the registry key of the old IBM runtimes, whose Java main thread
    // stays in the VM after main.
    bool ibmRuntimeChosen = false;
    // The one shipped beside the launcher (jre\ or jre64\), which is never
    // handed to the pair.
    bool localRuntimeChosen = false;
};

// The search alone: the configured folder, the folder beside the launcher,
// the variables' folders, the registry; asks nobody.
bool searchRuntime(const Settings& settings, const Trace& trace, ChosenRuntime& chosen);

// The folder "JRE Path" names, ending in "\": an absolute path as written;
// any other below the launcher's folder, as "Class Path" entries are, so
// that the start does not depend on the current directory.
std::wstring configuredRuntimeFolder(std::wstring_view setting, std::wstring_view launcherFolder);

// The runtime shipped in a launcher folder: the folder itself when it holds
// "bin\java.dll", else the build's local runtime subfolder when that does,
// else that subfolder's "jre\" (a JDK 8 copied whole); empty otherwise.
std::wstring findLocalRuntime(std::wstring_view folder, const BuildTraits& traits);

}  // namespace velmar
