#include "core/command_line.h"

#include "core/launcher.h"
#include "resources/resource.h"
#include "support/foreground_right.h"
#include "support/handles.h"
#include "support/messages.h"
#include "support/standard_streams.h"
#include "support/text.h"

#include <cwctype>
#include <optional>

namespace velmar {

namespace {

std::wstring_view trimWhiteSpace(std::wstring_view text)
{
    while (!text.empty() && std::iswspace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::iswspace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

void SplitArguments(std::wstring_view text, std::vector<std::wstring>& arguments)
{
    text = trimWhiteSpace(text);
    size_t position = 0;
    while (position < text.size()) {
        if (text[position] == L'"') {
            size_t closing = text.find(L'"', position + 1);
            if (closing == std::wstring_view::npos) {
                arguments.emplace_back(text.substr(position + 1));
                return;
            }
            arguments.emplace_back(text.substr(position + 1, closing - position - 1));
            position = closing + 1;
        } else {
            size_t blank = text.find(L' ', position);
            if (blank == std::wstring_view::npos) {
                arguments.emplace_back(text.substr(position));
                return;
            }
            arguments.emplace_back(text.substr(position, blank - position));
            position = blank;
        }
        while (position < text.size() && text[position] == L' ') {
            ++position;
        }
    }
}

std::vector<std::wstring> argumentsAfterProgramName(std::wstring_view commandLine)
{
    std::vector<std::wstring> arguments;
    SplitArguments(commandLine, arguments);
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());
    }
    return arguments;
}

std::vector<std::wstring> ReadCommandLine()
{
    return argumentsAfterProgramName(::GetCommandLineW());
}

DWORD RelaunchPair(const Launcher& launcher)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // CreateProcessW may write into the command line; give it a copy.
    std::wstring commandLine = ::GetCommandLineW();
    if (launcher.trace.on()) {
        launcher.trace.line(L"pair", {"relaunching the pair ", launcher.settings.pairProduct});
    }
    // A console program's pair writes where it writes.
    const bool console = isConsoleProgram();
    std::optional<InheritableStandardHandles> standard;
    if (console) {
        standard.emplace().passTo(startup);
    }
    if (!::CreateProcessW(launcher.settings.pairProduct.c_str(), commandLine.data(), nullptr, nullptr,
                          console ? TRUE : FALSE, 0, nullptr, nullptr, &startup, &process)) {
        // Reporting success here would hide that nothing was started.
        DWORD error = ::GetLastError();
        if (launcher.trace.on()) {
            launcher.trace.line(L"pair", {"the pair did not start: error ", decimalText(error)});
        }
        // The path tried is what the packager needs to see to fix it.
        ReportWindowsError(launcher.errors.owner(), IDS_WINDOWS_EXCEPTION,
                           LoadMessage(IDS_PAIR_NOT_STARTED) + L" " + launcher.settings.pairProduct, error);
        return kFailureExitCode;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    if (launcher.trace.on()) {
        launcher.trace.line(L"pair", {"the pair runs as process ", decimalText(process.dwProcessId)});
    }
    passForegroundRight(process.dwProcessId, launcher.trace, L"pair");
    // A console program's command ends when its work ends, or the shell's
    // prompt would come back while the pair still writes; the exit code
    // stays the windowed launcher's.
    if (!launcher.settings.pairReturnCode && !console) {
        return 0;
    }
    DWORD exitCode = 0;
    if (::WaitForSingleObject(processHandle.get(), INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(processHandle.get(), &exitCode)) {
        return 0;
    }
    return launcher.settings.pairReturnCode ? exitCode : 0;
}

}  // namespace velmar
