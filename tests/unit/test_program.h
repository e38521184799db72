// This test program's own place, as the build put it and Wine names it:
// tests of path forming compare with these literals rather than with what
// the code under test computes from the module path.
#pragma once

namespace velmar::testing {

inline constexpr const wchar_t* kTestProgramFolder = VELMAR_UNIT_TEST_FOLDER;
inline constexpr const wchar_t* kTestProgramIni = VELMAR_UNIT_TEST_FOLDER L"\\velmar_unit_tests.ini";

}  // namespace velmar::testing
