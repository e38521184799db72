// Hosting the Java VM in this process: the native paths and environment,
// binding jvm.dll, the option list, and the Java main thread.
#pragma once

#include <windows.h>

#include <string>

namespace velmar {

class Launcher;

void prepareNativePaths(Launcher& launcher);
bool BindJvmLibrary(Launcher& launcher, const std::wstring& path);
bool assembleJvmOptions(Launcher& launcher);
// Runs the Java main thread and waits for it; its exit code.
DWORD StartJavaMainThread(Launcher& launcher);
void DestroyJvm(Launcher& launcher);

}  // namespace velmar
