// A section of an INI file as the profile API hands it over: "key=value"
// strings, each ended by a NUL.
#include "config/ini_file.h"
#include "fuzz_support.h"

using namespace velmar;

namespace {

bool blankAtAnEnd(const std::wstring& text)
{
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    return !text.empty() && (blank(text.front()) || blank(text.back()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring block = fuzz::utf16Text(data, size);
    const auto entries = parseSectionEntries(block);
    size_t strings = 0;
    for (size_t start = 0; start < block.size();) {
        size_t end = std::min(block.find(L'\0', start), block.size());
        strings += end > start ? 1 : 0;
        start = end + 1;
    }
    FUZZ_CHECK(entries.size() == strings);
    for (const auto& [key, value] : entries) {
        FUZZ_CHECK(!blankAtAnEnd(key));
        FUZZ_CHECK(key.find(L'=') == std::wstring::npos);
        FUZZ_CHECK(key.find(L'\0') == std::wstring::npos && value.find(L'\0') == std::wstring::npos);
    }
    return 0;
}
