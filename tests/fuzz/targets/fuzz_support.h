// What every fuzz target shares: the input read as the launcher's texts,
// and a check whose failure the fuzzer reports like a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace velmar::fuzz {

// The bytes as UTF-16 text, two bytes (low first) to a unit, each unit in
// one wchar_t as on Windows; an odd last byte is not used.
inline std::wstring utf16Text(const uint8_t* data, size_t size)
{
    std::wstring text;
    text.reserve(size / 2);
    for (size_t at = 0; at + 1 < size; at += 2) {
        text.push_back(static_cast<wchar_t>(data[at] | (data[at + 1] << 8)));
    }
    return text;
}

inline std::wstring utf16Text(const std::string& bytes)
{
    return utf16Text(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

[[noreturn]] inline void failed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
    std::abort();
}

}  // namespace velmar::fuzz

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::velmar::fuzz::failed(#condition, __FILE__, __LINE__))
