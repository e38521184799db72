// Runtimes named by environment variables ("Java Home Variables", e.g.
// JAVA_HOME): searched after the runtime beside the launcher and before the
// registry, under the registry's version bounds, "JVM Source" and "JVM
// Type". A variable names a folder holding the runtime itself, whose
// "release" file states its version; the first variable in the list that
// names an admissible runtime is taken.
#pragma once

#include "config/java_version.h"
#include "runtime/runtime_candidates.h"
#include "runtime/vendor_table.h"

#include <optional>
#include <string>

namespace velmar {

class Trace;
struct ChosenRuntime;
struct Settings;

// What the search learnt of a folder a variable names, whose VM library
// exists.
struct VariableRuntime {
    std::optional<JavaVersion> version;  // from its release file
    RuntimeKind kind = RuntimeKind::jre;  // a JDK has bin\javac.exe
    bool otherArchitecture = false;       // its jvm.dll is for the other build
};

// Why the runtime is passed over; empty when it is taken. A runtime of
// unknown version passes only when no bound is set; one of the other
// architecture only when a pair product can host it, as a runtime
// registered in the other view does.
std::wstring_view variableRuntimeRejection(const VariableRuntime& runtime,
                                           const SearchPolicy& policy, bool pairExists);

// Sets the library, the version and the pair's part of `chosen` from the
// first admissible runtime; false when no variable names one.
bool useVariableRuntimes(const Settings& settings, const Trace& trace, ChosenRuntime& chosen);

}  // namespace velmar
