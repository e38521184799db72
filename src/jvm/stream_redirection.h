// System.out and System.err replaced, inside the VM, by print streams over
// the files of "Output File" and "Error File". The process's own handles
// are not touched; failures are only printed by the runtime.
#pragma once

#include <jni.h>

#include <string>

namespace velmar {

// "Output File" and "Error File", expanded but for their time stamps.
struct StreamFiles {
    std::wstring output;
    std::wstring error;
    bool appendOutput = false;
    bool appendError = false;
};

// Expands the time stamps of both names with one reading of the clock and
// redirects each stream that has a file; two names of one file share one
// stream, opened with the output's append flag.
void redirectStandardStreams(JNIEnv* env, StreamFiles files);

// target is "setOut" or "setErr"; false with the failure printed or, when a
// constructor threw, the exception left pending.
bool redirectStream(JNIEnv* env, const std::wstring& path, bool append, const char* target);

}  // namespace velmar
