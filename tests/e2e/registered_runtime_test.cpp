// A runtime found through the registry, end to end: a launcher without
// "JRE Path" starts the stub runtime registered under HKLM, also when a
// newer registration beside it holds a value of odd size or type; a
// registration alone that names no usable folder leads to the
// missing-runtime dialog, never to a crash or a silent end.
#include "dialog_driver.h"
#include "registry_key.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;
constexpr DWORD kBoundMs = 30000;

struct BesideCase {
    const char* name;
    DWORD type;
    // The newer registration's value, given the registered runtime's
    // folder; nullopt: no such registration.
    std::optional<std::string> (*bytes)(const std::wstring& runtime);
};

void PrintTo(const BesideCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string utf16(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

class RegisteredRuntimeTest : public ::testing::TestWithParam<BesideCase> {};

TEST_P(RegisteredRuntimeTest, StartsTheApplicationWhateverIsRegisteredBesideIt)
{
    const BesideCase& c = GetParam();
    StubApp app;
    app.writeIni({{L"Java Runtime Environment", L"JRE Path", std::nullopt}});
    ScopedRegistryKey registered(L"Software\\JavaSoft\\JRE\\17");
    registered.setString(L"JavaHome", app.runtimeFolder());
    std::optional<ScopedRegistryKey> beside;
    if (std::optional<std::string> bytes = c.bytes(app.runtimeFolder())) {
        beside.emplace(L"Software\\JavaSoft\\JRE\\21");
        beside->setValue(L"JavaHome", c.type, *bytes);
    }

    StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.run.windows.empty());
    EXPECT_EQ(result.record.createResult, 0L);
    EXPECT_EQ(result.record.mainClass, "stub/App");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegisteredRuntimeTest,
    ::testing::Values(
        BesideCase{"alone", REG_SZ,
                   [](const std::wstring&) -> std::optional<std::string> { return std::nullopt; }},
        BesideCase{"string_of_3_bytes", REG_SZ,
                   [](const std::wstring&) -> std::optional<std::string> {
                       return std::string("C\0:", 3);
                   }},
        BesideCase{"binary_of_1_byte", REG_BINARY,
                   [](const std::wstring&) -> std::optional<std::string> {
                       return std::string("\x41", 1);
                   }},
        BesideCase{"a_missing_folder_and_a_stray_byte", REG_SZ,
                   [](const std::wstring& runtime) -> std::optional<std::string> {
                       return utf16(runtime + L"-gone") + 'x';
                   }},
        BesideCase{"a_number", REG_DWORD,
                   [](const std::wstring&) -> std::optional<std::string> { return std::string("\x11\0\0\0", 4); }},
        BesideCase{"empty", REG_SZ,
                   [](const std::wstring&) -> std::optional<std::string> { return std::string(); }},
        BesideCase{"huge", REG_SZ,
                   [](const std::wstring&) -> std::optional<std::string> {
                       return utf16(L"C:\\" + std::wstring(100000, L'h')) + std::string(2, '\0');
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

struct OnlyCase {
    const char* name;
    const wchar_t* versionKey;
    DWORD type;
    std::string (*bytes)(const std::wstring& runtime);
    bool starts;  // false: the missing-runtime dialog, cancelled, and -1
};

void PrintTo(const OnlyCase& c, std::ostream* os)
{
    *os << c.name;
}

class OnlyRegistrationTest : public ::testing::TestWithParam<OnlyCase> {};

TEST_P(OnlyRegistrationTest, StartsTheRuntimeOrAsksForOne)
{
    const OnlyCase& c = GetParam();
    StubApp app;
    app.writeIni({{L"Java Runtime Environment", L"JRE Path", std::nullopt}});
    ScopedRegistryKey registered(std::wstring(L"Software\\JavaSoft\\JRE\\") + c.versionKey);
    registered.setValue(L"JavaHome", c.type, c.bytes(app.runtimeFolder()));

    StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kBoundMs});
    ASSERT_FALSE(result.run.timedOut);
    if (c.starts) {
        EXPECT_EQ(result.run.exitCode, 0u);
        EXPECT_TRUE(result.run.windows.empty());
        EXPECT_EQ(result.record.mainClass, "stub/App");
    } else {
        EXPECT_EQ(result.run.exitCode, kFailure);
        ASSERT_EQ(result.run.windows.size(), 1u);
        EXPECT_EQ(result.run.windows.front().caption, kMissingRuntimeCaption);
        EXPECT_FALSE(result.record.exists);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OnlyRegistrationTest,
    ::testing::Values(
        OnlyCase{"without_terminator", L"17", REG_SZ,
                 [](const std::wstring& runtime) { return utf16(runtime); }, true},
        // An odd last byte is read as a character of its own.
        OnlyCase{"odd_byte_size", L"17", REG_SZ,
                 [](const std::wstring& runtime) { return utf16(runtime) + 'x'; }, false},
        OnlyCase{"odd_byte_after_the_terminator", L"17", REG_SZ,
                 [](const std::wstring& runtime) { return utf16(runtime) + std::string(2, '\0') + 'x'; },
                 true},
        OnlyCase{"expandable", L"17", REG_EXPAND_SZ,
                 [](const std::wstring& runtime) { return utf16(runtime) + std::string(2, '\0'); }, true},
        OnlyCase{"a_number", L"17", REG_DWORD,
                 [](const std::wstring&) { return std::string("\x11\0\0\0", 4); }, false},
        OnlyCase{"binary", L"17", REG_BINARY,
                 [](const std::wstring& runtime) { return utf16(runtime) + std::string(2, '\0'); }, false},
        OnlyCase{"empty", L"17", REG_SZ, [](const std::wstring&) { return std::string(); }, false},
        OnlyCase{"only_a_terminator", L"17", REG_SZ,
                 [](const std::wstring&) { return std::string(2, '\0'); }, false},
        OnlyCase{"huge", L"17", REG_SZ,
                 [](const std::wstring& runtime) {
                     return utf16(runtime + L"\\" + std::wstring(100000, L'h')) + std::string(2, '\0');
                 },
                 false},
        OnlyCase{"a_missing_folder", L"17", REG_SZ,
                 [](const std::wstring& runtime) { return utf16(runtime + L"-gone") + std::string(2, '\0'); },
                 false},
        OnlyCase{"version_key_without_digits", L"current", REG_SZ,
                 [](const std::wstring& runtime) { return utf16(runtime) + std::string(2, '\0'); }, true},
        OnlyCase{"version_key_beyond_32_bits", L"99999999999.1", REG_SZ,
                 [](const std::wstring& runtime) { return utf16(runtime) + std::string(2, '\0'); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

// An OpenJ9 build (IBM Semeru) comes under IBM's "VM Provider" flags, yet
// ends as every runtime but the old IBM ones does: once main has returned,
// an application that closed its last window is gone.
TEST(OpenJ9RuntimeTest, EndsOnceMainHasReturned)
{
    for (const wchar_t* provider : {L"favor_sun", L"ibm"}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(provider)));
        StubApp app;
        app.writeIni({{L"Java Runtime Environment", L"JRE Path", std::nullopt},
                      {L"Java Runtime Environment", L"VM Provider", provider}});
        ScopedRegistryKey registered(L"Software\\Semeru\\JDK\\17.0.9.9\\openj9\\MSI");
        registered.setString(L"Path", app.runtimeFolder());

        StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kBoundMs});
        ASSERT_FALSE(result.run.timedOut) << "the Java main thread stayed in the VM";
        EXPECT_EQ(result.run.exitCode, 0u);
        EXPECT_EQ(result.record.mainClass, "stub/App");
        EXPECT_TRUE(result.record.called("DestroyJavaVM end"));
    }
}

// The line a start's trace gives the awareness, without its prefix.
std::string dpiLineOf(const std::string& trace)
{
    const size_t at = trace.find("] dpi: ");
    return at == std::string::npos ? std::string() : trace.substr(at + 7, trace.find('\r', at) - at - 7);
}

// The VM's threads scale their windows as under the runtime's own java.exe:
// per-monitor from Java 9 on, system-aware for 8 and for a runtime whose
// version is not known ("JRE Path"). Wine fixes every process's awareness
// before its first instruction and refuses a change, as Windows does after
// a manifest set it: there the trace shows what was asked for and why it
// did not take, and the VM sees what the process had.
TEST(DpiAwarenessTest, IsTheRuntimesOwnWhenTheVmIsCreated)
{
    struct Case {
        const wchar_t* registeredVersion;  // null: "JRE Path"
        const char* release;               // the runtime's release file; null: none
        const char* asked;
        const char* set;
        const char* seen;
    };
    const Case cases[] = {
        {L"17", nullptr, "per-monitor for a runtime of Java 17: ", "per-monitor V2", "perMonitorV2"},
        {L"1.8", nullptr, "system for a runtime of Java 8: ", "system", "system"},
        {nullptr, nullptr, "system for a runtime of Java (version unknown): ", "system", "system"},
        {nullptr, "IMPLEMENTOR=\"x\"\r\nJAVA_VERSION=\"21.0.1\"\r\n", "per-monitor for a runtime of Java 21: ",
         "per-monitor V2", "perMonitorV2"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        StubApp app;
        std::optional<ScopedRegistryKey> registered;
        if (c.registeredVersion != nullptr) {
            app.writeIni({{L"Java Runtime Environment", L"JRE Path", std::nullopt}});
            registered.emplace(std::wstring(L"Software\\JavaSoft\\JRE\\") + c.registeredVersion);
            registered->setString(L"JavaHome", app.runtimeFolder());
        }
        if (c.release != nullptr) {
            writeFileAt(app.runtimeFolder() + L"\\release", c.release);
        }
        const std::wstring trace = app.installation().path(L"trace.txt");
        StubRun result = app.run(
            {.arguments = L"-nosplash", .environment = {{L"VELMAR_TRACE", trace}}, .timeoutMs = kBoundMs});
        ASSERT_EQ(result.run.exitCode, 0u);
        const std::string line = dpiLineOf(readFileBytes(trace));
        ASSERT_TRUE(line.starts_with(c.asked)) << line;
        const std::string outcome = line.substr(std::strlen(c.asked));
        if (outcome.starts_with("refused")) {
            std::printf("DPI awareness %s: the process's own stays (%s)\n", outcome.c_str(),
                        result.record.dpiAwareness.c_str());
            EXPECT_NE(result.record.dpiAwareness, "unknown");
        } else {
            EXPECT_EQ(outcome, c.set);
            EXPECT_EQ(result.record.dpiAwareness, c.seen);
        }
    }
}

}  // namespace
}  // namespace velmar::e2e
