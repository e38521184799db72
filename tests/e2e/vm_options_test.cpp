// The option list the runtime receives, the Java main thread's stack, and
// the environment the runtime sees.
#include "stub_app.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string_view>

namespace velmar::e2e {
namespace {

constexpr const wchar_t* kOldPath = L"C:\\windows\\system32;C:\\windows";

// The stack reservation the runtime measured for the creating thread. The
// system keeps a few pages of it for itself, and Wine reserves at least
// 1 MiB, so sizes from 1 MiB up are told apart here.
void expectStackReserve(unsigned long long measured, unsigned long long requested)
{
    EXPECT_LE(measured, requested);
    EXPECT_GT(measured, requested - 65536) << "requested " << requested;
}

TEST(OptionListTest, GivesTheRuntimeEveryOptionInOrder)
{
    StubApp app;
    Installation& inst = app.installation();
    for (const wchar_t* file : {L"lib\\b.jar", L"lib\\a.jar", L"lib\\c.jar", L"lib\\notes.txt"}) {
        inst.writeFile(file, "");
    }
    app.writeIni({
        {L"Class Path", L"Class Path", L"\\lib\\*.jar;\\APP.jar;C:\\Shared\\util.jar;\\missing.jar"},
        {L"Application", L"Embedded Jar", L"yes"},
        {L"Java Runtime Environment", L"Library Path", inst.path(L"native")},
        {L"Java Runtime Environment", L"Virtual Machine Parameters",
         L"-Dapp.home=\"C:\\Program Files\\Sample\"   -Xmx25:8:16P -Xms1:4096:1024p "
         L"-Dvalue=%VELMAR_E2E_VALUE% -Xss1536k \"-Dq=a \"\"b\"\"\""},
    });
    StubRun result = app.run({.arguments = L"-nosplash",
                              .environment = {{L"Path", kOldPath}, {L"VELMAR_E2E_VALUE", L"v1"}}});
    ASSERT_EQ(result.run.exitCode, 0u);

    std::wstring classPath = inst.launcherPath() + L";";
    for (const std::wstring& jar : testing::listedNames(inst.path(L"lib\\*.jar"))) {
        classPath += inst.path(L"lib\\") + jar + L";";
    }
    classPath += inst.path(L"app.jar") + L";C:\\Shared\\util.jar;";
    const std::vector<std::wstring> expected{
        L"vfprintf",
        L"-Djava.library.path=" + inst.path(L"native") + L";" + inst.folder() + L"\\;.;" + kOldPath +
            L";" + app.runtimeFolder() + L"\\lib",
        L"-Djava.class.path=" + classPath,
        L"-Dapp.home=C:\\Program Files\\Sample",
        // Sizes that no machine of more than 64 MB changes: the maximum
        // applies, and the minimum wins over a smaller maximum.
        L"-Xmx16384K",
        L"-Xms4194304K",
        L"-Dvalue=v1",
        L"-Xss1536k",
        L"-Dq=a \"b\"",
        L"abort",
        L"exit",
    };
    ASSERT_EQ(result.record.options.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(result.record.options[i], ansi(expected[i])) << "option " << i;
    }
    expectStackReserve(result.record.creatingThreadStackReserve, 1536 * 1024);
    EXPECT_EQ(result.record.jniVersion, 0x00010002L) << "JNI_VERSION_1_2";
    EXPECT_FALSE(result.record.ignoreUnrecognized);
}

TEST(OptionListTest, OptionsOutsideTheCodePageKeepNoLookAlike)
{
    // A fullwidth backslash must not turn into a path separator.
    StubApp app;
    app.writeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters", L"-Dp=a\xFF3C" L"b"}});
    StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_EQ(result.run.exitCode, 0u);
    ASSERT_EQ(result.record.options.size(), 5u);
    EXPECT_EQ(result.record.options[2].find('\\'), std::string::npos) << result.record.options[2];
}

TEST(Utf8CodePageTest, GivesTheRuntimeUtf8Options)
{
    // The runtime decodes its options with the process's ANSI code page.
    StubApp app;
    app.installation().askForUtf8CodePage();
    app.writeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters",
                   L"-Dn=\x041F\x0440\x0438 -Dm=\x65E5\x672C\xFF3C"}});
    StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.run.windows.empty());
    ASSERT_EQ(result.record.options.size(), 6u);
    EXPECT_EQ(result.record.options[2], "-Dn=\xD0\x9F\xD1\x80\xD0\xB8");
    EXPECT_EQ(result.record.options[3], "-Dm=\xE6\x97\xA5\xE6\x9C\xAC\xEF\xBC\xBC");
}

struct UnconvertibleCase {
    const char* name;
    IniEntry entry;

    friend void PrintTo(const UnconvertibleCase& c, std::ostream* out) { *out << c.name; }
};

class UnconvertibleOptionTest : public ::testing::TestWithParam<UnconvertibleCase> {};

TEST_P(UnconvertibleOptionTest, StopsTheLaunchWithTheSystemsReason)
{
    // UTF-8 cannot encode a lone surrogate; the VM must not get a mangled
    // or empty option instead.
    StubApp app;
    app.installation().askForUtf8CodePage();
    app.writeIni({GetParam().entry});
    StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0xFFFFFFFFu);
    ASSERT_EQ(result.run.windows.size(), 1u);
    const WindowSeen& box = result.run.windows.front();
    EXPECT_TRUE(box.isMessageBox());
    EXPECT_TRUE(box.errorIcon);
    EXPECT_EQ(box.text, L"Windows exception: failed to convert a Java VM option (errno = 1113).\n");
    EXPECT_FALSE(result.record.called("JNI_CreateJavaVM"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnconvertibleOptionTest,
    ::testing::Values(
        UnconvertibleCase{"VmParameter",
                          {L"Java Runtime Environment", L"Virtual Machine Parameters", L"-Dn=a\xD800" L"b"}},
        UnconvertibleCase{"LibraryPath", {L"Java Runtime Environment", L"Library Path", L"C:\\n\xDC00"}},
        UnconvertibleCase{"ClassPath", {L"Class Path", L"Class Path", L"C:\\a\xD800.jar"}}),
    [](const auto& info) { return std::string(info.param.name); });

// An installation folder named with letters Windows-1252, the ANSI code
// page of the test prefix, lacks.
constexpr const wchar_t* kOutsideTheCodePage = L"velmar-\x0432\x0435\x043B\x044C-\x65E5\x672C-";

std::vector<std::string> entriesOf(const std::string& option, std::string_view name)
{
    std::vector<std::string> entries;
    if (!option.starts_with(name)) {
        return entries;
    }
    for (size_t start = name.size(), end = 0; end != std::string::npos; start = end + 1) {
        end = option.find(';', start);
        entries.push_back(option.substr(start, end == std::string::npos ? end : end - start));
    }
    return entries;
}

// The entry arrived without the default character and names `path`, the
// way the runtime reads it back.
void expectNames(const std::string& entry, const std::wstring& path)
{
    EXPECT_EQ(entry.find('?'), std::string::npos) << entry;
    std::wstring read(entry.size(), L'\0');
    read.resize(static_cast<size_t>(::MultiByteToWideChar(
        CP_ACP, 0, entry.data(), static_cast<int>(entry.size()), read.data(), static_cast<int>(read.size()))));
    std::optional<testing::FileIdentity> expected = testing::identityOf(path);
    ASSERT_TRUE(expected);
    EXPECT_EQ(testing::identityOf(read), expected) << entry;
}

TEST(PathOptionsTest, EntriesTheCodePageCannotHoldArriveInTheirShortForm)
{
    StubApp app(L"full", kOutsideTheCodePage);
    Installation& inst = app.installation();
    inst.writeFile(L"native\\n.dll", "");
    inst.writeFile(L"jre\\lib\\x", "");
    app.writeIni({{L"Java Runtime Environment", L"Library Path", inst.path(L"native")}});
    StubRun result = app.run({.arguments = L"-nosplash", .environment = {{L"Path", kOldPath}}});
    ASSERT_EQ(result.run.exitCode, 0u);
    ASSERT_EQ(result.record.options.size(), 5u);

    std::vector<std::string> classPath = entriesOf(result.record.options[2], "-Djava.class.path=");
    ASSERT_EQ(classPath.size(), 2u) << result.record.options[2];
    expectNames(classPath[0], inst.path(L"app.jar"));
    EXPECT_EQ(classPath[1], "");

    std::vector<std::string> libraryPath = entriesOf(result.record.options[1], "-Djava.library.path=");
    ASSERT_EQ(libraryPath.size(), 6u) << result.record.options[1];
    expectNames(libraryPath[0], inst.path(L"native"));
    expectNames(libraryPath[1], inst.folder() + L"\\");
    EXPECT_EQ(libraryPath[2], ".");
    EXPECT_EQ(libraryPath[3], "C:\\windows\\system32");
    EXPECT_EQ(libraryPath[4], "C:\\windows");
    expectNames(libraryPath[5], app.runtimeFolder() + L"\\lib");
}

TEST(PathOptionsTest, UnderUtf8EntriesArriveAsWritten)
{
    StubApp app(L"full", kOutsideTheCodePage);
    app.installation().askForUtf8CodePage();
    StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_EQ(result.run.exitCode, 0u);
    ASSERT_EQ(result.record.options.size(), 4u);
    const std::wstring jar = app.installation().path(L"app.jar");
    std::string utf8(jar.size() * 3, '\0');
    utf8.resize(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, jar.data(), static_cast<int>(jar.size()),
                                                          utf8.data(), static_cast<int>(utf8.size()), nullptr,
                                                          nullptr)));
    EXPECT_EQ(result.record.options[1], "-Djava.class.path=" + utf8 + ";");
}

// The reservation the program's image names for a thread created with no
// size of its own.
unsigned long long imageStackReserve(const std::wstring& program)
{
    const std::string image = readFileBytes(program);
    IMAGE_DOS_HEADER dos{};
    std::memcpy(&dos, image.data(), sizeof dos);
    IMAGE_NT_HEADERS headers{};  // the tests' own architecture, the launcher's
    std::memcpy(&headers, image.data() + dos.e_lfanew, sizeof headers);
    return headers.OptionalHeader.SizeOfStackReserve;
}

struct StackCase {
    const char* name;
    const wchar_t* vmParameters;
    const wchar_t* defaultStack;  // the runtime's default, VELMAR_STUB_JAVA_STACK; null: its own
    unsigned long long reserve;  // 0: the launcher image's
};

class MainThreadStackTest : public ::testing::TestWithParam<StackCase> {};

TEST_P(MainThreadStackTest, TakesXssOrTheRuntimesDefault)
{
    const StackCase& c = GetParam();
    StubApp app;
    app.writeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters", c.vmParameters}});
    RunOptions options{.arguments = L"-nosplash"};
    if (c.defaultStack != nullptr) {
        options.environment = {{L"VELMAR_STUB_JAVA_STACK", c.defaultStack}};
    }
    StubRun result = app.run(options);
    ASSERT_EQ(result.run.exitCode, 0u);
    const unsigned long long reserve =
        c.reserve != 0 ? c.reserve : imageStackReserve(app.installation().launcherPath());
    expectStackReserve(result.record.creatingThreadStackReserve, reserve);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MainThreadStackTest,
    ::testing::Values(StackCase{"runtime default", L"", L"3145728", 3145728},
                      // HotSpot on Windows names 0: the thread gets the
                      // reservation of the launcher's image.
                      StackCase{"runtime default of 0", L"", nullptr, 0},
                      StackCase{"Xss over a default of 0", L"-Xss1280k", nullptr, 1310720},
                      StackCase{"Xss1280k", L"-Xss1280k", L"3145728", 1310720},
                      StackCase{"last Xss wins", L"-Xss4M -Xss1536K", L"3145728", 1572864},
                      StackCase{"percentage with a minimum", L"-Xss0:5P", L"3145728", 5242880},
                      StackCase{"unreadable Xss", L"-Xss1:2M", L"3145728", 3145728}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST(EnvironmentTest, RuntimeSeesTheChoiceAndTheComposedPath)
{
    struct Case {
        const wchar_t* systemPath;
        std::wstring oldPath;
        std::wstring expectedPrefix;  // before the runtime's bin folder
    };
    const Case cases[] = {
        {L"D:\\App\\bin", kOldPath, std::wstring(L"D:\\App\\bin;") + kOldPath + L";"},
        {L"D:\\App\\bin;", L"C:\\old;", L"D:\\App\\bin;C:\\old;"},
        {L"%VELMAR_E2E_VALUE%\\bin", kOldPath, std::wstring(L"v2\\bin;") + kOldPath + L";"},
        {L"", kOldPath, std::wstring(kOldPath) + L";"},
    };
    for (const Case& c : cases) {
        StubApp app;
        app.writeIni({{L"Java Runtime Environment", L"System Path", c.systemPath}});
        StubRun result = app.run({.arguments = L"-nosplash",
                                  .environment = {{L"Path", c.oldPath}, {L"VELMAR_E2E_VALUE", L"v2"}}});
        ASSERT_EQ(result.run.exitCode, 0u);
        auto& env = result.record.environment;
        EXPECT_EQ(env[L"Path"], c.expectedPrefix + app.runtimeFolder() + L"\\bin");
        EXPECT_EQ(env[L"KESTO_JVM_PATH"], app.jvmPath());
        EXPECT_EQ(env[L"KESTO_JVM_HOME"], app.runtimeFolder());
        EXPECT_EQ(result.record.options.size(), 4u) << "no library path option";
    }
}

}  // namespace
}  // namespace velmar::e2e
