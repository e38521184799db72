// The launcher's own exception runtime, linked here as into the launcher:
// threads that throw at once, the first of them while the unwinder sets
// itself up, see only their own exceptions. A program of its own without
// GoogleTest, which links the POSIX threads library that the runtime
// replaces; it prints each failure and ends with their number.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <stdexcept>

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 2000;

std::atomic<int> failures{0};
HANDLE startTogether = nullptr;
HANDLE threadReady = nullptr;

void check(bool condition, const char* what, int id)
{
    if (!condition) {
        ++failures;
        std::printf("FAIL (thread %d): %s\n", id, what);
    }
}

struct UncaughtCountProbe {
    int id;
    ~UncaughtCountProbe() { check(std::uncaught_exceptions() == 1, "one uncaught exception while unwinding", id); }
};

void throwAndCatch(int id)
{
    try {
        throw id;
    } catch (int caught) {
        check(caught == id, "the exception thrown is the one caught", id);
        try {
            throw std::runtime_error("inner");
        } catch (const std::runtime_error&) {
            ::SwitchToThread();
        }
        try {
            throw;
        } catch (int again) {
            check(again == id, "the outer exception is current again after the inner one", id);
        }
    }
    try {
        UncaughtCountProbe probe{id};
        throw id;
    } catch (int) {
    }
    check(std::uncaught_exceptions() == 0, "no uncaught exception after the catch", id);
    check(std::current_exception() == nullptr, "no current exception after the catch", id);
}

DWORD WINAPI threadMain(void* argument)
{
    const int id = static_cast<int>(reinterpret_cast<INT_PTR>(argument));
    ::SetEvent(threadReady);
    ::WaitForSingleObject(startTogether, INFINITE);
    for (int round = 0; round < kRounds; ++round) {
        throwAndCatch(id);
    }
    return 0;
}

DWORD WINAPI exitWithCurrentException(void*)
{
    return std::current_exception() == nullptr ? 0 : 1;
}

void caughtOnOneThreadIsNotCurrentOnAnother()
{
    try {
        throw std::runtime_error("main");
    } catch (const std::exception&) {
        HANDLE other = ::CreateThread(nullptr, 0, exitWithCurrentException, nullptr, 0, nullptr);
        DWORD code = 1;
        check(other != nullptr && ::WaitForSingleObject(other, 60000) == WAIT_OBJECT_0 &&
                  ::GetExitCodeThread(other, &code) && code == 0,
              "another thread has no current exception", 0);
        if (other != nullptr) {
            ::CloseHandle(other);
        }
        check(std::current_exception() != nullptr, "this thread's exception is still current", 0);
    }
}

}  // namespace

int main()
{
    // No exception before the threads start: the first throw of the
    // process sets the unwinder up, and all of them race for it. They are
    // started one after the other, though: 32-bit Wine under qemu-user
    // crashes when two threads of a process start at the same moment.
    startTogether = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    threadReady = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE threads[kThreads] = {};
    for (int id = 0; id < kThreads; ++id) {
        threads[id] = ::CreateThread(nullptr, 0, threadMain, reinterpret_cast<void*>(static_cast<INT_PTR>(id + 1)), 0,
                                     nullptr);
        if (threads[id] == nullptr) {
            std::printf("FAIL: cannot start thread %d (%lu)\n", id + 1, ::GetLastError());
            return 1;
        }
        ::WaitForSingleObject(threadReady, INFINITE);
    }
    ::SetEvent(startTogether);
    if (::WaitForMultipleObjects(kThreads, threads, TRUE, 120000) != WAIT_OBJECT_0) {
        std::printf("FAIL: the throwing threads did not end within 120 s\n");
        return 1;
    }
    for (HANDLE thread : threads) {
        ::CloseHandle(thread);
    }
    ::CloseHandle(startTogether);
    ::CloseHandle(threadReady);
    caughtOnOneThreadIsNotCurrentOnAnother();
    std::printf("%d failure(s), %d threads x %d rounds\n", failures.load(), kThreads, kRounds);
    return failures.load();
}
