// The launcher's error reporting: texts from the executable's string table,
// printf-style formatting of %s and %d, and the modal error box.
#pragma once

#include "support/boundary_guard.h"

#include <windows.h>

#include <atomic>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace velmar {

// A text given either directly or as a string-table id.
class MessageRef {
public:
    MessageRef(int id) : id_(static_cast<UINT>(id)) {}
    MessageRef(UINT id) : id_(id) {}
    MessageRef(std::wstring_view text) : text_(text), isText_(true) {}
    MessageRef(const wchar_t* text) : text_(text), isText_(true) {}
    MessageRef(const std::wstring& text) : text_(text), isText_(true) {}

    std::wstring resolve() const;

private:
    UINT id_ = 0;
    std::wstring_view text_;
    bool isText_ = false;
};

// The text of a string-table id in the thread's language; empty when the id
// is not in the table.
std::wstring LoadMessage(UINT id);

// One argument of a format: %s takes a text, %d a signed 32-bit number.
using FormatArgument = std::variant<std::wstring_view, long>;

// Replaces %s and %d, in order, by the arguments; "%%" gives "%". A
// directive without an argument left, or one of the wrong kind, is dropped,
// so a faulty translation cannot read past the arguments.
std::wstring FormatMessageText(std::wstring_view format,
                               std::initializer_list<FormatArgument> arguments);

// MessageBoxW with the error icon and an OK button; without a caption the
// program's product name, or the system's default when it has none. Returns the box's result, 0 when no box was shown.
// A console program writes the text to its standard error instead (IDOK).
int ShowErrorBox(HWND owner, MessageRef text, std::optional<MessageRef> caption = std::nullopt);

// Shows a start's error boxes, each owned by the window in front of the
// user at that moment: the launcher's splash while it is up, else none.
// Taken by what reports an error and needs nothing else of the start.
class ErrorReporter {
public:
    explicit ErrorReporter(const std::atomic<HWND>& owner) noexcept : owner_(owner) {}
    HWND owner() const noexcept { return owner_.load(); }
    int show(MessageRef text) const { return ShowErrorBox(owner(), text); }
    // For a guarded boundary: the box it shows is owned the same way.
    ErrorBox box() const noexcept { return ErrorBox{&owner_}; }

private:
    const std::atomic<HWND>& owner_;
};

// "format id, one string, an error number" (202 with a detail text).
int ReportWindowsError(HWND owner, UINT formatId, std::wstring_view detail, DWORD errorNumber);
// "format id, two strings" (203).
int ReportTwoStrings(HWND owner, UINT formatId, std::wstring_view first, std::wstring_view second);
// "format id, one string" (211, 215).
int ReportOneString(HWND owner, UINT formatId, std::wstring_view text);

}  // namespace velmar
