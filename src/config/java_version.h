// Java version numbers: four signed 32-bit components, most significant
// first. Every run of digits in a text is a component; missing trailing
// components are filled with 0 (lower bounds, registry names, preferred
// items) or 65535 (upper bounds).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmar {

struct JavaVersion {
    std::array<int32_t, 4> c{};

    friend bool operator==(const JavaVersion&, const JavaVersion&) = default;
};

inline constexpr int32_t kOpenFill = 65535;

struct ParsedVersion {
    bool ok = false;
    JavaVersion value;  // 0.0.0.0 when the parse failed
};

ParsedVersion parseVersion(std::wstring_view text, int32_t fill);

enum class BoundKind { minimum, maximum };
// "any" (exact) is the open bound; other text is parsed with fill 0 for a
// minimum and 65535 for a maximum.
JavaVersion boundFromText(std::wstring_view text, BoundKind kind);

// Negative, zero or positive, lexicographically over the components.
int compareVersions(const JavaVersion& a, const JavaVersion& b);

std::wstring formatVersion(const JavaVersion& version);

// All components 0, or all 65535: no limit.
bool isOpenBound(const JavaVersion& version);

// A preferred item matches every installed version that agrees with it up
// to its last non-zero component.
bool matchesPreferred(const JavaVersion& installed, const JavaVersion& preferred);

// The phrase telling the user which version is needed, from the string
// table ("minimum version 1.8", "version between 1.6 and 1.8", ...).
std::wstring requirementPhrase(const JavaVersion& minimum, const JavaVersion& maximum);

}  // namespace velmar
