// The choice of the Java runtime that will host the application.
#pragma once

namespace velmar {

class Launcher;

// Sets `jvmLibraryPath` (and `relaunchPair`) from "JRE Path", the runtime
// beside the launcher or the registry; asks the user when nothing is found.
// False when no runtime was chosen.
bool findRuntime(Launcher& launcher);

}  // namespace velmar
