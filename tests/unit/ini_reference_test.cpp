// docs/ini-reference.md against the key table the loaders read through.
#include "config/setting_keys.h"

#include "docs_tables.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace velmar {
namespace {

using KeyName = std::pair<std::wstring, std::wstring>;  // section, key

struct DocumentedKey {
    std::wstring letterCase;
    std::wstring whenEmpty;
    std::wstring appendSection;
};

std::wstring describe(LetterCase rule)
{
    switch (rule) {
    case LetterCase::exact:
        return L"exact";
    case LetterCase::anyCase:
        return L"any case";
    case LetterCase::freeText:
        return L"free text";
    }
    return L"?";
}

std::wstring describe(Layering layering)
{
    return layering == Layering::appendSection ? L"yes" : L"no";
}

// "[Application]" gives "Application"; other headings are no section.
std::wstring sectionOfHeading(const std::wstring& heading)
{
    if (heading.size() < 2 || heading.front() != L'[' || heading.back() != L']') {
        return {};
    }
    return heading.substr(1, heading.size() - 2);
}

class IniReferenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const testing::DocsTableRow& row :
             testing::readDocsTableRows(testing::readDocsPage(L"ini-reference.md"))) {
            const std::wstring section = sectionOfHeading(row.heading);
            ASSERT_FALSE(section.empty()) << "a table outside a [section] heading";
            ASSERT_EQ(row.cells.size(), 5u) << "row of " << toUtf8(row.cells.front());
            const bool added =
                documented_
                    .emplace(KeyName{section, row.cells[0]},
                             DocumentedKey{row.cells[1], row.cells[2], row.cells[3]})
                    .second;
            EXPECT_TRUE(added) << "documented twice: " << toUtf8(row.cells[0]);
        }
    }

    std::map<KeyName, DocumentedKey> documented_;
};

TEST_F(IniReferenceTest, DocumentsEveryKeyTheLauncherReadsWithItsRules)
{
    for (const SettingKey* key : kSettingKeys) {
        const std::string name = toUtf8(key->section) + " / " + toUtf8(key->name);
        const auto found = documented_.find({std::wstring(key->section), std::wstring(key->name)});
        if (found == documented_.end()) {
            ADD_FAILURE() << "not in docs/ini-reference.md: " << name;
            continue;
        }
        EXPECT_EQ(toUtf8(found->second.letterCase), toUtf8(describe(key->letterCase)))
            << "letter case of " << name;
        EXPECT_EQ(toUtf8(found->second.whenEmpty), toUtf8(key->whenEmpty))
            << "default of " << name;
        EXPECT_EQ(toUtf8(found->second.appendSection), toUtf8(describe(key->layering)))
            << "append section of " << name;
    }
}

TEST_F(IniReferenceTest, DocumentsNoKeyTheLauncherDoesNotRead)
{
    for (const auto& [name, documentation] : documented_) {
        bool read = false;
        for (const SettingKey* key : kSettingKeys) {
            read = read || (key->section == name.first && key->name == name.second);
        }
        EXPECT_TRUE(read) << "documented but not read: " << toUtf8(name.first) << " / "
                          << toUtf8(name.second);
    }
}

TEST(SettingKeyTableTest, NamesEachKeyOnce)
{
    for (size_t i = 0; i < kSettingKeys.size(); ++i) {
        for (size_t j = i + 1; j < kSettingKeys.size(); ++j) {
            EXPECT_FALSE(kSettingKeys[i]->section == kSettingKeys[j]->section &&
                         kSettingKeys[i]->name == kSettingKeys[j]->name)
                << toUtf8(kSettingKeys[i]->name);
        }
    }
}

}  // namespace
}  // namespace velmar
