// The launcher's settings: reading the launcher INI into the Launcher
// record, and the value tables of the switches.
#pragma once

#include <string_view>

namespace velmar {

class Launcher;

inline constexpr std::wstring_view kRuntimeSection = L"Java Runtime Environment";
inline constexpr std::wstring_view kApplicationSection = L"Application";
inline constexpr std::wstring_view kProductSection = L"Product Information";
inline constexpr std::wstring_view kClassPathSection = L"Class Path";
inline constexpr std::wstring_view kDisplaySection = L"Display";
inline constexpr std::wstring_view kJrePathKey = L"JRE Path";

// "JVM Type": 1 for exactly "server", 2 for exactly "favor_server", else 0.
int decodeJvmType(std::wstring_view text);

struct RuntimeKinds {
    bool jdkSelected = true;
    bool jreSelected = true;
    bool bothKindsAllowed = true;
};
// "JVM Source", compared exactly; an unknown value selects no kind.
RuntimeKinds decodeJvmSource(std::wstring_view text);

struct ProviderPolicy {
    bool jrockitAccepted = false;
    bool jrockitFavored = false;
    bool sunAccepted = true;
    bool sunFavored = true;
    bool ibmAccepted = false;
    bool ibmFavored = false;
    friend bool operator==(const ProviderPolicy&, const ProviderPolicy&) = default;
};
// "VM Provider", letter case ignored; an unknown value gives the default.
ProviderPolicy decodeVmProvider(std::wstring_view text);

// "Yes" in any letter case.
bool isYes(std::wstring_view text);

// Fills the record from the launcher INI; false when the INI cannot be
// located or names no main class (message 210 shown).
bool loadSettings(Launcher& launcher);

}  // namespace velmar
