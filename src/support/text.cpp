#include "support/text.h"

#include <iterator>

#include <windows.h>

namespace velmar {

std::wstring decimalText(long long value)
{
    wchar_t digits[24];
    wchar_t* start = std::end(digits);
    // Through the unsigned magnitude, so the most negative value has one.
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    do {
        *--start = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        *--start = L'-';
    }
    return std::wstring(start, std::end(digits));
}

std::vector<std::wstring> splitList(std::wstring_view text)
{
    std::vector<std::wstring> items;
    size_t start = 0;
    for (size_t separator = text.find(L';'); separator != std::wstring_view::npos;
         separator = text.find(L';', start)) {
        items.emplace_back(text.substr(start, separator - start));
        start = separator + 1;
    }
    if (start < text.size()) {
        items.emplace_back(text.substr(start));
    }
    return items;
}

bool isDigit(wchar_t c) noexcept
{
    return c >= L'0' && c <= L'9';
}

namespace {
wchar_t asciiLower(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}
}  // namespace

bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

bool equalsIgnoringCaseOrdinal(std::wstring_view a, std::wstring_view b)
{
    // The system takes no empty text here.
    if (a.empty() || b.empty()) {
        return a.empty() && b.empty();
    }
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

bool startsWith(std::wstring_view text, std::wstring_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::wstring_view text, std::wstring_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::wstring_view cutAtLastBackslash(std::wstring_view path)
{
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? path : path.substr(0, slash);
}

std::optional<NarrowText> toCodePage(std::wstring_view text, UINT codePage,
                                     WideToNarrowFunction convert)
{
    if (text.empty()) {
        return NarrowText{};
    }
    // For UTF-8 the system accepts no other flag and no default-character
    // report; it has no default character to use.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    const int length = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultReport = utf8 ? nullptr : &usedDefault;
    int size = convert(codePage, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultReport);
    if (size <= 0) {
        return std::nullopt;
    }
    NarrowText result{std::string(static_cast<size_t>(size), '\0'), false};
    int written = convert(codePage, flags, text.data(), length, result.bytes.data(), size, nullptr,
                          usedDefaultReport);
    if (written <= 0) {
        return std::nullopt;
    }
    result.bytes.resize(static_cast<size_t>(written));
    result.lossy = usedDefault != FALSE;
    return result;
}

std::wstring fromCodePage(std::string_view text, UINT codePage)
{
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    int size = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), size);
    return result;
}

std::wstring fromUtf8(std::string_view text)
{
    return fromCodePage(text, CP_UTF8);
}

std::string toUtf8(std::wstring_view text)
{
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), size, nullptr, nullptr);
    return result;
}

}  // namespace velmar
