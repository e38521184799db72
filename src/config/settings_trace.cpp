#include "config/settings_trace.h"

#include "config/ini_file.h"
#include "config/ini_text.h"
#include "config/java_version.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "support/trace.h"

namespace velmar {

namespace {

constexpr std::wstring_view kStage = L"ini";

void traceFile(const Trace& trace, std::wstring_view role, const std::wstring& path)
{
    // Decided from the whole file, as the reading decides it.
    const std::optional<std::string> bytes = readIniBytes(path);
    trace.line(kStage, {role, " ", path, ": ",
                        bytes ? TracePiece(iniEncodingName(detectIniEncoding(*bytes)))
                              : "cannot be read (missing or locked)"});
}

// An empty maximum gives 0.0.0.0, which the search takes as no maximum.
std::wstring boundText(const JavaVersion& bound)
{
    return isOpenBound(bound) ? L"(open)" : formatVersion(bound);
}

}  // namespace

void traceSettings(const Trace& trace, const Settings& read, const LayeredIniFile& settings,
                   std::wstring_view executablePath)
{
    traceFile(trace, L"launcher INI", settings.path());
    if (!read.isService) {
        // Only "JRE Path" is read from it, and only when the file is there.
        traceFile(trace, L"per-user INI",
                  perUserIniPath(executablePath, read.productName, read.productCode, false));
    }
    for (const SettingKey* key : kSettingKeys) {
        const std::wstring value = readSetting(settings, *key);
        if (!value.empty()) {
            trace.line(kStage, {"[", key->section, "] ", key->name, " = ", value});
        }
    }
    trace.line(L"settings", {"\"JRE Path\" in effect: ",
                             read.jrePathSetting.empty() ? "(none)" : TracePiece(read.jrePathSetting)});
    trace.line(L"settings", {"versions from ", boundText(read.minimumVersion), " to ",
                             boundText(read.maximumVersion)});
}

}  // namespace velmar
