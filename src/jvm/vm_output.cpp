#include "jvm/vm_output.h"

#include "jvm/option_encoding.h"
#include "support/standard_streams.h"
#include "support/text.h"

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <mutex>
#include <vector>

namespace velmar {

namespace {

// The hook takes no context: the creation in progress publishes here where
// the VM's printing is kept. A hook counts itself in before it looks, so
// that the creation can wait for it before its output object goes away.
std::atomic<VmCreationOutput*> creationOutput{nullptr};
std::atomic<int> hooksLooking{0};

constexpr size_t kFormatBuffer = 1024;

void trimEnd(std::wstring& text)
{
    while (!text.empty() && std::iswspace(text.back())) {
        text.pop_back();
    }
}

void keepDuringCreation(std::string_view bytes) noexcept
{
    hooksLooking.fetch_add(1);
    if (VmCreationOutput* output = creationOutput.load()) {
        output->keep(bytes);
    }
    hooksLooking.fetch_sub(1);
}

}  // namespace

std::wstring printedReason(std::wstring_view printed)
{
    std::wstring text;
    text.reserve(printed.size());
    std::ranges::copy_if(printed, std::back_inserter(text), [](wchar_t c) { return c != L'\r'; });
    trimEnd(text);
    const size_t start = std::min(text.find_first_not_of(L" \t\n"), text.size());
    text.erase(0, start);

    size_t cut = pieceLength(text, kReasonCharacters);
    size_t lines = 1;
    for (size_t at = text.find(L'\n'); at < cut; at = text.find(L'\n', at + 1)) {
        if (++lines > kReasonLines) {
            cut = at;
        }
    }
    if (cut < text.size()) {
        text.resize(cut);
        trimEnd(text);
        return text + L"..";
    }
    if (!text.empty() && text.back() == L'.') {
        text.pop_back();
        trimEnd(text);
    }
    return text;
}

jint JNICALL vmPrintHook(FILE*, const char* format, va_list arguments)
{
    va_list again;
    va_copy(again, arguments);
    char buffer[kFormatBuffer];
    const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    std::string_view text(buffer, std::min<size_t>(std::max(length, 0), sizeof buffer - 1));
    std::vector<char> whole;
    if (length >= static_cast<int>(sizeof buffer)) {
        // Formatted again in full for standard error; the box only ever
        // shows the start.
        try {
            whole.resize(static_cast<size_t>(length) + 1);
            std::vsnprintf(whole.data(), whole.size(), format, again);
            text = std::string_view(whole.data(), static_cast<size_t>(length));
        } catch (...) {
        }
    }
    va_end(again);
    keepDuringCreation(text);
    // Where the VM would have written: its C runtime's standard error, in
    // text mode. A windowed program has none, and nothing is lost then.
    writeStandardErrorBytes(text);
    return length;
}

VmCreationOutput::VmCreationOutput() noexcept
{
    creationOutput.store(this);
}

VmCreationOutput::~VmCreationOutput()
{
    creationOutput.store(nullptr);
    // A thread of the VM may have found this object just before.
    while (hooksLooking.load() != 0) {
        ::SwitchToThread();
    }
}

void VmCreationOutput::keep(std::string_view bytes) noexcept
{
    std::lock_guard hold(lock_);
    const size_t taken = std::min(bytes.size(), kKeptVmOutput - length_);
    std::copy_n(bytes.data(), taken, kept_ + length_);
    length_ += taken;
}

std::wstring VmCreationOutput::text() const
{
    std::lock_guard hold(lock_);
    return fromCodePage(std::string_view(kept_, length_), vmOptionCodePage());
}

}  // namespace velmar
