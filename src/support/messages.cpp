#include "support/messages.h"

#include "support/product_name.h"
#include "support/standard_streams.h"
#include "support/text.h"

#include <vector>

namespace velmar {

namespace {
constexpr int kInitialMessageBuffer = 256;
}  // namespace

std::wstring MessageRef::resolve() const
{
    return isText_ ? std::wstring(text_) : LoadMessage(id_);
}

std::wstring LoadMessage(UINT id)
{
    // LoadStringW does not tell how long the string is; grow the buffer
    // until the text no longer fills it.
    for (int size = kInitialMessageBuffer;; size *= 2) {
        std::vector<wchar_t> buffer(static_cast<size_t>(size));
        int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, buffer.data(), size);
        if (length <= 0) {
            return {};
        }
        if (length < size - 1) {
            return std::wstring(buffer.data(), static_cast<size_t>(length));
        }
    }
}

std::wstring FormatMessageText(std::wstring_view format,
                               std::initializer_list<FormatArgument> arguments)
{
    std::wstring result;
    const FormatArgument* next = arguments.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        wchar_t c = format[i];
        if (c != L'%' || i + 1 == format.size()) {
            result.push_back(c);
            continue;
        }
        wchar_t directive = format[++i];
        if (directive == L'%') {
            result.push_back(L'%');
            continue;
        }
        if (directive != L's' && directive != L'd') {
            result.push_back(L'%');
            result.push_back(directive);
            continue;
        }
        if (next == arguments.end()) {
            continue;
        }
        const FormatArgument& argument = *next++;
        if (directive == L's') {
            if (auto text = std::get_if<std::wstring_view>(&argument)) {
                result.append(*text);
            }
        } else if (auto number = std::get_if<long>(&argument)) {
            result.append(decimalText(*number));
        }
    }
    return result;
}

int ShowErrorBox(HWND owner, MessageRef text, std::optional<MessageRef> caption)
{
    std::wstring body = text.resolve();
    // A console program says it where its user looks; a box only when it
    // has no standard error to say it on.
    if (isConsoleProgram() && writeStandardError(body)) {
        return IDOK;
    }
    // The box says which program speaks: the name it was branded with, or
    // the system's "Error" when it has none.
    const std::wstring title = caption ? caption->resolve() : runningProductName();
    return ::MessageBoxW(owner, body.c_str(), title.empty() ? nullptr : title.c_str(), MB_ICONERROR);
}

int ReportWindowsError(HWND owner, UINT formatId, std::wstring_view detail, DWORD errorNumber)
{
    std::wstring text = FormatMessageText(LoadMessage(formatId),
                                          {detail, static_cast<long>(errorNumber)});
    return ShowErrorBox(owner, text);
}

int ReportTwoStrings(HWND owner, UINT formatId, std::wstring_view first, std::wstring_view second)
{
    std::wstring text = FormatMessageText(LoadMessage(formatId), {first, second});
    return ShowErrorBox(owner, text);
}

int ReportOneString(HWND owner, UINT formatId, std::wstring_view text)
{
    std::wstring message = FormatMessageText(LoadMessage(formatId), {text});
    return ShowErrorBox(owner, message);
}

}  // namespace velmar
