// The launcher's own argument splitting, and the hand-over of the whole
// launch to the paired launcher of the other processor architecture.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace velmar {

class Launcher;

// Only the blank separates; a double quote is special only where an
// argument starts, and backslashes are ordinary characters. Appends to
// `arguments`.
void SplitArguments(std::wstring_view text, std::vector<std::wstring>& arguments);

// A command line split by SplitArguments, without its first argument (the
// program name).
std::vector<std::wstring> argumentsAfterProgramName(std::wstring_view commandLine);

// The process command line without the program name.
std::vector<std::wstring> ReadCommandLine();

// Starts `pairProduct` with this process's command line. Returns its exit
// code when `pairReturnCode` is set, else 0; -1 when it cannot be started
// (message 202 shown).
DWORD RelaunchPair(const Launcher& launcher);

}  // namespace velmar
