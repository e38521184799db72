// One registry value read as the folder of a runtime. RegQueryValueExW
// hands string data back as it was stored: of any size, odd ones included,
// with or without a terminator; and the value may change between the query
// of its size and the read. All of that gives a defined result here: the
// folder, or nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace velmar {

// The bytes of one UTF-16 unit in value data. Not sizeof(wchar_t): the
// parsers also build natively, where a wchar_t is wider.
inline constexpr size_t kValueUnitBytes = 2;
// A path has at most 32767 UTF-16 units; a value larger than that and its
// terminator names no folder, and is not read.
inline constexpr size_t kLongestPath = 32767;
inline constexpr DWORD kLongestPathValue = (kLongestPath + 1) * kValueUnitBytes;
// Reads of a value that keeps growing between the size query and the read.
inline constexpr int kValueReadAttempts = 3;

// Shaped like RegQueryValueExW on one named value: with no data buffer it
// reports the type and the size only.
using ValueQuery = std::function<LSTATUS(DWORD* type, BYTE* data, DWORD* size)>;

// The text of a value of a string type, in whole UTF-16 units (an odd last
// byte counts as a unit whose high byte is zero), up to its first NUL or
// to the end of the data: for REG_MULTI_SZ the first string. Empty for
// every other type.
std::wstring textOfValue(DWORD type, std::span<const BYTE> data);

// Can name a folder: not empty, and no control character (U+0001 to
// U+001F), which no Windows file name holds.
bool isUsablePath(std::wstring_view text);

// The folder the value names: its text, with environment references
// expanded for REG_EXPAND_SZ. Empty when the value is missing, cannot be
// read, is not text, is larger than kLongestPathValue, has a text longer
// than kLongestPath (no terminator, or an expansion that grew), or is not a
// usable path.
std::wstring readFolderValue(const ValueQuery& query);
std::wstring readFolderValue(HKEY key, std::wstring_view valueName);

}  // namespace velmar
