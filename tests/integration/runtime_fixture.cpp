#include "runtime_fixture.h"

#include "disposable_machine.h"
#include "pe_image.h"

#include <array>
#include <stdexcept>

namespace velmar::testing {

namespace {

// Roots owned by the tests: vendor keys no Wine prefix has of its own.
constexpr std::array<std::wstring_view, 9> kVendorRoots = {
    L"Software\\JavaSoft",        L"Software\\JRockit",     L"Software\\IBM",
    L"Software\\Eclipse Adoptium", L"Software\\AdoptOpenJDK", L"Software\\Microsoft\\JDK",
    L"Software\\Azul Systems",    L"Software\\BellSoft",    L"Software\\Semeru",
};

// Every change to HKLM passes here, so that not even a test written
// without the fixture can wipe a developer's registrations.
void requireDisposableRegistry()
{
    const std::string refusal = registryRefusal();
    if (!refusal.empty()) {
        throw std::runtime_error(refusal);
    }
}

// Checked once before the first test: a refusal fails the run with its
// reason, and no test runs.
class DisposableRegistryCheck : public ::testing::Environment {
public:
    void SetUp() override
    {
        const std::string refusal = registryRefusal();
        ASSERT_TRUE(refusal.empty()) << refusal;
    }
};

[[maybe_unused]] ::testing::Environment* const kDisposableRegistryCheck =
    ::testing::AddGlobalTestEnvironment(new DisposableRegistryCheck);

}  // namespace

WORD nativeMachine()
{
    return kThisBuild.relaunchWhenI386 ? kAmd64 : kI386;
}

WORD otherMachine()
{
    return kThisBuild.relaunchWhenI386 ? kI386 : kAmd64;
}

void makeRuntime(const std::wstring& home, std::initializer_list<std::wstring_view> vmFolders,
                 bool withJavaDll, WORD machine)
{
    for (std::wstring_view vm : vmFolders) {
        writeFileAt(home + L"bin\\" + std::wstring(vm) + L"\\jvm.dll", peImage(machine));
    }
    if (withJavaDll) {
        writeFileAt(home + L"bin\\java.dll", peImage(machine));
    }
}

REGSAM viewFlag(RegistryView view)
{
    return view == RegistryView::bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

void registerValue(RegistryView view, const std::wstring& key, const std::wstring& valueName,
                   const std::wstring& data)
{
    const auto* text = reinterpret_cast<const char*>(data.c_str());
    registerRawValue(view, key, valueName, REG_SZ,
                     std::string(text, (data.size() + 1) * sizeof(wchar_t)));
}

void registerRawValue(RegistryView view, const std::wstring& key, const std::wstring& valueName,
                      DWORD type, const std::string& bytes)
{
    requireDisposableRegistry();
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS | viewFlag(view), nullptr, &handle,
                          nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create a registry key");
    }
    const LSTATUS status =
        ::RegSetValueExW(handle, valueName.c_str(), 0, type,
                         reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(handle);
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error("cannot write a registry value");
    }
}

void removeRegisteredRuntimes()
{
    requireDisposableRegistry();
    for (RegistryView view : {RegistryView::bits64, RegistryView::bits32}) {
        for (std::wstring_view root : kVendorRoots) {
            const std::wstring path(root);
            const size_t slash = path.rfind(L'\\');
            HKEY parent = nullptr;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.substr(0, slash).c_str(), 0,
                                KEY_ALL_ACCESS | viewFlag(view), &parent) != ERROR_SUCCESS) {
                continue;
            }
            ::RegDeleteTreeW(parent, path.substr(slash + 1).c_str());
            ::RegCloseKey(parent);
        }
    }
}

}  // namespace velmar::testing
