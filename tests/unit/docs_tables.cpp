#include "docs_tables.h"

#include "support/text.h"
#include "test_files.h"

#include <stdexcept>

namespace velmar::testing {

namespace {

std::wstring_view trimmed(std::wstring_view text)
{
    const size_t first = text.find_first_not_of(L" \t\r");
    if (first == std::wstring_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(L" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::wstring> cellsOf(std::wstring_view line)
{
    // "| a | b |": the text between the first and the last "|".
    line = trimmed(line);
    line = line.substr(1, line.size() >= 2 ? line.size() - 2 : 0);
    std::vector<std::wstring> cells;
    size_t start = 0;
    for (;;) {
        const size_t bar = line.find(L'|', start);
        cells.emplace_back(trimmed(line.substr(start, bar - start)));
        if (bar == std::wstring_view::npos) {
            return cells;
        }
        start = bar + 1;
    }
}

bool isSeparatorRow(const std::vector<std::wstring>& cells)
{
    return !cells.empty() && cells.front().starts_with(L"---");
}

}  // namespace

std::vector<DocsTableRow> readDocsTableRows(std::wstring_view markdown)
{
    std::vector<DocsTableRow> rows;
    std::wstring heading;
    bool headerSeen = false;
    size_t start = 0;
    while (start < markdown.size()) {
        size_t end = markdown.find(L'\n', start);
        if (end == std::wstring_view::npos) {
            end = markdown.size();
        }
        const std::wstring_view line = trimmed(markdown.substr(start, end - start));
        start = end + 1;
        if (line.starts_with(L"## ")) {
            heading = std::wstring(trimmed(line.substr(3)));
        }
        if (!line.starts_with(L"|")) {
            headerSeen = false;
            continue;
        }
        std::vector<std::wstring> cells = cellsOf(line);
        if (!headerSeen) {
            headerSeen = true;  // the first row of a table names its columns
            continue;
        }
        if (!isSeparatorRow(cells)) {
            rows.push_back({heading, std::move(cells)});
        }
    }
    return rows;
}

std::wstring readDocsPage(std::wstring_view fileName)
{
    const std::wstring path = std::wstring(VELMAR_DOCS_FOLDER) + L"\\" + std::wstring(fileName);
    const std::string bytes = readFileBytes(path);
    if (bytes.empty()) {
        throw std::runtime_error("docs page missing or empty");
    }
    return fromUtf8(bytes);
}

std::wstring codeSpanText(std::wstring_view cell)
{
    if (cell.size() < 2 || cell.front() != L'`' || cell.back() != L'`') {
        return std::wstring(cell);
    }
    const std::wstring_view inner = cell.substr(1, cell.size() - 2);
    std::wstring text;
    for (size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == L'\\' && i + 1 < inner.size() && inner[i + 1] == L'n') {
            text += L'\n';
            ++i;
        } else {
            text += inner[i];
        }
    }
    return text;
}

}  // namespace velmar::testing
