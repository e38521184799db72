#include "runtime/chosen_runtime_variables.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

TEST(RuntimeHomeOfLibraryTest, DropsFileVmFolderAndBin)
{
    EXPECT_EQ(runtimeHomeOfLibrary(L"C:\\Java\\jre8\\bin\\server\\jvm.dll"), L"C:\\Java\\jre8");
    EXPECT_EQ(runtimeHomeOfLibrary(L"C:\\bin\\server\\jvm.dll"), L"C:");
    EXPECT_EQ(runtimeHomeOfLibrary(L"server\\jvm.dll"), L"server") << "no backslash left stays";
    EXPECT_EQ(runtimeHomeOfLibrary(L"jvm.dll"), L"jvm.dll");
}

}  // namespace
}  // namespace velmar
