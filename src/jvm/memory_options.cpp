#include "jvm/memory_options.h"

#include "support/text.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace velmar {

namespace {

constexpr uint64_t kKilobyte = 1024;
// The largest size a converted form gives: decimalText shows it as a
// positive number. An INI value can ask for any share of the memory and
// any bound; what lies beyond is this size, which the VM then refuses,
// rather than a product that wraps round to a small or negative one.
constexpr uint64_t kLargestSizeKb = std::numeric_limits<int64_t>::max();

uint64_t megabytesInKb(uint64_t megabytes)
{
    return megabytes > kLargestSizeKb / kKilobyte ? kLargestSizeKb : megabytes * kKilobyte;
}

uint64_t shareInKb(uint64_t bytes, uint64_t percent)
{
    const double share =
        static_cast<double>(bytes / kKilobyte) * (static_cast<double>(percent) / 100.0);
    return share >= static_cast<double>(kLargestSizeKb) ? kLargestSizeKb
                                                         : static_cast<uint64_t>(share);
}

uint64_t unitOf(wchar_t suffix)
{
    switch (suffix) {
    case L'G':
    case L'g':
        return 1073741824;
    case L'M':
    case L'm':
        return 1048576;
    case L'K':
    case L'k':
        return 1024;
    default:
        return 1;
    }
}

// A number too long for 64 bits stays at the largest one rather than
// wrapping round to a small size.
uint64_t appendDigit(uint64_t number, wchar_t digit)
{
    constexpr uint64_t kMost = std::numeric_limits<uint64_t>::max();
    const auto value = static_cast<uint64_t>(digit - L'0');
    return number > (kMost - value) / 10 ? kMost : number * 10 + value;
}

MemoryFacts currentMemoryFacts()
{
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    ::GlobalMemoryStatus(&status);
    return {status.dwTotalPhys, status.dwAvailVirtual};
}

}  // namespace

NumberRun readNumbers(std::wstring_view text)
{
    NumberRun run;
    run.valueStart = text.size();
    for (size_t i = 0; i < text.size(); ++i) {
        if (isDigit(text[i]) || text[i] == L':') {
            run.valueStart = i;
            break;
        }
    }
    if (run.valueStart == text.size()) {
        return run;
    }
    size_t end = isDigit(text.back()) ? text.size() : text.size() - 1;
    run.numbers.push_back(0);
    for (size_t i = run.valueStart; i < end; ++i) {
        if (isDigit(text[i])) {
            run.numbers.back() = appendDigit(run.numbers.back(), text[i]);
        } else if (text[i] == L':') {
            run.numbers.push_back(0);
        }
    }
    return run;
}

uint64_t parseStackSize(std::wstring_view text)
{
    NumberRun run = readNumbers(text);
    if (run.valueStart != 0 || run.numbers.size() != 1) {
        return 0;
    }
    const uint64_t unit = unitOf(text.back());
    // A size beyond 64 bits (a number read as the largest one included) is
    // no size at all, as the VM sees it too.
    constexpr uint64_t kMost = std::numeric_limits<uint64_t>::max();
    if (run.numbers.front() == kMost || run.numbers.front() > kMost / unit) {
        return 0;
    }
    return run.numbers.front() * unit;
}

bool isMemoryForm(std::wstring_view token)
{
    if (token.size() < 5) {
        return false;
    }
    std::wstring_view name = token.substr(0, 4);
    if (name != L"-Xms" && name != L"-Xmx" && name != L"-Xss") {
        return false;
    }
    wchar_t suffix = token.back();
    return suffix == L'P' || suffix == L'p' || suffix == L'T' || suffix == L't';
}

std::wstring convertMemoryForm(std::wstring_view token, const MemoryFacts& memory)
{
    NumberRun run = readNumbers(token);
    auto number = [&run](size_t i) { return i < run.numbers.size() ? run.numbers[i] : 0; };
    const uint64_t percent = number(0);
    const uint64_t minimumMb = number(1);
    const uint64_t maximumMb = number(2);

    const bool ofAddressSpace = token.back() == L'T' || token.back() == L't';
    const uint64_t base = ofAddressSpace ? memory.availableVirtual : memory.totalPhysical;
    uint64_t sizeKb = shareInKb(base, percent);
    if (maximumMb != 0 && sizeKb > megabytesInKb(maximumMb)) {
        sizeKb = megabytesInKb(maximumMb);
    }
    // The minimum is applied last, so it wins over a smaller maximum.
    sizeKb = std::max(sizeKb, megabytesInKb(minimumMb));
    return std::wstring(token.substr(0, run.valueStart)) +
           decimalText(static_cast<long long>(sizeKb)) + L"K";
}

std::wstring processVmToken(std::wstring_view token, size_t& javaThreadStackSize)
{
    std::wstring result = isMemoryForm(token) ? convertMemoryForm(token, currentMemoryFacts())
                                              : std::wstring(token);
    if (startsWith(result, L"-Xss")) {
        // A stack this build cannot address is refused: the thread then
        // gets the runtime's default, and the VM judges the option itself.
        const uint64_t size = parseStackSize(result.substr(4));
        javaThreadStackSize =
            size <= std::numeric_limits<size_t>::max() ? static_cast<size_t>(size) : 0;
    }
    return result;
}

}  // namespace velmar
