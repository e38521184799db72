// "Virtual Machine Parameters": the tokens, their quotes removed.
#include "fuzz_support.h"
#include "jvm/option_text.h"

#include <algorithm>

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring text = fuzz::utf16Text(data, size);
    const std::vector<std::wstring> tokens = cutVmParameters(text);
    size_t characters = 0;
    for (const std::wstring& token : tokens) {
        FUZZ_CHECK(!token.empty() && token.front() != L' ');
        characters += token.size();
        const std::wstring plain = removeQuotes(token);
        FUZZ_CHECK(plain.size() <= token.size());
    }
    FUZZ_CHECK(characters <= text.size());
    // Without quotes, a token is a run of non-blanks.
    if (text.find(L'"') == std::wstring::npos) {
        for (const std::wstring& token : tokens) {
            FUZZ_CHECK(token.find(L' ') == std::wstring::npos);
        }
    }
    // A token given on its own comes back as itself.
    if (!tokens.empty()) {
        const std::vector<std::wstring> again = cutVmParameters(tokens.front());
        FUZZ_CHECK(again.size() == 1 && again.front() == tokens.front());
    }
    static_cast<void>(removeQuotes(text));
    return 0;
}
