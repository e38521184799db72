// A runtime found through the registry, end to end: a launcher without
// "JRE Path" starts the stub runtime registered under HKLM, also when a
// newer registration beside it holds a value of odd size or type.
#include "registry_key.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <optional>

namespace velmar::e2e {
namespace {

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
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar::e2e
