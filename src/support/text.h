// Small text helpers shared by several parts of the launcher.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// Cuts a ";"-separated list: every piece before a ";" is an item, even when
// empty; the piece after the last ";" only when it is not empty.
std::vector<std::wstring> splitList(std::wstring_view text);

// Letter case is ignored for ASCII letters only, as the INI switches need.
bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b);

bool startsWith(std::wstring_view text, std::wstring_view prefix);
bool endsWith(std::wstring_view text, std::wstring_view suffix);

// The text before the last backslash (the whole text when there is none).
std::wstring_view cutAtLastBackslash(std::wstring_view path);

// Conversion to the thread's ANSI code page. Characters the code page lacks
// become its default character; no character is mapped to a look-alike, so
// a fullwidth backslash never turns into a real one.
std::string toThreadAnsi(std::wstring_view text);

std::wstring fromUtf8(std::string_view text);
std::string toUtf8(std::wstring_view text);

}  // namespace velmar
