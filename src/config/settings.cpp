#include "config/settings.h"

#include "config/ini_file.h"
#include "config/settings_trace.h"
#include "core/launcher.h"
#include "resources/resource.h"
#include "support/file_system.h"
#include "support/messages.h"
#include "support/text.h"

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

void applyProviderPolicy(Launcher& launcher, const ProviderPolicy& policy)
{
    launcher.jrockitAccepted = policy.jrockitAccepted;
    launcher.jrockitFavored = policy.jrockitFavored;
    launcher.sunAccepted = policy.sunAccepted;
    launcher.sunFavored = policy.sunFavored;
    launcher.ibmAccepted = policy.ibmAccepted;
    launcher.ibmFavored = policy.ibmFavored;
}

std::wstring readJrePath(const Launcher& launcher, const LayeredIniFile& settings,
                         const std::wstring& executablePath)
{
    if (!launcher.isService) {
        // A user's own choice, once made, wins over the packager's, even
        // when it has since been emptied.
        std::wstring perUser = perUserIniPath(executablePath, launcher.productName,
                                              launcher.productCode, false);
        if (entryFound(perUser)) {
            return readSetting(IniFile(perUser), kJrePathKey);
        }
    }
    return readSetting(settings, kJrePathKey);
}

// Message 210; when the INI file is not there at all (a download renamed
// to "myapp (1).exe" looks for "myapp (1).ini"), also which file was
// looked for, since the key is then not what needs fixing.
void reportMissingMainClass(const Launcher& launcher, const std::wstring& iniPath)
{
    std::wstring text = LoadMessage(IDS_NO_MAIN_CLASS);
    if (!entryFound(iniPath)) {
        text += L"\n\n" + FormatMessageText(LoadMessage(IDS_INI_FILE_MISSING), {iniPath});
    }
    ShowErrorBox(launcher.splash.window, text);
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

const LayeredIniFile* launcherSettings(Launcher& launcher)
{
    if (!launcher.launcherIni) {
        std::optional<std::wstring> iniPath = launcherIniPath();
        if (!iniPath) {
            return nullptr;
        }
        launcher.launcherIni = std::make_unique<LayeredIniFile>(std::move(*iniPath));
    }
    return launcher.launcherIni.get();
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

bool loadSettings(Launcher& launcher)
{
    std::optional<std::wstring> executablePath = modulePath();
    // The first step of a start reads the file as it is now; the later
    // steps share the accessor it makes.
    launcher.launcherIni.reset();
    const LayeredIniFile* ini = executablePath ? launcherSettings(launcher) : nullptr;
    if (ini == nullptr) {
        return false;
    }
    const LayeredIniFile& settings = *ini;
    launcher.productCode = readSetting(settings, kProductCodeKey);
    launcher.productName = readSetting(settings, kProductNameKey);
    launcher.minimumVersion =
        boundFromText(readSetting(settings, kMinimumVersionKey), BoundKind::minimum);
    launcher.maximumVersion =
        boundFromText(readSetting(settings, kMaximumVersionKey), BoundKind::maximum);
    launcher.isService = settingIs(settings, kApplicationTypeKey, L"service");
    launcher.preferredVersions = splitList(readSetting(settings, kPreferredVersionsKey));

    launcher.jrePathSetting = readJrePath(launcher, settings, *executablePath);
    launcher.javaHomeVariables = splitList(readSetting(settings, kJavaHomeVariablesKey));
    launcher.downloadAddress = downloadAddressFrom(readSetting(settings, kDownloadAddressKey));

    launcher.jvmType = decodeJvmType(readSetting(settings, kJvmTypeKey));
    const std::wstring source = readSetting(settings, kJvmSourceKey);
    const RuntimeKinds kinds = decodeJvmSource(source);
    launcher.jdkSelected = kinds.jdkSelected;
    launcher.jreSelected = kinds.jreSelected;
    if (!source.empty()) {
        launcher.bothKindsAllowed = kinds.bothKindsAllowed;
    }
    applyProviderPolicy(launcher, decodeVmProvider(readSetting(settings, kVmProviderKey)));
    if (launcher.trace.on()) {
        traceSettings(launcher.trace, launcher, settings, *executablePath);
    }

    // A main module names the class itself, or leaves it to the module.
    launcher.mainModule = readSetting(settings, kMainModuleKey);
    std::wstring mainClass = launcher.mainModule.empty() ? readSetting(settings, kMainClassKey)
                                                         : std::wstring(classOfMainModule(launcher.mainModule));
    if (mainClass.empty() && launcher.mainModule.empty()) {
        reportMissingMainClass(launcher, settings.path());
        return false;
    }
    std::replace(mainClass.begin(), mainClass.end(), L'.', L'/');
    launcher.mainClass = std::move(mainClass);

    launcher.failureCheck = settingIs(settings, kFailureCheckKey, L"Yes");
    launcher.overrideWorkingDir = settingIs(settings, kOverrideWorkingDirKey, L"Yes");
    launcher.systemPath = readSetting(settings, kSystemPathKey);
    launcher.libraryPath = readSetting(settings, kLibraryPathKey);
    // Relative to the launcher, so that a folder unzipped anywhere and
    // started from anywhere finds its pair.
    const std::wstring pairProduct = readSetting(settings, kPairProductKey);
    launcher.pairProduct = pairProduct.empty() ? pairProduct : launcherRelativePath(pairProduct, launcherFolder());
    launcher.pairReturnCode = settingIs(settings, kPairReturnCodeKey, L"Yes");
    return true;
}

}  // namespace velmar
