// What the runtime-search tests build on the real platform: runtime folders
// with VM libraries in chosen layouts, hand-made PE files, and runtimes
// registered under HKLM in either registry view, all removed again.
#pragma once

#include "runtime/build_traits.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string>
#include <string_view>

namespace velmar::testing {

// The machine of the build under test, and that of the other build.
WORD nativeMachine();
WORD otherMachine();

// A runtime folder: "bin\<vm>\jvm.dll" for each VM folder named (a PE image
// for `machine`), and "bin\java.dll" when asked.
void makeRuntime(const std::wstring& home, std::initializer_list<std::wstring_view> vmFolders,
                 bool withJavaDll = false, WORD machine = nativeMachine());

REGSAM viewFlag(RegistryView view);

// Creates HKLM\<key> in a view with one string value.
void registerValue(RegistryView view, const std::wstring& key, const std::wstring& valueName,
                   const std::wstring& data);

// Creates HKLM\<key> in a view with one value of any type and size, as
// the registry stores it: no terminator is added.
void registerRawValue(RegistryView view, const std::wstring& key, const std::wstring& valueName,
                      DWORD type, const std::string& bytes);

// Removes every vendor key the tests may create, in both views, so each
// test starts from a registry without Java runtimes.
void removeRegisteredRuntimes();

// A fresh temporary folder, and a registry without runtimes before and after
// every test, even one that failed.
class RuntimeFolderTest : public ::testing::Test {
protected:
    void SetUp() override { removeRegisteredRuntimes(); }
    void TearDown() override { removeRegisteredRuntimes(); }

    std::wstring folder(const std::wstring& name) const { return temp_ / name + L"\\"; }

    TempFolder temp_;
};

}  // namespace velmar::testing
