#include "jvm/option_text.h"

#include <algorithm>

namespace velmar {

namespace {

constexpr wchar_t kBlank = L' ';
constexpr wchar_t kQuote = L'"';

size_t skipBlanks(std::wstring_view text, size_t at)
{
    while (at < text.size() && text[at] == kBlank) {
        ++at;
    }
    return at;
}

// Position of the last character of the quoted span opened at `open`, or
// npos when the quote has no partner.
size_t spanEnd(std::wstring_view text, size_t open)
{
    size_t close = text.find(kQuote, open + 1);
    if (close == std::wstring_view::npos) {
        return close;
    }
    return (close + 1 < text.size() && text[close + 1] == kQuote) ? close + 1 : close;
}

size_t tokenEnd(std::wstring_view text, size_t at)
{
    while (at < text.size() && text[at] != kBlank) {
        if (text[at] == kQuote) {
            size_t end = spanEnd(text, at);
            at = end == std::wstring_view::npos ? at + 1 : end + 1;
        } else {
            ++at;
        }
    }
    return at;
}

}  // namespace

std::vector<std::wstring> cutVmParameters(std::wstring_view text)
{
    std::vector<std::wstring> tokens;
    for (size_t start = skipBlanks(text, 0); start < text.size();) {
        size_t end = tokenEnd(text, start);
        tokens.emplace_back(text.substr(start, end - start));
        start = skipBlanks(text, end);
    }
    return tokens;
}

std::wstring removeQuotes(std::wstring_view token)
{
    std::wstring result(token);
    for (size_t at = result.find(kQuote); at != std::wstring::npos; at = result.find(kQuote, at)) {
        size_t end = spanEnd(result, at);
        if (end == std::wstring::npos) {
            break;
        }
        size_t close = result.find(kQuote, at + 1);
        std::wstring inside = result.substr(at + 1, close - at - 1);
        if (end != close) {
            inside.push_back(kQuote);
        }
        result.replace(at, end - at + 1, inside);
        at += inside.size();
    }
    return result;
}

std::vector<std::wstring> cutCmdPieces(std::wstring_view text)
{
    std::vector<std::wstring> pieces;
    size_t at = 0;
    do {
        if (at < text.size() && text[at] == kQuote) {
            size_t close = text.find(kQuote, at + 1);
            if (close == std::wstring_view::npos) {
                pieces.emplace_back(text.substr(at + 1));
                break;
            }
            pieces.emplace_back(text.substr(at + 1, close - at - 1));
            at = close + 1;
        } else {
            size_t blank = std::min(text.find(kBlank, at), text.size());
            pieces.emplace_back(text.substr(at, blank - at));
            at = blank;
        }
        at = skipBlanks(text, at);
    } while (at < text.size());
    return pieces;
}

namespace {

// The long options java's launcher joins with their value; the VM knows
// only the joined form.
constexpr std::wstring_view kSeparateValueOptions[] = {
    L"--add-opens",   L"--add-exports",       L"--add-reads",      L"--add-modules",
    L"--module-path", L"--upgrade-module-path", L"--limit-modules", L"--patch-module",
    L"--enable-native-access",
};

std::wstring_view joinedName(std::wstring_view token)
{
    if (token == L"-p") {
        return L"--module-path";
    }
    const auto* found = std::find(std::begin(kSeparateValueOptions), std::end(kSeparateValueOptions), token);
    return found == std::end(kSeparateValueOptions) ? std::wstring_view() : *found;
}

}  // namespace

std::vector<std::wstring> joinSeparateValues(std::vector<std::wstring> tokens)
{
    std::vector<std::wstring> options;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::wstring_view name = joinedName(tokens[i]);
        if (name.empty() || i + 1 == tokens.size()) {
            options.push_back(std::move(tokens[i]));
            continue;
        }
        options.push_back(std::wstring(name) + L"=" + tokens[i + 1]);
        ++i;
    }
    return options;
}

}  // namespace velmar
