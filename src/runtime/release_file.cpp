#include "runtime/release_file.h"

#include "support/file_system.h"
#include "support/handles.h"

#include <string>


namespace velmar {

namespace {

constexpr std::string_view kVersionKey = "JAVA_VERSION=";

std::string_view withoutSurrounding(std::string_view text, char c)
{
    if (!text.empty() && text.front() == c) {
        text.remove_prefix(1);
    }
    if (!text.empty() && text.back() == c) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// The value of the first JAVA_VERSION line; nothing without one.
std::optional<std::string_view> versionValue(std::string_view text)
{
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (line.starts_with(kVersionKey)) {
            return withoutSurrounding(trimmed(line.substr(kVersionKey.size())), '"');
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return std::nullopt;
}

}  // namespace

ReleaseVersion versionFromRelease(std::string_view text)
{
    const std::optional<std::string_view> value = versionValue(text);
    if (!value) {
        return {std::nullopt, L"no JAVA_VERSION line in its release file"};
    }
    // Only the digits and separators matter to the version; each byte is
    // widened alone, so a stray non-ASCII byte is one more separator.
    std::wstring wide(value->size(), L'\0');
    for (size_t i = 0; i < value->size(); ++i) {
        wide[i] = static_cast<unsigned char>((*value)[i]);
    }
    const ParsedVersion parsed = parseVersion(wide, 0);
    if (!parsed.ok) {
        return {std::nullopt, L"no version number in the JAVA_VERSION line of its release file"};
    }
    return {parsed.value, {}};
}

ReleaseVersion readReleaseVersion(std::wstring_view folder)
{
    const std::wstring path = std::wstring(folder) + L"release";
    UniqueFile file(::CreateFileW(longPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return {std::nullopt, L"no release file"};
    }
    // One byte beyond the cap tells a file at the cap from a larger one.
    std::string bytes(kReleaseFileCap + 1, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return {std::nullopt, L"its release file cannot be read"};
    }
    if (read > kReleaseFileCap) {
        return {std::nullopt, L"its release file is larger than 16 KB"};
    }
    bytes.resize(read);
    return versionFromRelease(bytes);
}

}  // namespace velmar
