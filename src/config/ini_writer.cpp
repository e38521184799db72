// Writing one entry into an INI file without losing what it says: the
// profile API writes a file without a byte-order mark in the ANSI code
// page, so a folder name the code page cannot hold would come back as "?"
// and name another folder, and a UTF-8 file would get ANSI bytes in the
// middle of its text. Those files are rewritten here instead, whole.
#include "config/ini_file.h"

#include "config/ini_text.h"
#include "support/handles.h"
#include "support/text.h"

namespace velmar {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool writeThroughProfileApi(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                            std::wstring_view value)
{
    return ::WritePrivateProfileStringW(std::wstring(section).c_str(), std::wstring(key).c_str(),
                                        std::wstring(value).c_str(), path.c_str()) != FALSE;
}

// Whether the profile API's ANSI write keeps the text and the next read
// finds it again: every character in the code page without a look-alike,
// and bytes that cannot pass for UTF-8, which the next read would prefer.
bool ansiKeeps(std::wstring_view text)
{
    const std::optional<NarrowText> narrow = toCodePage(text, CP_ACP);
    if (!narrow || narrow->lossy) {
        return false;
    }
    const IniEncoding alone = detectIniEncoding(narrow->bytes);
    return alone != IniEncoding::kUtf8 && alone != IniEncoding::kUtf8WithMark;
}

std::wstring fromAnsi(std::string_view bytes)
{
    if (bytes.empty()) {
        return {};
    }
    const int length = static_cast<int>(bytes.size());
    const int size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::wstring text(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), size);
    return text;
}

// Written completely or not at all: a new file beside the old one, then
// moved over it, so that a failure half-way leaves the old file as it was.
bool replaceFile(const std::wstring& path, std::string_view bytes)
{
    const std::wstring temporary = path + L".velmar-new";
    bool written = false;
    {
        UniqueFile file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD count = 0;
        written = file &&
                  ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) &&
                  count == bytes.size() && ::FlushFileBuffers(file.get());
    }
    if (written && ::MoveFileExW(temporary.c_str(), path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    ::DeleteFileW(temporary.c_str());
    return false;
}

bool writeAsUtf8(const std::wstring& path, std::wstring_view text, bool withMark)
{
    // A lone surrogate has no UTF-8 form; writing a replacement would save
    // another folder name than the one picked.
    const std::optional<NarrowText> utf8 = toCodePage(text, CP_UTF8);
    if (!utf8) {
        return false;
    }
    return replaceFile(path, (withMark ? std::string(kUtf8Mark) : std::string()) + utf8->bytes);
}

}  // namespace

bool writeIniEntry(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                   std::wstring_view value)
{
    const std::optional<std::string> bytes = readIniBytes(path);
    if (!bytes) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            // Locked or unreadable: left to the profile API, which fails
            // or waits as it always did.
            return writeThroughProfileApi(path, section, key, value);
        }
        return writeAsUtf8(path, withIniEntry(L"", section, key, value), true);
    }
    const IniEncoding encoding = detectIniEncoding(*bytes);
    switch (encoding) {
    case IniEncoding::kUtf16Le:
    case IniEncoding::kUtf16Be:
        return writeThroughProfileApi(path, section, key, value);
    case IniEncoding::kUtf8:
    case IniEncoding::kUtf8WithMark:
        return writeAsUtf8(path, withIniEntry(utf8FileText(*bytes, encoding), section, key, value),
                           encoding == IniEncoding::kUtf8WithMark);
    case IniEncoding::kEmpty:
    case IniEncoding::kAscii:
    case IniEncoding::kAnsi:
        break;
    }
    if (ansiKeeps(std::wstring(section) + std::wstring(key) + std::wstring(value))) {
        return writeThroughProfileApi(path, section, key, value);
    }
    return writeAsUtf8(path, withIniEntry(fromAnsi(*bytes), section, key, value), true);
}

}  // namespace velmar
