// The argument block a later start leaves in the shared area: any bytes,
// as another build or a hostile process may leave them.
#include "fuzz_support.h"
#include "instance/argument_block.h"

#include <algorithm>
#include <cstring>

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InstanceArea area{};
    std::memcpy(&area, data, std::min(size, sizeof area));
    const std::vector<std::wstring> arguments = readArgumentBlock(area);
    for (size_t i = 0; i < arguments.size(); ++i) {
        FUZZ_CHECK(arguments[i].find(L'\0') == std::wstring::npos);
        // Only the first string can be empty: an empty one later ends the list.
        FUZZ_CHECK(i == 0 || !arguments[i].empty());
    }
    // What was read, written again, reads back the same; but no list
    // (the scan found no string end) is written as the empty list, which
    // reads as one empty string, as a zero block does.
    InstanceArea copy{};
    if (writeArgumentBlock(copy, arguments)) {
        const std::vector<std::wstring> expected =
            arguments.empty() ? std::vector<std::wstring>{L""} : arguments;
        FUZZ_CHECK(readArgumentBlock(copy) == expected);
    } else {
        FUZZ_CHECK(argumentBlockSize(arguments) > kArgumentBlockLimit);
    }
    return 0;
}
