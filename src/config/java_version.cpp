#include "config/java_version.h"

#include "resources/resource.h"
#include "support/messages.h"
#include "support/text.h"

#include <limits>

namespace velmar {

namespace {

size_t nextDigit(std::wstring_view text, size_t from)
{
    while (from < text.size() && !isDigit(text[from])) {
        ++from;
    }
    return from;
}

bool allComponentsAre(const JavaVersion& version, int32_t value)
{
    for (int32_t component : version.c) {
        if (component != value) {
            return false;
        }
    }
    return true;
}

}  // namespace

ParsedVersion parseVersion(std::wstring_view text, int32_t fill)
{
    ParsedVersion result;
    size_t position = nextDigit(text, 0);
    if (position == text.size()) {
        return result;
    }
    size_t index = 0;
    for (;;) {
        int64_t value = 0;
        for (; position < text.size() && isDigit(text[position]); ++position) {
            value = value * 10 + (text[position] - L'0');
            if (value > std::numeric_limits<int32_t>::max()) {
                return ParsedVersion{};
            }
        }
        result.value.c[index++] = static_cast<int32_t>(value);
        position = nextDigit(text, position);
        if (position == text.size() || index == 4) {
            break;
        }
    }
    for (; index < 4; ++index) {
        result.value.c[index] = fill;
    }
    result.ok = true;
    return result;
}

JavaVersion boundFromText(std::wstring_view text, BoundKind kind)
{
    const bool maximum = kind == BoundKind::maximum;
    if (text == L"any") {
        return maximum ? JavaVersion{{kOpenFill, kOpenFill, kOpenFill, kOpenFill}} : JavaVersion{};
    }
    return parseVersion(text, maximum ? kOpenFill : 0).value;
}

int compareVersions(const JavaVersion& a, const JavaVersion& b)
{
    for (size_t i = 0; i < 4; ++i) {
        if (a.c[i] != b.c[i]) {
            return a.c[i] < b.c[i] ? -1 : 1;
        }
    }
    return 0;
}

std::wstring formatVersion(const JavaVersion& version)
{
    int last = 3;
    while (last >= 0 && (version.c[last] == 0 || version.c[last] == kOpenFill)) {
        --last;
    }
    if (last < 0) {
        return L"0.0.0.0";
    }
    std::wstring text = decimalText(version.c[0]);
    for (int i = 1; i <= std::max(last, 1); ++i) {
        text += L'.';
        text += decimalText(version.c[i]);
    }
    return text;
}

bool isOpenBound(const JavaVersion& version)
{
    return allComponentsAre(version, 0) || allComponentsAre(version, kOpenFill);
}

bool matchesPreferred(const JavaVersion& installed, const JavaVersion& preferred)
{
    size_t significant = 4;
    while (significant > 0 && preferred.c[significant - 1] == 0) {
        --significant;
    }
    for (size_t i = 0; i < significant; ++i) {
        if (installed.c[i] != preferred.c[i]) {
            return false;
        }
    }
    return true;
}

std::wstring requirementPhrase(const JavaVersion& minimum, const JavaVersion& maximum)
{
    const bool openMinimum = isOpenBound(minimum);
    const bool openMaximum = isOpenBound(maximum);
    if (openMinimum && openMaximum) {
        return LoadMessage(IDS_LATEST_VERSION);
    }
    if (openMinimum) {
        return FormatMessageText(LoadMessage(IDS_MAXIMUM_VERSION), {formatVersion(maximum)});
    }
    if (openMaximum) {
        return FormatMessageText(LoadMessage(IDS_MINIMUM_VERSION), {formatVersion(minimum)});
    }
    if (minimum == maximum) {
        return FormatMessageText(LoadMessage(IDS_EXACT_VERSION), {formatVersion(minimum)});
    }
    return FormatMessageText(LoadMessage(IDS_VERSION_RANGE),
                             {formatVersion(minimum), formatVersion(maximum)});
}

}  // namespace velmar
