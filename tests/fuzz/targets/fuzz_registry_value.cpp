// A registry value read as a runtime's folder. The value's data and the
// answers of the query are scripted by the input, including a value that
// changes between the query of its size and the read. The query keeps
// RegQueryValueExW's contract: it never writes more than the buffer holds,
// and reports ERROR_MORE_DATA with the size needed when the buffer is too
// small.
#include "fuzz_support.h"
#include "runtime/registry_value.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cwchar>
#include <vector>

using namespace velmar;

// REG_EXPAND_SZ values are expanded; the process here has no variables
// that a value names, so every reference stays as written.
DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size)
{
    const size_t needed = std::wcslen(source) + 1;
    if (destination != nullptr && size >= needed) {
        std::wmemcpy(destination, source, needed);
    }
    return static_cast<DWORD>(needed);
}

namespace {

constexpr DWORD kTypes[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ};

struct ScriptedValue {
    FuzzedDataProvider& script;
    DWORD type = REG_SZ;
    std::vector<BYTE> bytes;
    int calls = 0;

    void change()
    {
        type = script.PickValueInArray(kTypes);
        const size_t length = script.ConsumeIntegralInRange<size_t>(0, 300);
        bytes = script.ConsumeBytes<BYTE>(length);
        if (script.ConsumeBool()) {
            bytes.resize(kLongestPathValue + script.ConsumeIntegralInRange<size_t>(0, 3), 'A');
        }
    }

    LSTATUS answer(DWORD* typeOut, BYTE* data, DWORD* size)
    {
        FUZZ_CHECK(++calls <= 2 * kValueReadAttempts);
        if (script.ConsumeBool() && script.ConsumeBool()) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (script.ConsumeBool()) {
            change();
        }
        *typeOut = type;
        const auto needed = static_cast<DWORD>(bytes.size());
        if (data == nullptr) {
            *size = needed;
            return ERROR_SUCCESS;
        }
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        std::copy(bytes.begin(), bytes.end(), data);
        *size = needed;
        return ERROR_SUCCESS;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider script(data, size);
    ScriptedValue value{script};
    value.change();

    const std::wstring text = textOfValue(value.type, value.bytes);
    FUZZ_CHECK(text.size() <= (value.bytes.size() + 1) / 2);
    FUZZ_CHECK(text.find(L'\0') == std::wstring::npos);

    const std::wstring folder = readFolderValue(
        [&value](DWORD* type, BYTE* bytes, DWORD* length) { return value.answer(type, bytes, length); });
    if (!folder.empty()) {
        FUZZ_CHECK(isUsablePath(folder));
        FUZZ_CHECK(folder.size() < kLongestPathValue / kValueUnitBytes);
    }
    return 0;
}
