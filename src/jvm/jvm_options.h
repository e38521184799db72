// The JVM option list built from the launcher INI: the class path, the
// "Virtual Machine Parameters" tokens, and on the way the stream files and
// the extra program arguments of "Cmd".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmar {

class Launcher;

enum class OptionAssembly {
    complete,
    // The INI cannot be located, or the class path is empty (message 209):
    // the VM still starts, without the options of this step.
    incomplete,
    // An option could not be converted for the VM (message 202): the
    // launch stops.
    failed,
};

// Appends the class-path option and the VM parameters to `jvmOptions`,
// reads the stream settings and appends the "Cmd" arguments.
OptionAssembly assembleJvmOptions(Launcher& launcher);

}  // namespace velmar
