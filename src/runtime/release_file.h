// The version a runtime folder states in its "release" file, the text file
// every runtime since Java 7 carries at its top (JAVA_VERSION="17.0.2").
// The file is the user's, not ours: it is read with a size cap, with LF or
// CRLF line ends, with or without quotes around the value, and with no
// trust in any terminator.
#pragma once

#include "config/java_version.h"

#include <optional>
#include <string_view>

namespace velmar {

// Larger files are not read: a real one has a few hundred bytes.
inline constexpr size_t kReleaseFileCap = 16 * 1024;

struct ReleaseVersion {
    std::optional<JavaVersion> version;
    // Why there is no version, for the trace; empty when there is one.
    std::wstring_view problem;
};

// The first JAVA_VERSION line of the file's text, parsed as the registry's
// version names are (fill 0): "1.8.0_392" is 1.8.0.392.
ReleaseVersion versionFromRelease(std::string_view text);

// The "release" file of a runtime folder (ending in "\").
ReleaseVersion readReleaseVersion(std::wstring_view folder);

}  // namespace velmar
