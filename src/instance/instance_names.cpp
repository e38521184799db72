// The names of an installation's objects. The block and its message are
// named by the program path as every build has named them; registered
// messages are atoms of at most 255 characters, so a path longer than that
// gets a name of fixed length, a hash of the whole path, which every start
// of the same program computes alike.
#include "instance/single_instance.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

namespace velmar {

namespace {

// The longest name RegisterWindowMessageW accepts.
constexpr size_t kAtomNameLimit = 255;

// 64-bit FNV-1a over the UTF-16 units: the same value in both builds.
uint64_t pathHash(std::wstring_view text)
{
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (const wchar_t unit : text) {
        for (const uint64_t byte : {uint64_t{unit} & 0xFFu, (uint64_t{unit} >> 8) & 0xFFu}) {
            hash ^= byte;
            hash *= 0x100000001b3ULL;
        }
    }
    return hash;
}

std::wstring hashedName(std::wstring_view text)
{
    wchar_t digits[17] = {};
    std::swprintf(digits, 17, L"%016llx", static_cast<unsigned long long>(pathHash(text)));
    return std::wstring(L"velmar-instance-") + digits;
}

}  // namespace

std::wstring instanceNameFor(std::wstring_view programPath)
{
    std::wstring name(programPath);
    std::replace(name.begin(), name.end(), L'\\', L'_');
    return name.size() <= kAtomNameLimit ? name : hashedName(name);
}

std::wstring instanceObjectName(const std::wstring& instanceName, std::wstring_view suffix)
{
    std::wstring name = instanceName;
    if (name.size() + suffix.size() > kAtomNameLimit) {
        name = hashedName(name);
    }
    return name.append(suffix);
}

}  // namespace velmar
