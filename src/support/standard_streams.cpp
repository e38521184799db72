#include "support/standard_streams.h"

#include <windows.h>

namespace velmar {
namespace {

constexpr size_t kPieceCharacters = 256;

bool isOpen(HANDLE handle) noexcept
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE handle, std::string_view bytes) noexcept
{
    DWORD written = 0;
    for (; !bytes.empty(); bytes.remove_prefix(written)) {
        if (!::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
            || written == 0) {
            return false;
        }
    }
    return true;
}

// Every "\n" as "\r\n", as a C runtime's text mode writes it.
bool writeTextMode(HANDLE handle, std::string_view bytes) noexcept
{
    for (;;) {
        const size_t lineEnd = bytes.find('\n');
        if (!writeAll(handle, bytes.substr(0, lineEnd))) {
            return false;
        }
        if (lineEnd == std::string_view::npos) {
            return true;
        }
        if (!writeAll(handle, "\r\n")) {
            return false;
        }
        bytes.remove_prefix(lineEnd + 1);
    }
}

class ErrorStream {
public:
    ErrorStream() noexcept : handle_(::GetStdHandle(STD_ERROR_HANDLE))
    {
        DWORD mode = 0;
        console_ = usable() && ::GetConsoleMode(handle_, &mode) != FALSE;
        const UINT outputCodePage = ::GetConsoleOutputCP();
        codePage_ = outputCodePage != 0 ? outputCodePage : CP_ACP;
    }

    bool usable() const noexcept { return isOpen(handle_); }

    // Text without line breaks, in pieces that fit the buffers below.
    bool write(std::wstring_view text) noexcept
    {
        while (!text.empty()) {
            const size_t length = pieceLength(text, kPieceCharacters);
            if (!writePiece(text.substr(0, length))) {
                return false;
            }
            text.remove_prefix(length);
        }
        return true;
    }

    // A console takes the line break as text; a pipe or a file gets it
    // from the text-mode writer, as the text's bytes.
    bool endLine() noexcept { return console_ ? writePiece(L"\r\n") : writeTextMode(handle_, "\n"); }

private:
    bool writePiece(std::wstring_view piece) noexcept
    {
        const DWORD count = static_cast<DWORD>(piece.size());
        if (console_) {
            DWORD written = 0;
            return ::WriteConsoleW(handle_, piece.data(), count, &written, nullptr) != FALSE;
        }
        // At most four bytes a UTF-16 unit, in any code page Windows has.
        char bytes[kPieceCharacters * 4];
        const int size = ::WideCharToMultiByte(codePage_, 0, piece.data(), static_cast<int>(count), bytes,
                                               static_cast<int>(sizeof bytes), nullptr, nullptr);
        return size > 0 && writeTextMode(handle_, std::string_view(bytes, static_cast<size_t>(size)));
    }

    HANDLE handle_;
    bool console_ = false;
    UINT codePage_ = CP_ACP;
};

UniqueHandle inheritableCopy(DWORD which)
{
    const HANDLE original = ::GetStdHandle(which);
    HANDLE copy = nullptr;
    if (!isOpen(original)
        || !::DuplicateHandle(::GetCurrentProcess(), original, ::GetCurrentProcess(), &copy, 0, TRUE,
                              DUPLICATE_SAME_ACCESS)) {
        return UniqueHandle();
    }
    return UniqueHandle(copy);
}

}  // namespace

InheritableStandardHandles::InheritableStandardHandles()
    : input_(inheritableCopy(STD_INPUT_HANDLE)),
      output_(inheritableCopy(STD_OUTPUT_HANDLE)),
      error_(inheritableCopy(STD_ERROR_HANDLE))
{
}

void InheritableStandardHandles::passTo(STARTUPINFOW& startup) const
{
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = input_.get();
    startup.hStdOutput = output_.get();
    startup.hStdError = error_.get();
}

bool isConsoleProgram() noexcept
{
    // The program's own image, mapped by the loader: its headers are sound.
    const auto* base = reinterpret_cast<const BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return headers->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

size_t pieceLength(std::wstring_view text, size_t limit) noexcept
{
    if (text.size() <= limit) {
        return text.size();
    }
    const wchar_t last = text[limit - 1];
    const bool cutsPair = limit > 1 && last >= 0xD800 && last <= 0xDBFF;
    return cutsPair ? limit - 1 : limit;
}

bool writeStandardError(std::wstring_view text) noexcept
{
    ErrorStream stream;
    if (!stream.usable()) {
        return false;
    }
    // Several messages end in a line break of their own, for the box.
    while (text.ends_with(L'\n') || text.ends_with(L'\r')) {
        text.remove_suffix(1);
    }
    for (;;) {
        const size_t end = text.find(L'\n');
        std::wstring_view line = text.substr(0, end);
        if (line.ends_with(L'\r')) {
            line.remove_suffix(1);
        }
        if (!stream.write(line) || !stream.endLine()) {
            return false;
        }
        if (end == std::wstring_view::npos) {
            return true;
        }
        text.remove_prefix(end + 1);
    }
}

bool writeStandardErrorBytes(std::string_view bytes) noexcept
{
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    return isOpen(error) && writeTextMode(error, bytes);
}

}  // namespace velmar
