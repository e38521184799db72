#include "runtime/registry_value.h"

#include "support/environment.h"

#include <algorithm>
#include <vector>

namespace velmar {

namespace {

// REG_MULTI_SZ is read for its first string, as it always was: a
// registration written with that type by some tool keeps working.
bool isTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The data of a text value, or nothing; retried while the value grows
// between the query of its size and the read.
std::wstring readText(const ValueQuery& query)
{
    for (int attempt = 0; attempt < kValueReadAttempts; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (query(&type, nullptr, &size) != ERROR_SUCCESS || !isTextType(type) || size == 0 ||
            size > kLongestPathValue) {
            return {};
        }
        // The size the read reports is what counts: the value may also have
        // shrunk.
        std::vector<BYTE> data(size);
        DWORD read = static_cast<DWORD>(data.size());
        const LSTATUS status = query(&type, data.data(), &read);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS || read > data.size()) {
            return {};
        }
        std::wstring text = textOfValue(type, std::span(data.data(), read));
        return type == REG_EXPAND_SZ ? expandEnvironment(text) : text;
    }
    return {};
}

}  // namespace

std::wstring textOfValue(DWORD type, std::span<const BYTE> data)
{
    if (!isTextType(type)) {
        return {};
    }
    std::wstring text;
    text.reserve((data.size() + 1) / kValueUnitBytes);
    for (size_t at = 0; at < data.size(); at += kValueUnitBytes) {
        const unsigned high = at + 1 < data.size() ? data[at + 1] : 0;
        const auto unit = static_cast<wchar_t>(data[at] | (high << 8));
        if (unit == L'\0') {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

bool isUsablePath(std::wstring_view text)
{
    return !text.empty() &&
           std::none_of(text.begin(), text.end(), [](wchar_t c) { return c < L'\x20'; });
}

std::wstring readFolderValue(const ValueQuery& query)
{
    std::wstring text = readText(query);
    return isUsablePath(text) && text.size() <= kLongestPath ? text : std::wstring();
}

std::wstring readFolderValue(HKEY key, std::wstring_view valueName)
{
    const std::wstring name(valueName);
    return readFolderValue([key, &name](DWORD* type, BYTE* data, DWORD* size) {
        return ::RegQueryValueExW(key, name.c_str(), nullptr, type, data, size);
    });
}

}  // namespace velmar
