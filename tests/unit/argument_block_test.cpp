#include "instance/argument_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace velmar {
namespace {

using Bytes = std::vector<uint8_t>;

// A block as the system hands it out (zero), with `filler` in the bytes a
// writer must clear or leave alone.
InstanceArea blockFilledWith(uint8_t filler)
{
    InstanceArea area{};
    std::memset(area.argumentBlock, filler, sizeof area.argumentBlock);
    return area;
}

Bytes argumentBytes(const InstanceArea& area, size_t count)
{
    return Bytes(area.argumentBlock, area.argumentBlock + count);
}

struct WriteCase {
    const char* name;
    std::vector<std::wstring> arguments;
    Bytes expectedStart;  // the argument block from its first byte
};

TEST(WriteArgumentBlockTest, LaysOutEachStringWithItsTerminatorAndClearsTheRest)
{
    const WriteCase cases[] = {
        {"a and bc", {L"a", L"bc"}, {0x61, 0, 0, 0, 0x62, 0, 0x63, 0, 0, 0, 0, 0}},
        {"no arguments", {}, {0, 0}},
        {"an empty argument", {L"x", L"", L"y"}, {0x78, 0, 0, 0, 0, 0, 0x79, 0, 0, 0, 0, 0}},
        {"beyond the code page", {L"\u20ac\U0001F600"}, {0xac, 0x20, 0x3d, 0xd8, 0x00, 0xde, 0, 0, 0, 0}},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        InstanceArea area = blockFilledWith(0xEE);
        ASSERT_TRUE(writeArgumentBlock(area, c.arguments));
        EXPECT_EQ(argumentBytes(area, c.expectedStart.size()), c.expectedStart);
        Bytes cleared(kArgumentBlockLimit, 0);
        std::copy(c.expectedStart.begin(), c.expectedStart.end(), cleared.begin());
        EXPECT_EQ(argumentBytes(area, kArgumentBlockLimit), cleared);
        // The second half of the field belongs to no writer.
        EXPECT_EQ(area.argumentBlock[kArgumentBlockLimit], 0xEE);
        EXPECT_EQ(area.argumentBlock[sizeof area.argumentBlock - 1], 0xEE);
    }
}

TEST(WriteArgumentBlockTest, TakesUpTo1040BytesAndRefusesMoreWithoutTouchingTheBlock)
{
    struct SizeCase {
        std::vector<std::wstring> arguments;
        size_t bytes;
        bool fits;
    };
    // One argument of n units takes 2n + 4 bytes.
    const SizeCase cases[] = {
        {{std::wstring(518, L'q')}, 1040, true},
        {{std::wstring(519, L'q')}, 1042, false},
        {{std::wstring(258, L'q'), std::wstring(258, L'r')}, 1038, true},
        {{std::wstring(258, L'q'), std::wstring(259, L'r')}, 1040, true},
        {std::vector<std::wstring>(520, L""), 1042, false},
        {std::vector<std::wstring>(519, L""), 1040, true},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(argumentBlockSize(c.arguments), c.bytes);
        InstanceArea area = blockFilledWith(0xEE);
        EXPECT_EQ(writeArgumentBlock(area, c.arguments), c.fits);
        if (!c.fits) {
            EXPECT_EQ(argumentBytes(area, kArgumentBlockLimit), Bytes(kArgumentBlockLimit, 0xEE));
        }
    }
}

struct ReadCase {
    const char* name;
    Bytes block;  // from the argument block's first byte; zero after it
    std::vector<std::wstring> expected;
};

TEST(ReadArgumentBlockTest, ReadsUpToTheFirstEmptyString)
{
    const ReadCase cases[] = {
        {"a and bc", {0x61, 0, 0, 0, 0x62, 0, 0x63, 0, 0, 0, 0, 0}, {L"a", L"bc"}},
        {"a zero block", {}, {L""}},
        {"an empty argument ends the list", {0x78, 0, 0, 0, 0, 0, 0x79, 0, 0, 0}, {L"x"}},
        {"surrogates kept", {0x3d, 0xd8, 0x00, 0xde, 0, 0}, {L"\U0001F600"}},
        {"stale bytes after the end", {0x61, 0, 0, 0, 0, 0, 0x62, 0, 0, 0}, {L"a"}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        InstanceArea area{};
        std::copy(c.block.begin(), c.block.end(), area.argumentBlock);
        EXPECT_EQ(readArgumentBlock(area), c.expected);
    }
}

TEST(ReadArgumentBlockTest, ScansTheWholeFieldButDropsAStringTheScanCutsOff)
{
    // Units up to byte 2090 of the block belong to the list; one that runs
    // on to the block's end is never finished.
    InstanceArea cutOff = blockFilledWith('z');
    EXPECT_EQ(readArgumentBlock(cutOff), std::vector<std::wstring>{});
    // A NUL at byte 2090 of the block lies beyond the scan.
    std::memset(cutOff.argumentBlock + 2078, 0, 2);
    EXPECT_EQ(readArgumentBlock(cutOff), std::vector<std::wstring>{});

    InstanceArea lastUnit = blockFilledWith('z');
    // The last NUL the scan sees, at byte 2088 of the block (2076 of the
    // field), ends a string even though the unit after it is not NUL.
    std::memset(lastUnit.argumentBlock + 2076, 0, 2);
    const std::vector<std::wstring> read = readArgumentBlock(lastUnit);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0], std::wstring(1038, L'\u7a7a'));
}

TEST(ArgumentBlockTest, WhatIsWrittenReadsBackTheSame)
{
    const std::vector<std::wstring> cases[] = {
        {L"-nosplash", L"C:\\Users\\\u00e9t\u00e9\\doc one.txt"},
        {std::wstring(518, L'q')},
        {L"a", L"b", L"c"},
    };
    for (const auto& arguments : cases) {
        InstanceArea area = blockFilledWith(0xEE);
        ASSERT_TRUE(writeArgumentBlock(area, arguments));
        EXPECT_EQ(readArgumentBlock(area), arguments);
    }
}

TEST(InstanceNameTest, IsTheProgramPathWithUnderscoresForBackslashes)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\Apps\\Tool\\run.exe", L"C:_Apps_Tool_run.exe"},
        {L"c:\\apps\\TOOL\\RUN.EXE", L"c:_apps_TOOL_RUN.EXE"},
        {L"C:\\PROGRA~1\\run.exe", L"C:_PROGRA~1_run.exe"},
        {L"\\\\server\\share\\a b.exe", L"__server_share_a b.exe"},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(instanceNameFor(path), name);
    }
}

// A registered message's name is an atom of at most 255 characters: past
// that, every name of the installation is a fixed-length hash of the path.
TEST(InstanceNameTest, APathTooLongForAMessageNameGetsAHashedNameOfItsOwn)
{
    const std::wstring folder = L"C:\\" + std::wstring(240, L'd') + L"\\";
    const std::wstring fits = folder + std::wstring(255 - folder.size(), L'r');
    const std::wstring tooLong = folder + std::wstring(257 - folder.size(), L'r');
    const std::wstring other = folder + std::wstring(256 - folder.size(), L'r') + L"s";
    EXPECT_EQ(instanceNameFor(fits).size(), 255u);
    EXPECT_EQ(instanceNameFor(fits).find(L'\\'), std::wstring::npos);

    const std::wstring hashed = instanceNameFor(tooLong);
    EXPECT_LE(hashed.size(), 255u);
    EXPECT_EQ(hashed.find(L'\\'), std::wstring::npos);
    EXPECT_EQ(instanceNameFor(tooLong), hashed);
    EXPECT_NE(instanceNameFor(other), hashed);
    EXPECT_EQ(instanceNameFor(other).size(), hashed.size());

    struct ObjectCase {
        std::wstring instance;
        bool keepsTheName;
    };
    for (const auto& [instance, keepsTheName] :
         {ObjectCase{L"C:_run.exe", true}, ObjectCase{instanceNameFor(fits), false},
          ObjectCase{hashed, true}}) {
        const std::wstring object = instanceObjectName(instance, L"_arg_taken");
        EXPECT_LE(object.size(), 255u);
        EXPECT_TRUE(object.ends_with(L"_arg_taken"));
        EXPECT_EQ(object == instance + L"_arg_taken", keepsTheName);
        EXPECT_EQ(instanceObjectName(instance, L"_arg_taken"), object);
    }
}

}  // namespace
}  // namespace velmar
