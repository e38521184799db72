// What the VM prints while JNI_CreateJavaVM runs. A runtime that refuses
// to start says why on its standard error ("Unrecognized option: ..."),
// which a windowed program does not have, and answers the launcher with a
// bare JNI_ERR. The "vfprintf" hook takes everything the VM prints, passes
// it on to standard error as the VM would have written it, and keeps what
// came during the creation for the box that reports a failed creation.
#pragma once

#include <windows.h>

#include <jni.h>

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "support/lock.h"

namespace velmar {

// The most the launcher keeps of what the VM prints during its creation.
inline constexpr size_t kKeptVmOutput = 2000;
// The most of it a box shows: lines and characters.
inline constexpr size_t kReasonLines = 5;
inline constexpr size_t kReasonCharacters = 500;

// The reason message 203 shows for what the VM printed: line breaks as
// "\n", trailing blanks, line breaks and one "." taken off (the message
// ends the reason with its own "."). Longer than kReasonLines lines or
// kReasonCharacters characters, it is cut there and ends in "..", which
// the message's "." makes an ellipsis. Empty when the VM printed nothing
// but blanks.
std::wstring printedReason(std::wstring_view printed);

// The "vfprintf" hook, as the JNI invocation interface defines it.
jint JNICALL vmPrintHook(FILE* stream, const char* format, va_list arguments);

// While it lives, what the VM prints through the hook, from any thread, is
// also kept here (up to kKeptVmOutput bytes). One creation at a time.
class VmCreationOutput {
public:
    VmCreationOutput() noexcept;
    // Stops keeping and waits for a hook that is still writing here.
    ~VmCreationOutput();
    VmCreationOutput(const VmCreationOutput&) = delete;
    VmCreationOutput& operator=(const VmCreationOutput&) = delete;

    void keep(std::string_view bytes) noexcept;
    // What was kept, decoded as the VM decodes its options.
    std::wstring text() const;

private:
    mutable Lock lock_;
    char kept_[kKeptVmOutput];
    size_t length_ = 0;
};

}  // namespace velmar
