// A launcher branded with velmar-brand.jar (at build time, as a packager
// would: see CMakeLists.txt) as Windows sees it: it still starts the
// application, and the version block, icon group, icon images, manifest and
// checksum read back through the system's own functions.
#include "stub_app.h"

#include <imagehlp.h>
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace velmar::e2e {
namespace {

std::wstring environmentPath(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(name, value, MAX_PATH) == 0) {
        throw std::runtime_error("a path of the branding test is not set");
    }
    return value;
}

std::wstring brandedLauncher() { return environmentPath(L"VELMAR_TEST_BRANDED"); }

// The launcher's resources, mapped as data: nothing of it runs.
class ResourceView {
public:
    explicit ResourceView(const std::wstring& program)
        : module_(::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
    {
        if (module_ == nullptr) {
            throw std::runtime_error("cannot map the branded launcher as data");
        }
    }
    ResourceView(const ResourceView&) = delete;
    ResourceView& operator=(const ResourceView&) = delete;
    ~ResourceView() { ::FreeLibrary(module_); }

    // The data of resource `id` of `type`, empty when there is none.
    std::string data(const wchar_t* type, WORD id) const
    {
        HRSRC info = ::FindResourceW(module_, MAKEINTRESOURCEW(id), type);
        HGLOBAL loaded = info != nullptr ? ::LoadResource(module_, info) : nullptr;
        if (loaded == nullptr) {
            return {};
        }
        return std::string(static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(module_, info));
    }

private:
    HMODULE module_;
};

WORD word(const std::string& bytes, size_t at)
{
    WORD value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

DWORD dword(const std::string& bytes, size_t at)
{
    DWORD value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

TEST(BrandedLauncherTest, StartsTheApplication)
{
    StubApp app;
    app.installation().copyFile(brandedLauncher(), L"myapp.exe");
    StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_EQ(result.record.mainClass, "stub/App");
    EXPECT_EQ(result.record.violations, std::vector<std::string>{});
}

// A launcher copy whose version block names no product, as a resource
// editor may leave it: the key is renamed in place.
void renameProductNameKey(const std::wstring& program)
{
    std::string bytes = readFileBytes(program);
    const std::wstring key = L"ProductName";
    const std::string pattern(reinterpret_cast<const char*>(key.data()), key.size() * sizeof(wchar_t));
    const size_t at = bytes.find(pattern);
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'X';
    writeFileAt(program, bytes);
}

struct CaptionCase {
    const char* name;
    bool branded;
    bool withoutProductName;
    const wchar_t* caption;
};

class BoxCaptionTest : public ::testing::TestWithParam<CaptionCase> {};

// A box names the program that shows it as the packager branded it.
TEST_P(BoxCaptionTest, IsTheProductNameOfTheRunningProgram)
{
    StubApp app;
    if (GetParam().branded) {
        app.installation().copyFile(brandedLauncher(), L"myapp.exe");
    }
    if (GetParam().withoutProductName) {
        renameProductNameKey(app.installation().launcherPath());
    }
    app.writeIni({{L"Java Runtime Environment", L"Main Class", L"stub.Missing"}});
    const StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_EQ(result.run.messageBoxes().size(), 1u);
    EXPECT_EQ(result.run.messageBoxes().front().caption, GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(Cases, BoxCaptionTest,
                         ::testing::Values(CaptionCase{"branded", true, false, L"Branded App"},
                                           CaptionCase{"as_built", false, false, L"velmar"},
                                           CaptionCase{"without_product_name", false, true, L"Error"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct VersionString {
    const wchar_t* key;
    const wchar_t* value;
};

TEST(BrandedLauncherTest, VersionBlockReadsBackThroughTheVersionApi)
{
    std::wstring program = brandedLauncher();
    DWORD ignored = 0;
    std::string block(::GetFileVersionInfoSizeW(program.c_str(), &ignored), '\0');
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));

    const VersionString expected[] = {
        {L"ProductName", L"Branded App"},    {L"FileDescription", L"Branded App"},
        {L"ProductVersion", L"2.1.7"},       {L"FileVersion", L"2.1.7"},
        {L"CompanyName", L"Example Ltd"},    {L"LegalCopyright", L"(c) 2026 Example Ltd"},
        {L"OriginalFilename", L"MyApp.exe"}, {L"InternalName", L"MyApp.exe"},
    };
    for (const VersionString& string : expected) {
        std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + string.key;
        void* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(block.data(), path.c_str(), &value, &length)) << path;
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), string.value) << path;
    }

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00070000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00070000u);
}

// The group names images 1 to n; each entry carries the .ico entry's fields
// and size, and each image is the .ico image byte for byte.
TEST(BrandedLauncherTest, IconGroupAndImagesAreTheIconFiles)
{
    std::string icon = readFileBytes(environmentPath(L"VELMAR_TEST_BRAND_ICON"));
    ResourceView resources(brandedLauncher());
    std::string group = resources.data(RT_GROUP_ICON, 1);
    const WORD count = word(icon, 4);
    ASSERT_GT(count, 0);
    ASSERT_EQ(group.size(), 6u + 14u * count);
    EXPECT_EQ(group.substr(0, 6), icon.substr(0, 6));
    for (WORD i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * i;
        const size_t member = 6 + 14 * i;
        const DWORD size = dword(icon, entry + 8);
        EXPECT_EQ(group.substr(member, 12), icon.substr(entry, 12)) << "entry " << i;
        EXPECT_EQ(word(group, member + 12), i + 1) << "entry " << i;
        EXPECT_EQ(resources.data(RT_ICON, i + 1), icon.substr(dword(icon, entry + 12), size)) << "image " << i;
    }
    EXPECT_TRUE(resources.data(RT_ICON, count + 1).empty());
}

TEST(BrandedLauncherTest, ManifestRequestsTheGivenExecutionLevel)
{
    std::string manifest = ResourceView(brandedLauncher()).data(RT_MANIFEST, 1);
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"highestAvailable\" uiAccess=\"false\"/>"),
              std::string::npos);
    EXPECT_NE(manifest.find("<longPathAware"), std::string::npos);
}

TEST(BrandedLauncherTest, CheckSumIsTheOneWindowsComputes)
{
    DWORD inHeader = 0;
    DWORD computed = 0;
    ASSERT_EQ(::MapFileAndCheckSumW(brandedLauncher().c_str(), &inHeader, &computed), CHECKSUM_SUCCESS);
    EXPECT_NE(computed, 0u);
    EXPECT_EQ(inHeader, computed);
}

}  // namespace
}  // namespace velmar::e2e
