// System.out and System.err written to the files of "Output File" and
// "Error File".
#include "stub_app.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace velmar::e2e {
namespace {

bool contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

std::wstring year()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return std::to_wstring(now.wYear);
}

TEST(StreamRedirectionTest, WritesEachStreamToItsTimeStampedFileInCreatedFolders)
{
    StubApp app;
    Installation& inst = app.installation();
    app.writeIni({{L"Application", L"Output File", L"%VELMAR_E2E_LOGS%\\%yyyy%\\out.log"},
                  {L"Application", L"Error File", inst.path(L"logs\\err_%yyyy%.log")},
                  {L"Java Runtime Environment", L"Virtual Machine Parameters",
                   L"-Dstub.out=to-out -Dstub.err=to-err"}});
    StubRun result = app.run({.arguments = L"-nosplash first",
                              .environment = {{L"VELMAR_E2E_LOGS", inst.path(L"logs\\deep")}}});
    ASSERT_EQ(result.run.exitCode, 0u);
    std::string out = readFileBytes(inst.path(L"logs\\deep\\" + year() + L"\\out.log"));
    std::string err = readFileBytes(inst.path(L"logs\\err_" + year() + L".log"));
    EXPECT_TRUE(contains(out, "first")) << out;
    EXPECT_TRUE(contains(out, "to-out")) << out;
    EXPECT_FALSE(contains(out, "to-err")) << out;
    EXPECT_TRUE(contains(err, "to-err")) << err;
    EXPECT_FALSE(contains(err, "to-out")) << err;
}

struct AppendCase {
    const char* name;
    const wchar_t* outputFile;  // relative to the installation
    const wchar_t* errorFile;
    const wchar_t* outputAppend;
    const wchar_t* errorAppend;
    bool keepsOldOutput;
    bool keepsOldError;
};

class AppendTest : public ::testing::TestWithParam<AppendCase> {};

TEST_P(AppendTest, AppendsOnlyForExactlyYesAndSharesOneFile)
{
    const AppendCase& c = GetParam();
    StubApp app;
    Installation& inst = app.installation();
    // Error first: when both name one file, it then holds both old lines.
    inst.writeFile(c.errorFile, "old-err\r\n");
    inst.writeFile(c.outputFile, "old-out\r\nold-err\r\n");
    app.writeIni({{L"Application", L"Output File", inst.path(c.outputFile)},
                  {L"Application", L"Error File", inst.path(c.errorFile)},
                  {L"Application", L"Output Append", c.outputAppend},
                  {L"Application", L"Error Append", c.errorAppend},
                  {L"Java Runtime Environment", L"Virtual Machine Parameters",
                   L"-Dstub.out=new-out -Dstub.err=new-err"}});
    StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_EQ(result.run.exitCode, 0u);
    std::string out = readFileBytes(inst.path(c.outputFile));
    std::string err = readFileBytes(inst.path(c.errorFile));
    EXPECT_TRUE(contains(out, "new-out")) << out;
    EXPECT_TRUE(contains(err, "new-err")) << err;
    EXPECT_EQ(contains(out, "old-out"), c.keepsOldOutput) << out;
    EXPECT_EQ(contains(err, "old-err"), c.keepsOldError) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppendTest,
    ::testing::Values(
        AppendCase{"both truncate", L"out.log", L"err.log", L"", L"", false, false},
        AppendCase{"both append", L"out.log", L"err.log", L"yes", L"yes", true, true},
        AppendCase{"Yes is not yes", L"out.log", L"err.log", L"Yes", L"YES", false, false},
        AppendCase{"only error appends", L"out.log", L"err.log", L"", L"yes", false, true},
        // One file under two spellings: opened once, with the output's choice.
        AppendCase{"shared file truncated", L"both.log", L"BOTH.LOG", L"", L"yes", false, false},
        AppendCase{"shared file appended", L"both.log", L"logs\\..\\Both.log", L"yes", L"", true, true}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST(StreamRedirectionTest, SharedFileKeepsBothStreamsInWritingOrder)
{
    StubApp app;
    Installation& inst = app.installation();
    app.writeIni({{L"Application", L"Output File", inst.path(L"both.log")},
                  {L"Application", L"Error File", inst.path(L"both.log")},
                  {L"Java Runtime Environment", L"Virtual Machine Parameters",
                   L"-Dstub.out=first-line-of-out -Dstub.err=err"}});
    StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_EQ(result.run.exitCode, 0u);
    std::string both = readFileBytes(inst.path(L"both.log"));
    // Two separate streams would both write from offset 0, the shorter
    // error line over the start of the output line.
    EXPECT_LT(both.find("first-line-of-out"), both.find("err")) << both;
}

TEST(StreamRedirectionTest, UnwritableFileLeavesTheStreamAndTheApplicationStarts)
{
    StubApp app;
    Installation& inst = app.installation();
    inst.writeFile(L"blocker", "a file where a folder should be");
    app.writeIni({{L"Application", L"Output File", inst.path(L"blocker\\out.log")},
                  {L"Application", L"Error File", inst.path(L"err.log")}});
    StubRun result = app.run({.arguments = L"-nosplash"});
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.run.windows.empty());
    EXPECT_TRUE(result.record.mainArguments.present);
}

// A drive letter no volume uses; the tests run where at least one is free.
std::wstring missingDrive()
{
    const DWORD used = ::GetLogicalDrives();
    for (wchar_t letter = L'Z'; letter > L'C'; --letter) {
        if ((used & (1u << (letter - L'A'))) == 0) {
            return std::wstring(1, letter) + L":";
        }
    }
    throw std::runtime_error("no free drive letter");
}

struct UnusablePathCase {
    const char* name;
    std::wstring (*outputFile)(const Installation& inst);
    // Where the system puts a name it accepts after rewriting it (relative
    // to the installation); nullptr: no file receives System.out.
    const wchar_t* landsIn;
};

void PrintTo(const UnusablePathCase& c, std::ostream* os)
{
    *os << c.name;
}

class UnusableOutputPathTest : public ::testing::TestWithParam<UnusablePathCase> {};

// The output stream stays as the runtime set it up; the error stream, set
// to a usable file, is still redirected, and the application starts.
TEST_P(UnusableOutputPathTest, LeavesTheStreamAndTheApplicationStarts)
{
    const UnusablePathCase& c = GetParam();
    StubApp app;
    Installation& inst = app.installation();
    app.writeIni({{L"Application", L"Output File", c.outputFile(inst)},
                  {L"Application", L"Error File", inst.path(L"err.log")},
                  {L"Java Runtime Environment", L"Virtual Machine Parameters",
                   L"-Dstub.out=to-out -Dstub.err=to-err"}});
    StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = 30000});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.run.windows.empty());
    EXPECT_TRUE(result.record.called("main stub/App"));
    EXPECT_TRUE(contains(readFileBytes(inst.path(L"err.log")), "to-err"));
    if (c.landsIn != nullptr) {
        EXPECT_TRUE(contains(readFileBytes(inst.path(c.landsIn)), "to-out"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusableOutputPathTest,
    ::testing::Values(
        UnusablePathCase{"missing_drive", [](const Installation&) { return missingDrive() + L"\\logs\\out.log"; },
                         nullptr},
        UnusablePathCase{"angle_brackets_and_bar",
                         [](const Installation& inst) { return inst.path(L"out<1>|.log"); }, nullptr},
        UnusablePathCase{"question_mark_and_star",
                         [](const Installation& inst) { return inst.path(L"out?*.log"); }, nullptr},
        UnusablePathCase{"folder_of_that_name",
                         [](const Installation& inst) {
                             ::CreateDirectoryW(inst.path(L"taken.log").c_str(), nullptr);
                             return inst.path(L"taken.log");
                         },
                         nullptr},
        UnusablePathCase{"reserved_nul", [](const Installation& inst) { return inst.path(L"NUL"); }, nullptr},
        UnusablePathCase{"reserved_con", [](const Installation& inst) { return inst.path(L"CON"); }, nullptr},
        // Win32 drops trailing dots and blanks of a name.
        UnusablePathCase{"trailing_dots_and_blanks",
                         [](const Installation& inst) { return inst.path(L"out.log. . "); }, L"out.log"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StreamRedirectionTest, UncaughtExceptionIsPrintedToTheErrorFile)
{
    StubApp app;
    Installation& inst = app.installation();
    app.writeIni({{L"Application", L"Error File", inst.path(L"err.log")},
                  {L"Java Runtime Environment", L"Virtual Machine Parameters", L"-Dstub.throw=boom"}});
    StubRun result = app.run({.arguments = L"-nosplash"});
    EXPECT_EQ(result.run.exitCode, 1u);
    std::string err = readFileBytes(inst.path(L"err.log"));
    EXPECT_TRUE(contains(err, "boom")) << err;
}

}  // namespace
}  // namespace velmar::e2e
