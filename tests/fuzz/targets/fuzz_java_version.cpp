// Version texts: "Min Version", "Max Version", registry key names.
#include "config/java_version.h"
#include "fuzz_support.h"

#include <algorithm>

using namespace velmar;

namespace {

bool holdsOpenFill(const JavaVersion& version)
{
    return std::find(version.c.begin(), version.c.end(), kOpenFill) != version.c.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring text = fuzz::utf16Text(data, size);
    const ParsedVersion low = parseVersion(text, 0);
    const ParsedVersion high = parseVersion(text, kOpenFill);
    FUZZ_CHECK(low.ok == high.ok);
    if (!low.ok) {
        FUZZ_CHECK(low.value == JavaVersion{});
        return 0;
    }
    for (int32_t component : low.value.c) {
        FUZZ_CHECK(component >= 0);
    }
    FUZZ_CHECK(compareVersions(low.value, high.value) <= 0);
    FUZZ_CHECK(compareVersions(high.value, low.value) == -compareVersions(low.value, high.value));
    FUZZ_CHECK(matchesPreferred(low.value, low.value));
    // The text shown to the user reads back as the same version, unless a
    // component is the open fill, which the text leaves out.
    if (!holdsOpenFill(low.value)) {
        const ParsedVersion again = parseVersion(formatVersion(low.value), 0);
        FUZZ_CHECK(again.ok && again.value == low.value);
    }
    const JavaVersion minimum = boundFromText(text, BoundKind::minimum);
    const JavaVersion maximum = boundFromText(text, BoundKind::maximum);
    FUZZ_CHECK(minimum == low.value && maximum == high.value);
    static_cast<void>(isOpenBound(minimum));
    return 0;
}
