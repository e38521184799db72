#include "runtime/runtime_candidates.h"

#include "runtime/jvm_location.h"

#include <algorithm>

namespace velmar {

namespace {

struct ProviderFlags {
    bool accepted;
    bool favored;
};

ProviderFlags flagsOf(Provider provider, const ProviderPolicy& policy)
{
    switch (provider) {
    case Provider::jrockit:
        return {policy.jrockitAccepted, policy.jrockitFavored};
    case Provider::ibm:
        return {policy.ibmAccepted, policy.ibmFavored};
    case Provider::sun:
        break;
    }
    return {policy.sunAccepted, policy.sunFavored};
}

bool kindSelected(RuntimeKind kind, const RuntimeKinds& kinds)
{
    return kind == RuntimeKind::jdk ? kinds.jdkSelected : kinds.jreSelected;
}

// A bottom-up merge sort of positions, stable: an element moves ahead of
// an earlier one only when it comes strictly before it. std::stable_sort
// over the candidates themselves made the program 3.5 to 4 KB larger, for
// lists of a few dozen runtimes.
template <typename Before>
std::vector<std::size_t> stableOrder(std::size_t count, const Before& before)
{
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i) {
        order[i] = i;
    }
    std::vector<std::size_t> merged(count);
    for (std::size_t width = 1; width < count; width *= 2) {
        for (std::size_t low = 0; low < count; low += 2 * width) {
            const std::size_t middle = std::min(low + width, count);
            const std::size_t high = std::min(low + 2 * width, count);
            std::size_t left = low;
            std::size_t right = middle;
            for (std::size_t out = low; out < high; ++out) {
                const bool takeRight =
                    right < high && (left == middle || before(order[right], order[left]));
                merged[out] = takeRight ? order[right++] : order[left++];
            }
        }
        order.swap(merged);
    }
    return order;
}

}  // namespace

SearchPolicy searchPolicyOf(const Settings& settings)
{
    return {settings.minimumVersion,
            settings.maximumVersion,
            settings.jvmType,
            {settings.jdkSelected, settings.jreSelected, settings.bothKindsAllowed},
            settings.provider};
}

bool rowVisited(const VendorRow& row, const SearchPolicy& policy)
{
    const ProviderFlags flags = flagsOf(row.provider, policy.providers);
    return (policy.kinds.bothKindsAllowed || kindSelected(row.kind, policy.kinds)) &&
           (flags.accepted || flags.favored);
}

std::wstring_view kindSkipReason(RuntimeKind kind, const RuntimeKinds& kinds)
{
    if (kinds.bothKindsAllowed || kindSelected(kind, kinds)) {
        return {};
    }
    return kind == RuntimeKind::jdk ? L"JDKs not selected by \"JVM Source\""
                                    : L"JREs not selected by \"JVM Source\"";
}

std::wstring_view rowSkipReason(const VendorRow& row, const SearchPolicy& policy)
{
    if (const std::wstring_view reason = kindSkipReason(row.kind, policy.kinds); !reason.empty()) {
        return reason;
    }
    const ProviderFlags flags = flagsOf(row.provider, policy.providers);
    return flags.accepted || flags.favored ? L"" : L"provider not accepted by \"VM Provider\"";
}

bool rowPreferred(const VendorRow& row, const SearchPolicy& policy)
{
    return kindSelected(row.kind, policy.kinds) && flagsOf(row.provider, policy.providers).favored;
}

int rowVmType(const VendorRow& row, int jvmType)
{
    return row.favorServerAsDefault && jvmType == kVmTypeFavorServer ? kVmTypeDefault : jvmType;
}

bool withinBounds(const JavaVersion& version, const SearchPolicy& policy)
{
    const bool noMaximum = policy.maximum == JavaVersion{};
    return compareVersions(version, policy.minimum) >= 0 &&
           (noMaximum || compareVersions(version, policy.maximum) <= 0);
}

void sortCandidates(std::vector<RuntimeCandidate>& candidates, const SearchPolicy& policy)
{
    const bool byPreference = policy.kinds.bothKindsAllowed;
    const bool byServer = policy.jvmType == kVmTypeFavorServer;
    const auto before = [&](std::size_t first, std::size_t second) {
        const RuntimeCandidate& a = candidates[first];
        const RuntimeCandidate& b = candidates[second];
        if (byPreference && a.preferred != b.preferred) {
            return a.preferred;
        }
        if (byServer && a.hasServerVm != b.hasServerVm) {
            return a.hasServerVm;
        }
        return compareVersions(a.version, b.version) > 0;
    };
    std::vector<RuntimeCandidate> sorted;
    sorted.reserve(candidates.size());
    for (const std::size_t position : stableOrder(candidates.size(), before)) {
        sorted.push_back(std::move(candidates[position]));
    }
    candidates = std::move(sorted);
}

std::optional<RuntimeCandidate> chooseCandidate(const std::vector<RuntimeCandidate>& sorted,
                                                const std::vector<std::wstring>& preferredVersions)
{
    if (sorted.empty()) {
        return std::nullopt;
    }
    for (const std::wstring& item : preferredVersions) {
        const JavaVersion wanted = parseVersion(item, 0).value;
        for (const RuntimeCandidate& candidate : sorted) {
            if (matchesPreferred(candidate.version, wanted)) {
                return candidate;
            }
        }
    }
    return sorted.front();
}

std::wstring_view passedOverReason(const RuntimeCandidate& candidate, const RuntimeCandidate& taken,
                                   const SearchPolicy& policy, bool sortedBeforeTaken)
{
    if (sortedBeforeTaken) {
        return L"not of a version \"Preferred versions\" asks for";
    }
    if (policy.kinds.bothKindsAllowed && taken.preferred && !candidate.preferred) {
        return L"not preferred: its kind is not the favoured one or its provider not favoured";
    }
    if (policy.jvmType == kVmTypeFavorServer && taken.hasServerVm && !candidate.hasServerVm) {
        return L"no server VM, which \"JVM Type\" favours";
    }
    if (compareVersions(candidate.version, taken.version) < 0) {
        return L"older than the one taken";
    }
    return L"the same version as the one taken, found after it";
}

}  // namespace velmar
