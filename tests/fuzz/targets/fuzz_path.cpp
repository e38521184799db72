// Path splitting and the path forms (long-path prefix, network, absolute)
// that the folder creation of the output files relies on.
#include "fuzz_support.h"
#include "support/file_system.h"

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring path = fuzz::utf16Text(data, size);
    const std::vector<std::wstring> parts = splitPath(path);
    size_t characters = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        characters += parts[i].size();
        if (i > 0) {
            FUZZ_CHECK(parts[i].find(L'\\') == std::wstring::npos);
        }
    }
    FUZZ_CHECK(characters <= path.size());

    const std::wstring prefixed = withLongPathPrefix(path);
    if (path.size() >= kLongPathThreshold) {
        FUZZ_CHECK(hasLongPathPrefix(prefixed));
    } else {
        FUZZ_CHECK(prefixed == path);
    }
    if (isUncPath(path)) {
        FUZZ_CHECK(isAbsolutePath(path));
    }
    const std::wstring longForm = longPathForm(path);
    FUZZ_CHECK(longForm == path || (path.size() >= kLongPathThreshold && hasLongPathPrefix(longForm)));
    return 0;
}
