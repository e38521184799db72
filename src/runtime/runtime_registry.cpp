#include "runtime/runtime_registry.h"

#include "core/launcher.h"
#include "runtime/jvm_location.h"
#include "runtime/registry_value.h"
#include "support/file_system.h"
#include "support/handles.h"

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

std::optional<RuntimeCandidate> candidateOf(const VendorRow& row, const SearchPolicy& policy,
                                            const JavaVersion& version, const std::wstring& home)
{
    // Every place tried lies inside the registered home: a registration of
    // a runtime long removed costs one look, not one for each place.
    if (folderMissing(home)) {
        return std::nullopt;
    }
    for (const std::wstring& folder : homesToTry(row, home)) {
        bool server = false;
        if (!findJvmLibrary(folder, rowVmType(row, policy.jvmType), server).empty()) {
            return RuntimeCandidate{version, folder, server, rowPreferred(row, policy),
                                    keepsJavaMainThread(row)};
        }
    }
    return std::nullopt;
}

void gatherRow(const VendorRow& row, const SearchPolicy& policy, RegistryView view,
               REGSAM access, std::vector<RuntimeCandidate>& candidates)
{
    UniqueRegKey vendorKey = openKey(HKEY_LOCAL_MACHINE, rowKey(row, view), access);
    if (!vendorKey) {
        return;
    }
    for (const std::wstring& name : subkeyNames(vendorKey.get())) {
        if (!subkeyBelongsToRow(row, name)) {
            continue;
        }
        const JavaVersion version = parseVersion(name, 0).value;
        if (!withinBounds(version, policy)) {
            continue;
        }
        std::wstring path = name;
        if (!row.valuePath.empty()) {
            path += L'\\';
            path += row.valuePath;
        }
        UniqueRegKey runtimeKey = openKey(vendorKey.get(), path, access);
        if (!runtimeKey) {
            continue;
        }
        if (auto candidate = candidateOf(row, policy, version,
                                         readFolderValue(runtimeKey.get(), row.homeValue))) {
            candidates.push_back(std::move(*candidate));
        }
    }
}

}  // namespace

std::vector<RuntimeCandidate> gatherCandidates(const SearchPolicy& policy, RegistryView view,
                                               REGSAM viewFlag)
{
    std::vector<RuntimeCandidate> candidates;
    for (const VendorRow& row : vendorRows()) {
        if (rowVisited(row, policy)) {
            gatherRow(row, policy, view, KEY_READ | viewFlag, candidates);
        }
    }
    return candidates;
}

std::optional<RuntimeCandidate> searchRegistry(const Launcher& launcher, int pass,
                                               const BuildTraits& traits)
{
    const bool otherView = pass == 2;
    if (otherView && launcher.pairProduct.empty()) {
        return std::nullopt;
    }
    const SearchPolicy policy = searchPolicyOf(launcher);
    std::vector<RuntimeCandidate> candidates =
        otherView ? gatherCandidates(policy, traits.otherView, traits.otherViewFlag)
                  : gatherCandidates(policy, traits.nativeView, 0);
    sortCandidates(candidates, policy);
    return chooseCandidate(candidates, launcher.preferredVersions);
}

}  // namespace velmar
