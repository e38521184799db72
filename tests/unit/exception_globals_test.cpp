// The program's own per-thread exception state, linked into this test
// program as into the launcher: every test here throws through it, and
// these check that threads do not see each other's exceptions.
#include <gtest/gtest.h>

#include <atomic>
#include <exception>
#include <stdexcept>
#include <thread>
#include <vector>

namespace velmar {
namespace {

struct UncaughtCountProbe {
    std::atomic<int>& failures;
    int expected;
    ~UncaughtCountProbe()
    {
        if (std::uncaught_exceptions() != expected) {
            ++failures;
        }
    }
};

void throwAndCatchRepeatedly(int id, std::atomic<int>& failures)
{
    for (int round = 0; round < 2000; ++round) {
        try {
            throw id;
        } catch (int caught) {
            failures += caught != id;
            try {
                throw std::runtime_error("inner");
            } catch (const std::runtime_error&) {
                std::this_thread::yield();
            }
            // The outer exception is the current one again once the inner
            // one is done with.
            try {
                throw;
            } catch (int again) {
                failures += again != id;
            }
        }
        try {
            UncaughtCountProbe probe{failures, 1};
            throw id;
        } catch (int) {
        }
        failures += std::uncaught_exceptions() != 0;
        failures += std::current_exception() != nullptr;
    }
}

TEST(ExceptionGlobalsTest, ThreadsThrowingAtOnceSeeOnlyTheirOwnExceptions)
{
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int id = 1; id <= 4; ++id) {
        threads.emplace_back(throwAndCatchRepeatedly, id, std::ref(failures));
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

TEST(ExceptionGlobalsTest, AnExceptionCaughtOnOneThreadIsNotCurrentOnAnother)
{
    try {
        throw std::runtime_error("main");
    } catch (const std::exception&) {
        bool otherSeesNone = false;
        std::thread other([&otherSeesNone] { otherSeesNone = std::current_exception() == nullptr; });
        other.join();
        EXPECT_TRUE(otherSeesNone);
        EXPECT_NE(std::current_exception(), nullptr);
    }
}

}  // namespace
}  // namespace velmar
