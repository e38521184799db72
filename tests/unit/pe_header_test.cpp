#include "pe_image.h"
#include "runtime/jvm_location.h"

#include <gtest/gtest.h>

#include <optional>
#include <span>

namespace velmar {
namespace {

using namespace velmar::testing;

std::optional<size_t> offsetOf(const std::string& image)
{
    return ntHeadersOffset(
        std::span(reinterpret_cast<const unsigned char*>(image.data()), image.size()));
}

std::string withOptionalSize(std::string image, WORD size)
{
    const size_t at = kNtOffset + sizeof(DWORD) + offsetof(IMAGE_FILE_HEADER, SizeOfOptionalHeader);
    std::memcpy(image.data() + at, &size, sizeof size);
    return image;
}

TEST(NtHeadersOffsetTest, AcceptsOnlyHeadersInsideTheImage)
{
    const std::string i386 = peImage(kI386);
    const std::string amd64 = peImage(kAmd64);
    const size_t fixedEnd = kNtOffset + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
    struct Case {
        const char* name;
        std::string image;
        std::optional<size_t> expected;
    };
    const Case cases[] = {
        {"x86 image", i386, kNtOffset},
        {"x86-64 image", amd64, kNtOffset},
        {"no MZ", "ZM" + i386.substr(2), std::nullopt},
        {"shorter than a DOS header", i386.substr(0, sizeof(IMAGE_DOS_HEADER) - 1), std::nullopt},
        {"negative offset", withNewHeaderOffset(i386, -4), std::nullopt},
        {"offset past the end", withNewHeaderOffset(i386, 0x10000), std::nullopt},
        {"offset near the largest LONG", withNewHeaderOffset(i386, 0x7FFFFFFF), std::nullopt},
        {"file header cut by one byte", i386.substr(0, fixedEnd - 1), std::nullopt},
        {"optional header cut by one byte", amd64.substr(0, amd64.size() - 1), std::nullopt},
        {"declared optional header larger than the file", withOptionalSize(i386, 0xFFFF),
         std::nullopt},
        {"no optional header declared, file ends after the file header",
         withOptionalSize(i386.substr(0, fixedEnd), 0), kNtOffset},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(offsetOf(c.image), c.expected) << c.name;
    }
}

TEST(BelongsToOtherArchitectureTest, EachBuildHandsOverTheOtherMachine)
{
    constexpr WORD kArm64 = 0xAA64;
    struct Case {
        WORD machine;
        bool x64Relaunches;
        bool x86Relaunches;
    };
    const Case cases[] = {
        {kI386, true, false},
        {kAmd64, false, true},
        {kArm64, false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(belongsToOtherArchitecture(c.machine, kX64Build), c.x64Relaunches) << c.machine;
        EXPECT_EQ(belongsToOtherArchitecture(c.machine, kX86Build), c.x86Relaunches) << c.machine;
    }
}

// The texts themselves are checked end to end, each build with its own.
TEST(OtherArchitectureAdviceTest, OnlyA32BitAnd64BitMismatchGetsAdvice)
{
    constexpr WORD kArm64 = 0xAA64;
    struct Case {
        WORD machine;
        const BuildTraits& build;
        bool advised;
    };
    const Case cases[] = {
        {kI386, kX64Build, true}, {kAmd64, kX86Build, true},
        // The build's own kind fails to load for another reason.
        {kAmd64, kX64Build, false}, {kI386, kX86Build, false},
        // No pair of this launcher hosts a runtime of a third processor.
        {kArm64, kX86Build, false}, {kArm64, kX64Build, false},
    };
    for (const Case& c : cases) {
        for (bool local : {false, true}) {
            EXPECT_EQ(otherArchitectureAdvice(c.machine, c.build, local).empty(), !c.advised)
                << c.machine << (local ? " local" : "");
        }
    }
}

}  // namespace
}  // namespace velmar
