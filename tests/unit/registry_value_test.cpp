#include "runtime/registry_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace velmar {
namespace {

using Bytes = std::vector<BYTE>;

Bytes bytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

// UTF-16 bytes of a text, with its terminator.
Bytes terminated(std::wstring_view text)
{
    Bytes bytes((text.size() + 1) * sizeof(wchar_t), 0);
    std::memcpy(bytes.data(), text.data(), text.size() * sizeof(wchar_t));
    return bytes;
}

struct TextCase {
    const char* name;
    DWORD type;
    Bytes data;
    std::wstring text;
};

TEST(TextOfValueTest, TakesWholeUnitsUpToTheFirstNulOrTheEnd)
{
    const TextCase cases[] = {
        {"terminated", REG_SZ, terminated(L"C:\\jre"), L"C:\\jre"},
        {"no terminator", REG_SZ, bytesOf(std::string("C\0:\0\\\0", 6)), L"C:\\"},
        {"3 bytes", REG_SZ, bytesOf(std::string("C\0:", 3)), L"C:"},
        {"1 byte", REG_SZ, bytesOf("C"), L"C"},
        {"a stray byte after the terminator", REG_SZ, bytesOf(std::string("C\0\0\0\x7f", 5)), L"C"},
        {"a stray byte instead of a terminator", REG_SZ, bytesOf(std::string("C\0\x01", 3)),
         L"C\x01"},
        {"no data", REG_SZ, {}, L""},
        {"a terminator only", REG_SZ, bytesOf(std::string(2, '\0')), L""},
        {"expandable, not expanded here", REG_EXPAND_SZ, terminated(L"%HOME%"), L"%HOME%"},
        {"first of several strings", REG_MULTI_SZ,
         bytesOf(std::string("a\0\0\0b\0\0\0\0\0", 10)), L"a"},
        {"binary", REG_BINARY, terminated(L"C:\\jre"), L""},
        {"dword", REG_DWORD, bytesOf(std::string("C\0:\0", 4)), L""},
        {"no type", REG_NONE, terminated(L"C:\\jre"), L""},
        {"link", REG_LINK, terminated(L"C:\\jre"), L""},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(textOfValue(c.type, c.data), c.text) << c.name;
    }
}

TEST(IsUsablePathTest, RefusesEmptyTextsAndControlCharacters)
{
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"C:\\Java\\jre8", true},
        {L"\\\\server\\share\\jre", true},
        {L"relative\\jre", true},
        {L" ", true},
        {L"", false},
        {L"C:\\jre\x01", false},
        {L"C:\\j\tre", false},
        {L"C:\\jre\x1f", false},
        {L"C:\\jre\x7f", true},
    };
    for (const auto& [text, usable] : cases) {
        EXPECT_EQ(isUsablePath(text), usable) << ::testing::PrintToString(std::wstring(text));
    }
}

struct Stored {
    DWORD type;
    Bytes data;
};

// A value that another process changes right after each query of its
// size, to the next of the given states (the last one stays). Queries
// behave as RegQueryValueExW documents.
class ChangingValue {
public:
    explicit ChangingValue(std::vector<Stored> states) : states_(std::move(states)) {}

    LSTATUS operator()(DWORD* type, BYTE* data, DWORD* size)
    {
        const Stored& now = states_[current_];
        *type = now.type;
        const auto needed = static_cast<DWORD>(now.data.size());
        if (data == nullptr) {
            ++sizeQueries_;
            current_ = std::min(current_ + 1, states_.size() - 1);
            *size = needed;
            return ERROR_SUCCESS;
        }
        ++dataQueries_;
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, now.data.data(), needed);
        *size = needed;
        return ERROR_SUCCESS;
    }

    int sizeQueries() const { return sizeQueries_; }
    int dataQueries() const { return dataQueries_; }

private:
    std::vector<Stored> states_;
    size_t current_ = 0;
    int sizeQueries_ = 0;
    int dataQueries_ = 0;
};

std::wstring readChanging(ChangingValue& value)
{
    return readFolderValue([&value](DWORD* type, BYTE* data, DWORD* size) {
        return value(type, data, size);
    });
}

TEST(ReadFolderValueTest, ReadsAgainWhenTheValueGrewBetweenTheTwoQueries)
{
    ChangingValue value({{REG_SZ, terminated(L"C:\\a")}, {REG_SZ, terminated(L"C:\\longer")}});
    EXPECT_EQ(readChanging(value), L"C:\\longer");
    EXPECT_EQ(value.sizeQueries(), 2);
}

TEST(ReadFolderValueTest, GivesUpOnAValueThatKeepsGrowing)
{
    std::vector<Stored> states;
    for (std::wstring text = L"C:\\"; text.size() < 20; text += L'a') {
        states.push_back({REG_SZ, terminated(text)});
    }
    ChangingValue value(states);
    EXPECT_EQ(readChanging(value), L"");
    EXPECT_EQ(value.sizeQueries(), kValueReadAttempts);
    EXPECT_EQ(value.dataQueries(), kValueReadAttempts);
}

TEST(ReadFolderValueTest, TakesTheSizeAndTypeOfTheReadItself)
{
    ChangingValue shrunk({{REG_SZ, terminated(L"C:\\longer")}, {REG_SZ, terminated(L"C:\\a")}});
    EXPECT_EQ(readChanging(shrunk), L"C:\\a");
    ChangingValue retyped({{REG_SZ, terminated(L"C:\\a")}, {REG_BINARY, terminated(L"C:\\a")}});
    EXPECT_EQ(readChanging(retyped), L"");
}

TEST(ReadFolderValueTest, ReadsNoDataOfValuesThatNameNoFolder)
{
    const std::pair<const char*, Stored> cases[] = {
        {"binary", {REG_BINARY, terminated(L"C:\\jre")}},
        {"qword", {REG_QWORD, Bytes(8, 0x43)}},
        {"empty", {REG_SZ, {}}},
        {"longer than a path", {REG_SZ, Bytes(kLongestPathValue + 2, 0x41)}},
    };
    // Of the largest size read, but without a terminator: one unit more
    // than a path holds (found by fuzzing).
    const std::pair<const char*, Stored> readButTooLong[] = {
        {"largest size without terminator", {REG_SZ, Bytes(kLongestPathValue, 0x41)}},
        {"odd size one past the largest text", {REG_SZ, Bytes(kLongestPathValue - 1, 0x41)}},
    };
    for (const auto& [name, stored] : readButTooLong) {
        ChangingValue value({stored});
        EXPECT_EQ(readChanging(value).size(), 0u) << name;
    }
    for (const auto& [name, stored] : cases) {
        ChangingValue value({stored});
        EXPECT_EQ(readChanging(value), L"") << name;
        EXPECT_EQ(value.dataQueries(), 0) << name;
    }
    Bytes longest(kLongestPathValue, 0x41);
    longest[kLongestPathValue - 2] = longest[kLongestPathValue - 1] = 0;
    ChangingValue value({{REG_SZ, longest}});
    EXPECT_EQ(readChanging(value).size(), 32767u) << "the longest path is read";
}

TEST(ReadFolderValueTest, AFailedQueryOrAnUnusableTextGivesNothing)
{
    EXPECT_EQ(readFolderValue([](DWORD*, BYTE*, DWORD*) -> LSTATUS { return ERROR_FILE_NOT_FOUND; }),
              L"");
    EXPECT_EQ(readFolderValue([](DWORD* type, BYTE* data, DWORD* size) -> LSTATUS {
                  *type = REG_SZ;
                  *size = 4;
                  return data == nullptr ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
              }),
              L"");
    ChangingValue control({{REG_SZ, bytesOf(std::string("C\0:\0\x01", 5))}});
    EXPECT_EQ(readChanging(control), L"");
}

TEST(ReadFolderValueTest, ExpandsOnlyExpandableStrings)
{
    ::SetEnvironmentVariableW(L"VELMAR_TEST_JAVA", L"C:\\Java");
    ChangingValue expandable({{REG_EXPAND_SZ, terminated(L"%VELMAR_TEST_JAVA%\\jre8")}});
    ChangingValue plain({{REG_SZ, terminated(L"%VELMAR_TEST_JAVA%\\jre8")}});
    EXPECT_EQ(readChanging(expandable), L"C:\\Java\\jre8");
    EXPECT_EQ(readChanging(plain), L"%VELMAR_TEST_JAVA%\\jre8");
    ::SetEnvironmentVariableW(L"VELMAR_TEST_JAVA", nullptr);
}

}  // namespace
}  // namespace velmar
