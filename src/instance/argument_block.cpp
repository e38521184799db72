#include "instance/argument_block.h"

#include <cstring>

namespace velmar {

namespace {

// The block holds UTF-16 units of two bytes each, also where a wchar_t is
// wider (the parsers' native build).
constexpr size_t kUnitBytes = sizeof(uint16_t);

// The reader stops two bytes short of the block's end, where the last unit
// it may look ahead to lies.
constexpr size_t kScanEnd = 2090 - offsetof(InstanceArea, argumentBlock);

wchar_t unitAt(const InstanceArea& area, size_t offset)
{
    uint16_t unit = 0;
    std::memcpy(&unit, area.argumentBlock + offset, sizeof unit);
    return static_cast<wchar_t>(unit);
}

void putUnit(InstanceArea& area, size_t offset, wchar_t character)
{
    const auto unit = static_cast<uint16_t>(character);
    std::memcpy(area.argumentBlock + offset, &unit, sizeof unit);
}

}  // namespace

size_t argumentBlockSize(const std::vector<std::wstring>& arguments)
{
    size_t total = kUnitBytes;
    for (const std::wstring& argument : arguments) {
        total += kUnitBytes * (argument.size() + 1);
    }
    return total;
}

bool writeArgumentBlock(InstanceArea& area, const std::vector<std::wstring>& arguments)
{
    if (argumentBlockSize(arguments) > kArgumentBlockLimit) {
        return false;
    }
    std::memset(area.argumentBlock, 0, kArgumentBlockLimit);
    size_t offset = 0;
    for (const std::wstring& argument : arguments) {
        for (wchar_t character : argument) {
            putUnit(area, offset, character);
            offset += kUnitBytes;
        }
        offset += kUnitBytes;
    }
    return true;
}

std::vector<std::wstring> readArgumentBlock(const InstanceArea& area)
{
    std::vector<std::wstring> strings;
    std::wstring current;
    for (size_t offset = 0; offset < kScanEnd; offset += kUnitBytes) {
        const wchar_t unit = unitAt(area, offset);
        if (unit != L'\0') {
            current.push_back(unit);
            continue;
        }
        strings.push_back(std::move(current));
        current.clear();
        if (unitAt(area, offset + kUnitBytes) == L'\0') {
            break;
        }
    }
    return strings;
}

}  // namespace velmar
