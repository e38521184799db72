// Cutting the two blank-separated settings into their parts: the tokens of
// "Virtual Machine Parameters" (double quotes group, then are removed) and
// the pieces of "Cmd" (a quote only counts where a piece starts).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// The tokens of "Virtual Machine Parameters", quotes still in place. A
// blank inside a quoted span does not end a token; a quote without a
// partner opens no span.
std::vector<std::wstring> cutVmParameters(std::wstring_view text);

// Replaces each quoted span by its inside. A quote directly after a closing
// quote belongs to the span and stays as one literal quote.
std::wstring removeQuotes(std::wstring_view token);

// The tokens as the VM takes them: a long option that java's command line
// writes with its value as the next token ("--add-opens a=b") becomes the
// one option the VM knows ("--add-opens=a=b"), and "-p" is "--module-path".
// An option left without a value stays as it is, for the VM to refuse.
std::vector<std::wstring> joinSeparateValues(std::vector<std::wstring> tokens);

// The pieces of "Cmd", empty ones included; an unterminated quote takes the
// rest of the text.
std::vector<std::wstring> cutCmdPieces(std::wstring_view text);

}  // namespace velmar
