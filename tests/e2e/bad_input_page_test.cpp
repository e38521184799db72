// docs/bad-input.md names, row by row, the test that shows each outcome;
// this keeps the page and the registered tests in step both ways: every
// name on the page is a test of this program, and every case of a
// parameterised test the page names is on the page.
#include "docs_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace velmar::e2e {
namespace {

using velmar::testing::codeSpanText;
using velmar::testing::readDocsPage;
using velmar::testing::readDocsTableRows;

std::string narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// "Suite.Name" of every test registered in this program.
std::set<std::string> registeredTests()
{
    std::set<std::string> names;
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    for (int suite = 0; suite < unit.total_test_suite_count(); ++suite) {
        const ::testing::TestSuite& tests = *unit.GetTestSuite(suite);
        for (int test = 0; test < tests.total_test_count(); ++test) {
            names.insert(std::string(tests.name()) + "." + tests.GetTestInfo(test)->name());
        }
    }
    return names;
}

std::set<std::string> testsOnThePage()
{
    std::set<std::string> names;
    for (const auto& row : readDocsTableRows(readDocsPage(L"bad-input.md"))) {
        if (!row.cells.empty()) {
            names.insert(narrow(codeSpanText(row.cells.back())));
        }
    }
    return names;
}

// "Prefix/Suite.Test" of a parameterised test's case "Prefix/Suite.Test/case";
// empty for a plain test.
std::string parameterisedTestOf(const std::string& name)
{
    const size_t dot = name.find('.');
    const size_t slash = name.rfind('/');
    return dot != std::string::npos && slash != std::string::npos && slash > dot ? name.substr(0, slash)
                                                                                : std::string();
}

TEST(BadInputPageTest, NamesOnlyTestsThatExist)
{
    const std::set<std::string> registered = registeredTests();
    const std::set<std::string> page = testsOnThePage();
    ASSERT_FALSE(page.empty());
    for (const std::string& name : page) {
        EXPECT_TRUE(registered.contains(name)) << name << " is on the page but not a test";
    }
}

TEST(BadInputPageTest, NamesEveryCaseOfTheParameterisedTestsItCovers)
{
    const std::set<std::string> page = testsOnThePage();
    std::set<std::string> covered;
    for (const std::string& name : page) {
        covered.insert(parameterisedTestOf(name));
    }
    covered.erase(std::string());
    for (const std::string& name : registeredTests()) {
        if (covered.contains(parameterisedTestOf(name))) {
            EXPECT_TRUE(page.contains(name)) << name << " is missing from the page";
        }
    }
}

}  // namespace
}  // namespace velmar::e2e
