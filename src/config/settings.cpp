#include "config/settings.h"

#include "config/ini_file.h"
#include "core/launcher.h"
#include "core/messages.h"
#include "resources/resource.h"
#include "support/file_system.h"
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
        if (entryFound(withLongPathPrefix(perUser))) {
            return IniFile(perUser).getString(kRuntimeSection, kJrePathKey);
        }
    }
    return settings.getString(kRuntimeSection, kJrePathKey);
}

}  // namespace

int decodeJvmType(std::wstring_view text)
{
    if (text == L"server") {
        return 1;
    }
    return text == L"favor_server" ? 2 : 0;
}

RuntimeKinds decodeJvmSource(std::wstring_view text)
{
    if (text.empty()) {
        return {true, true, true};
    }
    if (text == L"favor_JDK") {
        return {true, false, true};
    }
    if (text == L"favor_JRE") {
        return {false, true, true};
    }
    if (text == L"only_JDK") {
        return {true, false, false};
    }
    if (text == L"only_JRE") {
        return {false, true, false};
    }
    return {false, false, false};
}

ProviderPolicy decodeVmProvider(std::wstring_view text)
{
    for (const ProviderRow& row : kProviderRows) {
        if (equalsIgnoringCase(text, row.name)) {
            return row.policy;
        }
    }
    return ProviderPolicy{};
}

bool isYes(std::wstring_view text)
{
    return equalsIgnoringCase(text, L"Yes");
}

bool loadSettings(Launcher& launcher)
{
    std::optional<std::wstring> executablePath = modulePath();
    std::optional<std::wstring> iniPath =
        executablePath ? iniPathFor(*executablePath) : std::nullopt;
    if (!iniPath) {
        return false;
    }

    // One accessor, so the file is read once; the product keys take no
    // append section.
    const LayeredIniFile settings(*iniPath);
    launcher.productCode = settings.IniFile::getString(kProductSection, L"Product Code");
    launcher.productName = settings.IniFile::getString(kProductSection, L"Product Name");
    launcher.minimumVersion =
        boundFromText(settings.getString(kRuntimeSection, L"Minimum Version"), BoundKind::minimum);
    launcher.maximumVersion =
        boundFromText(settings.getString(kRuntimeSection, L"Maximum Version"), BoundKind::maximum);
    launcher.isService = settings.getString(kApplicationSection, L"Application Type") == L"service";
    launcher.preferredVersions = splitList(settings.getString(kRuntimeSection, L"Preferred versions"));

    launcher.jrePathSetting = readJrePath(launcher, settings, *executablePath);

    launcher.jvmType = decodeJvmType(settings.getString(kRuntimeSection, L"JVM Type"));
    const std::wstring source = settings.getString(kRuntimeSection, L"JVM Source");
    const RuntimeKinds kinds = decodeJvmSource(source);
    launcher.jdkSelected = kinds.jdkSelected;
    launcher.jreSelected = kinds.jreSelected;
    if (!source.empty()) {
        launcher.bothKindsAllowed = kinds.bothKindsAllowed;
    }
    applyProviderPolicy(launcher, decodeVmProvider(settings.getString(kRuntimeSection, L"VM Provider")));

    std::wstring mainClass = settings.getString(kRuntimeSection, L"Main Class");
    if (mainClass.empty()) {
        ShowErrorBox(launcher.splashWindow, IDS_NO_MAIN_CLASS);
        return false;
    }
    std::replace(mainClass.begin(), mainClass.end(), L'.', L'/');
    launcher.mainClass = std::move(mainClass);

    launcher.failureCheck = isYes(settings.getString(kApplicationSection, L"Failure Check"));
    launcher.overrideWorkingDir = isYes(settings.getString(kApplicationSection, L"Override WorkingDir"));
    launcher.systemPath = settings.getString(kRuntimeSection, L"System Path");
    launcher.libraryPath = settings.getString(kRuntimeSection, L"Library Path");
    launcher.pairProduct = settings.getString(kApplicationSection, L"Pair Product");
    launcher.pairReturnCode = isYes(settings.getString(kApplicationSection, L"Pair Return Code"));
    return true;
}

}  // namespace velmar
