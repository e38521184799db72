// The names of an installation's objects. The block and its message are
// named by the program path as every build has named them; registered
// messages are atoms of at most 255 characters, so a path longer than that
// gets a name of fixed length, a hash of the whole path, which every start
// of the same program computes alike.
#include "instance/single_instance.h"

#include <algorithm>
#include <cstdint>

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

// Sixteen hex digits written out by hand: the C runtime's formatting would
// bring its whole printf machinery into the program for them.
std::wstring hashedName(std::wstring_view text)
{
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    const uint64_t hash = pathHash(text);
    std::wstring name = L"velmar-instance-";
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += kDigits[(hash >> shift) & 0xF];
    }
    return name;
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
