// Small text helpers shared by several parts of the launcher.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// Cuts a ";"-separated list: every piece before a ";" is an item, even when
// empty; the piece after the last ";" only when it is not empty.
std::vector<std::wstring> splitList(std::wstring_view text);

// The value in decimal digits, "-" in front when negative. (std::to_wstring
// brings the C library's whole wide printf into the launcher.)
std::wstring decimalText(long long value);

// "0" to "9" only: the digits of other scripts make no numbers here.
bool isDigit(wchar_t c) noexcept;

// Two rules of letter case. The INI switches' values ignore it for ASCII
// letters only ("Yes" matches "yES"; an accented letter only itself):
bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b);
// The system ignores it for every letter with an upper-case form, accented
// ones too, in file paths and in the profile API's section and key names
// (an ordinal comparison, the same in every locale):
bool equalsIgnoringCaseOrdinal(std::wstring_view a, std::wstring_view b);

bool startsWith(std::wstring_view text, std::wstring_view prefix);
bool endsWith(std::wstring_view text, std::wstring_view suffix);

// The text before the last backslash (the whole text when there is none).
std::wstring_view cutAtLastBackslash(std::wstring_view path);

// Text in a narrow code page. `lossy`: a character the code page lacks was
// replaced by the code page's default character.
struct NarrowText {
    std::string bytes;
    bool lossy = false;
};

// The signature of WideCharToMultiByte. Wine accepts parameters that
// Windows rejects, so a test can put a stricter function in its place.
using WideToNarrowFunction = int(WINAPI*)(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);

// Conversion to `codePage` (an ANSI code page, CP_THREAD_ACP or CP_UTF8).
// An ANSI code page replaces the characters it lacks by its default
// character and never by a look-alike, so a fullwidth backslash never
// turns into a real one. UTF-8 lacks no character; text it cannot encode
// (a lone surrogate) makes the conversion fail. nullopt when the
// conversion fails; the thread's last error then says why.
std::optional<NarrowText> toCodePage(std::wstring_view text, UINT codePage,
                                     WideToNarrowFunction convert = ::WideCharToMultiByte);

// Narrow text in `codePage` as UTF-16; bytes the code page does not map
// become U+FFFD or their code page's choice, as MultiByteToWideChar does.
std::wstring fromCodePage(std::string_view text, UINT codePage);
std::wstring fromUtf8(std::string_view text);
std::string toUtf8(std::wstring_view text);

}  // namespace velmar
