// Reading the tables of the Markdown files in docs/, so tests can hold the
// reference pages to what the launcher does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmar::testing {

struct DocsTableRow {
    std::wstring heading;  // the last "## " heading above the row, without "## "
    std::vector<std::wstring> cells;  // trimmed, without the outer "|"
};

// The body rows of every table in the text (header and separator rows
// left out).
std::vector<DocsTableRow> readDocsTableRows(std::wstring_view markdown);

// A page of docs/ as text; throws when it cannot be read.
std::wstring readDocsPage(std::wstring_view fileName);

// The text of an inline code span as written between backticks, with the
// two-character escape "\n" read as a line break; the cell unchanged when
// it is no code span.
std::wstring codeSpanText(std::wstring_view cell);

}  // namespace velmar::testing
