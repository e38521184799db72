// A start does not depend on the folder it was started from: a file
// association starts the launcher in the document's folder.
#include "stub_app.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace velmar::e2e {
namespace {

constexpr DWORD kBoundMs = 60000;

bool exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The root of a drive the test run keeps empty for the tests (under Wine,
// tests/wine/wine-env.sh makes it); what a test puts there is removed at
// scope exit.
class DriveRoot {
public:
    DriveRoot()
    {
        wchar_t drive[8] = {};
        if (::GetEnvironmentVariableW(L"VELMAR_TEST_DRIVE", drive, 8) != 2) {
            throw std::runtime_error("VELMAR_TEST_DRIVE names no drive for the tests");
        }
        root_ = std::wstring(drive) + L"\\";
    }
    ~DriveRoot()
    {
        for (const std::wstring& entry : entries_) {
            if (!::DeleteFileW(path(entry).c_str())) {
                removeTree(path(entry));
            }
        }
    }
    DriveRoot(const DriveRoot&) = delete;
    DriveRoot& operator=(const DriveRoot&) = delete;

    std::wstring path(const std::wstring& entry) const { return root_ + entry; }
    void copy(const std::wstring& source, const std::wstring& entry)
    {
        entries_.push_back(entry);
        if (!::CopyFileW(source.c_str(), path(entry).c_str(), FALSE)) {
            throw std::runtime_error("cannot copy into the test drive");
        }
    }
    // A file the launcher will write there.
    void expect(const std::wstring& entry)
    {
        entries_.push_back(entry);
        ::DeleteFileW(path(entry).c_str());
    }
    void makeFolder(const std::wstring& entry)
    {
        entries_.push_back(entry);
        ::CreateDirectoryW(path(entry).c_str(), nullptr);
    }

private:
    std::wstring root_;
    std::vector<std::wstring> entries_;
};

// A launcher at the root of a drive, started from a folder of that drive:
// "Override WorkingDir" makes the root current, not "V:" (which is the
// drive's own current directory, the folder it was started from).
TEST(WorkingDirOverrideTest, ALauncherAtADriveRootMakesTheRootCurrent)
{
    StubApp app;
    Installation& inst = app.installation();
    app.writeIni({{L"Application", L"Override WorkingDir", L"Yes"},
                  {L"Application", L"Output File", L"out.txt"},
                  {L"Java Runtime Environment", L"Virtual Machine Parameters", L"-Dstub.out=written"}});
    app.saveIni();
    DriveRoot drive;
    drive.copy(inst.launcherPath(), L"myapp.exe");
    drive.copy(inst.iniPath(), L"myapp.ini");
    drive.copy(inst.path(L"app.jar"), L"app.jar");
    drive.makeFolder(L"documents");
    drive.expect(L"out.txt");
    const StubRun result = app.runWithIniAsIs({.arguments = L"-nosplash",
                                               .currentDirectory = drive.path(L"documents"),
                                               .timeoutMs = kBoundMs,
                                               .programPath = drive.path(L"myapp.exe")});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(exists(drive.path(L"out.txt"))) << "the output file lies in the launcher's folder";
    EXPECT_FALSE(exists(drive.path(L"documents\\out.txt")));
}

// A relative "JRE Path" names a folder beside the launcher, whatever the
// current directory is.
TEST(RelativeJrePathTest, IsFoundFromAnyCurrentDirectory)
{
    for (const wchar_t* setting : {L"jre", L".\\jre\\", L"\\jre", L"documents\\..\\jre"}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(setting)));
        StubApp app;
        Installation& inst = app.installation();
        inst.writeFile(L"documents\\letter.txt", "");
        app.writeIni({{L"Java Runtime Environment", L"JRE Path", setting}});
        const StubRun result = app.run({.arguments = L"-nosplash",
                                        .currentDirectory = inst.path(L"documents"),
                                        .timeoutMs = kBoundMs});
        ASSERT_FALSE(result.run.timedOut);
        EXPECT_TRUE(result.run.windows.empty()) << "no \"JRE Not Found\"";
        EXPECT_EQ(result.run.exitCode, 0u);
        EXPECT_EQ(result.record.mainClass, "stub/App");
    }
}

}  // namespace
}  // namespace velmar::e2e
