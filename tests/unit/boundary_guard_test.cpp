#include "support/boundary_guard.h"

#include "resources/resource.h"
#include "support/messages.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

namespace velmar {
namespace {

// Keeps every text the guard would have shown, instead of a box.
struct RecordedBoxes {
    std::vector<std::wstring> texts;
    void operator()(const wchar_t* text) { texts.emplace_back(text); }
};

struct Recorder {
    RecordedBoxes* boxes;
    void operator()(const wchar_t* text) const { (*boxes)(text); }
};

struct ThrowCase {
    const char* name;
    void (*raise)();
    std::wstring text;
};

TEST(GuardedTest, ReportsWhatFailedAndReturnsTheFailureResult)
{
    const ThrowCase cases[] = {
        {"bad_alloc", [] { throw std::bad_alloc(); },
         L"Windows exception: out of memory (errno = 14).\n"},
        {"length_error from a string",
         [] { std::wstring().resize(std::wstring().max_size() + 1); },
         L"Windows exception: internal error: basic_string::_M_replace_aux (errno = 0).\n"},
        {"out_of_range from a string, its numbers left out", [] { (void)std::wstring().at(3); },
         L"Windows exception: internal error: basic_string::at (errno = 0).\n"},
        {"length_error", [] { throw std::length_error("vector::reserve"); },
         L"Windows exception: internal error: vector::reserve (errno = 0).\n"},
        {"a percent sign in the description", [] { throw std::runtime_error("100%s done"); },
         L"Windows exception: internal error: 100%s done (errno = 0).\n"},
        {"no description", [] { throw std::runtime_error(""); },
         L"Windows exception: unexpected internal error (errno = 0).\n"},
        {"a description with control characters", [] { throw std::runtime_error("a\x01\x02"); },
         L"Windows exception: unexpected internal error (errno = 0).\n"},
        {"a description that is no ASCII", [] { throw std::runtime_error("caf\xc3\xa9"); },
         L"Windows exception: unexpected internal error (errno = 0).\n"},
        {"a description of 201 characters", [] { throw std::runtime_error(std::string(201, 'a')); },
         L"Windows exception: unexpected internal error (errno = 0).\n"},
        {"an int", [] { throw 42; }, L"Windows exception: unexpected internal error (errno = 0).\n"},
        {"a type of its own",
         [] {
             struct Unknown {};
             throw Unknown{};
         },
         L"Windows exception: unexpected internal error (errno = 0).\n"},
    };
    for (const ThrowCase& c : cases) {
        RecordedBoxes boxes;
        const DWORD result = guarded(
            DWORD{0xFFFFFFFF},
            [&c]() -> DWORD {
                c.raise();
                return 0;
            },
            Recorder{&boxes});
        EXPECT_EQ(result, 0xFFFFFFFFu) << c.name;
        EXPECT_EQ(boxes.texts, std::vector<std::wstring>{c.text}) << c.name;
    }
}

TEST(GuardedTest, PassesTheResultThroughWhenNothingIsThrown)
{
    RecordedBoxes boxes;
    EXPECT_EQ(guarded(DWORD{0xFFFFFFFF}, [] { return DWORD{3}; }, Recorder{&boxes}), 3u);
    EXPECT_EQ(guarded(LRESULT{-1}, [] { return LRESULT{0}; }, Recorder{&boxes}), 0);
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(GuardedTest, NeverThrowsItself)
{
    const auto throwingDisplay = [](const wchar_t*) { throw std::bad_alloc(); };
    EXPECT_EQ(guarded(7, []() -> int { throw 1; }, throwingDisplay), 7);

    // No memory left to compose message 202: the detail alone is shown.
    RecordedBoxes boxes;
    reportFailure(std::make_exception_ptr(std::bad_alloc()), boxes,
                  [](const std::exception_ptr&) -> std::wstring { throw std::bad_alloc(); });
    EXPECT_EQ(boxes.texts, std::vector<std::wstring>{L"out of memory"});
}

TEST(GuardedTest, DetailsAreInTheStringTable)
{
    EXPECT_EQ(LoadMessage(IDS_OUT_OF_MEMORY), L"out of memory");
    EXPECT_EQ(LoadMessage(IDS_INTERNAL_ERROR), L"internal error: %s");
    EXPECT_EQ(LoadMessage(IDS_UNEXPECTED_ERROR), L"unexpected internal error");
}

}  // namespace
}  // namespace velmar
