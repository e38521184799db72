#include "jvm/jvm_library.h"
#include "jvm/jvm_options.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace velmar {
namespace {

TEST(CreationFailureTest, NamesTheReasonOfEachJniResult)
{
    const std::pair<jint, UINT> cases[] = {
        {-1, IDS_REASON_UNKNOWN},     {-2, IDS_REASON_DETACHED},
        {-3, IDS_REASON_VERSION},     {-4, IDS_REASON_NO_MEMORY},
        {-5, IDS_REASON_VM_EXISTS},   {-6, IDS_REASON_INVALID_ARGUMENTS},
        {-7, 0u},                     {1, 0u},
    };
    for (const auto& [result, reason] : cases) {
        EXPECT_EQ(creationFailureReason(result), reason) << result;
    }
}

TEST(VmOptionsTest, GivesThePrintingHookFirstAndTheOtherTwoAfterTheOptions)
{
    std::vector<std::string> none;
    std::vector<JavaVMOption> hooksOnly = vmOptionsFor(none);
    ASSERT_EQ(hooksOnly.size(), 3u);
    EXPECT_STREQ(hooksOnly[0].optionString, "vfprintf");
    EXPECT_STREQ(hooksOnly[1].optionString, "abort");
    EXPECT_STREQ(hooksOnly[2].optionString, "exit");
    for (const JavaVMOption& hook : hooksOnly) {
        EXPECT_NE(hook.extraInfo, nullptr) << hook.optionString;
    }

    std::vector<std::string> given{"-Djava.class.path=a.jar;", "-Xmx1g"};
    std::vector<JavaVMOption> options = vmOptionsFor(given);
    ASSERT_EQ(options.size(), 5u);
    EXPECT_STREQ(options[0].optionString, "vfprintf");
    EXPECT_EQ(options[1].optionString, given[0].data()) << "the list keeps owning the strings";
    EXPECT_STREQ(options[2].optionString, "-Xmx1g");
    EXPECT_EQ(options[2].extraInfo, nullptr);
    EXPECT_STREQ(options[4].optionString, "exit");
}

}  // namespace
}  // namespace velmar
