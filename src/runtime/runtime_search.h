// The choice of the Java runtime that will host the application: the
// folder named by "JRE Path", then a runtime shipped beside the launcher,
// then the runtimes named by "Java Home Variables", then those registered in the launcher's own registry view and, when
// a paired launcher exists, in the other view.
#pragma once

#include "runtime/build_traits.h"

#include <string>
#include <string_view>

namespace velmar {

class Launcher;

// Sets `jvmLibraryPath` (and `relaunchPair`); false when no runtime was
// chosen, which ends the launch. When the search finds none, the user is
// asked with the "JRE Not Found" dialog.
bool findRuntime(Launcher& launcher);

// The search alone: the configured folder, the folder beside the launcher,
// the variables' folders, the registry; asks nobody.
bool searchRuntime(Launcher& launcher);

// The folder "JRE Path" names, ending in "\": an absolute path as written;
// any other below the launcher's folder, as "Class Path" entries are, so
// that the start does not depend on the current directory.
std::wstring configuredRuntimeFolder(std::wstring_view setting, std::wstring_view launcherFolder);

// The runtime shipped in a launcher folder: the folder itself when it holds
// "bin\java.dll", else the build's local runtime subfolder when that does,
// else that subfolder's "jre\" (a JDK 8 copied whole); empty otherwise.
std::wstring findLocalRuntime(std::wstring_view folder, const BuildTraits& traits);

}  // namespace velmar
