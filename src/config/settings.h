// The launcher's settings: what the launcher INI says about the runtime
// and the start, read once, and the value tables of the switches.
#pragma once

#include "config/java_version.h"
#include "config/setting_keys.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

class ErrorReporter;
class LayeredIniFile;
class Trace;


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

// The settings of [Java Runtime Environment] and of the start, as the
// launcher INI (and, for "JRE Path", the per-user INI) gives them.
struct Settings {
    std::wstring productName;
    std::wstring productCode;
    bool isService = false;
    JavaVersion minimumVersion;
    JavaVersion maximumVersion;
    std::vector<std::wstring> preferredVersions;
    // The per-user INI's "JRE Path" when it has one, else the launcher's.
    std::wstring jrePathSetting;
    // "Java Home Variables": names of variables that may name a runtime.
    std::vector<std::wstring> javaHomeVariables;
    // "Download Address": where "JRE Not Found" sends the user for Java.
    std::wstring downloadAddress;
    int jvmType = 0;
    bool jdkSelected = false;
    bool jreSelected = false;
    bool bothKindsAllowed = true;
    ProviderPolicy provider;
    // "Main Module" as written (module or module/class); empty for an
    // application on the class path.
    std::wstring mainModule;
    // Slash form; with a main module, the class after its "/" (empty when
    // the module names its own).
    std::wstring mainClass;
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    std::wstring systemPath;
    std::wstring libraryPath;
    // Below the launcher's folder when the INI gives it relative.
    std::wstring pairProduct;
    bool pairReturnCode = false;
};

// The launcher INI beside the running program, for the whole start: every
// step reads through this accessor, so each section of the file is read
// once however many steps ask. Null when the program's own path cannot be
// read (message 202 shown).
std::unique_ptr<LayeredIniFile> openLauncherIni();

// Reads the settings from the launcher INI; false when it names no main
// class (message 210 shown through `errors`).
bool loadSettings(const LayeredIniFile& ini, Settings& settings, const Trace& trace,
                  const ErrorReporter& errors);

}  // namespace velmar
