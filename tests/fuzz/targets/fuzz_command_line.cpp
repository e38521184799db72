// The launcher's own command-line splitting.
#include "core/command_line.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring commandLine = velmar::fuzz::utf16Text(data, size);
    std::vector<std::wstring> arguments;
    velmar::SplitArguments(commandLine, arguments);
    size_t characters = 0;
    for (const std::wstring& argument : arguments) {
        characters += argument.size();
    }
    FUZZ_CHECK(characters <= commandLine.size());
    const std::vector<std::wstring> afterProgram = velmar::argumentsAfterProgramName(commandLine);
    FUZZ_CHECK(afterProgram.size() == (arguments.empty() ? 0 : arguments.size() - 1));
    return 0;
}
