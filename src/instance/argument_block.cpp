#include "instance/argument_block.h"

#include <cstring>

namespace velmar {

namespace {

// The reader stops two bytes short of the block's end, where the last unit
// it may look ahead to lies.
constexpr size_t kScanEnd = 2090 - offsetof(InstanceArea, argumentBlock);

wchar_t unitAt(const InstanceArea& area, size_t offset)
{
    uint16_t unit = 0;
    std::memcpy(&unit, area.argumentBlock + offset, sizeof unit);
    return static_cast<wchar_t>(unit);
}

}  // namespace

size_t argumentBlockSize(const std::vector<std::wstring>& arguments)
{
    size_t total = sizeof(wchar_t);
    for (const std::wstring& argument : arguments) {
        total += sizeof(wchar_t) * (argument.size() + 1);
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
        const size_t bytes = sizeof(wchar_t) * argument.size();
        std::memcpy(area.argumentBlock + offset, argument.data(), bytes);
        offset += bytes + sizeof(wchar_t);
    }
    return true;
}

std::vector<std::wstring> readArgumentBlock(const InstanceArea& area)
{
    std::vector<std::wstring> strings;
    std::wstring current;
    for (size_t offset = 0; offset < kScanEnd; offset += sizeof(wchar_t)) {
        const wchar_t unit = unitAt(area, offset);
        if (unit != L'\0') {
            current.push_back(unit);
            continue;
        }
        strings.push_back(std::move(current));
        current.clear();
        if (unitAt(area, offset + sizeof(wchar_t)) == L'\0') {
            break;
        }
    }
    return strings;
}

}  // namespace velmar
