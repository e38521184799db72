// Tests that register Java runtimes under HKEY_LOCAL_MACHINE first remove
// every vendor key there, in both registry views. In a Wine prefix made
// for the test run that costs nothing; on a developer's Windows machine it
// would wipe the real Java registrations. Such tests ask here first.
#pragma once

#include <string>

namespace velmar::testing {

// The environment variable that declares a Windows machine disposable.
inline constexpr const wchar_t* kDisposableMachineVariable = L"VELMAR_TEST_DISPOSABLE_MACHINE";

// Wine's ntdll exports wine_get_version; Windows' does not.
bool runsUnderWine();

// Empty when the tests may change the machine's Java registrations: under
// Wine, or when kDisposableMachineVariable is "1". Otherwise the reason to
// refuse, worded for the test's failure message.
std::string registryRefusal();

}  // namespace velmar::testing
