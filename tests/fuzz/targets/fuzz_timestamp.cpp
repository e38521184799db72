// Time-stamp patterns in output file names ("out_%yyyyMMdd%.log"). The
// system's formatters are replaced by two that keep their contract (the
// count written with the terminator, 0 when the buffer is too small) and
// lengthen the text, so that results near the 260-character limit occur:
// the time formatter writes two digits for each "H", the date formatter
// two for each "y". The first byte can make either fail; the next two are
// the milliseconds, the rest is the name.
#include "fuzz_support.h"
#include "support/file_system.h"

#include <cwchar>

using namespace velmar;

namespace {

bool failTime = false;
bool failDate = false;

int formatLike(wchar_t letter, bool fail, const wchar_t* picture, wchar_t* text, int capacity)
{
    FUZZ_CHECK(picture != nullptr && text != nullptr && capacity > 0);
    if (fail) {
        return 0;
    }
    std::wstring out;
    for (const wchar_t* at = picture; *at != L'\0'; ++at) {
        out += *at == letter ? std::wstring(L"42") : std::wstring(1, *at);
    }
    if (out.size() + 1 > static_cast<size_t>(capacity)) {
        return 0;
    }
    std::wmemcpy(text, out.c_str(), out.size() + 1);
    return static_cast<int>(out.size() + 1);
}

int formatTime(LCID, DWORD, const SYSTEMTIME*, LPCWSTR picture, LPWSTR text, int capacity)
{
    return formatLike(L'H', failTime, picture, text, capacity);
}

int formatDate(LCID, DWORD, const SYSTEMTIME*, LPCWSTR picture, LPWSTR text, int capacity)
{
    return formatLike(L'y', failDate, picture, text, capacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3) {
        return 0;
    }
    failTime = (data[0] & 1) != 0;
    failDate = (data[0] & 2) != 0;
    SYSTEMTIME time{};
    time.wMilliseconds = static_cast<WORD>(data[1] | (data[2] << 8));
    const std::wstring original = fuzz::utf16Text(data + 3, size - 3);
    std::wstring name = original;
    expandTimestamp(name, time, formatTime, formatDate);

    const size_t first = original.find(L'%');
    if (first == std::wstring::npos || failTime || failDate) {
        FUZZ_CHECK(name == original);
        return 0;
    }
    // The text outside the first and last "%" stays.
    const size_t last = original.rfind(L'%');
    FUZZ_CHECK(name.compare(0, first, original, 0, first) == 0);
    const size_t tail = original.size() - last - 1;
    FUZZ_CHECK(name.size() >= first + tail);
    FUZZ_CHECK(name.compare(name.size() - tail, tail, original, last + 1, tail) == 0);
    return 0;
}
