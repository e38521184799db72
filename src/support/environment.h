// Environment references in settings texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// %NAME% references replaced by the variables' values; references to
// variables that are not set stay. The text is unchanged when the system
// cannot expand it.
std::wstring expandEnvironment(std::wstring_view text);

// The variable's value, read whole however long; nothing when it is not set.
std::optional<std::wstring> environmentValue(const std::wstring& name);

// As expandEnvironment, but nothing when a %NAME% reference names a
// variable that is not set: for a path, a reference left standing would
// name a folder nobody meant. References are found as the system finds
// them: from a "%" to the next one; "%%" and a lone "%" are plain text.
std::optional<std::wstring> expandWhenAllSet(std::wstring_view text);

}  // namespace velmar
