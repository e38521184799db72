#include "support/trace.h"

#include "support/text.h"

namespace velmar {

void TracePiece::appendTo(std::wstring& line) const
{
    if ((size_ & kNarrow) != 0) {
        const char* ascii = static_cast<const char*>(data_);
        line.append(ascii, ascii + (size_ & ~kNarrow));
    } else {
        line.append(static_cast<const wchar_t*>(data_), size_);
    }
}

std::string traceLine(DWORD processId, std::wstring_view stage, TracePieces text)
{
    std::wstring line = L"[" + decimalText(processId) + L"] ";
    line += stage;
    line += L": ";
    const size_t start = line.size();
    for (const TracePiece& piece : text) {
        piece.appendTo(line);
    }
    for (size_t i = start; i < line.size(); ++i) {
        if (line[i] == L'\r' || line[i] == L'\n') {
            line[i] = L' ';
        }
    }
    line += L"\r\n";
    return toUtf8(line);
}

Trace Trace::fromEnvironment()
{
    const DWORD size = ::GetEnvironmentVariableW(kTraceVariable, nullptr, 0);
    if (size <= 1) {
        return {};
    }
    std::wstring path(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(kTraceVariable, path.data(), size);
    if (length == 0 || length >= size) {
        return {};
    }
    path.resize(length);
    // Appending only: every write lands at the file's end, whoever else
    // writes to it, so the writers need no lock between them.
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    return Trace(file);
}

void Trace::line(std::wstring_view stage, TracePieces text) const
{
    if (!file_) {
        return;
    }
    const std::string bytes = traceLine(processId_, stage, text);
    DWORD written = 0;
    ::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace velmar
