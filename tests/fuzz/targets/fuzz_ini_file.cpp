// The INI accessor over a model of the profile API: the input is the file,
// and its section names and sections are handed over as
// GetPrivateProfileSectionNamesW and GetPrivateProfileSectionW do, cut
// short with the documented "size minus two" when the buffer is too small.
// So the accessor's growing reads and its look-ups run on any file, and
// every key of it must come back with the profile API's value.
#include "config/ini_file.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct ModelSection {
    std::wstring name;
    std::vector<std::wstring> lines;
};

// The file of the input being run; the profile API model reads it.
std::vector<ModelSection> gFile;

std::wstring upper(std::wstring_view text)
{
    std::wstring result(text);
    for (wchar_t& c : result) {
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    }
    return result;
}

std::wstring_view trimmedBlanks(std::wstring_view text)
{
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// Lines before the first section belong to none, as in a real file; a
// name without "]" runs to the end of its line.
std::vector<ModelSection> parseFile(const std::wstring& text)
{
    std::vector<ModelSection> file;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = std::min(text.find(L'\n', start), text.size());
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') {
            line.pop_back();
        }
        // A NUL cannot be part of what the API hands over in one string.
        std::erase(line, L'\0');
        if (!line.empty() && line.front() == L'[') {
            const std::wstring name(trimmedBlanks(line.substr(1, line.find(L']') - 1)));
            if (!name.empty()) {
                file.push_back({name, {}});
            }
        } else if (!file.empty() && !trimmedBlanks(line).empty()) {
            file.back().lines.push_back(std::move(line));
        }
    }
    return file;
}

const ModelSection* sectionNamed(std::wstring_view name)
{
    const std::wstring wanted = upper(trimmedBlanks(name));
    for (const ModelSection& section : gFile) {
        if (upper(section.name) == wanted) {
            return &section;
        }
    }
    return nullptr;
}

// A double-null-terminated list into a buffer of `size` units.
DWORD copyList(const std::vector<std::wstring>& strings, wchar_t* buffer, DWORD size)
{
    std::wstring list;
    for (const std::wstring& text : strings) {
        list += text;
        list += L'\0';
    }
    list += L'\0';
    if (size < 2) {
        return 0;
    }
    if (list.size() > size) {
        std::memcpy(buffer, list.data(), (size - 2) * sizeof(wchar_t));
        buffer[size - 2] = L'\0';
        buffer[size - 1] = L'\0';
        return size - 2;
    }
    std::memcpy(buffer, list.data(), list.size() * sizeof(wchar_t));
    return static_cast<DWORD>(list.size() - 1);
}

// The value GetPrivateProfileStringW gives for a line: blanks dropped
// around it, one pair of matching quotes taken off.
std::wstring profileValue(std::wstring_view line)
{
    const size_t equals = line.find(L'=');
    if (equals == std::wstring_view::npos) {
        return {};
    }
    std::wstring_view value = trimmedBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::wstring(value);
}

[[noreturn]] void unreachable(const char* name)
{
    std::fprintf(stderr, "%s reached: the accessor's reads must not touch the file otherwise\n", name);
    std::abort();
}

}  // namespace

DWORD GetPrivateProfileSectionNamesW(LPWSTR buffer, DWORD size, LPCWSTR)
{
    std::vector<std::wstring> names;
    for (const ModelSection& section : gFile) {
        names.push_back(section.name);
    }
    return copyList(names, buffer, size);
}

DWORD GetPrivateProfileSectionW(LPCWSTR name, LPWSTR buffer, DWORD size, LPCWSTR)
{
    const ModelSection* section = sectionNamed(name);
    return copyList(section ? section->lines : std::vector<std::wstring>{}, buffer, size);
}

int CompareStringOrdinal(LPCWCH a, int aLength, LPCWCH b, int bLength, BOOL ignoreCase)
{
    std::wstring left(a, static_cast<size_t>(aLength)), right(b, static_cast<size_t>(bLength));
    if (ignoreCase) {
        left = upper(left);
        right = upper(right);
    }
    // Only equality is asked for.
    return left == right ? CSTR_EQUAL : CSTR_EQUAL + 1;
}

// The file's bytes cannot be had, as for a locked file: the accessor then
// leaves the reading to the profile API, which is what this target models.
// A UTF-8 file's own reading is the target fuzz_ini_text.
HANDLE CreateFileW(LPCWSTR, DWORD, DWORD, SECURITY_ATTRIBUTES*, DWORD, DWORD, HANDLE) { return INVALID_HANDLE_VALUE; }

// The accessor's other members write or probe the file; this target never
// calls them, and they fail loudly if it ever did.
BOOL ReadFile(HANDLE, LPVOID, DWORD, LPDWORD, void*) { unreachable("ReadFile"); }
BOOL CloseHandle(HANDLE) { unreachable("CloseHandle"); }
DWORD GetLastError() { unreachable("GetLastError"); }
BOOL DeleteFileW(LPCWSTR) { unreachable("DeleteFileW"); }
void SetLastError(DWORD) { unreachable("SetLastError"); }
bool velmar::writeIniEntry(const std::wstring&, std::wstring_view, std::wstring_view, std::wstring_view)
{
    unreachable("writeIniEntry");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    gFile = parseFile(velmar::fuzz::utf16Text(data, size));
    const velmar::IniFile ini(L"C:\\model.ini");

    std::vector<std::wstring> expectedNames;
    for (const ModelSection& section : gFile) {
        expectedNames.push_back(section.name);
    }
    FUZZ_CHECK(ini.getSectionNames() == expectedNames);

    for (const ModelSection& section : gFile) {
        if (sectionNamed(section.name) != &section) {
            continue;  // a later duplicate: the API reads the first
        }
        std::vector<std::wstring> keysSeen;
        for (const std::wstring& line : section.lines) {
            const std::wstring key(trimmedBlanks(std::wstring_view(line).substr(0, line.find(L'='))));
            if (key.empty() || std::find(keysSeen.begin(), keysSeen.end(), upper(key)) != keysSeen.end()) {
                continue;
            }
            keysSeen.push_back(upper(key));
            FUZZ_CHECK(ini.getString(section.name, key) == profileValue(line));
            FUZZ_CHECK(ini.getString(L" " + section.name + L"\t", L"\t" + key + L" ") == profileValue(line));
        }
    }
    FUZZ_CHECK(ini.getString(L"no such section \x1", L"key").empty() || sectionNamed(L"no such section \x1"));
    return 0;
}
