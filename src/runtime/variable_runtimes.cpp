#include "runtime/variable_runtimes.h"

#include "config/settings.h"
#include "runtime/jvm_location.h"
#include "runtime/release_file.h"
#include "runtime/runtime_search.h"
#include "support/environment.h"
#include "support/file_system.h"
#include "support/text.h"
#include "support/trace.h"

namespace velmar {

namespace {

std::wstring_view boundsRejection(const std::optional<JavaVersion>& version,
                                  const SearchPolicy& policy)
{
    if (!version) {
        // Nothing says such a runtime is new enough, or old enough.
        const bool bounded = !isOpenBound(policy.minimum) || !isOpenBound(policy.maximum);
        return bounded ? L"its version is unknown and a version bound is set" : L"";
    }
    if (withinBounds(*version, policy)) {
        return {};
    }
    return compareVersions(*version, policy.minimum) < 0 ? L"below \"Minimum Version\""
                                                          : L"above \"Maximum Version\"";
}

bool useVariable(const std::wstring& name, const SearchPolicy& policy, bool pairExists, const Trace& trace,
                 ChosenRuntime& chosen)
{
    const std::optional<std::wstring> value = environmentValue(name);
    if (!value || value->empty()) {
        trace.line(L"runtime", {"%", name, "%: ", value ? "empty" : "not set"});
        return false;
    }
    // A relative value would depend on the current directory of whoever
    // started the launcher.
    if (!isAbsolutePath(*value)) {
        trace.line(L"runtime", {"%", name, "% = ", *value, ": passed over, not an absolute path"});
        return false;
    }
    std::wstring folder = *value;
    if (!endsWith(folder, L"\\")) {
        folder += L'\\';
    }
    std::wstring library = findJvmLibrary(folder, policy.jvmType);
    if (library.empty()) {
        trace.line(L"runtime", {"%", name, "% = ", *value, ": passed over, ",
                                missingLibraryText(policy.jvmType)});
        return false;
    }
    const ReleaseVersion release = readReleaseVersion(folder);
    const std::optional<WORD> machine = libraryMachine(library);
    const VariableRuntime runtime{
        release.version,
        entryFound(folder + L"bin\\javac.exe") ? RuntimeKind::jdk : RuntimeKind::jre,
        machine && belongsToOtherArchitecture(*machine, kThisBuild)};
    const std::wstring_view reason =
        variableRuntimeRejection(runtime, policy, pairExists);
    if (trace.on()) {
        trace.line(L"runtime", {"%", name, "% = ", *value, ": version ",
                                release.version ? formatVersion(*release.version) : L"unknown (",
                                release.problem, release.version ? ", " : "), ",
                                reason.empty() ? "taken" : "passed over, ", reason});
    }
    if (!reason.empty()) {
        return false;
    }
    chosen.jvmLibraryPath = std::move(library);
    chosen.foundVersion = runtime.version.value_or(JavaVersion{});
    chosen.relaunchPair = runtime.otherArchitecture;
    if (runtime.otherArchitecture) {
        trace.line(L"runtime", {"a VM of the other architecture: the pair hosts it"});
    }
    return true;
}

}  // namespace

std::wstring_view variableRuntimeRejection(const VariableRuntime& runtime,
                                           const SearchPolicy& policy, bool pairExists)
{
    if (const std::wstring_view reason = kindSkipReason(runtime.kind, policy.kinds); !reason.empty()) {
        return reason;
    }
    if (const std::wstring_view reason = boundsRejection(runtime.version, policy); !reason.empty()) {
        return reason;
    }
    if (runtime.otherArchitecture && !pairExists) {
        return L"a VM of the other architecture, and no \"Pair Product\" to host it";
    }
    return {};
}

bool useVariableRuntimes(const Settings& settings, const Trace& trace, ChosenRuntime& chosen)
{
    if (settings.javaHomeVariables.empty()) {
        trace.line(L"runtime", {"no \"Java Home Variables\""});
        return false;
    }
    const SearchPolicy policy = searchPolicyOf(settings);
    for (const std::wstring& name : settings.javaHomeVariables) {
        if (!name.empty() && useVariable(name, policy, !settings.pairProduct.empty(), trace, chosen)) {
            return true;
        }
    }
    return false;
}

}  // namespace velmar
