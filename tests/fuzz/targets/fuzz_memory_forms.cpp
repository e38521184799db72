// Memory forms (-Xmx50%:64:1024P and the like) and plain stack sizes. The
// first 16 bytes are the machine's memory figures, the rest the token.
#include "fuzz_support.h"
#include "jvm/memory_options.h"

#include <cstring>

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryFacts memory;
    if (size < sizeof memory.totalPhysical + sizeof memory.availableVirtual) {
        return 0;
    }
    std::memcpy(&memory.totalPhysical, data, sizeof memory.totalPhysical);
    std::memcpy(&memory.availableVirtual, data + 8, sizeof memory.availableVirtual);
    const std::wstring token = fuzz::utf16Text(data + 16, size - 16);

    const NumberRun run = readNumbers(token);
    FUZZ_CHECK(run.valueStart <= token.size());
    FUZZ_CHECK(run.numbers.empty() == (run.valueStart == token.size()));
    static_cast<void>(parseStackSize(token));
    if (isMemoryForm(token)) {
        const std::wstring converted = convertMemoryForm(token, memory);
        FUZZ_CHECK(converted.compare(0, 4, token, 0, 4) == 0);
        FUZZ_CHECK(converted.back() == L'K');
        // The VM gets a plain size in kilobytes in place of the form.
        const std::wstring_view digits =
            std::wstring_view(converted).substr(run.valueStart, converted.size() - 1 - run.valueStart);
        FUZZ_CHECK(!digits.empty());
        for (wchar_t c : digits) {
            FUZZ_CHECK(c >= L'0' && c <= L'9');
        }
    }
    return 0;
}
