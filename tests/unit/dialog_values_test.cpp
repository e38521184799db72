// The pure rules behind "JRE Not Found": the link colours as the browser
// settings keep them, the folder remembered from a pick, and where a dialog
// is placed.
#include "ui/hyperlink_control.h"
#include "ui/missing_runtime_dialog.h"
#include "ui/dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

namespace velmar {
namespace {

using Bytes = std::vector<BYTE>;

Bytes unterminated(std::wstring_view text)
{
    Bytes bytes(text.size() * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

Bytes terminated(std::wstring_view text)
{
    Bytes bytes = unterminated(text);
    bytes.resize(bytes.size() + sizeof(wchar_t), 0);
    return bytes;
}

struct ColourCase {
    const char* name;
    DWORD type;
    Bytes data;
    std::optional<COLORREF> expected;
};

class AnchorColourTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(AnchorColourTest, ReadsOnlyWellFormedValues)
{
    const ColourCase& c = GetParam();
    EXPECT_EQ(parseAnchorColour(c.type, c.data), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnchorColourTest,
    ::testing::Values(
        ColourCase{"red", REG_SZ, terminated(L"255,0,0"), RGB(255, 0, 0)},
        ColourCase{"expandable_string", REG_EXPAND_SZ, terminated(L"1,2,3"), RGB(1, 2, 3)},
        ColourCase{"blanks_before_numbers", REG_SZ, terminated(L" 10, 20, 30"), RGB(10, 20, 30)},
        ColourCase{"cut_to_low_8_bits", REG_SZ, terminated(L"256,257,511"), RGB(0, 1, 255)},
        ColourCase{"negative_blue_cut", REG_SZ, terminated(L"0,0,-1"), RGB(0, 0, 255)},
        ColourCase{"text_reads_as_0", REG_SZ, terminated(L"red,0,9"), RGB(0, 0, 9)},
        ColourCase{"eleven_chars_fit", REG_SZ, terminated(L"100,100,100"), RGB(100, 100, 100)},
        ColourCase{"twelve_chars_too_long", REG_SZ, terminated(L"100,100,1000"), std::nullopt},
        ColourCase{"no_third_number", REG_SZ, terminated(L"255,0"), std::nullopt},
        ColourCase{"empty_blue", REG_SZ, terminated(L"255,0,"), std::nullopt},
        ColourCase{"no_comma", REG_SZ, terminated(L"255"), std::nullopt},
        ColourCase{"red_minus_one", REG_SZ, terminated(L"-1,0,0"), std::nullopt},
        ColourCase{"green_minus_one", REG_SZ, terminated(L"0,-1,0"), std::nullopt},
        ColourCase{"not_terminated", REG_SZ, unterminated(L"1,2,34"), std::nullopt},
        ColourCase{"odd_byte_count", REG_SZ, Bytes{'1', 0, ',', 0, '2', 0, ',', 0, '3', 0, 0},
                   std::nullopt},
        ColourCase{"empty_data", REG_SZ, Bytes{}, std::nullopt},
        ColourCase{"dword_type", REG_DWORD, Bytes{0xFF, 0, 0, 0}, std::nullopt},
        ColourCase{"binary_type", REG_BINARY, terminated(L"255,0,0"), std::nullopt},
        ColourCase{"multi_string_type", REG_MULTI_SZ, terminated(L"255,0,0"), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct FolderCase {
    const char* name;
    const wchar_t* browsed;
    const wchar_t* chosen;
};

class ChosenFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(ChosenFolderTest, EndsInOneBackslash)
{
    EXPECT_EQ(chosenFolderOf(GetParam().browsed), GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChosenFolderTest,
    ::testing::Values(FolderCase{"folder", L"C:\\Program Files\\Java\\jre8",
                                 L"C:\\Program Files\\Java\\jre8\\"},
                      FolderCase{"drive_root", L"C:\\", L"C:\\"},
                      FolderCase{"nothing", L"", L""}),
    [](const auto& info) { return std::string(info.param.name); });

struct PlacementCase {
    const char* name;
    SIZE size;
    RECT reference;
    RECT workArea;
    RECT expected;
};

class PlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, CentresThenKeepsInsideTheWorkArea)
{
    const PlacementCase& c = GetParam();
    const RECT placed = placeCentred(c.size, c.reference, c.workArea);
    EXPECT_EQ((std::vector<LONG>{placed.left, placed.top, placed.right, placed.bottom}),
              (std::vector<LONG>{c.expected.left, c.expected.top, c.expected.right,
                                 c.expected.bottom}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlacementTest,
    ::testing::Values(
        PlacementCase{"centred", {200, 100}, {0, 0, 1000, 800}, {0, 0, 1000, 800},
                      {400, 350, 600, 450}},
        PlacementCase{"owner_at_right_edge", {200, 100}, {900, 0, 1000, 100}, {0, 0, 1000, 800},
                      {800, 0, 1000, 100}},
        PlacementCase{"owner_off_the_top_left", {200, 100}, {-300, -300, -100, -100},
                      {0, 0, 1000, 800}, {0, 0, 200, 100}},
        PlacementCase{"larger_than_the_area_keeps_top_left", {1200, 900}, {0, 0, 1000, 800},
                      {0, 0, 1000, 800}, {0, 0, 1200, 900}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar
