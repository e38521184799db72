// "Cmd": the pieces appended to the program's arguments.
#include "fuzz_support.h"
#include "jvm/option_text.h"

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring text = fuzz::utf16Text(data, size);
    const std::vector<std::wstring> pieces = cutCmdPieces(text);
    FUZZ_CHECK(!pieces.empty());
    size_t characters = 0;
    for (const std::wstring& piece : pieces) {
        characters += piece.size();
    }
    FUZZ_CHECK(characters <= text.size());
    if (text.find(L'"') == std::wstring::npos) {
        for (const std::wstring& piece : pieces) {
            FUZZ_CHECK(piece.find(L' ') == std::wstring::npos);
        }
    }
    return 0;
}
