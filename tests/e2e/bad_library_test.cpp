// A runtime folder whose jvm.dll is not a library this launcher can load:
// the load fails and the user is told which file and the system's error
// number; the process ends with -1 and nothing of the runtime runs.
#include "pe_image.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace velmar::e2e {
namespace {

using velmar::testing::kAmd64;
using velmar::testing::kI386;
using velmar::testing::peImage;

constexpr DWORD kFailure = 0xFFFFFFFF;
constexpr DWORD kBoundMs = 30000;

#ifdef _WIN64
constexpr WORD kOtherMachine = kI386;
constexpr const wchar_t* kOtherArchitecture =
    L"\nThis Java runtime is 32-bit and this launcher is 64-bit. Use a 64-bit runtime, or ship the 32-bit "
    L"launcher too and name it in \"Pair Product\" in the INI file: this launcher then hands the start to it.";
#else
constexpr WORD kOtherMachine = kAmd64;
constexpr const wchar_t* kOtherArchitecture =
    L"\nThis Java runtime is 64-bit and this launcher is 32-bit. Use a 32-bit runtime, or ship the 64-bit "
    L"launcher too and name it in \"Pair Product\" in the INI file: this launcher then hands the start to it.";
#endif

struct LibraryCase {
    const char* name;
    // The library's bytes, given those of the working stub runtime;
    // nullopt: a folder named jvm.dll.
    std::function<std::optional<std::string>(const std::string& real)> bytes;
    DWORD errorNumber;  // in the message, as the system reports the load
    // What the message adds after the system's error number.
    std::wstring detail = L"";
};

void PrintTo(const LibraryCase& c, std::ostream* os)
{
    *os << c.name;
}

class BadJvmLibraryTest : public ::testing::TestWithParam<LibraryCase> {};

TEST_P(BadJvmLibraryTest, IsReportedWithItsPathAndTheSystemsErrorNumber)
{
    const LibraryCase& c = GetParam();
    StubApp app;
    const std::wstring library = app.jvmPath();
    const std::optional<std::string> bytes = c.bytes(readFileBytes(library));
    ASSERT_TRUE(::DeleteFileW(library.c_str()));
    if (bytes) {
        writeFileAt(library, *bytes);
    } else {
        ASSERT_TRUE(::CreateDirectoryW(library.c_str(), nullptr));
    }

    const StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kBoundMs});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, kFailure);
    ASSERT_EQ(result.run.messageBoxes().size(), 1u);
    EXPECT_EQ(result.run.messageBoxes().front().text,
              L"Failed to load Java VM library: " + library + L" (errno = " +
                  std::to_wstring(c.errorNumber) + L").\n" + c.detail);
    EXPECT_FALSE(result.record.exists);
    if (!bytes) {
        ::RemoveDirectoryW(library.c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadJvmLibraryTest,
    ::testing::Values(
        LibraryCase{"empty", [](const std::string&) { return std::string(); }, ERROR_BAD_EXE_FORMAT},
        LibraryCase{"headers_only", [](const std::string& real) { return real.substr(0, 1024); },
                    ERROR_BAD_EXE_FORMAT},
        LibraryCase{"cut_in_half", [](const std::string& real) { return real.substr(0, real.size() / 2); },
                    ERROR_BAD_EXE_FORMAT},
        LibraryCase{"text", [](const std::string&) { return std::string("not a library\r\n"); },
                    ERROR_BAD_EXE_FORMAT},
        // Without "Pair Product" there is nobody to hand it to.
        LibraryCase{"other_architecture_without_pair",
                    [](const std::string&) { return peImage(kOtherMachine); }, ERROR_BAD_EXE_FORMAT,
                    kOtherArchitecture},
        LibraryCase{"folder", [](const std::string&) -> std::optional<std::string> { return std::nullopt; },
                    ERROR_ACCESS_DENIED}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar::e2e
