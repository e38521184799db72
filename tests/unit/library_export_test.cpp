// Exports are bound through one typed look-up: a missing one comes back as
// null, with the reason in the thread's last error, wherever it is asked.
#include "support/library_export.h"
#include "support/system_library.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace velmar {
namespace {

using ProcessIdFunction = decltype(&::GetCurrentProcessId);

TEST(ExportOfTest, GivesTheExportAsItsOwnType)
{
    auto processId = exportOf<ProcessIdFunction>(::GetModuleHandleW(L"kernel32.dll"), "GetCurrentProcessId");
    ASSERT_NE(processId, nullptr);
    EXPECT_EQ(processId(), ::GetCurrentProcessId());

    auto fromSystem = systemFunction<ProcessIdFunction>(L"kernel32.dll", "GetCurrentProcessId");
    ASSERT_NE(fromSystem, nullptr);
    EXPECT_EQ(fromSystem(), ::GetCurrentProcessId());
}

struct MissingCase {
    const char* name;
    HMODULE module;
    const char* exportName;
};

// A slot that held an export before is emptied, so a caller never goes on
// with a stale one.
TEST(ExportOfTest, AMissingExportIsNullAndSaysWhy)
{
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const std::vector<MissingCase> cases = {
        {"an export the library lacks", kernel, "VelmarNoSuchExport"},
        {"a name differing in letter case", kernel, "getcurrentprocessid"},
    };
    for (const MissingCase& c : cases) {
        ::SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(exportOf<ProcessIdFunction>(c.module, c.exportName), nullptr) << c.name;
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND)) << c.name;
        ProcessIdFunction slot = &::GetCurrentProcessId;
        EXPECT_FALSE(bindExport(c.module, c.exportName, slot)) << c.name;
        EXPECT_EQ(slot, nullptr) << c.name;
    }
    EXPECT_EQ(systemFunction<ProcessIdFunction>(L"velmar-no-such-library.dll", "GetCurrentProcessId"), nullptr);
}

}  // namespace
}  // namespace velmar
