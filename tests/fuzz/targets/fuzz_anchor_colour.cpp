// The link colours of the browser settings: the first byte picks the value
// type, the rest is the value's data.
#include "fuzz_support.h"
#include "ui/anchor_colour.h"

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const DWORD type = data[0] % 8;
    const std::optional<COLORREF> colour =
        parseAnchorColour(type, std::span<const BYTE>(data + 1, size - 1));
    if (colour) {
        FUZZ_CHECK(type == REG_SZ || type == REG_EXPAND_SZ);
        FUZZ_CHECK((*colour & 0xFF000000) == 0);
    }
    return 0;
}
