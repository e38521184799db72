// The pure part of the registry search: which vendor rows a pass visits,
// which registered versions it admits, how the runtimes found are ordered,
// and which one is chosen. The registry and the file system are read
// elsewhere; everything here works on plain values.
#pragma once

#include "config/java_version.h"
#include "config/settings.h"
#include "runtime/vendor_table.h"

#include <optional>
#include <string>
#include <vector>

namespace velmar {

// The settings that steer the registry search.
struct SearchPolicy {
    JavaVersion minimum;
    JavaVersion maximum;
    int jvmType = 0;
    RuntimeKinds kinds;
    ProviderPolicy providers;
};

SearchPolicy searchPolicyOf(const Settings& settings);

// One runtime found in the registry, with its VM library in `home`.
struct RuntimeCandidate {
    JavaVersion version;
    std::wstring home;  // ends in "\"
    bool hasServerVm = false;
    bool preferred = false;
    bool keepsJavaMainThread = false;  // of the row it was found under

    friend bool operator==(const RuntimeCandidate&, const RuntimeCandidate&) = default;
};

// Why a runtime of the kind is not searched, in the words of "JVM Source";
// empty when it is.
std::wstring_view kindSkipReason(RuntimeKind kind, const RuntimeKinds& kinds);

// A row is visited when its kind may be searched and its provider is
// accepted or favoured.
bool rowVisited(const VendorRow& row, const SearchPolicy& policy);
// Why a row is not visited, in the words of its setting; empty when it is.
std::wstring_view rowSkipReason(const VendorRow& row, const SearchPolicy& policy);
// Its runtimes sort first when its kind is selected and its provider favoured.
bool rowPreferred(const VendorRow& row, const SearchPolicy& policy);
// The VM type asked of the row's runtimes.
int rowVmType(const VendorRow& row, int jvmType);

// Within "Minimum Version" and "Maximum Version". A maximum of 0.0.0.0 is
// what an empty maximum gives; it admits every version, as the requirement
// phrase shown to the user already says.
bool withinBounds(const JavaVersion& version, const SearchPolicy& policy);

// Stable: preferred first (when both kinds are allowed), then a server VM
// first (when it is favoured), then the newest first.
void sortCandidates(std::vector<RuntimeCandidate>& candidates, const SearchPolicy& policy);

// The first sorted candidate matching the first preferred version that
// matches any; the first candidate when none does; nothing for no candidate.
std::optional<RuntimeCandidate> chooseCandidate(const std::vector<RuntimeCandidate>& sorted,
                                                const std::vector<std::wstring>& preferredVersions);

// Why a sorted candidate was not the one taken: the first sort key in which
// it lost, or the "Preferred versions" that passed over it when it sorted
// before the one taken.
std::wstring_view passedOverReason(const RuntimeCandidate& candidate, const RuntimeCandidate& taken,
                                   const SearchPolicy& policy, bool sortedBeforeTaken);

}  // namespace velmar
