#include "jvm/vm_output.h"

#include <gtest/gtest.h>

#include <string>

namespace velmar {
namespace {

TEST(PrintedReasonTest, ShowsWhatTheVmPrintedAsOneReason)
{
    const std::wstring longLine(600, L'a');
    const std::wstring pairAtTheCut = std::wstring(kReasonCharacters - 1, L'b') + L"\xD83D\xDE00" + L"tail";
    struct Case {
        const char* name;
        std::wstring printed;
        std::wstring reason;
    };
    const Case cases[] = {
        {"one line", L"Unrecognized option: -bogus\n", L"Unrecognized option: -bogus"},
        {"nothing", L"", L""},
        {"blanks only", L" \r\n\n\t", L""},
        {"line breaks of the C runtime", L"Error occurred during initialization of VM\r\nToo small heap\r\n",
         L"Error occurred during initialization of VM\nToo small heap"},
        {"blank lines around", L"\n\n  Invalid maximum heap size: -Xmx5q\n\n", L"Invalid maximum heap size: -Xmx5q"},
        {"own full stop", L"Could not reserve enough space for object heap.\n",
         L"Could not reserve enough space for object heap"},
        {"five lines whole", L"1\n2\n3\n4\n5.\n", L"1\n2\n3\n4\n5"},
        {"cut after five lines", L"1\n2\n3\n4\n5\n6\n7.\n", L"1\n2\n3\n4\n5.."},
        {"cut at the character limit", longLine, std::wstring(kReasonCharacters, L'a') + L".."},
        {"no half of a surrogate pair", pairAtTheCut, std::wstring(kReasonCharacters - 1, L'b') + L".."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(printedReason(c.printed), c.reason) << c.name;
    }
}

jint print(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const jint length = vmPrintHook(stderr, format, arguments);
    va_end(arguments);
    return length;
}

TEST(VmCreationOutputTest, KeepsWhatTheHookFormatsOnlyWhileItLives)
{
    print("before %d\n", 1);
    std::wstring kept;
    {
        VmCreationOutput output;
        EXPECT_EQ(print("Unrecognized %s%soption: %s\n", "", "", "-bogus"), 28);
        kept = output.text();
    }
    print("after\n");
    EXPECT_EQ(kept, L"Unrecognized option: -bogus\n");

    VmCreationOutput output;
    EXPECT_EQ(print("%s", std::string(3000, 'x').c_str()), 3000) << "formatted whole for standard error";
    EXPECT_EQ(output.text(), std::wstring(kKeptVmOutput, L'x'));
}

}  // namespace
}  // namespace velmar
