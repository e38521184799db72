// The mistakes packagers make, one row each: what they did, the box the
// user then sees (its whole text), and the exit code. Each box says what to
// fix, in the packager's own terms.
#include "pe_image.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;

// A runtime of the other processor architecture in the folder where this
// launcher looks for one shipped beside it, and what the box says of it.
#ifdef _WIN64
constexpr WORD kOtherMachine = velmar::testing::kI386;
constexpr const wchar_t* kLocalRuntime = L"jre64\\";
constexpr const wchar_t* kOtherLocalRuntimeText =
    L"Failed to load Java VM library: %F\\jre64\\bin\\server\\jvm.dll (errno = 193).\n\n"
    L"This Java runtime is 32-bit and this launcher is 64-bit. Ship a 64-bit runtime in its place, or move this "
    L"one to jre\\ and start the 32-bit launcher, which looks for its runtime there.";
#else
constexpr WORD kOtherMachine = velmar::testing::kAmd64;
constexpr const wchar_t* kLocalRuntime = L"jre\\";
constexpr const wchar_t* kOtherLocalRuntimeText =
    L"Failed to load Java VM library: %F\\jre\\bin\\server\\jvm.dll (errno = 193).\n\n"
    L"This Java runtime is 64-bit and this launcher is 32-bit. Ship a 32-bit runtime in its place, or move this "
    L"one to jre64\\ and start the 64-bit launcher, which looks for its runtime there.";
#endif

struct MistakeCase {
    const char* name;
    // Makes the mistake in a working installation.
    std::function<void(StubApp&)> make;
    // The box's text; "%F" stands for the installation folder. Empty: the
    // launcher copes, and the application starts without a box.
    std::wstring text;
    DWORD exitCode = kFailure;
};

// A JDK 8 copied whole beside the launcher: its runtime one level down,
// and nothing that marks a runtime in the JDK's own bin\.
void shipJdk8Layout(StubApp& app)
{
    const std::wstring local = sizeof(void*) == 8 ? L"jre64" : L"jre";
    Installation& installation = app.installation();
    const std::wstring moved = installation.path(L"jdk8-runtime");
    ASSERT_TRUE(::MoveFileW(app.runtimeFolder().c_str(), moved.c_str()));
    ASSERT_TRUE(::CreateDirectoryW(installation.path(local).c_str(), nullptr));
    ASSERT_TRUE(::MoveFileW(moved.c_str(), installation.path(local + L"\\jre").c_str()));
    installation.writeFile(local + L"\\jre\\bin\\java.dll", "");
    app.writeIni({{L"Java Runtime Environment", L"JRE Path", std::nullopt}});
}

std::wstring withFolder(std::wstring text, const std::wstring& folder)
{
    for (size_t at = text.find(L"%F"); at != std::wstring::npos; at = text.find(L"%F", at + folder.size())) {
        text.replace(at, 2, folder);
    }
    return text;
}

void setIni(StubApp& app, const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
    app.writeIni({{section, key, value}});
}

void shipOtherArchitectureRuntime(StubApp& app)
{
    app.writeIni({{L"Java Runtime Environment", L"JRE Path", std::nullopt}});
    const std::wstring folder = kLocalRuntime;
    app.installation().writeFile(folder + L"bin\\java.dll", "");
    app.installation().writeFile(folder + L"bin\\server\\jvm.dll", velmar::testing::peImage(kOtherMachine));
}

class PackagerMistakeTest : public ::testing::TestWithParam<MistakeCase> {};

TEST_P(PackagerMistakeTest, TheBoxSaysWhatToFix)
{
    StubApp app;
    GetParam().make(app);
    const StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, GetParam().exitCode);
    if (GetParam().text.empty()) {
        EXPECT_TRUE(result.run.windows.empty());
        EXPECT_TRUE(result.record.mainArguments.present);
        return;
    }
    ASSERT_EQ(result.run.messageBoxes().size(), 1u);
    EXPECT_EQ(result.run.messageBoxes().front().text, withFolder(GetParam().text, app.installation().folder()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PackagerMistakeTest,
    ::testing::Values(
        MistakeCase{"main_class_named_with_dots",
                    [](StubApp& app) { setIni(app, L"Java Runtime Environment", L"Main Class", L"com.acme.Main"); },
                    L"Could not find the main class com.acme.Main.\n"},
        MistakeCase{"jdk8_copied_whole_beside_the_launcher", shipJdk8Layout, L"", 0},
        // The application itself is found without a class path here.
        MistakeCase{"class_path_without_its_leading_backslash",
                    [](StubApp& app) { setIni(app, L"Class Path", L"Class Path", L"lib\\*.jar"); },
                    L"No file matches these entries of \"Class Path\":\nlib\\*.jar (looked for as %Flib\\*.jar)", 0},
        MistakeCase{"main_class_in_a_jar_that_is_not_there",
                    [](StubApp& app) {
                        setIni(app, L"Class Path", L"Class Path", L"\\app.jar;\\lib\\acme.jar");
                        setIni(app, L"Java Runtime Environment", L"Main Class", L"com.acme.Main");
                    },
                    L"Could not find the main class com.acme.Main.\nThe class path searched: %F\\app.jar\n"
                    L"No file matches these entries of \"Class Path\":\n\\lib\\acme.jar (looked for as %F\\lib\\acme.jar)"},
        // An unquoted path with a blank is two options; the VM names the one it refused.
        MistakeCase{"vm_option_split_by_a_blank",
                    [](StubApp& app) {
                        setIni(app, L"Java Runtime Environment", L"Virtual Machine Parameters",
                               L"-Dx=1 C:\\B\u00fcro\\hello.txt");
                    },
                    L"JNI exception: failed to create the Java VM\nReason: Unrecognized option: "
                    L"C:\\B\u00fcro\\hello.txt.\n"},
        MistakeCase{"other_architecture_runtime_shipped_beside", shipOtherArchitectureRuntime,
                    kOtherLocalRuntimeText}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar::e2e
