#include "support/product_name.h"

#include "support/file_system.h"
#include "support/system_library.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace velmar {
namespace {

// US English in Unicode: the block's language when it lists none.
constexpr wchar_t kDefaultLanguage[] = L"040904b0";

struct Translation {
    WORD language;
    WORD codePage;
};

std::wstring hexWord(WORD value)
{
    constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text(4, L'0');
    for (int digit = 3; digit >= 0; --digit, value = static_cast<WORD>(value >> 4)) {
        text[static_cast<size_t>(digit)] = kDigits[value & 0xF];
    }
    return text;
}

class VersionLibrary {
public:
    VersionLibrary()
        : size_(systemFunction<decltype(&::GetFileVersionInfoSizeW)>(L"version.dll", "GetFileVersionInfoSizeW")),
          info_(systemFunction<decltype(&::GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW")),
          query_(systemFunction<decltype(&::VerQueryValueW)>(L"version.dll", "VerQueryValueW"))
    {
    }

    bool usable() const { return size_ != nullptr && info_ != nullptr && query_ != nullptr; }

    // The program file's whole version resource.
    std::vector<BYTE> blockOf(const std::wstring& path) const
    {
        DWORD ignored = 0;
        const DWORD size = size_(path.c_str(), &ignored);
        std::vector<BYTE> block(size);
        if (size == 0 || !info_(path.c_str(), 0, size, block.data())) {
            block.clear();
        }
        return block;
    }

    // A value of the block and its length in bytes, or null.
    const void* value(std::vector<BYTE>& block, const std::wstring& name, UINT& length) const
    {
        void* found = nullptr;
        length = 0;
        return query_(block.data(), name.c_str(), &found, &length) ? found : nullptr;
    }

private:
    decltype(&::GetFileVersionInfoSizeW) size_;
    decltype(&::GetFileVersionInfoW) info_;
    decltype(&::VerQueryValueW) query_;
};

}  // namespace

std::wstring runningProductName()
{
    const VersionLibrary library;
    DWORD error = 0;
    const std::optional<std::wstring> path = moduleFilePath(nullptr, error);
    if (!library.usable() || !path) {
        return {};
    }
    std::vector<BYTE> block = library.blockOf(*path);
    if (block.empty()) {
        return {};
    }
    UINT length = 0;
    std::wstring language = kDefaultLanguage;
    if (const auto* translation = static_cast<const Translation*>(
            library.value(block, L"\\VarFileInfo\\Translation", length));
        translation != nullptr && length >= sizeof(Translation)) {
        language = hexWord(translation->language) + hexWord(translation->codePage);
    }
    const auto* name = static_cast<const wchar_t*>(
        library.value(block, L"\\StringFileInfo\\" + language + L"\\ProductName", length));
    // The length counts characters here; the terminator is not trusted.
    return name != nullptr ? std::wstring(name, ::wcsnlen(name, length)) : std::wstring();
}

}  // namespace velmar
