#include "ui/hyperlink_control.h"

#include <gtest/gtest.h>
#include <objbase.h>

namespace velmar {
namespace {

// What CoInitializeEx answers, asked for a multithreaded apartment: S_OK
// when the thread was in none, RPC_E_CHANGED_MODE when it is in a
// single-threaded one. The probe leaves the thread as it found it.
HRESULT apartmentProbe()
{
    const HRESULT answer = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(answer)) {
        ::CoUninitialize();
    }
    return answer;
}

HRESULT seenByOpener = E_FAIL;

bool recordingOpener(const wchar_t*)
{
    seenByOpener = apartmentProbe();
    return true;
}

// COINIT_MULTITHREADED is 0, so "no apartment" needs a value of its own.
constexpr DWORD kNoApartment = ~DWORD{0};

struct ApartmentCase {
    const char* name;
    DWORD threadApartment;  // what the thread is in before
    HRESULT whileOpening;
};

class LinkOpeningTest : public testing::TestWithParam<ApartmentCase> {};

TEST_P(LinkOpeningTest, TheOpenerRunsInAnApartmentAndTheThreadIsLeftAsItWas)
{
    const ApartmentCase& row = GetParam();
    const bool entered = row.threadApartment != kNoApartment &&
                         SUCCEEDED(::CoInitializeEx(nullptr, row.threadApartment));
    const HRESULT before = apartmentProbe();
    seenByOpener = E_FAIL;

    EXPECT_TRUE(openInApartment(L"https://example.com/", recordingOpener));

    EXPECT_EQ(seenByOpener, row.whileOpening);
    EXPECT_EQ(apartmentProbe(), before);
    if (entered) {
        ::CoUninitialize();
    }
}

// A thread in the multithreaded apartment keeps it: the shell works there
// too, and changing a caller's apartment is not ours to do.
const ApartmentCase kApartmentCases[] = {
    {"NoApartmentYet", kNoApartment, RPC_E_CHANGED_MODE},
    {"AlreadySingleThreaded", COINIT_APARTMENTTHREADED, RPC_E_CHANGED_MODE},
    {"MultithreadedKept", COINIT_MULTITHREADED, S_FALSE},
};

INSTANTIATE_TEST_SUITE_P(Apartments, LinkOpeningTest, testing::ValuesIn(kApartmentCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar
