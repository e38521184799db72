// Publishing the runtime chosen for this process to the environment, where
// the VM and every process the application starts can see it.
#pragma once

#include <string>
#include <string_view>

namespace velmar {

// The runtime folder of a VM library: the path without its last three
// components (file, VM folder, "bin"), with no trailing backslash.
std::wstring runtimeHomeOfLibrary(std::wstring_view jvmLibraryPath);

// Sets KESTO_JVM_PATH to the library and KESTO_JVM_HOME to its runtime.
void publishRuntimeChoice(const std::wstring& jvmLibraryPath);

}  // namespace velmar
