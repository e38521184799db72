#include "jvm/jvm_options.h"

#include "config/ini_file.h"
#include "config/settings.h"
#include "core/launcher.h"
#include "jvm/class_path.h"
#include "jvm/memory_options.h"
#include "jvm/option_encoding.h"
#include "jvm/option_text.h"
#include "jvm/stream_redirection.h"
#include "resources/resource.h"
#include "support/environment.h"
#include "support/messages.h"
#include "support/text.h"
#include "support/trace.h"

namespace velmar {

namespace {

// The entries of a path list key, expanded, then looked up as "Class
// Path" entries are; relative entries bring their own leading backslash.
BuiltClassPath readPathList(const Trace& trace, const IniFile& ini, const SettingKey& key,
                            std::wstring_view launcherPath)
{
    std::vector<std::wstring> entries = splitList(readSetting(ini, key));
    for (std::wstring& entry : entries) {
        entry = expandEnvironment(entry);
    }
    const std::wstring folder = executableFolder(launcherPath);
    BuiltClassPath built = buildClassPath(entries, cutAtLastBackslash(folder));
    for (const UnmatchedEntry& unmatched : built.unmatched) {
        trace.line(L"vm", {"\"", key.name, "\" entry ", unmatched.entry, " matched no file (looked for as ",
                           unmatched.pattern, ")"});
    }
    return built;
}

BuiltClassPath readClassPath(const Trace& trace, const IniFile& ini, std::wstring_view launcherPath)
{
    BuiltClassPath classPath = readPathList(trace, ini, kClassPathKey, launcherPath);
    if (settingIs(ini, kEmbeddedJarKey, L"Yes")) {
        classPath.text.insert(0, std::wstring(launcherPath) + L";");
    }
    return classPath;
}

// Message 240: each entry that found nothing with the path it was looked
// for as, where a missing leading "\" or a misspelt folder shows.
std::wstring unmatchedEntriesText(const std::vector<UnmatchedEntry>& unmatched)
{
    std::wstring lines;
    for (const UnmatchedEntry& entry : unmatched) {
        lines += lines.empty() ? L"" : L"\n";
        lines += FormatMessageText(LoadMessage(IDS_CLASS_PATH_ENTRY_UNMATCHED), {entry.entry, entry.pattern});
    }
    return FormatMessageText(LoadMessage(IDS_CLASS_PATH_UNMATCHED), {lines});
}

// What a later "could not find the main class" adds when entries of the
// class path found nothing: where it looked, and what was missing.
std::wstring classPathNote(const BuiltClassPath& classPath)
{
    if (classPath.unmatched.empty()) {
        return {};
    }
    std::wstring searched = classPath.text;
    if (!searched.empty()) {
        searched.pop_back();  // the separator after the last entry
    }
    return FormatMessageText(LoadMessage(IDS_CLASS_PATH_SEARCHED), {searched}) + L"\n"
           + unmatchedEntriesText(classPath.unmatched);
}

// What java's --module gives the VM: the module path (none for a module
// of the runtime's own image) and the module to resolve as the root.
bool appendModuleOptions(Launcher& launcher, const IniFile& ini, std::wstring_view launcherPath)
{
    std::wstring modulePath = readPathList(launcher.trace, ini, kModulePathKey, launcherPath).text;
    if (!modulePath.empty()) {
        modulePath.pop_back();  // the separator after the last entry
        if (!appendPathListOption(launcher.jvmOptions, launcher.errors, L"--module-path=", modulePath)) {
            return false;
        }
    }
    return appendVmOption(launcher.jvmOptions, launcher.errors, L"-Djdk.module.main=" + std::wstring(moduleOfMainModule(launcher.settings.mainModule)));
}

StreamFiles readStreamSettings(const IniFile& ini)
{
    StreamFiles files;
    files.output = readSetting(ini, kOutputFileKey);
    if (!files.output.empty()) {
        files.output = expandEnvironment(files.output);
    }
    files.appendOutput = settingIs(ini, kOutputAppendKey, L"yes");
    files.error = readSetting(ini, kErrorFileKey);
    if (!files.error.empty()) {
        files.error = expandEnvironment(files.error);
    }
    files.appendError = settingIs(ini, kErrorAppendKey, L"yes");
    return files;
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
    const LayeredIniFile* settings = launcher.launcherIni.get();
    std::optional<std::wstring> launcherPath = settings ? modulePath() : std::nullopt;
    if (!launcherPath) {
        return OptionAssembly::incomplete;
    }
    const LayeredIniFile& ini = *settings;
    const BuiltClassPath classPath = readClassPath(launcher.trace, ini, *launcherPath);
    launcher.classPathNote = classPathNote(classPath);
    // A modular application may have no class path at all. Entries that
    // found nothing are named: the key was set, just not right.
    if (classPath.text.empty() && launcher.settings.mainModule.empty()) {
        launcher.errors.show(classPath.unmatched.empty() ? LoadMessage(IDS_NO_CLASS_PATH)
                                                         : unmatchedEntriesText(classPath.unmatched));
        return OptionAssembly::incomplete;
    }
    // The entries were expanded before the file system was asked; the names
    // it returned are taken literally, so the class path is not expanded
    // again.
    if (!classPath.text.empty() && !appendPathListOption(launcher.jvmOptions, launcher.errors, L"-Djava.class.path=", classPath.text)) {
        return OptionAssembly::failed;
    }
    if (!launcher.settings.mainModule.empty() && !appendModuleOptions(launcher, ini, *launcherPath)) {
        return OptionAssembly::failed;
    }
    std::vector<std::wstring> tokens = cutVmParameters(readSetting(ini, kVmParametersKey));
    for (std::wstring& token : tokens) {
        token = removeQuotes(token);
    }
    for (const std::wstring& token : joinSeparateValues(std::move(tokens))) {
        std::wstring option = processVmToken(token, launcher.javaThreadStackSize);
        if (!appendVmOption(launcher.jvmOptions, launcher.errors, expandEnvironment(option))) {
            return OptionAssembly::failed;
        }
    }
    launcher.streams = readStreamSettings(ini);
    appendCmdArguments(launcher, ini);
    return OptionAssembly::complete;
}

}  // namespace velmar
