#include "support/messages.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

TEST(LoadMessageTest, HasTheExactTexts)
{
    EXPECT_EQ(LoadMessage(IDS_WINDOWS_EXCEPTION), L"Windows exception: %s (errno = %d).\n");
    EXPECT_EQ(LoadMessage(IDS_JNI_EXCEPTION), L"JNI exception: %s\nReason: %s.\n");
    EXPECT_EQ(LoadMessage(IDS_JRE_NOT_FOUND),
              L"The Java Runtime Environment (JRE) was not found. Please  download and install "
              L"a JRE (%s) from:");
    EXPECT_EQ(LoadMessage(IDS_NO_MAIN_CLASS), L"Main class was not specified in INI file.");
    EXPECT_EQ(LoadMessage(IDS_PAIR_NOT_STARTED), L"failed to start the paired launcher");
    EXPECT_EQ(LoadMessage(IDS_OPTION_NOT_CONVERTED), L"failed to convert a Java VM option");
    EXPECT_EQ(LoadMessage(IDS_NOT_HANDED_OVER), L"failed to hand the arguments to the running instance");
    EXPECT_EQ(LoadMessage(IDS_REASON_INVALID_ARGUMENTS), L"invalid arguments");
    EXPECT_EQ(LoadMessage(204), L"");
}

TEST(FormatMessageTextTest, FillsDirectivesInOrder)
{
    EXPECT_EQ(FormatMessageText(L"Windows exception: %s (errno = %d).\n",
                                {std::wstring_view(L"failed to get the module path"), 193L}),
              L"Windows exception: failed to get the module path (errno = 193).\n");
    EXPECT_EQ(FormatMessageText(L"JNI exception: %s\nReason: %s.\n",
                                {std::wstring_view(L"failed to create the Java VM"),
                                 std::wstring_view(L"not enough memory")}),
              L"JNI exception: failed to create the Java VM\nReason: not enough memory.\n");
    EXPECT_EQ(FormatMessageText(L"%d", {-1L}), L"-1");
    EXPECT_EQ(FormatMessageText(L"100%% %s", {std::wstring_view(L"done")}), L"100% done");
}

TEST(FormatMessageTextTest, SurvivesFaultyFormats)
{
    // Missing or mismatched arguments are dropped, never read past.
    EXPECT_EQ(FormatMessageText(L"%s and %s", {std::wstring_view(L"one")}), L"one and ");
    EXPECT_EQ(FormatMessageText(L"%d", {std::wstring_view(L"text")}), L"");
    EXPECT_EQ(FormatMessageText(L"%x %", {}), L"%x %");
}

}  // namespace
}  // namespace velmar
