#include "support/environment.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

namespace velmar {
namespace {

class ExpandEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override { ::SetEnvironmentVariableW(L"VELMAR_TEST_HOME", L"C:\\Sample"); }
    void TearDown() override { ::SetEnvironmentVariableW(L"VELMAR_TEST_HOME", nullptr); }
};

TEST_F(ExpandEnvironmentTest, ReplacesSetVariablesAndKeepsUnknownReferences)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"%VELMAR_TEST_HOME%\\lib", L"C:\\Sample\\lib"},
        {L"%velmar_test_home%", L"C:\\Sample"},
        {L"%VELMAR_NOT_SET%\\x", L"%VELMAR_NOT_SET%\\x"},
        {L"100%", L"100%"},
        {L"", L""},
        {L"plain", L"plain"},
    };
    for (const auto& [text, expanded] : cases) {
        EXPECT_EQ(expandEnvironment(text), expanded);
    }
}

TEST_F(ExpandEnvironmentTest, ExpandsOnlyWhenEveryReferenceIsSet)
{
    ::SetEnvironmentVariableW(L"VELMAR_TEST_EMPTY", L"");
    const std::pair<const wchar_t*, std::optional<std::wstring>> cases[] = {
        {L"%VELMAR_TEST_HOME%\\jre", L"C:\\Sample\\jre"},
        {L"C:\\jre", L"C:\\jre"},
        {L"%VELMAR_NOT_SET%\\jre", std::nullopt},
        {L"%VELMAR_TEST_HOME%\\%VELMAR_NOT_SET%", std::nullopt},
        {L"%VELMAR_TEST_EMPTY%jre", L"jre"},
        {L"C:\\100%\\jre", L"C:\\100%\\jre"},
        {L"C:\\%%\\jre", L"C:\\%%\\jre"},
        // After a set reference its closing "%" opens nothing.
        {L"%VELMAR_TEST_HOME%VELMAR_NOT_SET%", L"C:\\SampleVELMAR_NOT_SET%"},
        {L"", L""},
    };
    for (const auto& [text, expanded] : cases) {
        EXPECT_EQ(expandWhenAllSet(text), expanded) << ::testing::PrintToString(std::wstring(text));
    }
    ::SetEnvironmentVariableW(L"VELMAR_TEST_EMPTY", nullptr);
}

TEST_F(ExpandEnvironmentTest, LeavesLongTextsWithoutReferencesWhole)
{
    // A class path of a thousand jars is longer than the system expands.
    std::wstring longText(70000, L'x');
    EXPECT_EQ(expandEnvironment(longText), longText);
}

}  // namespace
}  // namespace velmar
