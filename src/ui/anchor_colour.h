// The colour of a link as the browser settings keep it in the registry.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <span>

namespace velmar {

// The longest colour value read, in UTF-16 units with its terminating NUL.
inline constexpr size_t kMaxColourChars = 12;
// The bytes of one UTF-16 unit in value data. Not sizeof(wchar_t): the
// parser also builds natively, where a wchar_t is wider.
inline constexpr size_t kColourUnitBytes = 2;

// A colour value "r,g,b": only a string type, at most kMaxColourChars
// units, and ending with the NUL; each number cut to its low 8 bits;
// nothing for a missing comma, an empty blue, or a red or green that reads
// as -1.
std::optional<COLORREF> parseAnchorColour(DWORD type, std::span<const BYTE> data);

}  // namespace velmar
