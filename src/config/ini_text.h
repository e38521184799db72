// INI text as the launcher handles it itself, without the profile API:
// which encoding a file's bytes are in, the sections of decoded text read
// with the profile API's rules, and one entry set in such text with every
// other line kept. The profile API reads a file without a byte-order mark
// in the ANSI code page, which turns a UTF-8 file's non-ASCII text into
// other characters; UTF-8 files are therefore read through these.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmar {

enum class IniEncoding {
    kEmpty,
    kAscii,         // no byte above 127: every decoding agrees
    kAnsi,          // no mark and not valid UTF-8: the ANSI code page
    kUtf8,          // no mark, valid UTF-8 with characters beyond ASCII
    kUtf8WithMark,  // EF BB BF
    kUtf16Le,       // FF FE
    kUtf16Be,       // FE FF
};

// Decided once per file from all its bytes.
IniEncoding detectIniEncoding(std::string_view bytes);

// Whether the encoding is read by the launcher itself rather than the
// profile API.
constexpr bool isReadAsUtf8(IniEncoding encoding)
{
    return encoding == IniEncoding::kUtf8 || encoding == IniEncoding::kUtf8WithMark;
}

// UTF-16 text of well-formed UTF-8 as MultiByteToWideChar with
// MB_ERR_INVALID_CHARS takes it (no overlong forms, no encoded surrogates,
// nothing above U+10FFFF); for any other bytes nothing, or with
// `replaceInvalid` U+FFFD for each byte that starts no such sequence (a
// file that announces UTF-8 by its mark is UTF-8 even where it is broken).
// A mark at the start is kept as U+FEFF.
std::optional<std::wstring> decodeUtf8(std::string_view bytes, bool replaceInvalid = false);

// The text of a file read as UTF-8 (isReadAsUtf8), without its mark.
std::wstring utf8FileText(std::string_view bytes, IniEncoding encoding);

// What the trace says the encoding is.
std::wstring_view iniEncodingName(IniEncoding encoding);

using IniEntries = std::vector<std::pair<std::wstring, std::wstring>>;

struct IniTextSection {
    std::wstring name;
    IniEntries entries;
};

// Blanks and tabs cut from both ends.
std::wstring_view trimmedBlanks(std::wstring_view text);

// The key and value of one "key=value" line with GetPrivateProfileStringW's
// rules: blanks around both dropped, one pair of matching enclosing quotes
// taken off the value, a line without "=" an empty value.
std::pair<std::wstring, std::wstring> parseEntryLine(std::wstring_view line);

// The sections of decoded INI text in file order, each with the entries
// GetPrivateProfileSectionW would hand over: lines before the first
// section, blank lines and ";" comments left out.
std::vector<IniTextSection> parseIniText(std::wstring_view text);

// The text with [section] key set to value: the key's first line in the
// section's first occurrence replaced, else a line added after the
// section's last entry, else the section added at the end. Every other
// line stays as it was.
std::wstring withIniEntry(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                          std::wstring_view value);

}  // namespace velmar
