// The ";"-separated lists: "Preferred versions" (each item a version) and
// "Class Path" (each item classified and, unless absolute, turned into a
// search below the launcher's folder).
#include "config/java_version.h"
#include "fuzz_support.h"
#include "jvm/class_path.h"
#include "support/text.h"

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring text = fuzz::utf16Text(data, size);
    const std::vector<std::wstring> items = splitList(text);
    // Nothing is lost but a last ";".
    std::wstring joined;
    for (size_t i = 0; i < items.size(); ++i) {
        joined += (i == 0 ? L"" : L";") + items[i];
    }
    if (!text.empty() && text.back() == L';') {
        joined += L';';
    }
    FUZZ_CHECK(joined == text);

    const std::wstring_view folder = L"C:\\Program Files\\App\\";
    for (const std::wstring& item : items) {
        FUZZ_CHECK(item.find(L';') == std::wstring::npos);
        static_cast<void>(parseVersion(item, 0));
        const ClassPathEntryKind kind = classifyClassPathEntry(item);
        if (kind != ClassPathEntryKind::Absolute) {
            const ClassPathSearch search = classPathSearchFor(item, folder);
            FUZZ_CHECK(search.pattern.size() >= item.size());
        }
    }
    return 0;
}
