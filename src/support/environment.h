// Environment references in settings texts.
#pragma once

#include <string>
#include <string_view>

namespace velmar {

// %NAME% references replaced by the variables' values; references to
// variables that are not set stay. The text is unchanged when the system
// cannot expand it.
std::wstring expandEnvironment(std::wstring_view text);

}  // namespace velmar
