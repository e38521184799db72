#include "config/settings.h"

#include "config/ini_file.h"
#include "config/settings_trace.h"
#include "resources/resource.h"
#include "support/file_system.h"
#include "support/messages.h"
#include "support/text.h"
#include "support/trace.h"

#include <algorithm>
#include <array>

namespace velmar {

namespace {

struct ProviderRow {
    std::wstring_view name;
    ProviderPolicy policy;
};

// Accepted and favored flags for JRockit, Sun and IBM, in that order.
constexpr std::array<ProviderRow, 6> kProviderRows = {{
    {L"jrockit", {true, true, false, false, false, false}},
    {L"ibm", {false, false, false, false, true, true}},
    {L"favor_sun", {true, false, true, true, true, false}},
    {L"favor_jrockit", {true, true, true, false, true, false}},
    {L"favor_ibm", {true, false, true, false, true, true}},
    {L"any", {true, false, true, false, true, false}},
}};

std::wstring readJrePath(const Settings& read, const LayeredIniFile& settings,
                         const std::wstring& executablePath)
{
    if (!read.isService) {
        // A user's own choice, once made, wins over the packager's, even
        // when it has since been emptied.
        std::wstring perUser = perUserIniPath(executablePath, read.productName, read.productCode, false);
        if (entryFound(perUser)) {
            return readSetting(IniFile(perUser), kJrePathKey);
        }
    }
    return readSetting(settings, kJrePathKey);
}

// Message 210; when the INI file is not there at all (a download renamed
// to "myapp (1).exe" looks for "myapp (1).ini"), also which file was
// looked for, since the key is then not what needs fixing.
void reportMissingMainClass(const ErrorReporter& errors, const std::wstring& iniPath)
{
    std::wstring text = LoadMessage(IDS_NO_MAIN_CLASS);
    if (!entryFound(iniPath)) {
        text += L"\n\n" + FormatMessageText(LoadMessage(IDS_INI_FILE_MISSING), {iniPath});
    }
    errors.show(text);
}

}  // namespace

std::wstring_view moduleOfMainModule(std::wstring_view text)
{
    return text.substr(0, text.find(L'/'));
}

std::wstring_view classOfMainModule(std::wstring_view text)
{
    const size_t slash = text.find(L'/');
    return slash == std::wstring_view::npos ? std::wstring_view() : text.substr(slash + 1);
}

std::wstring downloadAddressFrom(std::wstring_view text)
{
    for (std::wstring_view scheme : {L"http://", L"https://"}) {
        if (text.size() > scheme.size() && equalsIgnoringCase(text.substr(0, scheme.size()), scheme)) {
            return std::wstring(text);
        }
    }
    return kJavaDownloadAddress;
}

std::unique_ptr<LayeredIniFile> openLauncherIni()
{
    std::optional<std::wstring> iniPath = launcherIniPath();
    return iniPath ? std::make_unique<LayeredIniFile>(std::move(*iniPath)) : nullptr;
}

int decodeJvmType(std::wstring_view text)
{
    if (valueIs(kJvmTypeKey, text, L"server")) {
        return 1;
    }
    return valueIs(kJvmTypeKey, text, L"favor_server") ? 2 : 0;
}

RuntimeKinds decodeJvmSource(std::wstring_view text)
{
    if (text.empty()) {
        return {true, true, true};
    }
    if (valueIs(kJvmSourceKey, text, L"favor_JDK")) {
        return {true, false, true};
    }
    if (valueIs(kJvmSourceKey, text, L"favor_JRE")) {
        return {false, true, true};
    }
    if (valueIs(kJvmSourceKey, text, L"only_JDK")) {
        return {true, false, false};
    }
    if (valueIs(kJvmSourceKey, text, L"only_JRE")) {
        return {false, true, false};
    }
    return {false, false, false};
}

ProviderPolicy decodeVmProvider(std::wstring_view text)
{
    for (const ProviderRow& row : kProviderRows) {
        if (valueIs(kVmProviderKey, text, row.name)) {
            return row.policy;
        }
    }
    return ProviderPolicy{};
}

bool loadSettings(const LayeredIniFile& settings, Settings& read, const Trace& trace,
                  const ErrorReporter& errors)
{
    std::optional<std::wstring> executablePath = modulePath();
    if (!executablePath) {
        return false;
    }
    read.productCode = readSetting(settings, kProductCodeKey);
    read.productName = readSetting(settings, kProductNameKey);
    read.minimumVersion = boundFromText(readSetting(settings, kMinimumVersionKey), BoundKind::minimum);
    read.maximumVersion = boundFromText(readSetting(settings, kMaximumVersionKey), BoundKind::maximum);
    read.isService = settingIs(settings, kApplicationTypeKey, L"service");
    read.preferredVersions = splitList(readSetting(settings, kPreferredVersionsKey));

    read.jrePathSetting = readJrePath(read, settings, *executablePath);
    read.javaHomeVariables = splitList(readSetting(settings, kJavaHomeVariablesKey));
    read.downloadAddress = downloadAddressFrom(readSetting(settings, kDownloadAddressKey));

    read.jvmType = decodeJvmType(readSetting(settings, kJvmTypeKey));
    const std::wstring source = readSetting(settings, kJvmSourceKey);
    const RuntimeKinds kinds = decodeJvmSource(source);
    read.jdkSelected = kinds.jdkSelected;
    read.jreSelected = kinds.jreSelected;
    if (!source.empty()) {
        read.bothKindsAllowed = kinds.bothKindsAllowed;
    }
    read.provider = decodeVmProvider(readSetting(settings, kVmProviderKey));
    if (trace.on()) {
        traceSettings(trace, read, settings, *executablePath);
    }

    // A main module names the class itself, or leaves it to the module.
    read.mainModule = readSetting(settings, kMainModuleKey);
    std::wstring mainClass = read.mainModule.empty() ? readSetting(settings, kMainClassKey)
                                                     : std::wstring(classOfMainModule(read.mainModule));
    if (mainClass.empty() && read.mainModule.empty()) {
        reportMissingMainClass(errors, settings.path());
        return false;
    }
    std::replace(mainClass.begin(), mainClass.end(), L'.', L'/');
    read.mainClass = std::move(mainClass);

    read.failureCheck = settingIs(settings, kFailureCheckKey, L"Yes");
    read.overrideWorkingDir = settingIs(settings, kOverrideWorkingDirKey, L"Yes");
    read.systemPath = readSetting(settings, kSystemPathKey);
    read.libraryPath = readSetting(settings, kLibraryPathKey);
    // Relative to the launcher, so that a folder unzipped anywhere and
    // started from anywhere finds its pair.
    const std::wstring pairProduct = readSetting(settings, kPairProductKey);
    read.pairProduct = pairProduct.empty() ? pairProduct : launcherRelativePath(pairProduct, launcherFolder());
    read.pairReturnCode = settingIs(settings, kPairReturnCodeKey, L"Yes");
    return true;
}

}  // namespace velmar
