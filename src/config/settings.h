// The launcher's settings: reading the launcher INI into the Launcher
// record, and the value tables of the switches.
#pragma once

#include "config/setting_keys.h"

#include <string_view>

namespace velmar {

class Launcher;
class LayeredIniFile;

// The launcher INI for the whole start: every step after loadSettings
// reads through the accessor it made, so each section of the file is read
// once however many steps ask. Null when the INI cannot be located
// (message 202 shown).
const LayeredIniFile* launcherSettings(Launcher& launcher);


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

// "Main Module" as java's --module takes it: the module before the first
// "/" and the class after it (empty when the module names its own).
std::wstring_view moduleOfMainModule(std::wstring_view text);
std::wstring_view classOfMainModule(std::wstring_view text);

// "Download Address": an http or https address, letter case of the scheme
// ignored, as written; anything else, which the link would hand to the
// shell as a program or a file, gives the default.
std::wstring downloadAddressFrom(std::wstring_view text);

// Fills the record from the launcher INI, read afresh; false when the INI
// cannot be located or names no main class (message 210 shown).
bool loadSettings(Launcher& launcher);

}  // namespace velmar
