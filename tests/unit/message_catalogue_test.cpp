// docs/messages.md against the string table this program links, the one
// the launcher links.
#include "support/messages.h"

#include "docs_tables.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <map>

namespace velmar {
namespace {

constexpr UINT kStringsPerBlock = 16;

BOOL CALLBACK collectBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR blocks)
{
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::vector<UINT>*>(blocks)->push_back(
            static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

// Every string of the table: its blocks hold ids (block - 1) * 16 to
// block * 16 - 1.
std::map<UINT, std::wstring> stringTable()
{
    std::vector<UINT> blocks;
    ::EnumResourceNamesW(nullptr, RT_STRING, collectBlock, reinterpret_cast<LONG_PTR>(&blocks));
    std::map<UINT, std::wstring> strings;
    for (UINT block : blocks) {
        for (UINT id = (block - 1) * kStringsPerBlock; id < block * kStringsPerBlock; ++id) {
            std::wstring text = LoadMessage(id);
            if (!text.empty()) {
                strings.emplace(id, std::move(text));
            }
        }
    }
    return strings;
}

bool isNumber(const std::wstring& cell)
{
    return !cell.empty() && std::all_of(cell.begin(), cell.end(), [](wchar_t c) { return std::iswdigit(c); });
}

// The rows whose first cell is a string id: the id and the text in its
// second cell.
std::map<UINT, std::wstring> catalogue()
{
    std::map<UINT, std::wstring> texts;
    for (const testing::DocsTableRow& row :
         testing::readDocsTableRows(testing::readDocsPage(L"messages.md"))) {
        if (row.cells.size() >= 2 && isNumber(row.cells[0])) {
            const bool added = texts.emplace(static_cast<UINT>(std::stoul(row.cells[0])),
                                             testing::codeSpanText(row.cells[1]))
                                   .second;
            EXPECT_TRUE(added) << "documented twice: " << toUtf8(row.cells[0]);
        }
    }
    return texts;
}

TEST(MessageCatalogueTest, MatchesTheStringTableBothWays)
{
    const std::map<UINT, std::wstring> table = stringTable();
    const std::map<UINT, std::wstring> documented = catalogue();
    ASSERT_FALSE(table.empty()) << "the string table is not linked";
    for (const auto& [id, text] : table) {
        const auto found = documented.find(id);
        if (found == documented.end()) {
            ADD_FAILURE() << "string " << id << " is not in docs/messages.md";
        } else {
            EXPECT_EQ(toUtf8(found->second), toUtf8(text)) << "text of string " << id;
        }
    }
    for (const auto& [id, text] : documented) {
        EXPECT_TRUE(table.contains(id)) << "docs/messages.md has string " << id
                                        << ", the string table has not";
    }
}

}  // namespace
}  // namespace velmar
