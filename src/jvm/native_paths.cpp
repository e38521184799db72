#include "jvm/native_paths.h"

#include "config/ini_file.h"
#include "config/settings.h"
#include "jvm/jvm_options.h"
#include "jvm/option_encoding.h"
#include "runtime/chosen_runtime_variables.h"
#include "support/environment.h"
#include "support/text.h"

namespace velmar {

std::wstring runtimeBinFolder(std::wstring_view jvmLibraryPath)
{
    return std::wstring(cutAtLastBackslash(cutAtLastBackslash(jvmLibraryPath)));
}

std::wstring joinPathList(const std::vector<std::wstring>& pieces)
{
    std::wstring joined;
    for (const std::wstring& piece : pieces) {
        if (piece.empty()) {
            continue;
        }
        if (!joined.empty() && joined.back() != L';') {
            joined.push_back(L';');
        }
        joined.append(piece);
    }
    return joined;
}

std::wstring composeLibraryPath(const NativePathInputs& inputs)
{
    std::wstring bin = runtimeBinFolder(inputs.jvmLibraryPath);
    std::wstring runtimeLib = bin.substr(0, bin.rfind(L'\\') + 1) + L"lib";
    return joinPathList(
        {inputs.libraryPath, inputs.launcherFolder, L".", inputs.oldPath, runtimeLib});
}

std::wstring composeSystemPath(const NativePathInputs& inputs)
{
    return joinPathList(
        {inputs.systemPath, inputs.oldPath, runtimeBinFolder(inputs.jvmLibraryPath)});
}

bool prepareNativePaths(const Settings& settings, const std::wstring& jvmLibraryPath,
                        std::vector<std::string>& jvmOptions, const ErrorReporter& errors)
{
    // The DLLs of the runtime's libraries (the C runtime above all, for
    // jvm.dll and the splash library alike) come from its bin folder,
    // before the system's and never from the current directory or another
    // product's PATH folder. Set before the first of them is loaded; it
    // holds for the libraries the VM loads later, and processes the
    // application starts inherit it.
    ::SetDllDirectoryW(runtimeBinFolder(jvmLibraryPath).c_str());
    publishRuntimeChoice(jvmLibraryPath);
    NativePathInputs inputs{
        .libraryPath = expandEnvironment(settings.libraryPath),
        .systemPath = expandEnvironment(settings.systemPath),
        // An unset PATH stays a literal reference, as the system leaves it.
        .oldPath = expandEnvironment(L"%Path%"),
        .launcherFolder = launcherFolder(),
        .jvmLibraryPath = jvmLibraryPath,
    };
    if (!settings.libraryPath.empty()) {
        if (!appendPathListOption(jvmOptions, errors, L"-Djava.library.path=", composeLibraryPath(inputs))) {
            return false;
        }
    }
    ::SetEnvironmentVariableW(L"Path", composeSystemPath(inputs).c_str());
    return true;
}

}  // namespace velmar
