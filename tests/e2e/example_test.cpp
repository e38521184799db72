// The example folder the build ships (examples/notes), started as a user
// starts it, with the stub runtime shipped beside it as its local runtime.
#include "stub_app.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace velmar::e2e {
namespace {

constexpr DWORD kBoundMs = 60000;

std::wstring environmentValue(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(name, value, MAX_PATH) == 0) {
        throw std::runtime_error("a variable of the example test is not set");
    }
    return value;
}

std::wstring exampleFolder() { return environmentValue(L"VELMAR_EXAMPLE_DIR"); }

constexpr const wchar_t* kShippedFiles[] = {L"NotesApp.exe", L"NotesApp.ini", L"splash.png",
                                            L"lib\\notes.jar"};

// The shipped folder as it is, plus a runtime where the launcher of this
// build looks for one of its own.
class ShippedExample {
public:
    ShippedExample() : installation_(L"NotesApp.exe", L"velmar-example-")
    {
        for (const wchar_t* file : kShippedFiles) {
            installation_.copyFile(exampleFolder() + L"\\" + file, file);
        }
        const std::wstring runtime = sizeof(void*) == 8 ? L"jre64\\" : L"jre\\";
        installation_.copyFile(stubRuntimeFile(L"full"), runtime + L"bin\\server\\jvm.dll");
        installation_.writeFile(runtime + L"bin\\java.dll", "");
    }

    StubRun run(std::wstring arguments)
    {
        const std::wstring record = installation_.path(L"stub-record.txt");
        RunResult run = runLauncher(installation_, {.arguments = std::move(arguments),
                                                    .environment = {{L"VELMAR_STUB_RECORD", record}},
                                                    .timeoutMs = kBoundMs});
        return {std::move(run), stub::readStubRecord(record)};
    }

    const Installation& installation() const { return installation_; }

private:
    Installation installation_;
};

bool hasOption(const stub::StubRecord& record, const std::string& option)
{
    return std::ranges::find(record.options, option) != record.options.end();
}

// The kilobytes of the one "-Xmx...K" option; -1 when there is none.
long long heapKilobytes(const stub::StubRecord& record)
{
    long long found = -1;
    for (const std::string& option : record.options) {
        if (option.starts_with("-Xmx") && option.ends_with("K")) {
            found = std::stoll(option.substr(4, option.size() - 5));
        }
    }
    return found;
}

TEST(ShippedExampleTest, StartsTheVmWithTheExamplesClassPathOptionsAndMainClass)
{
    ShippedExample example;
    StubRun result = example.run(L"report.txt");

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.messageBoxes().size(), 0u);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_EQ(result.record.violations, std::vector<std::string>{});
    EXPECT_TRUE(hasOption(result.record, "-Djava.class.path=" +
                                             ansi(example.installation().path(L"lib\\notes.jar")) + ";"))
        << ::testing::PrintToString(result.record.options);
    EXPECT_TRUE(hasOption(result.record, "-Dexample.notes.edition=demo"));
    // A quarter of the memory, within the INI's 64 to 1024 MB.
    const long long heap = heapKilobytes(result.record);
    EXPECT_GE(heap, 64 * 1024);
    EXPECT_LE(heap, 1024 * 1024);
    EXPECT_EQ(result.record.mainClass, "example/notes/NotesApp");
    EXPECT_TRUE(result.record.called("main example/notes/NotesApp"));
}

TEST(ShippedExampleTest, WritesTheOutputIntoATimeStampedLog)
{
    ShippedExample example;
    ASSERT_EQ(example.run(L"report.txt").run.exitCode, 0u);

    const std::wstring logs = example.installation().appData() + L"\\Velmar Notes\\logs\\";
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((logs + L"notes-????????" L"-??????.log").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no log in " << ansi(logs);
    ::FindClose(search);
    // The stub's main prints its arguments.
    EXPECT_NE(readFileBytes(logs + found.cFileName).find("report.txt"), std::string::npos);
}

std::wstring versionString(const std::vector<char>& block, const wchar_t* name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) {
        return {};
    }
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

TEST(ShippedExampleTest, TheLauncherCarriesTheExamplesVersionBlock)
{
    const std::wstring exe = exampleFolder() + L"\\NotesApp.exe";
    DWORD ignored = 0;
    std::vector<char> block(::GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));

    EXPECT_EQ(versionString(block, L"ProductName"), L"Velmar Notes");
    EXPECT_EQ(versionString(block, L"FileDescription"), L"Velmar Notes");
    EXPECT_EQ(versionString(block, L"CompanyName"), L"Example Software");
    EXPECT_EQ(versionString(block, L"LegalCopyright"), L"(c) 2026 Example Software");
    EXPECT_EQ(versionString(block, L"OriginalFilename"), L"NotesApp.exe");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, (1u << 16) | 4u);
    EXPECT_EQ(fixed->dwFileVersionLS, (2u << 16) | 9u);
}

#pragma pack(push, 2)
struct IconDirectoryEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes, offset;
};
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

std::string resourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name)
{
    HRSRC found = ::FindResourceW(module, name, type);
    if (found == nullptr) {
        return {};
    }
    const void* data = ::LockResource(::LoadResource(module, found));
    return std::string(static_cast<const char*>(data), ::SizeofResource(module, found));
}

// Each image of the icon file, as the resource compiler stores it.
TEST(ShippedExampleTest, TheLauncherCarriesTheExamplesIcon)
{
    const std::string icon = readFileBytes(environmentValue(L"VELMAR_EXAMPLE_ICON"));
    ASSERT_GE(icon.size(), 6u);
    WORD images = 0;
    std::memcpy(&images, icon.data() + 4, sizeof images);

    const std::wstring exe = exampleFolder() + L"\\NotesApp.exe";
    HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    const std::string group = resourceBytes(module, RT_GROUP_ICON, MAKEINTRESOURCEW(1));
    ASSERT_EQ(group.size(), 6 + images * sizeof(GroupIconEntry));
    for (WORD i = 0; i < images; ++i) {
        IconDirectoryEntry file{};
        std::memcpy(&file, icon.data() + 6 + i * sizeof file, sizeof file);
        GroupIconEntry stored{};
        std::memcpy(&stored, group.data() + 6 + i * sizeof stored, sizeof stored);
        EXPECT_EQ(resourceBytes(module, RT_ICON, MAKEINTRESOURCEW(stored.id)),
                  icon.substr(file.offset, file.bytes))
            << "image " << i;
    }
    ::FreeLibrary(module);
}

}  // namespace
}  // namespace velmar::e2e
