// Runtimes named by environment variables, end to end: "Java Home
// Variables" and a "JRE Path" with %NAME% references, against the runtime
// beside the launcher and the registry's. Each case is one start; which
// runtime hosted the application is read from the folder the launcher
// published to it.
#include "dialog_driver.h"
#include "registry_key.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;
constexpr DWORD kBoundMs = 30000;

enum class Host { variable, registry, local, none };

struct VariableCase {
    const char* name;
    const wchar_t* folder;   // where the variable runtime lies, below the installation
    const wchar_t* release;  // its release file; nullptr: none
    std::vector<IniEntry> ini;
    // Values are relative to the installation folder; nullptr: not set.
    std::vector<std::pair<const wchar_t*, const wchar_t*>> variables;
    bool registered;  // the registry holds a 21 in "jre"
    bool local;       // a runtime ships beside the launcher
    Host host;
};

void PrintTo(const VariableCase& c, std::ostream* os)
{
    *os << c.name;
}

constexpr const wchar_t* kSection = L"Java Runtime Environment";
constexpr const wchar_t* kRelease17 = L"IMPLEMENTOR=\"Stub\"\r\nJAVA_VERSION=\"17.0.2\"\r\n";

class VariableRuntimeTest : public ::testing::TestWithParam<VariableCase> {};

TEST_P(VariableRuntimeTest, HostsTheApplicationFromTheRightFolder)
{
    const VariableCase& c = GetParam();
    StubApp app;
    Installation& inst = app.installation();
    const std::wstring folder = c.folder;
    inst.copyFile(stubRuntimeFile(L"full"), folder + L"\\bin\\server\\jvm.dll");
    if (c.release != nullptr) {
        inst.writeFile(folder + L"\\release", ansi(c.release));
    }
    const std::wstring localFolder = sizeof(void*) == 8 ? L"jre64" : L"jre";
    if (c.local) {
        inst.copyFile(stubRuntimeFile(L"full"), localFolder + L"\\bin\\server\\jvm.dll");
        inst.writeFile(localFolder + L"\\bin\\java.dll", "");
    }
    app.writeIni({{kSection, L"JRE Path", std::nullopt}});
    for (const IniEntry& entry : c.ini) {
        app.writeIni({entry});
    }
    std::optional<ScopedRegistryKey> registered;
    if (c.registered) {
        registered.emplace(L"Software\\JavaSoft\\JRE\\21");
        registered->setString(L"JavaHome", app.runtimeFolder());
    }
    RunOptions options{.arguments = L"-nosplash", .timeoutMs = kBoundMs};
    for (const auto& [name, value] : c.variables) {
        if (value != nullptr) {
            options.environment.emplace_back(name, inst.path(value));
        }
    }

    StubRun result = app.run(std::move(options));
    ASSERT_FALSE(result.run.timedOut);
    if (c.host == Host::none) {
        EXPECT_EQ(result.run.exitCode, kFailure);
        ASSERT_EQ(result.run.windows.size(), 1u);
        EXPECT_EQ(result.run.windows.front().caption, kMissingRuntimeCaption);
        EXPECT_FALSE(result.record.exists);
        return;
    }
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.run.windows.empty());
    const std::wstring expected = c.host == Host::variable ? inst.path(folder)
                                  : c.host == Host::local  ? inst.path(localFolder)
                                                           : app.runtimeFolder();
    EXPECT_EQ(result.record.environment[L"KESTO_JVM_HOME"], expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VariableRuntimeTest,
    ::testing::Values(
        // The first variable that names a runtime wins, over a newer
        // registered one.
        VariableCase{"before_the_registry", L"vrt", kRelease17,
                     {{kSection, L"Java Home Variables", L"VELMAR_E2E_UNSET;JAVA_HOME"}},
                     {{L"VELMAR_E2E_UNSET", nullptr}, {L"JAVA_HOME", L"vrt\\"}},
                     true, false, Host::variable},
        VariableCase{"below_the_minimum", L"vrt", kRelease17,
                     {{kSection, L"Java Home Variables", L"JAVA_HOME"},
                      {kSection, L"Minimum Version", L"21"}},
                     {{L"JAVA_HOME", L"vrt"}}, true, false, Host::registry},
        VariableCase{"version_unknown_without_bounds", L"vrt", nullptr,
                     {{kSection, L"Java Home Variables", L"JAVA_HOME"}},
                     {{L"JAVA_HOME", L"vrt"}}, false, false, Host::variable},
        VariableCase{"version_unknown_with_a_minimum", L"vrt", nullptr,
                     {{kSection, L"Java Home Variables", L"JAVA_HOME"},
                      {kSection, L"Minimum Version", L"1.6"}},
                     {{L"JAVA_HOME", L"vrt"}}, false, false, Host::none},
        VariableCase{"after_the_local_runtime", L"vrt", kRelease17,
                     {{kSection, L"Java Home Variables", L"JAVA_HOME"}},
                     {{L"JAVA_HOME", L"vrt"}}, false, true, Host::local},
        VariableCase{"jre_path_reference", L"vrt", nullptr,
                     {{kSection, L"JRE Path", L"%VELMAR_E2E_RT%"}},
                     {{L"VELMAR_E2E_RT", L"vrt"}}, false, false, Host::variable},
        // Not the folder literally so named, though it holds a runtime.
        VariableCase{"jre_path_reference_unset", L"%VELMAR_E2E_UNSET%", nullptr,
                     {{kSection, L"JRE Path", L"%VELMAR_E2E_UNSET%"}},
                     {{L"VELMAR_E2E_UNSET", nullptr}}, true, false, Host::registry}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar::e2e
