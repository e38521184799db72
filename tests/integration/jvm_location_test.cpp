// The VM library lookup in real folders and the architecture check on real
// files, through the same file calls the launcher makes.
#include "core/launcher.h"
#include "pe_image.h"
#include "runtime/jvm_location.h"
#include "runtime_fixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace velmar {
namespace {

using namespace velmar::testing;

struct LayoutCase {
    const char* name;
    std::vector<std::wstring_view> vmFolders;
    // The VM folder found for VM types 0, 1 and 2; empty: none.
    std::array<std::wstring_view, 3> found;
};

class JvmLibraryLayoutTest : public RuntimeFolderTest,
                             public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(JvmLibraryLayoutTest, FindsTheVmOfEachType)
{
    const std::wstring home = folder(L"runtime");
    for (std::wstring_view vm : GetParam().vmFolders) {
        makeRuntime(home, {vm});
    }
    for (int vmType = 0; vmType < 3; ++vmType) {
        const std::wstring_view expected = GetParam().found[vmType];
        for (bool before : {false, true}) {
            SCOPED_TRACE("VM type " + std::to_string(vmType));
            bool server = before;
            const std::wstring library = findJvmLibrary(home, vmType, server);
            if (expected.empty()) {
                EXPECT_EQ(library, L"");
                EXPECT_EQ(server, before) << "left untouched when nothing is found";
            } else {
                EXPECT_EQ(library, home + L"bin\\" + std::wstring(expected) + L"\\jvm.dll");
                EXPECT_EQ(server, expected == L"server");
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, JvmLibraryLayoutTest,
    ::testing::Values(
        LayoutCase{"client_and_server", {L"client", L"server"}, {L"client", L"server", L"server"}},
        LayoutCase{"server_only", {L"server"}, {L"server", L"server", L"server"}},
        LayoutCase{"client_only", {L"client"}, {L"client", L"", L"client"}},
        LayoutCase{"classic_only", {L"classic"}, {L"classic", L"", L"classic"}},
        LayoutCase{"hotspot_only", {L"hotspot"}, {L"hotspot", L"", L"hotspot"}},
        LayoutCase{"jrockit_only", {L"jrockit"}, {L"jrockit", L"", L"jrockit"}},
        LayoutCase{"classic_before_hotspot", {L"hotspot", L"classic"}, {L"classic", L"", L"classic"}},
        LayoutCase{"hotspot_before_server", {L"server", L"hotspot"}, {L"hotspot", L"server", L"server"}},
        LayoutCase{"server_before_jrockit", {L"jrockit", L"server"}, {L"server", L"server", L"server"}},
        LayoutCase{"unknown_vm_folder", {L"zero"}, {L"", L"", L""}},
        LayoutCase{"nothing", {}, {L"", L"", L""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RuntimeFolderTest, AnUnknownVmTypeLooksUpLikeTheDefault)
{
    const std::wstring home = folder(L"runtime");
    makeRuntime(home, {L"client", L"server"});
    EXPECT_EQ(findJvmLibrary(home, 7), home + L"bin\\client\\jvm.dll");
}

TEST_F(RuntimeFolderTest, JavaDllMarksARuntimeFolder)
{
    const std::wstring runtime = folder(L"runtime");
    makeRuntime(runtime, {}, true);
    EXPECT_TRUE(hasJavaDll(runtime));
    EXPECT_FALSE(hasJavaDll(folder(L"empty")));
    // Existence is all that is asked: even a folder of that name counts.
    const std::wstring odd = folder(L"odd");
    ::CreateDirectoryW(odd.c_str(), nullptr);
    ::CreateDirectoryW((odd + L"bin").c_str(), nullptr);
    ::CreateDirectoryW((odd + L"bin\\java.dll").c_str(), nullptr);
    EXPECT_TRUE(hasJavaDll(odd));
}

struct ImageCase {
    const char* name;
    std::string bytes;
    std::optional<WORD> machine;
};

std::vector<ImageCase> imageCases()
{
    const std::string i386 = peImage(kI386);
    const std::string amd64 = peImage(kAmd64);
    return {
        {"x86", i386, kI386},
        {"x86_64", amd64, kAmd64},
        {"text_file", "this is not a library at all, only words", std::nullopt},
        {"empty_file", "", std::nullopt},
        {"only_mz", "MZ", std::nullopt},
        {"dos_header_only", i386.substr(0, sizeof(IMAGE_DOS_HEADER)), std::nullopt},
        {"cut_in_file_header", i386.substr(0, kNtOffset + 10), std::nullopt},
        {"cut_in_optional_header", amd64.substr(0, amd64.size() - 1), std::nullopt},
        {"new_header_far_beyond_end", withNewHeaderOffset(i386, 0x7FFFFFF0), std::nullopt},
        {"new_header_negative", withNewHeaderOffset(i386, -64), std::nullopt},
        {"new_header_at_end", withNewHeaderOffset(i386, static_cast<LONG>(i386.size())),
         std::nullopt},
        {"no_nt_signature", withNtSignature(amd64, 0x0000454E), std::nullopt},
        // The signature is the file's last four bytes; the file header that
        // should follow it is missing.
        {"signature_at_end", withNewHeaderOffset(i386.substr(0, kNtOffset + 4), kNtOffset),
         std::nullopt},
    };
}

class LibraryMachineTest : public RuntimeFolderTest,
                           public ::testing::WithParamInterface<ImageCase> {};

TEST_P(LibraryMachineTest, ReadsOnlyWellFormedHeaders)
{
    const std::wstring path = folder(L"runtime") + L"jvm.dll";
    writeFileAt(path, GetParam().bytes);
    EXPECT_EQ(libraryMachine(path), GetParam().machine);

    // With a pair product the check runs; only a well-formed library of the
    // other machine asks for the pair.
    Launcher launcher;
    launcher.runtime.jvmLibraryPath = path;
    launcher.settings.pairProduct = L"C:\\pair\\myapp.exe";
    launcher.runtime.relaunchPair = true;
    checkArchitecture(launcher.runtime, launcher.settings, launcher.trace);
    EXPECT_EQ(launcher.runtime.relaunchPair, GetParam().machine == otherMachine());
}

INSTANTIATE_TEST_SUITE_P(Images, LibraryMachineTest, ::testing::ValuesIn(imageCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RuntimeFolderTest, WithoutAPairProductTheOtherMachineIsKept)
{
    const std::wstring path = folder(L"runtime") + L"jvm.dll";
    writeFileAt(path, peImage(otherMachine()));
    Launcher launcher;
    launcher.runtime.jvmLibraryPath = path;
    launcher.runtime.relaunchPair = true;
    checkArchitecture(launcher.runtime, launcher.settings, launcher.trace);
    EXPECT_FALSE(launcher.runtime.relaunchPair);
}

}  // namespace
}  // namespace velmar
