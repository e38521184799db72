// What the C++ runtime's exception handling needs of threads, without the
// POSIX threads library, which brought about 25 KB into a launcher that
// starts no POSIX thread:
// - the per-thread exception state (__cxa_get_globals), kept in a
//   fiber-local slot instead of libstdc++'s thread-local variable, which
//   this toolchain emulates through that library; the state is freed when
//   its thread ends, as the emulation did;
// - the one-time set-up of the x86 table unwinder (pthread_once).
// A program that also links the POSIX threads library (std::thread) gets
// pthread_once twice and does not link: it must not take this file.
#include <windows.h>

#include <cstdlib>
#include <cxxabi.h>

namespace __cxxabiv1 {

// The runtime's layout: the stack of caught exceptions and the count of
// uncaught ones. Room is left for what other targets add to it.
struct __cxa_eh_globals {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
    void* reserved[2];
};

}  // namespace __cxxabiv1

namespace {

using Globals = __cxxabiv1::__cxa_eh_globals;

INIT_ONCE slotCreation = INIT_ONCE_STATIC_INIT;
DWORD globalsSlot = FLS_OUT_OF_INDEXES;

void WINAPI freeGlobals(void* globals) noexcept
{
    if (globals != nullptr) {
        ::HeapFree(::GetProcessHeap(), 0, globals);
    }
}

BOOL CALLBACK createSlot(INIT_ONCE*, void*, void**) noexcept
{
    globalsSlot = ::FlsAlloc(freeGlobals);
    return globalsSlot != FLS_OUT_OF_INDEXES;
}

// Without its state a thread cannot throw or catch; the emulation ends
// the process in that case too.
Globals* globalsOfThisThread() noexcept
{
    if (!::InitOnceExecuteOnce(&slotCreation, createSlot, nullptr, nullptr)) {
        std::abort();
    }
    auto* globals = static_cast<Globals*>(::FlsGetValue(globalsSlot));
    if (globals == nullptr) {
        globals = static_cast<Globals*>(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Globals)));
        if (globals == nullptr || !::FlsSetValue(globalsSlot, globals)) {
            std::abort();
        }
    }
    return globals;
}

}  // namespace

extern "C" {

__cxxabiv1::__cxa_eh_globals* __cxxabiv1::__cxa_get_globals() noexcept
{
    return globalsOfThisThread();
}

__cxxabiv1::__cxa_eh_globals* __cxxabiv1::__cxa_get_globals_fast() noexcept
{
    return globalsOfThisThread();
}

// The library's control word: 0 before the routine ran (its static
// initialiser), then running, then done.
int pthread_once(long* control, void (*routine)(void))
{
    constexpr long kNotRun = 0;
    constexpr long kRunning = 1;
    constexpr long kDone = 2;
    if (::InterlockedCompareExchange(control, kRunning, kNotRun) == kNotRun) {
        routine();
        ::InterlockedExchange(control, kDone);
        return 0;
    }
    // Another thread runs it: its set-up takes microseconds.
    while (::InterlockedCompareExchange(control, kDone, kDone) != kDone) {
        ::SwitchToThread();
    }
    return 0;
}

}  // extern "C"
