#include "jvm/jvm_options.h"

#include "config/ini_file.h"
#include "config/settings.h"
#include "core/launcher.h"
#include "core/messages.h"
#include "jvm/class_path.h"
#include "jvm/memory_options.h"
#include "jvm/option_encoding.h"
#include "jvm/option_text.h"
#include "resources/resource.h"
#include "support/environment.h"
#include "support/text.h"

namespace velmar {

namespace {

std::wstring readClassPath(const IniFile& ini, std::wstring_view launcherPath)
{
    std::vector<std::wstring> entries = splitList(readSetting(ini, kClassPathKey));
    for (std::wstring& entry : entries) {
        entry = expandEnvironment(entry);
    }
    // Relative entries bring their own leading backslash.
    const std::wstring folder = executableFolder(launcherPath);
    std::wstring classPath = buildClassPath(entries, cutAtLastBackslash(folder));
    if (settingIs(ini, kEmbeddedJarKey, L"Yes")) {
        classPath.insert(0, std::wstring(launcherPath) + L";");
    }
    return classPath;
}

void readStreamSettings(Launcher& launcher, const IniFile& ini)
{
    launcher.outputFile = readSetting(ini, kOutputFileKey);
    if (!launcher.outputFile.empty()) {
        launcher.outputFile = expandEnvironment(launcher.outputFile);
    }
    launcher.appendOutput = settingIs(ini, kOutputAppendKey, L"yes");
    launcher.errorFile = readSetting(ini, kErrorFileKey);
    if (!launcher.errorFile.empty()) {
        launcher.errorFile = expandEnvironment(launcher.errorFile);
    }
    launcher.appendError = settingIs(ini, kErrorAppendKey, L"yes");
}

void appendCmdArguments(Launcher& launcher, const IniFile& ini)
{
    launcher.extraArguments = readSetting(ini, kCmdKey);
    if (launcher.extraArguments.empty()) {
        return;
    }
    for (std::wstring& piece : cutCmdPieces(expandEnvironment(launcher.extraArguments))) {
        if (!piece.empty()) {
            launcher.arguments.push_back(std::move(piece));
        }
    }
}

}  // namespace

OptionAssembly assembleJvmOptions(Launcher& launcher)
{
    const LayeredIniFile* settings = launcherSettings(launcher);
    std::optional<std::wstring> launcherPath = settings ? modulePath() : std::nullopt;
    if (!launcherPath) {
        return OptionAssembly::incomplete;
    }
    const LayeredIniFile& ini = *settings;
    std::wstring classPath = readClassPath(ini, *launcherPath);
    if (classPath.empty()) {
        ShowErrorBox(launcher.splash.window, IDS_NO_CLASS_PATH);
        return OptionAssembly::incomplete;
    }
    // The entries were expanded before the file system was asked; the names
    // it returned are taken literally, so the class path is not expanded
    // again.
    if (!appendPathListOption(launcher, L"-Djava.class.path=", classPath)) {
        return OptionAssembly::failed;
    }
    for (const std::wstring& token :
         cutVmParameters(readSetting(ini, kVmParametersKey))) {
        std::wstring option = processVmToken(launcher, removeQuotes(token));
        if (!appendVmOption(launcher, expandEnvironment(option))) {
            return OptionAssembly::failed;
        }
    }
    readStreamSettings(launcher, ini);
    appendCmdArguments(launcher, ini);
    return OptionAssembly::complete;
}

}  // namespace velmar
