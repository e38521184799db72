// Reads the record the stub Java runtime writes to the file named by
// VELMAR_STUB_RECORD: what the launcher handed to the runtime and what it
// called, in order. The line format is described in README.md.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmar::stub {

struct JavaArguments {
    bool present = false;  // the method was called
    bool hadNull = false;  // the array, or one of its elements, was null
    std::vector<std::wstring> values;
};

struct SecondaryMainCall {
    bool intForm = false;
    JavaArguments arguments;
};

struct StubRecord {
    bool exists = false;
    std::vector<std::string> calls;  // "call" lines, in order
    std::vector<std::string> options;  // exact bytes, in order, the hook options included
    long jniVersion = 0;
    bool ignoreUnrecognized = false;
    std::optional<long> createResult;
    std::optional<long long> sinceProcessStart;  // 100 ns units, at JNI_CreateJavaVM
    unsigned long creatingThreadId = 0;
    unsigned long long creatingThreadStackReserve = 0;
    std::map<std::wstring, std::wstring> environment;  // set variables only, read at creation
    std::string mainClass;
    std::string mainForm;  // "static(String[])", "instance()", ...
    JavaArguments mainArguments;
    std::vector<SecondaryMainCall> secondaryMainCalls;
    std::vector<long> exitHookCodes;
    std::vector<std::string> violations;  // "unexpected: ..." and "violation: ..."
    std::vector<std::string> warnings;
    // Where the library that the "dependent" variant imports was loaded from.
    std::wstring dependencyPath;
    // File names of the modules loaded when JNI_CreateJavaVM was called.
    std::vector<std::wstring> modules;
    // Classes of the process's visible top-level windows at JNI_CreateJavaVM.
    std::vector<std::wstring> windowClasses;
    unsigned long long peakWorkingSet = 0;  // bytes, at JNI_CreateJavaVM
    // The creating thread's DPI awareness at JNI_CreateJavaVM: "system",
    // "perMonitor", "perMonitorV2", "unaware", or "unknown" on a system
    // without per-thread awareness.
    std::string dpiAwareness;

    bool called(const std::string& call) const;
};

// A missing file gives a record with exists false; a line that does not
// parse throws std::runtime_error, so format drift cannot pass silently.
StubRecord readStubRecord(const std::wstring& path);
StubRecord parseStubRecord(const std::string& text);

}  // namespace velmar::stub
