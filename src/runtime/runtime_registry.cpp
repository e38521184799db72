#include "runtime/runtime_registry.h"

#include "config/settings.h"
#include "runtime/jvm_location.h"
#include "runtime/registry_value.h"
#include "support/file_system.h"
#include "support/handles.h"
#include "support/trace.h"

namespace velmar {

namespace {

UniqueRegKey openKey(HKEY parent, std::wstring_view path, REGSAM access)
{
    UniqueRegKey key;
    if (::RegOpenKeyExW(parent, std::wstring(path).c_str(), 0, access, key.put()) !=
        ERROR_SUCCESS) {
        key.release();
    }
    return key;
}

std::vector<std::wstring> subkeyNames(HKEY key)
{
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256] = {};  // the longest key name the registry allows
        DWORD length = 256;
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return names;
        }
        names.emplace_back(name, length);
    }
}

// The place of one registration in the trace: key and subkey as regedit
// shows them.
struct Place {
    const Trace& trace;
    std::wstring_view key;
    std::wstring_view subkey;

    void note(TracePiece a, TracePiece b = "", TracePiece c = "", TracePiece d = "",
              TracePiece e = "", TracePiece f = "") const
    {
        trace.line(L"registry", {"HKLM\\", key, "\\", subkey, ": ", a, b, c, d, e, f});
    }
};

std::optional<RuntimeCandidate> candidateOf(const VendorRow& row, const SearchPolicy& policy,
                                            const JavaVersion& version, const std::wstring& home,
                                            const Place& place)
{
    if (home.empty()) {
        place.note("passed over: no usable \"", row.homeValue, "\" value");
        return std::nullopt;
    }
    // Every place tried lies inside the registered home: a registration of
    // a runtime long removed costs one look, not one for each place.
    if (folderMissing(home)) {
        place.note("passed over: its folder ", home, " does not exist");
        return std::nullopt;
    }
    const int vmType = rowVmType(row, policy.jvmType);
    for (const std::wstring& folder : homesToTry(row, home)) {
        bool server = false;
        if (!findJvmLibrary(folder, vmType, server).empty()) {
            RuntimeCandidate candidate{version, folder, server, rowPreferred(row, policy),
                                       keepsJavaMainThread(row)};
            if (place.trace.on()) {
                place.note("candidate ", formatVersion(version), " in ", folder,
                           server ? ", server VM" : ", no server VM",
                           candidate.preferred ? ", preferred" : ", not preferred");
            }
            return candidate;
        }
    }
    place.note("passed over: ", missingLibraryText(vmType), " in ", home);
    return std::nullopt;
}

// Whether the registration's version lies within the bounds; says why not.
bool admitted(const JavaVersion& version, const SearchPolicy& policy, const Place& place)
{
    if (withinBounds(version, policy)) {
        return true;
    }
    if (place.trace.on()) {
        const bool below = compareVersions(version, policy.minimum) < 0;
        place.note("passed over: version ", formatVersion(version),
                   below ? " below the minimum " : " above the maximum ",
                   formatVersion(below ? policy.minimum : policy.maximum));
    }
    return false;
}

void gatherRow(const VendorRow& row, const SearchPolicy& policy, RegistryView view,
               REGSAM access, std::vector<RuntimeCandidate>& candidates, const Trace& trace)
{
    const std::wstring_view keyName = rowKey(row, view);
    UniqueRegKey vendorKey = openKey(HKEY_LOCAL_MACHINE, keyName, access);
    if (!vendorKey) {
        trace.line(L"registry", {"HKLM\\", keyName, ": no such key"});
        return;
    }
    for (const std::wstring& name : subkeyNames(vendorKey.get())) {
        const Place place{trace, keyName, name};
        if (!subkeyBelongsToRow(row, name)) {
            continue;
        }
        const JavaVersion version = parseVersion(name, 0).value;
        if (!admitted(version, policy, place)) {
            continue;
        }
        std::wstring path = name;
        if (!row.valuePath.empty()) {
            path += L'\\';
            path += row.valuePath;
        }
        UniqueRegKey runtimeKey = openKey(vendorKey.get(), path, access);
        if (!runtimeKey) {
            place.note("passed over: no subkey ", row.valuePath);
            continue;
        }
        if (auto candidate = candidateOf(row, policy, version,
                                         readFolderValue(runtimeKey.get(), row.homeValue), place)) {
            candidates.push_back(std::move(*candidate));
        }
    }
}

// One line per sorted candidate: the one taken, and why each other was not.
void traceChoice(const Trace& trace, const std::vector<RuntimeCandidate>& sorted,
                 const RuntimeCandidate& taken, const SearchPolicy& policy)
{
    bool beforeTaken = true;
    for (const RuntimeCandidate& candidate : sorted) {
        const std::wstring version = formatVersion(candidate.version);
        if (beforeTaken && candidate == taken) {
            trace.line(L"registry", {"taken: ", version, " in ", candidate.home});
            beforeTaken = false;
            continue;
        }
        trace.line(L"registry", {"passed over: ", version, " in ", candidate.home, ": ",
                                 passedOverReason(candidate, taken, policy, beforeTaken)});
    }
}

}  // namespace

std::vector<RuntimeCandidate> gatherCandidates(const SearchPolicy& policy, RegistryView view,
                                               REGSAM viewFlag, const Trace& trace)
{
    std::vector<RuntimeCandidate> candidates;
    for (const VendorRow& row : vendorRows()) {
        if (rowVisited(row, policy)) {
            gatherRow(row, policy, view, KEY_READ | viewFlag, candidates, trace);
        } else {
            trace.line(L"registry", {"HKLM\\", rowKey(row, view), ": not searched, ",
                                     rowSkipReason(row, policy)});
        }
    }
    return candidates;
}

std::optional<RuntimeCandidate> searchRegistry(const Settings& settings, const Trace& trace, int pass,
                                               const BuildTraits& traits)
{
    const bool otherView = pass == 2;
    if (otherView && settings.pairProduct.empty()) {
        trace.line(L"registry", {"no pass in the other view: no \"Pair Product\" to host its runtimes"});
        return std::nullopt;
    }
    const RegistryView view = otherView ? traits.otherView : traits.nativeView;
    trace.line(L"registry", {otherView ? "pass 2, " : "pass 1, ",
                             view == RegistryView::bits64 ? "64-bit view" : "32-bit view"});
    const SearchPolicy policy = searchPolicyOf(settings);
    std::vector<RuntimeCandidate> candidates =
        gatherCandidates(policy, view, otherView ? traits.otherViewFlag : 0, trace);
    sortCandidates(candidates, policy);
    std::optional<RuntimeCandidate> chosen = chooseCandidate(candidates, settings.preferredVersions);
    if (!chosen) {
        trace.line(L"registry", {"no candidate in this view"});
    } else if (trace.on()) {
        traceChoice(trace, candidates, *chosen, policy);
    }
    return chosen;
}

}  // namespace velmar
