// The narrow form of the JVM option strings: each is converted to the code
// page the VM decodes its options with, and a conversion that fails stops
// the launch instead of handing the VM an empty option. The entries of the
// two path-list options get a form the code page can hold where the file
// system has one.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

class ErrorReporter;

// The code page the VM decodes its options with. It reads them with the
// process's ANSI code page; when that is UTF-8 (the system option "Use
// Unicode UTF-8 for worldwide language support", or a manifest asking for
// it) the options are UTF-8. Otherwise the thread's ANSI code page, which
// the entry point made the system's.
UINT vmOptionCodePage();

// One entry of a path list for the VM: converted as written when the code
// page holds every character of it; otherwise its short (8.3) form when
// the volume has one the code page holds; otherwise converted as written,
// the characters the code page lacks replaced by its default character.
// nullopt when a conversion fails (the thread's last error says why).
std::optional<std::string> encodePathEntry(std::wstring_view entry, UINT codePage);

// A ";"-separated list, each entry encoded on its own and every separator
// kept, empty entries included.
std::optional<std::string> encodePathList(std::wstring_view list, UINT codePage);

// Converts the option and appends it to `jvmOptions`. When the conversion
// fails, shows message 202 with the system's error number and returns
// false; nothing is appended.
bool appendVmOption(std::vector<std::string>& jvmOptions, const ErrorReporter& errors,
                    std::wstring_view option);

// The same for "-Djava.class.path=" and "-Djava.library.path=": `name`
// converted as written, followed by the list encoded entry by entry.
bool appendPathListOption(std::vector<std::string>& jvmOptions, const ErrorReporter& errors,
                          std::wstring_view name, std::wstring_view list);

}  // namespace velmar
