// Registry values as installers and tools leave them in the field: odd
// byte sizes, no terminator, stray bytes, types other than a string. None
// of them may stop a start, and a valid runtime registered beside them is
// still found.
#include "config/ini_file.h"
#include "config/settings.h"
#include "core/launcher.h"
#include "runtime/runtime_search.h"
#include "runtime_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace velmar {
namespace {

using namespace velmar::testing;

constexpr RegistryView kNative = kThisBuild.nativeView;
constexpr const wchar_t* kExpandVariable = L"VELMAR_TEST_ODD_RUNTIME";

// The bytes of a text in UTF-16, with or without its terminator.
std::string utf16(std::wstring_view text, bool terminated)
{
    std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    if (terminated) {
        bytes.append(2, '\0');
    }
    return bytes;
}

std::wstring withoutBackslash(const std::wstring& folder)
{
    return folder.substr(0, folder.size() - 1);
}

struct OddValue {
    const char* name;
    DWORD type;
    // The value's bytes, given the folder (ending in "\") of a runtime
    // that the value may name.
    std::function<std::string(const std::wstring& runtime)> bytes;
    // The value names that runtime: it is found and, being newer, chosen.
    bool namesTheRuntime;
};

void PrintTo(const OddValue& value, std::ostream* os)
{
    *os << value.name;
}

// Where a value naming a runtime can sit: one row of each value name.
struct ScannedKey {
    const wchar_t* key;  // the runtime's subkey and the path to the value
    const wchar_t* key32;  // the same in the 32-bit view
    const wchar_t* value;

    const wchar_t* in(RegistryView view) const { return view == RegistryView::bits32 ? key32 : key; }
};

constexpr ScannedKey kScannedKeys[] = {
    {L"Software\\JavaSoft\\JDK\\17", L"Software\\JavaSoft\\JDK\\17", L"JavaHome"},
    {L"Software\\Eclipse Adoptium\\JDK\\17.0.2.8\\hotspot\\MSI",
     L"Software\\Eclipse Adoptium\\JDK\\17.0.2.8\\hotspot\\MSI", L"Path"},
    {L"Software\\Azul Systems\\Zulu\\zulu-17", L"Software\\Azul Systems\\Zulu 32-bit\\zulu-17",
     L"InstallationPath"},
};

class OddRegistryValueTest : public RuntimeFolderTest,
                             public ::testing::WithParamInterface<OddValue> {
protected:
    void TearDown() override
    {
        if (auto ini = launcherIniPath()) {
            ::DeleteFileW(ini->c_str());
        }
        ::SetEnvironmentVariableW(kExpandVariable, nullptr);
        RuntimeFolderTest::TearDown();
    }
};

TEST_P(OddRegistryValueTest, NeverStopsTheSearchForAValidRuntimeBesideIt)
{
    const OddValue& c = GetParam();
    const std::wstring valid = folder(L"valid8"), odd = folder(L"odd17");
    makeRuntime(valid, {L"client"});
    makeRuntime(odd, {L"server"});
    ::SetEnvironmentVariableW(kExpandVariable, withoutBackslash(odd).c_str());
    const auto ini = launcherIniPath();
    ASSERT_TRUE(ini);
    writeUnicodeFileAt(*ini, L"[Java Runtime Environment]\r\nMain Class=a.Main\r\n");

    for (const ScannedKey& scanned : kScannedKeys) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(scanned.in(kNative))));
        removeRegisteredRuntimes();
        registerValue(kNative, L"Software\\JavaSoft\\Java Runtime Environment\\1.8.0_131",
                      L"JavaHome", valid);
        registerRawValue(kNative, scanned.in(kNative), scanned.value, c.type, c.bytes(odd));
        Launcher launcher;
        ASSERT_TRUE(launcher.readSettings());
        ASSERT_TRUE(searchRuntime(launcher.settings, launcher.trace, launcher.runtime));
        EXPECT_EQ(launcher.runtime.jvmLibraryPath, c.namesTheRuntime ? odd + L"bin\\server\\jvm.dll"
                                                             : valid + L"bin\\client\\jvm.dll");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, OddRegistryValueTest,
    ::testing::Values(
        // Odd sizes and missing terminators: the value is read whole and cut
        // at its own end.
        OddValue{"string_of_3_bytes", REG_SZ,
                 [](const std::wstring&) { return utf16(L"C:\\", false).substr(0, 3); }, false},
        OddValue{"string_of_1_byte", REG_SZ, [](const std::wstring&) { return std::string("C"); },
                 false},
        OddValue{"binary_of_1_byte", REG_BINARY,
                 [](const std::wstring&) { return std::string("\x41", 1); }, false},
        OddValue{"path_and_a_control_byte", REG_SZ,
                 [](const std::wstring& runtime) {
                     return utf16(withoutBackslash(runtime), false) + '\x01';
                 },
                 false},
        OddValue{"path_and_a_letter_byte", REG_SZ,
                 [](const std::wstring& runtime) {
                     return utf16(withoutBackslash(runtime), false) + 'x';
                 },
                 false},
        OddValue{"path_terminator_and_a_stray_byte", REG_SZ,
                 [](const std::wstring& runtime) { return utf16(runtime, true) + '\x7f'; }, true},
        OddValue{"path_without_terminator", REG_SZ,
                 [](const std::wstring& runtime) { return utf16(runtime, false); }, true},
        OddValue{"terminator_only", REG_SZ,
                 [](const std::wstring&) { return std::string(2, '\0'); }, false},
        OddValue{"empty_string", REG_SZ, [](const std::wstring&) { return std::string(); }, false},
        OddValue{"path_of_70000_characters", REG_SZ,
                 [](const std::wstring&) { return utf16(std::wstring(70000, L'a'), true); }, false},
        // Types: strings are text, an expandable one expanded; the first
        // string of a multi-string stays what it always was.
        OddValue{"expandable_string", REG_EXPAND_SZ,
                 [](const std::wstring&) { return utf16(L"%VELMAR_TEST_ODD_RUNTIME%\\", true); },
                 true},
        OddValue{"multi_string", REG_MULTI_SZ,
                 [](const std::wstring& runtime) {
                     return utf16(runtime, true) + utf16(L"C:\\other\\", true) + std::string(2, '\0');
                 },
                 true},
        OddValue{"binary_holding_a_path", REG_BINARY,
                 [](const std::wstring& runtime) { return utf16(runtime, true); }, false},
        OddValue{"dword", REG_DWORD,
                 [](const std::wstring&) { return utf16(L"C:", false); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar
