// The registry passes of the runtime search: the vendor keys of one
// registry view read into candidates, sorted, and one chosen.
#pragma once

#include "runtime/build_traits.h"
#include "runtime/runtime_candidates.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace velmar {

class Trace;
struct Settings;

// Every runtime of the visited rows in one view that lies within the bounds
// and has a VM library, in the order found. `viewFlag` is added to KEY_READ.
// Every key and registration looked at goes to the trace with its outcome.
std::vector<RuntimeCandidate> gatherCandidates(const SearchPolicy& policy, RegistryView view,
                                               REGSAM viewFlag, const Trace& trace);

// Pass 1 reads the build's own view; pass 2 the other view, and only when a
// pair product exists to host what it finds. Returns the chosen runtime.
std::optional<RuntimeCandidate> searchRegistry(const Settings& settings, const Trace& trace, int pass,
                                               const BuildTraits& traits = kThisBuild);

}  // namespace velmar
