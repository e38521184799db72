// Where a runtime folder keeps its VM library, whether a folder is a
// runtime at all, and whether a chosen jvm.dll was built for the other
// processor architecture, in which case the paired launcher must host it.
#pragma once

#include "runtime/build_traits.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmar {

class Trace;
struct ChosenRuntime;
struct Settings;

// jvmType values: default order, server VM only, server VM favoured.
inline constexpr int kVmTypeDefault = 0;
inline constexpr int kVmTypeServer = 1;
inline constexpr int kVmTypeFavorServer = 2;

inline constexpr WORD kMachineI386 = IMAGE_FILE_MACHINE_I386;

// Existence is a find-first match (entryFound): any entry of the name counts.
// The jvm.dll to load from a runtime folder (ending in "\") for a VM type;
// empty when there is none. `server` is set only when a library is found.
std::wstring findJvmLibrary(std::wstring_view folder, int vmType, bool& server);
std::wstring findJvmLibrary(std::wstring_view folder, int vmType);

// What a folder lacks when findJvmLibrary finds nothing for the VM type.
std::wstring_view missingLibraryText(int vmType);

// The folder (ending in "\") holds "bin\java.dll".
bool hasJavaDll(std::wstring_view folder);

// Offset of the NT headers of a file image that starts with "MZ" and whose
// DOS header and NT headers (signature, file header and the optional header
// the file header declares) lie entirely inside the image; nothing for
// anything else, so no field is ever read from beyond the file's end.
std::optional<size_t> ntHeadersOffset(std::span<const unsigned char> image);

// The Machine field of the NT headers of a file image; nothing when
// ntHeadersOffset finds none or the NT signature is wrong.
std::optional<WORD> imageMachine(std::span<const unsigned char> image);

// Whether a VM built for `machine` cannot be hosted by the given build.
bool belongsToOtherArchitecture(WORD machine, const BuildTraits& traits);

// What message 222 adds when the system refused a VM library built for
// `machine`: that it is a 32-bit runtime and the launcher a 64-bit one, or
// the reverse, and what fixes it. A runtime shipped beside the launcher
// (`localRuntime`) is never handed to the pair, so "Pair Product" does not
// fix that one. Empty for a machine of this build or of neither kind.
std::wstring otherArchitectureAdvice(WORD machine, const BuildTraits& traits, bool localRuntime);

// The Machine field of a PE file's NT headers; nothing when the file cannot
// be read, is no PE file or its NT signature is wrong.
std::optional<WORD> libraryMachine(const std::wstring& path);

// Sets the chosen runtime's `relaunchPair` when a pair product exists and
// its library is a VM of the other architecture; clears it otherwise.
void checkArchitecture(ChosenRuntime& chosen, const Settings& settings, const Trace& trace);

}  // namespace velmar
