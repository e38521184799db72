#include "support/boundary_guard.h"

#include "resources/resource.h"
#include "support/messages.h"
#include "support/standard_streams.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace velmar {

namespace {

// Longer descriptions are not shown: they are no message of the C++
// runtime, which names the failing operation in a few words.
constexpr size_t kLongestDescription = 200;

// The exception's own description when it is one a user may be shown:
// plain printable ASCII of sensible length. Empty otherwise.
std::wstring shownDescription(const std::exception& failure)
{
    const char* what = failure.what();
    if (what == nullptr) {
        return {};
    }
    const std::string_view text(what, strnlen(what, kLongestDescription + 1));
    if (text.empty() || text.size() > kLongestDescription ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) {
        return {};
    }
    return std::wstring(text.begin(), text.end());
}

struct FailureDetail {
    std::wstring text;
    DWORD errorNumber = kNoWindowsError;
};

FailureDetail detailOf(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return {LoadMessage(IDS_OUT_OF_MEMORY), ERROR_OUTOFMEMORY};
    } catch (const std::exception& other) {
        const std::wstring description = shownDescription(other);
        if (!description.empty()) {
            return {FormatMessageText(LoadMessage(IDS_INTERNAL_ERROR), {description})};
        }
    } catch (...) {
    }
    return {LoadMessage(IDS_UNEXPECTED_ERROR)};
}

}  // namespace

std::wstring failureText(const std::exception_ptr& failure)
{
    const FailureDetail detail = detailOf(failure);
    return FormatMessageText(LoadMessage(IDS_WINDOWS_EXCEPTION),
                             {detail.text, static_cast<long>(detail.errorNumber)});
}

void reportTermination() noexcept
{
    ErrorBox display;
    reportFailure(std::current_exception(), display, [](const std::exception_ptr& failure) {
        return failure ? failureText(failure)
                       : FormatMessageText(LoadMessage(IDS_WINDOWS_EXCEPTION),
                                           {LoadMessage(IDS_UNEXPECTED_ERROR), static_cast<long>(kNoWindowsError)});
    });
    ::ExitProcess(static_cast<UINT>(-1));
}

void ErrorBox::operator()(const wchar_t* text) const noexcept
{
    // MessageBoxW directly: ShowErrorBox copies the text, and this may be
    // the text of a process without memory.
    if (isConsoleProgram() && writeStandardError(text)) {
        return;
    }
    ::MessageBoxW(owner != nullptr ? owner->load() : nullptr, text, nullptr, MB_ICONERROR);
}

namespace detail {

OutOfMemoryText::OutOfMemoryText() noexcept : text_{}
{
    ::LoadStringW(::GetModuleHandleW(nullptr), IDS_OUT_OF_MEMORY, text_, static_cast<int>(std::size(text_)));
}

}  // namespace detail

}  // namespace velmar
