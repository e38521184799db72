#include "instance/argument_block.h"

#include "support/text.h"

#include <cstring>

namespace velmar {

namespace {

// The block holds UTF-16 units of two bytes each, also where a wchar_t is
// wider (the parsers' native build).
constexpr size_t kUnitBytes = sizeof(uint16_t);

// The reader stops two bytes short of the block's end, where the last unit
// it may look ahead to lies.
constexpr size_t kScanEnd = 2090 - offsetof(InstanceArea, argumentBlock);

// This build's fields, after the part every writer keeps to.
constexpr size_t kServingMarkOffset = kArgumentBlockLimit;
constexpr size_t kOverflowRequesterOffset = kArgumentBlockLimit + 4;
constexpr size_t kOverflowBytesOffset = kArgumentBlockLimit + 8;
// "VLM1": the first instance answers with this build's messages.
constexpr uint32_t kServingMark = 0x314D4C56;

wchar_t unitAt(const uint8_t* bytes, size_t offset)
{
    uint16_t unit = 0;
    std::memcpy(&unit, bytes + offset, sizeof unit);
    return static_cast<wchar_t>(unit);
}

uint32_t fieldAt(const InstanceArea& area, size_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, area.argumentBlock + offset, sizeof value);
    return value;
}

void putField(InstanceArea& area, size_t offset, uint32_t value)
{
    std::memcpy(area.argumentBlock + offset, &value, sizeof value);
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
    const std::vector<uint8_t> bytes = encodeArgumentList(arguments);
    std::memcpy(area.argumentBlock, bytes.data(), bytes.size());
    return true;
}

std::vector<std::wstring> readArgumentBlock(const InstanceArea& area)
{
    return readArgumentList(area.argumentBlock, kScanEnd + kUnitBytes);
}

std::vector<std::wstring> readArgumentList(const uint8_t* bytes, size_t size)
{
    std::vector<std::wstring> strings;
    std::wstring current;
    // The last unit is only looked ahead to.
    const size_t scanEnd = size < 2 * kUnitBytes ? 0 : size - kUnitBytes;
    for (size_t offset = 0; offset < scanEnd; offset += kUnitBytes) {
        const wchar_t unit = unitAt(bytes, offset);
        if (unit != L'\0') {
            current.push_back(unit);
            continue;
        }
        strings.push_back(std::move(current));
        current.clear();
        if (unitAt(bytes, offset + kUnitBytes) == L'\0') {
            break;
        }
    }
    return strings;
}

std::vector<uint8_t> encodeArgumentList(const std::vector<std::wstring>& arguments)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(argumentBlockSize(arguments));
    for (const std::wstring& argument : arguments) {
        for (const wchar_t character : argument) {
            bytes.push_back(static_cast<uint8_t>(character & 0xFF));
            bytes.push_back(static_cast<uint8_t>((character >> 8) & 0xFF));
        }
        bytes.insert(bytes.end(), kUnitBytes, 0);
    }
    bytes.insert(bytes.end(), kUnitBytes, 0);
    return bytes;
}

void markServingBuild(InstanceArea& area)
{
    putField(area, kServingMarkOffset, kServingMark);
}

bool servedByThisBuild(const InstanceArea& area)
{
    return fieldAt(area, kServingMarkOffset) == kServingMark;
}

void announceOverflow(InstanceArea& area, uint32_t requesterThreadId, uint32_t bytes)
{
    std::memset(area.argumentBlock, 0, kArgumentBlockLimit);
    putField(area, kOverflowRequesterOffset, requesterThreadId);
    putField(area, kOverflowBytesOffset, bytes);
}

void clearOverflow(InstanceArea& area)
{
    putField(area, kOverflowRequesterOffset, 0);
    putField(area, kOverflowBytesOffset, 0);
}

uint32_t overflowAnnounced(const InstanceArea& area, uint32_t requesterThreadId)
{
    const uint32_t requester = fieldAt(area, kOverflowRequesterOffset);
    return requester != 0 && requester == requesterThreadId ? fieldAt(area, kOverflowBytesOffset) : 0;
}

std::wstring overflowMappingSuffix(uint32_t requesterThreadId)
{
    return L"_args_" + decimalText(requesterThreadId);
}

}  // namespace velmar
