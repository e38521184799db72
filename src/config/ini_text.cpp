#include "config/ini_text.h"

#include "support/text.h"

#include <windows.h>

#include <algorithm>
#include <optional>

namespace velmar {

namespace {

constexpr std::wstring_view kBlanks = L" \t";
// What the profile API cuts from both ends of a line; 0x1A is the
// end-of-file mark old editors leave.
constexpr std::wstring_view kLineBlanks = L" \t\r\v\f\x1A";

struct Line {
    size_t begin;  // first character
    size_t end;    // one past the last, before "\n"
};

std::vector<Line> linesOf(std::wstring_view text)
{
    std::vector<Line> lines;
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find(L'\n', begin);
        if (end == std::wstring_view::npos) {
            end = text.size();
        }
        lines.push_back({begin, end});
        begin = end + 1;
    }
    return lines;
}

std::wstring_view lineTrimmed(std::wstring_view line)
{
    const size_t first = line.find_first_not_of(kLineBlanks);
    if (first == std::wstring_view::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(kLineBlanks) - first + 1);
}

// The name of a section header line: from its "[" to its last "]"; a line
// without "]" is no header. Nothing when the line is not a header.
std::optional<std::wstring_view> headerName(std::wstring_view line)
{
    const std::wstring_view content = lineTrimmed(line);
    const size_t closing = content.rfind(L']');
    if (content.empty() || content.front() != L'[' || closing == std::wstring_view::npos || closing == 0) {
        return std::nullopt;
    }
    return trimmedBlanks(content.substr(1, closing - 1));
}

// An entry line as the section's list holds it; nothing for a blank line
// or a comment.
std::optional<std::wstring_view> entryLine(std::wstring_view line)
{
    const std::wstring_view content = lineTrimmed(line);
    if (content.empty() || content.front() == L';') {
        return std::nullopt;
    }
    return content;
}

// Bytes of a sequence after a lead byte, and the smallest code point it
// may encode (smaller is overlong); 0 for a byte that cannot lead.
struct LeadByte {
    int continuations;
    char32_t minimum;
};

LeadByte leadOf(unsigned char byte)
{
    if (byte < 0x80) {
        return {0, 0};
    }
    if (byte >= 0xC2 && byte <= 0xDF) {
        return {1, 0x80};
    }
    if (byte >= 0xE0 && byte <= 0xEF) {
        return {2, 0x800};
    }
    if (byte >= 0xF0 && byte <= 0xF4) {
        return {3, 0x10000};
    }
    return {-1, 0};
}

}  // namespace

namespace {

// The code point of the sequence at `at` and its length; nothing when the
// bytes there are not a well-formed sequence.
std::optional<std::pair<char32_t, size_t>> codePointAt(std::string_view bytes, size_t at)
{
    const LeadByte lead = leadOf(static_cast<unsigned char>(bytes[at]));
    if (lead.continuations < 0 || bytes.size() - at <= static_cast<size_t>(lead.continuations)) {
        return std::nullopt;
    }
    char32_t code = static_cast<unsigned char>(bytes[at]) & (0x7F >> lead.continuations);
    for (int k = 1; k <= lead.continuations; ++k) {
        const auto next = static_cast<unsigned char>(bytes[at + k]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < lead.minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return std::nullopt;
    }
    return std::pair{code, static_cast<size_t>(lead.continuations) + 1};
}

}  // namespace

std::optional<std::wstring> decodeUtf8(std::string_view bytes, bool replaceInvalid)
{
    std::wstring text;
    text.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        const auto sequence = codePointAt(bytes, at);
        if (!sequence) {
            if (!replaceInvalid) {
                return std::nullopt;
            }
            text.push_back(L'\xFFFD');
            ++at;
            continue;
        }
        const auto [code, length] = *sequence;
        if (code >= 0x10000) {
            text.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
            text.push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            text.push_back(static_cast<wchar_t>(code));
        }
        at += length;
    }
    return text;
}

IniEncoding detectIniEncoding(std::string_view bytes)
{
    if (bytes.empty()) {
        return IniEncoding::kEmpty;
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return IniEncoding::kUtf16Le;
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return IniEncoding::kUtf16Be;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return IniEncoding::kUtf8WithMark;
    }
    if (std::none_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) > 127; })) {
        return IniEncoding::kAscii;
    }
    return decodeUtf8(bytes) ? IniEncoding::kUtf8 : IniEncoding::kAnsi;
}

std::wstring utf8FileText(std::string_view bytes, IniEncoding encoding)
{
    const size_t mark = encoding == IniEncoding::kUtf8WithMark ? 3 : 0;
    return *decodeUtf8(bytes.substr(mark), true);
}

std::wstring_view iniEncodingName(IniEncoding encoding)
{
    switch (encoding) {
    case IniEncoding::kEmpty:
        return L"empty";
    case IniEncoding::kAscii:
        return L"no byte-order mark, ASCII only, read in the ANSI code page";
    case IniEncoding::kAnsi:
        return L"no byte-order mark, not UTF-8, read in the ANSI code page";
    case IniEncoding::kUtf8:
        return L"UTF-8 without byte-order mark";
    case IniEncoding::kUtf8WithMark:
        return L"UTF-8 with byte-order mark";
    case IniEncoding::kUtf16Le:
        return L"UTF-16 little-endian with byte-order mark";
    case IniEncoding::kUtf16Be:
        return L"UTF-16 big-endian with byte-order mark";
    }
    return L"unknown";
}

std::wstring_view trimmedBlanks(std::wstring_view text)
{
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::wstring_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::pair<std::wstring, std::wstring> parseEntryLine(std::wstring_view line)
{
    const size_t equals = line.find(L'=');
    std::wstring_view key = trimmedBlanks(line.substr(0, equals));
    std::wstring_view value =
        equals == std::wstring_view::npos ? std::wstring_view() : trimmedBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return {std::wstring(key), std::wstring(value)};
}

std::vector<IniTextSection> parseIniText(std::wstring_view text)
{
    std::vector<IniTextSection> sections;
    for (const Line& line : linesOf(text)) {
        const std::wstring_view content = text.substr(line.begin, line.end - line.begin);
        if (const std::optional<std::wstring_view> name = headerName(content)) {
            sections.push_back({std::wstring(*name), {}});
        } else if (const std::optional<std::wstring_view> entry = entryLine(content); entry && !sections.empty()) {
            sections.back().entries.push_back(parseEntryLine(*entry));
        }
    }
    return sections;
}

namespace {

// The text with [from, to) replaced by the insertion.
std::wstring spliced(std::wstring_view text, size_t from, size_t to, std::wstring_view insertion)
{
    std::wstring result;
    result.reserve(text.size() + insertion.size());
    result.append(text.substr(0, from)).append(insertion).append(text.substr(to));
    return result;
}

}  // namespace

std::wstring withIniEntry(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                          std::wstring_view value)
{
    std::wstring newLine(key);
    newLine.append(L"=").append(value);
    const std::wstring_view wantedSection = trimmedBlanks(section);
    const std::wstring_view wantedKey = trimmedBlanks(key);
    bool inSection = false;
    std::optional<size_t> insertAt;  // after the section's last line that is not blank
    for (const Line& line : linesOf(text)) {
        const std::wstring_view content = text.substr(line.begin, line.end - line.begin);
        if (const std::optional<std::wstring_view> name = headerName(content)) {
            if (inSection) {
                break;  // only the first occurrence is read, so only it is written
            }
            inSection = equalsIgnoringCaseOrdinal(*name, wantedSection);
            if (inSection) {
                insertAt = line.end;
            }
            continue;
        }
        if (!inSection || lineTrimmed(content).empty()) {
            continue;
        }
        // After comments too: a comment above the section's end stays there.
        insertAt = line.end;
        const std::optional<std::wstring_view> entry = entryLine(content);
        if (entry && equalsIgnoringCaseOrdinal(parseEntryLine(*entry).first, wantedKey)) {
            // Keep the line's own "\r" so its ending stays as it was.
            return spliced(text, line.begin, content.ends_with(L'\r') ? line.end - 1 : line.end, newLine);
        }
    }
    if (insertAt && *insertAt < text.size()) {
        // After the "\n" that ends the section's last line.
        return spliced(text, *insertAt + 1, *insertAt + 1, newLine + L"\r\n");
    }
    if (insertAt) {
        return spliced(text, text.size(), text.size(), L"\r\n" + newLine + L"\r\n");
    }
    std::wstring added = !text.empty() && text.back() != L'\n' ? L"\r\n[" : L"[";
    added.append(section).append(L"]\r\n").append(newLine).append(L"\r\n");
    return spliced(text, text.size(), text.size(), added);
}

}  // namespace velmar
