// Launcher INI files as broken installs and editors leave them: other
// encodings, bytes that are no text, nothing at all, a folder in the
// file's place, values and sections far beyond what a packager writes.
// Each either starts the application or ends with the missing main class
// message; none may crash, hang or end silently.
#include "stub_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;
constexpr DWORD kBoundMs = 60000;
constexpr const wchar_t* kNoMainClass = L"Main class was not specified in INI file.";
constexpr size_t kLongValue = 100000;

std::string bytesOf(std::wstring_view text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// The INI text the stub application writes, without its byte-order mark.
std::wstring iniText(StubApp& app)
{
    app.saveIni();
    const std::string bytes = readFileBytes(app.installation().iniPath());
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()) + 1,
                        bytes.size() / sizeof(wchar_t) - 1);
}

void expectStarted(const StubRun& result)
{
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.run.windows.empty());
    EXPECT_EQ(result.record.mainClass, "stub/App");
}

void expectOneBox(const StubRun& result, const std::wstring& text)
{
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, kFailure);
    ASSERT_EQ(result.run.messageBoxes().size(), 1u);
    EXPECT_EQ(result.run.messageBoxes().front().text, text);
    EXPECT_TRUE(result.run.messageBoxes().front().errorIcon);
}

struct FileCase {
    const char* name;
    // The INI file's bytes, given the text of a working INI; nullopt: a
    // folder of the INI's name instead of the file.
    std::function<std::optional<std::string>(const std::wstring& text)> bytes;
    bool starts;  // false: message 210 and -1
};

void PrintTo(const FileCase& c, std::ostream* os)
{
    *os << c.name;
}

class BadIniFileTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(BadIniFileTest, StartsOrReportsTheMissingMainClass)
{
    const FileCase& c = GetParam();
    StubApp app;
    const std::wstring ini = app.installation().iniPath();
    const std::optional<std::string> bytes = c.bytes(iniText(app));
    ::DeleteFileW(ini.c_str());
    if (bytes) {
        writeFileAt(ini, *bytes);
    } else {
        ASSERT_TRUE(::CreateDirectoryW(ini.c_str(), nullptr));
    }

    const StubRun result = app.runWithIniAsIs({.arguments = L"-nosplash", .timeoutMs = kBoundMs});
    if (c.starts) {
        expectStarted(result);
    } else {
        expectOneBox(result, kNoMainClass);
        EXPECT_FALSE(result.record.exists);
    }
    if (!bytes) {
        ::RemoveDirectoryW(ini.c_str());
    }
}

std::string randomBytes()
{
    std::mt19937 generator(20261209);
    std::string bytes(4096, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadIniFileTest,
    ::testing::Values(
        FileCase{"utf16_with_bom", [](const std::wstring& t) { return "\xFF\xFE" + bytesOf(t); }, true},
        // Without the mark the profile functions cannot tell the text from
        // ANSI, so what starts with "[" and a zero byte holds no key.
        FileCase{"utf16_without_bom", [](const std::wstring& t) { return bytesOf(t); }, false},
        FileCase{"utf8_with_bom", [](const std::wstring& t) { return "\xEF\xBB\xBF" + testing::utf8Of(t); }, true},
        FileCase{"random_bytes", [](const std::wstring&) { return randomBytes(); }, false},
        FileCase{"empty_file", [](const std::wstring&) { return std::string(); }, false},
        FileCase{"folder_of_the_ini_name",
                 [](const std::wstring&) -> std::optional<std::string> { return std::nullopt; }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ManyKeysIniTest, TenThousandKeysBeforeTheSettingsStillStart)
{
    StubApp app;
    std::wstring text = iniText(app);
    const std::wstring section = L"[Java Runtime Environment]\r\n";
    const size_t at = text.find(section);
    ASSERT_NE(at, std::wstring::npos);
    std::wstring filler;
    for (int key = 0; key < 10000; ++key) {
        filler += L"Filler Key " + std::to_wstring(key) + L"=value " + std::to_wstring(key) + L"\r\n";
    }
    text.insert(at + section.size(), filler);
    app.installation().writeIni(text);

    const StubRun result = app.runWithIniAsIs({.arguments = L"-nosplash", .timeoutMs = kBoundMs});
    expectStarted(result);
}

// Values of 100,000 characters are read whole: the profile read grows its
// buffer until the value fits.
TEST(LongIniValueTest, VmParameterArrivesWhole)
{
    StubApp app;
    const std::wstring option = L"-Dstub.long=" + std::wstring(kLongValue, L'v');
    app.writeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters", option}});
    const StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kBoundMs});
    expectStarted(result);
    EXPECT_NE(std::find(result.record.options.begin(), result.record.options.end(), ansi(option)),
              result.record.options.end());
}

TEST(LongIniValueTest, ClassPathEntryArrivesWhole)
{
    StubApp app;
    const std::wstring entry = L"C:\\" + std::wstring(kLongValue, L'c') + L".jar";
    app.writeIni({{L"Class Path", L"Class Path", L"\\app.jar;" + entry}});
    const StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kBoundMs});
    expectStarted(result);
    const std::string expected =
        ansi(L"-Djava.class.path=" + app.installation().path(L"app.jar") + L";" + entry + L";");
    EXPECT_NE(std::find(result.record.options.begin(), result.record.options.end(), expected),
              result.record.options.end());
}

TEST(LongIniValueTest, MainClassIsReportedWhole)
{
    StubApp app;
    const std::wstring name(kLongValue, L'm');
    app.writeIni({{L"Java Runtime Environment", L"Main Class", L"stub." + name}});
    const StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kBoundMs});
    // Wine lays a text this long out without the icon control the watcher
    // looks for; the text is what the user is told.
    const std::wstring text = L"Could not find the main class stub." + name + L".\n";
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, kFailure);
    ASSERT_EQ(result.run.messageBoxes().size(), 1u);
    EXPECT_EQ(result.run.messageBoxes().front().text, text);
    EXPECT_FALSE(result.record.called("main stub/" + ansi(name)));
}

}  // namespace
}  // namespace velmar::e2e
