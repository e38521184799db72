// A console program's standard handles: where its messages go (standard
// error, which may be a console, a pipe or a file), and how a program it
// starts gets the same three.
#pragma once

#include "support/handles.h"

#include <windows.h>

#include <cstddef>
#include <string_view>

namespace velmar {

// True when the running program was linked for the console subsystem; the
// console launcher is the same code with that one mark in its header.
bool isConsoleProgram() noexcept;

// Writes the text and one line break to standard error, every "\n" as
// "\r\n": to a console as it is, to a pipe or a file in the console's
// output code page (the ANSI code page when there is no console), as other
// console programs do, through writeStandardErrorBytes. False when there is no standard error or a write
// failed, so that the caller can still show the text another way. Takes
// no memory from the heap: it also reports a process that has none left.
bool writeStandardError(std::wstring_view text) noexcept;

// Writes bytes to standard error as a C runtime's text mode does: every
// "\n" as "\r\n", nothing else changed (so "\r\n" arrives as "\r\r\n",
// as it would there). False when there is no standard error or a write
// failed. Takes no memory from the heap.
bool writeStandardErrorBytes(std::string_view bytes) noexcept;

// How many characters of `text` go into a piece of at most `limit`
// characters without cutting a surrogate pair in two.
size_t pieceLength(std::wstring_view text, size_t limit) noexcept;

// Inheritable copies of this process's standard handles, for a program it
// starts that must write where this one writes: a pipe or a file reaches
// the child only when inherited. Handles that are not there stay out.
class InheritableStandardHandles {
public:
    InheritableStandardHandles();
    InheritableStandardHandles(const InheritableStandardHandles&) = delete;
    InheritableStandardHandles& operator=(const InheritableStandardHandles&) = delete;

    // Into the start-up record (STARTF_USESTDHANDLES); the copies live as
    // long as this object, so until CreateProcessW has returned.
    void passTo(STARTUPINFOW& startup) const;

private:
    UniqueHandle input_;
    UniqueHandle output_;
    UniqueHandle error_;
};

}  // namespace velmar
