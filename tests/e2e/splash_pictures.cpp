#include "splash_pictures.h"

#include <cstdint>

namespace velmar::e2e {

namespace {

void put16(std::string& bytes, uint16_t value)
{
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8);
}

void put32(std::string& bytes, uint32_t value)
{
    put16(bytes, static_cast<uint16_t>(value & 0xFFFF));
    put16(bytes, static_cast<uint16_t>(value >> 16));
}

constexpr uint32_t kHeadersSize = 14 + 40;

uint32_t rowSize(int width)
{
    return (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
}

std::string bmpHeaders(int width, int height)
{
    const uint32_t pixels = rowSize(width) * static_cast<uint32_t>(height);
    std::string bytes = "BM";
    put32(bytes, kHeadersSize + pixels);
    put32(bytes, 0);
    put32(bytes, kHeadersSize);
    put32(bytes, 40);
    put32(bytes, static_cast<uint32_t>(width));
    put32(bytes, static_cast<uint32_t>(height));
    put16(bytes, 1);   // planes
    put16(bytes, 24);  // bits per pixel
    put32(bytes, 0);   // BI_RGB
    put32(bytes, pixels);
    put32(bytes, 2835);  // 72 dpi
    put32(bytes, 2835);
    put32(bytes, 0);
    put32(bytes, 0);
    return bytes;
}

}  // namespace

std::string bmpPicture(int width, int height, COLORREF colour)
{
    std::string row;
    for (int x = 0; x < width; ++x) {
        row += static_cast<char>(GetBValue(colour));
        row += static_cast<char>(GetGValue(colour));
        row += static_cast<char>(GetRValue(colour));
    }
    row.resize(rowSize(width), '\0');
    std::string bytes = bmpHeaders(width, height);
    bytes.reserve(bytes.size() + row.size() * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        bytes += row;
    }
    return bytes;
}

std::string truncatedBmpPicture(int width, int height)
{
    return bmpHeaders(width, height);
}

}  // namespace velmar::e2e
