// The header check of a jvm.dll: which machine it was built for.
#include "fuzz_support.h"
#include "runtime/jvm_location.h"

#include <cstring>
#include <vector>

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly the input's size, so that a read past the end of
    // the file is a read past the end of a heap block.
    const std::vector<unsigned char> image(data, data + size);
    const std::span<const unsigned char> bytes(image.data(), image.size());
    const std::optional<size_t> offset = ntHeadersOffset(bytes);
    const std::optional<WORD> machine = imageMachine(bytes);
    if (!offset) {
        FUZZ_CHECK(!machine);
        return 0;
    }
    WORD optionalSize = 0;
    const size_t fixedPart = sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
    std::memcpy(&optionalSize, image.data() + *offset + fixedPart - 2 * sizeof(WORD), sizeof optionalSize);
    FUZZ_CHECK(*offset + fixedPart + optionalSize <= size);
    return 0;
}
