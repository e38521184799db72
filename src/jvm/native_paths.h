// The environment the runtime is loaded into: the runtime choice published,
// "-Djava.library.path=" from "Library Path", and a PATH that has the
// "System Path" folders first and the runtime's bin folder last.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmar {

class ErrorReporter;
struct Settings;

// C:\Java\jre8\bin\server\jvm.dll gives C:\Java\jre8\bin.
std::wstring runtimeBinFolder(std::wstring_view jvmLibraryPath);

// The pieces joined by ";", one put between two pieces unless the first
// already ends with it; empty pieces are left out.
std::wstring joinPathList(const std::vector<std::wstring>& pieces);

struct NativePathInputs {
    std::wstring libraryPath;     // "Library Path", expanded
    std::wstring systemPath;      // "System Path", expanded
    std::wstring oldPath;         // PATH before the launcher touched it
    std::wstring launcherFolder;  // with its trailing backslash
    std::wstring jvmLibraryPath;  // full path of jvm.dll
};

// The value of -Djava.library.path=: "Library Path", the launcher folder,
// ".", the old PATH and the runtime's lib folder.
std::wstring composeLibraryPath(const NativePathInputs& inputs);

// The new PATH: "System Path", the old PATH and the runtime's bin folder.
std::wstring composeSystemPath(const NativePathInputs& inputs);

// The runtime's DLL directory, PATH and the variables naming the runtime,
// and "-Djava.library.path=" added to `jvmOptions`. Runs before anything
// of the runtime is loaded. False when the library path option cannot be
// converted for the VM (message 202 shown).
bool prepareNativePaths(const Settings& settings, const std::wstring& jvmLibraryPath,
                        std::vector<std::string>& jvmOptions, const ErrorReporter& errors);

}  // namespace velmar
