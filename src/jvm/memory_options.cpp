#include "jvm/memory_options.h"

#include "core/launcher.h"
#include "support/text.h"

#include <windows.h>

namespace velmar {

namespace {

constexpr uint64_t kKilobyte = 1024;

bool isDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
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
            run.numbers.back() = run.numbers.back() * 10 + static_cast<uint64_t>(text[i] - L'0');
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
    return run.numbers.front() * unitOf(text.back());
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
    auto sizeKb = static_cast<uint64_t>(static_cast<double>(base / kKilobyte) *
                                        (static_cast<double>(percent) / 100.0));
    if (maximumMb != 0 && sizeKb > maximumMb * kKilobyte) {
        sizeKb = maximumMb * kKilobyte;
    }
    // The minimum is applied last, so it wins over a smaller maximum.
    if (sizeKb < minimumMb * kKilobyte) {
        sizeKb = minimumMb * kKilobyte;
    }
    return std::wstring(token.substr(0, run.valueStart)) + decimalText(sizeKb) + L"K";
}

std::wstring processVmToken(Launcher& launcher, std::wstring_view token)
{
    std::wstring result = isMemoryForm(token) ? convertMemoryForm(token, currentMemoryFacts())
                                              : std::wstring(token);
    if (startsWith(result, L"-Xss")) {
        launcher.javaThreadStackSize = static_cast<size_t>(parseStackSize(result.substr(4)));
    }
    return result;
}

}  // namespace velmar
