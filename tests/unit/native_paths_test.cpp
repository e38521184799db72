#include "jvm/native_paths.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

TEST(JoinPathListTest, PutsOneSeparatorBetweenPieces)
{
    using List = std::vector<std::wstring>;
    const std::pair<List, const wchar_t*> cases[] = {
        {{}, L""},
        {{L"a"}, L"a"},
        {{L"a", L"b"}, L"a;b"},
        {{L"a;", L"b"}, L"a;b"},
        {{L"a;;", L"b;"}, L"a;;b;"},
        {{L"", L"a", L"", L"b"}, L"a;b"},
        {{L";", L"b"}, L";b"},
    };
    for (const auto& [pieces, joined] : cases) {
        EXPECT_EQ(joinPathList(pieces), joined);
    }
}

NativePathInputs example()
{
    return {.libraryPath = L"D:\\App\\native;",
            .systemPath = L"D:\\App\\bin",
            .oldPath = L"C:\\Windows\\system32",
            .launcherFolder = L"D:\\App\\",
            .jvmLibraryPath = L"C:\\Java\\jre8\\bin\\server\\jvm.dll"};
}

TEST(NativePathsTest, LibraryPathKeepsEveryEntrySeparate)
{
    const std::pair<NativePathInputs, const wchar_t*> cases[] = {
        {example(), L"D:\\App\\native;D:\\App\\;.;C:\\Windows\\system32;C:\\Java\\jre8\\lib"},
        {[] { auto i = example(); i.libraryPath = L"D:\\App\\native"; return i; }(),
         L"D:\\App\\native;D:\\App\\;.;C:\\Windows\\system32;C:\\Java\\jre8\\lib"},
        {[] { auto i = example(); i.oldPath = L"C:\\w;C:\\x;"; return i; }(),
         L"D:\\App\\native;D:\\App\\;.;C:\\w;C:\\x;C:\\Java\\jre8\\lib"},
        {[] { auto i = example(); i.oldPath = L"%Path%"; return i; }(),
         L"D:\\App\\native;D:\\App\\;.;%Path%;C:\\Java\\jre8\\lib"},
    };
    for (const auto& [inputs, libraryPath] : cases) {
        EXPECT_EQ(composeLibraryPath(inputs), libraryPath);
    }
}

TEST(NativePathsTest, SystemPathComesFirstAndTheRuntimeBinLast)
{
    const std::pair<NativePathInputs, const wchar_t*> cases[] = {
        {example(), L"D:\\App\\bin;C:\\Windows\\system32;C:\\Java\\jre8\\bin"},
        {[] { auto i = example(); i.systemPath = L"D:\\App\\bin;"; return i; }(),
         L"D:\\App\\bin;C:\\Windows\\system32;C:\\Java\\jre8\\bin"},
        {[] { auto i = example(); i.systemPath.clear(); return i; }(),
         L"C:\\Windows\\system32;C:\\Java\\jre8\\bin"},
        {[] { auto i = example(); i.oldPath = L"C:\\w;"; return i; }(),
         L"D:\\App\\bin;C:\\w;C:\\Java\\jre8\\bin"},
    };
    for (const auto& [inputs, path] : cases) {
        EXPECT_EQ(composeSystemPath(inputs), path);
    }
}

}  // namespace
}  // namespace velmar
