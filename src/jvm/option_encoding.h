// The narrow form of the JVM option strings: each is converted to the code
// page the VM decodes its options with, and a conversion that fails stops
// the launch instead of handing the VM an empty option.
#pragma once

#include <windows.h>

#include <string_view>

namespace velmar {

class Launcher;

// The code page the VM decodes its options with. It reads them with the
// process's ANSI code page; when that is UTF-8 (the system option "Use
// Unicode UTF-8 for worldwide language support", or a manifest asking for
// it) the options are UTF-8. Otherwise the thread's ANSI code page, which
// the entry point made the system's.
UINT vmOptionCodePage();

// Converts the option and appends it to `jvmOptions`. When the conversion
// fails, shows message 202 with the system's error number and returns
// false; nothing is appended.
bool appendVmOption(Launcher& launcher, std::wstring_view option);

}  // namespace velmar
