#include "config/settings_trace.h"

#include "config/ini_file.h"
#include "config/setting_keys.h"
#include "core/launcher.h"
#include "runtime/java_version.h"
#include "support/handles.h"
#include "support/trace.h"

namespace velmar {

namespace {

constexpr std::wstring_view kStage = L"ini";

// Up to the three bytes a byte-order mark can take; nothing when the file
// cannot be read. Shared for reading and writing, as an editor or the
// per-user file's writer may hold it.
std::optional<std::string> firstBytesOf(const std::wstring& path)
{
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char bytes[3] = {};
    DWORD read = 0;
    if (!file || !::ReadFile(file.get(), bytes, sizeof bytes, &read, nullptr)) {
        return std::nullopt;
    }
    return std::string(bytes, read);
}

void traceFile(const Trace& trace, std::wstring_view role, const std::wstring& path)
{
    const std::optional<std::string> bytes = firstBytesOf(path);
    trace.line(kStage, {role, " ", path, ": ",
                        bytes ? TracePiece(iniEncodingName(*bytes)) : "cannot be read (missing or locked)"});
}

// An empty maximum gives 0.0.0.0, which the search takes as no maximum.
std::wstring boundText(const JavaVersion& bound)
{
    return isOpenBound(bound) ? L"(open)" : formatVersion(bound);
}

}  // namespace

std::wstring_view iniEncodingName(std::string_view firstBytes)
{
    if (firstBytes.starts_with("\xEF\xBB\xBF")) {
        return L"UTF-8 with byte-order mark";
    }
    if (firstBytes.starts_with("\xFF\xFE")) {
        return L"UTF-16 little-endian with byte-order mark";
    }
    if (firstBytes.starts_with("\xFE\xFF")) {
        return L"UTF-16 big-endian with byte-order mark";
    }
    return firstBytes.empty() ? L"empty" : L"no byte-order mark, read in the ANSI code page";
}

void traceSettings(const Trace& trace, const Launcher& launcher, const LayeredIniFile& settings,
                   std::wstring_view executablePath)
{
    traceFile(trace, L"launcher INI", settings.path());
    if (!launcher.isService) {
        // Only "JRE Path" is read from it, and only when the file is there.
        traceFile(trace, L"per-user INI",
                  perUserIniPath(executablePath, launcher.productName, launcher.productCode, false));
    }
    for (const SettingKey* key : kSettingKeys) {
        const std::wstring value = readSetting(settings, *key);
        if (!value.empty()) {
            trace.line(kStage, {"[", key->section, "] ", key->name, " = ", value});
        }
    }
    trace.line(L"settings", {"\"JRE Path\" in effect: ",
                             launcher.jrePathSetting.empty() ? "(none)" : TracePiece(launcher.jrePathSetting)});
    trace.line(L"settings", {"versions from ", boundText(launcher.minimumVersion), " to ",
                             boundText(launcher.maximumVersion)});
}

}  // namespace velmar
