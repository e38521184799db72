#include "runtime/vendor_table.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

const VendorRow& rowOf(std::wstring_view key, RuntimeKind kind)
{
    for (const VendorRow& row : vendorRows()) {
        if (row.key == key && row.kind == kind) {
            return row;
        }
    }
    throw std::runtime_error("no such row");
}

TEST(VendorRowsTest, TheJava8KeysComeFirstInTheirOrder)
{
    struct Expected {
        std::wstring_view key;
        RuntimeKind kind;
        Provider provider;
        HomeLayout layout;
    };
    const Expected first[] = {
        {L"Software\\JavaSoft\\Java Development Kit\\", RuntimeKind::jdk, Provider::sun,
         HomeLayout::jreSubfolder},
        {L"Software\\JavaSoft\\Java Runtime Environment\\", RuntimeKind::jre, Provider::sun,
         HomeLayout::asRegistered},
        {L"Software\\JRockit\\Java Runtime Environment\\", RuntimeKind::jre, Provider::jrockit,
         HomeLayout::asRegistered},
        {L"Software\\JRockit\\Java Development Kit\\", RuntimeKind::jdk, Provider::jrockit,
         HomeLayout::jreSubfolder},
        {L"Software\\IBM\\Java2 Runtime Environment\\", RuntimeKind::jre, Provider::ibm,
         HomeLayout::asRegistered},
    };
    ASSERT_GT(vendorRows().size(), std::size(first));
    for (size_t i = 0; i < std::size(first); ++i) {
        const VendorRow& row = vendorRows()[i];
        EXPECT_EQ(row.key, first[i].key) << i;
        EXPECT_EQ(row.kind, first[i].kind) << i;
        EXPECT_EQ(row.provider, first[i].provider) << i;
        EXPECT_EQ(row.layout, first[i].layout) << i;
        EXPECT_EQ(row.homeValue, L"JavaHome") << i;
        EXPECT_EQ(row.favorServerAsDefault, i == 1) << "only the JavaSoft JRE key, row " << i;
    }
}

TEST(VendorRowsTest, KeysAreOpenedWithoutTrailingBackslashInEitherView)
{
    const VendorRow& javaSoft = vendorRows()[0];
    const VendorRow& zulu = rowOf(L"Software\\Azul Systems\\Zulu", RuntimeKind::jdk);
    EXPECT_EQ(rowKey(javaSoft, RegistryView::bits64), L"Software\\JavaSoft\\Java Development Kit");
    EXPECT_EQ(rowKey(javaSoft, RegistryView::bits32), L"Software\\JavaSoft\\Java Development Kit");
    EXPECT_EQ(rowKey(zulu, RegistryView::bits64), L"Software\\Azul Systems\\Zulu");
    EXPECT_EQ(rowKey(zulu, RegistryView::bits32), L"Software\\Azul Systems\\Zulu 32-bit");
}

TEST(SubkeyBelongsToRowTest, SharedKeysAreSplitByName)
{
    const VendorRow& zuluJdk = rowOf(L"Software\\Azul Systems\\Zulu", RuntimeKind::jdk);
    const VendorRow& zuluJre = rowOf(L"Software\\Azul Systems\\Zulu", RuntimeKind::jre);
    const VendorRow& libericaJdk = rowOf(L"Software\\BellSoft\\Liberica", RuntimeKind::jdk);
    const VendorRow& libericaJre = rowOf(L"Software\\BellSoft\\Liberica", RuntimeKind::jre);
    const VendorRow& oracleJdk = rowOf(L"Software\\JavaSoft\\JDK", RuntimeKind::jdk);
    struct Case {
        const VendorRow& row;
        std::wstring_view name;
        bool belongs;
    };
    const Case cases[] = {
        {zuluJdk, L"zulu-17", true},       {zuluJdk, L"zulu-17-jre", false},
        {zuluJre, L"zulu-17-jre", true},   {zuluJre, L"ZULU-8-JRE", true},
        {zuluJre, L"zulu-17", false},      {zuluJdk, L"17", false},
        {libericaJdk, L"jdk-21", true},    {libericaJdk, L"jre-21", false},
        {libericaJre, L"jre-21", true},    {libericaJre, L"JRE-11", true},
        {libericaJre, L"jdk-21", false},   {oracleJdk, L"21.0.1", true},
        {oracleJdk, L"anything", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(subkeyBelongsToRow(c.row, c.name), c.belongs)
            << ::testing::PrintToString(std::wstring(c.name) + L" for " + std::wstring(c.row.namePrefix));
    }
}

TEST(HomesToTryTest, FollowTheRowsLayout)
{
    const VendorRow& oldJdk = vendorRows()[0];
    const VendorRow& oldJre = vendorRows()[1];
    const VendorRow& newJdk = rowOf(L"Software\\JavaSoft\\JDK", RuntimeKind::jdk);
    using Homes = std::vector<std::wstring>;
    EXPECT_EQ(homesToTry(oldJdk, L"C:\\jdk8"), Homes{L"C:\\jdk8\\jre\\"});
    EXPECT_EQ(homesToTry(oldJre, L"C:\\jre8\\"), Homes{L"C:\\jre8\\"});
    EXPECT_EQ(homesToTry(newJdk, L"C:\\jdk-17"), (Homes{L"C:\\jdk-17\\", L"C:\\jdk-17\\jre\\"}));
    EXPECT_EQ(homesToTry(newJdk, L""), Homes{});
}

}  // namespace
}  // namespace velmar
