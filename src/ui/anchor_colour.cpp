#include "ui/anchor_colour.h"

#include <cwchar>
#include <string>

namespace velmar {

std::optional<COLORREF> parseAnchorColour(DWORD type, std::span<const BYTE> data)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return std::nullopt;
    }
    const size_t chars = data.size() / kColourUnitBytes;
    if (data.size() % kColourUnitBytes != 0 || chars == 0 || chars > kMaxColourChars) {
        return std::nullopt;
    }
    std::wstring text(chars, L'\0');
    for (size_t i = 0; i < chars; ++i) {
        const unsigned high = data[2 * i + 1];
        text[i] = static_cast<wchar_t>(data[2 * i] | (high << 8));
    }
    if (text.back() != L'\0') {
        return std::nullopt;
    }
    text.pop_back();
    const size_t firstComma = text.find(L',');
    const size_t secondComma =
        firstComma == std::wstring::npos ? std::wstring::npos : text.find(L',', firstComma + 1);
    if (secondComma == std::wstring::npos || secondComma + 1 == text.size()) {
        return std::nullopt;
    }
    const int red = static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
    const int green = static_cast<int>(std::wcstol(text.c_str() + firstComma + 1, nullptr, 10));
    const int blue = static_cast<int>(std::wcstol(text.c_str() + secondComma + 1, nullptr, 10));
    if (red == -1 || green == -1) {
        return std::nullopt;
    }
    return RGB(red & 0xFF, green & 0xFF, blue & 0xFF);
}

}  // namespace velmar
