// The record the tests read, the loud failures, and the text encodings the
// runtime needs. Each record line is appended with its own open and close,
// so what was written survives ExitProcess and a crash of the host.
#include "stub_jvm.h"

#include <iterator>

namespace stub {
namespace {

std::mutex& recordLock()
{
    static auto* lock = new std::mutex;  // never destroyed: threads may still log at exit
    return *lock;
}

std::wstring recordPath()
{
    std::wstring path(32767, L'\0');
    DWORD length = ::GetEnvironmentVariableW(L"VELMAR_STUB_RECORD", path.data(), path.size());
    path.resize(length < path.size() ? length : 0);
    return path;
}

[[noreturn]] void failLoudly(std::string_view key, std::string_view what, UINT exitCode)
{
    record(key, what);
    std::string text = "velmar stub jvm: " + std::string(key) + ": " + std::string(what) + "\r\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::ExitProcess(exitCode);
}

}  // namespace

void record(std::string_view key, std::string_view value)
{
    std::wstring path = recordPath();
    if (path.empty()) {
        return;
    }
    std::string line(key);
    line += '=';
    for (char c : value) {
        line += (c == '\n' || c == '\r') ? '?' : c;  // one event, one line
    }
    line += '\n';
    std::lock_guard hold(recordLock());
    velmar::UniqueFile file(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) {
        ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}

void recordCall(std::string_view text)
{
    record("call", text);
}

void failUnexpected(std::string_view what)
{
    failLoudly("unexpected", what, kUnexpectedCallExit);
}

void failViolation(std::string_view what)
{
    failLoudly("violation", what, kViolationExit);
}

std::string hexBytes(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0xF];
    }
    return hex;
}

std::string hexUnits(std::u16string_view units)
{
    std::string hex;
    for (char16_t unit : units) {
        hex += hexBytes(std::string{static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)});
    }
    return hex;
}

std::string utf8(std::u16string_view units)
{
    auto* wide = reinterpret_cast<const wchar_t*>(units.data());
    int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(units.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(units.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::u16string widen(std::string_view text, UINT codePage)
{
    int size = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string units(size, u'\0');
    ::MultiByteToWideChar(
        codePage, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(units.data()), size);
    return units;
}

// JNI's own UTF-8: NUL as C0 80, and every UTF-16 unit, surrogates
// included, on its own (one to three bytes).
std::string modifiedUtf8(std::u16string_view units)
{
    std::string bytes;
    for (char16_t u : units) {
        if (u != 0 && u < 0x80) {
            bytes += static_cast<char>(u);
        } else if (u < 0x800) {
            bytes += static_cast<char>(0xC0 | u >> 6);
            bytes += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            bytes += static_cast<char>(0xE0 | u >> 12);
            bytes += static_cast<char>(0x80 | (u >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return bytes;
}

std::u16string fromModifiedUtf8(std::string_view bytes)
{
    std::u16string units;
    for (size_t i = 0; i < bytes.size();) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        auto trail = [&](size_t k) { return i + k < bytes.size() ? bytes[i + k] & 0x3F : 0; };
        if (lead < 0x80) {
            units += static_cast<char16_t>(lead);
            i += 1;
        } else if (lead < 0xE0) {
            units += static_cast<char16_t>((lead & 0x1F) << 6 | trail(1));
            i += 2;
        } else {
            units += static_cast<char16_t>((lead & 0x0F) << 12 | trail(1) << 6 | trail(2));
            i += 3;
        }
    }
    return units;
}

}  // namespace stub
