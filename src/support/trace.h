// The diagnostic trace a support person asks a user for: when the
// environment variable VELMAR_TRACE names a file, each decision of the
// start is appended to it as one UTF-8 line. Without the variable the
// trace is inert: on() is false and line() returns at once, so callers that
// would have to build a text first ask on() before they build it.
#pragma once

#include "support/handles.h"

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace velmar {

// One piece of a line's text: a view of a text the caller has, or a
// narrow literal of ASCII characters, which takes half the room of a wide
// one in the executable.
class TracePiece {
public:
    // Inline, so that a literal's length is known when compiling and an
    // inert trace costs no count.
    TracePiece(const char* ascii) noexcept
        : data_(ascii), size_(std::char_traits<char>::length(ascii) | kNarrow)
    {
    }
    TracePiece(const wchar_t* text) noexcept : TracePiece(std::wstring_view(text)) {}
    TracePiece(std::wstring_view text) noexcept : data_(text.data()), size_(text.size()) {}
    TracePiece(const std::wstring& text) noexcept : data_(text.data()), size_(text.size()) {}

    void appendTo(std::wstring& line) const;

private:
    // The size's top bit tells a narrow piece from a wide one, so that a
    // piece takes no more room than a view.
    static constexpr size_t kNarrow = ~(~size_t{0} >> 1);

    const void* data_;
    size_t size_;
};

// The pieces of one line's text, joined as they stand. Callers pass views
// of what they have rather than build a string: joining in one place keeps
// the launcher small, and an inert trace never joins at all.
using TracePieces = std::initializer_list<TracePiece>;

// One line of the trace, ready to write: "[pid] stage: text" in UTF-8 with
// CRLF. Line breaks inside the text become blanks, so that a value read
// from outside never starts a line of its own.
std::string traceLine(DWORD processId, std::wstring_view stage, TracePieces text);

class Trace {
public:
    // Inert.
    Trace() = default;
    // Appends to the file the variable names; inert when it is unset or
    // empty, or when the file cannot be opened (the start goes on alone).
    static Trace fromEnvironment();

    bool on() const noexcept { return static_cast<bool>(file_); }
    // One write per line on a handle opened for appending only: the pair,
    // a later start and this process may write to one file at once, and
    // their lines never interleave within a line.
    void line(std::wstring_view stage, TracePieces text) const;

private:
    explicit Trace(HANDLE file) : file_(file), processId_(::GetCurrentProcessId()) {}

    UniqueFile file_;
    DWORD processId_ = 0;
};

inline constexpr wchar_t kTraceVariable[] = L"VELMAR_TRACE";

}  // namespace velmar
