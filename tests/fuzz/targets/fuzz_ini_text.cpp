// INI files the launcher reads itself (UTF-8): the encoding decided from
// any bytes, and an entry set in any text. Setting "JRE Path" must leave
// every other section's entries as they were, and the next read must find
// the value written.
#include "config/ini_text.h"
#include "fuzz_support.h"
#include "support/text.h"

#include <windows.h>

#include <string>
#include <string_view>

using namespace velmar;

namespace {

constexpr std::wstring_view kSection = L"Java Runtime Environment";
constexpr std::wstring_view kKey = L"JRE Path";
constexpr std::wstring_view kValue = L"C:\\\x8FD0\x884C\x65F6\\jre\\";

bool isTarget(const IniTextSection& section)
{
    return equalsIgnoringCaseOrdinal(section.name, kSection);
}

}  // namespace

// Only equality is asked for, and the names compared are ASCII here.
int CompareStringOrdinal(LPCWCH a, int aLength, LPCWCH b, int bLength, BOOL)
{
    auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
    if (aLength != bLength) {
        return CSTR_EQUAL + 1;
    }
    for (int i = 0; i < aLength; ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return CSTR_EQUAL + 1;
        }
    }
    return CSTR_EQUAL;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const IniEncoding encoding = detectIniEncoding(bytes);
    const bool decodes = decodeUtf8(bytes).has_value();
    FUZZ_CHECK(!(encoding == IniEncoding::kAnsi && decodes));
    FUZZ_CHECK(!(encoding == IniEncoding::kUtf8 && !decodes));
    const std::optional<std::wstring> lenient = decodeUtf8(bytes, true);
    FUZZ_CHECK(lenient && (!decodes || *lenient == *decodeUtf8(bytes)));
    if (isReadAsUtf8(encoding)) {
        parseIniText(utf8FileText(bytes, encoding));
    }

    const std::wstring text = fuzz::utf16Text(data, size);
    const std::vector<IniTextSection> before = parseIniText(text);
    const std::vector<IniTextSection> after = parseIniText(withIniEntry(text, kSection, kKey, kValue));

    // The same sections, unless the target one was added at the end.
    bool hadTarget = false;
    for (const IniTextSection& section : before) {
        hadTarget = hadTarget || isTarget(section);
    }
    FUZZ_CHECK(after.size() == before.size() + (hadTarget ? 0 : 1));
    bool firstTarget = true;
    for (size_t i = 0; i < after.size(); ++i) {
        if (!isTarget(after[i]) || !firstTarget) {
            FUZZ_CHECK(i < before.size() && after[i].name == before[i].name &&
                       after[i].entries == before[i].entries);
            continue;
        }
        firstTarget = false;
        bool found = false;
        for (const auto& [key, value] : after[i].entries) {
            if (equalsIgnoringCaseOrdinal(key, kKey)) {
                FUZZ_CHECK(value == kValue);
                found = true;
                break;
            }
        }
        FUZZ_CHECK(found);
    }
    return 0;
}
