// What the trace says about the INI files of a start: which were read, in
// which encoding, and every setting they give a value.
#pragma once

#include <string_view>

namespace velmar {

class LayeredIniFile;
class Trace;
struct Settings;

// The launcher INI, the per-user INI and each setting that has a value,
// then the version bounds as the search compares them. Call only when the
// trace is on: it reads the files again.
void traceSettings(const Trace& trace, const Settings& read, const LayeredIniFile& settings,
                   std::wstring_view executablePath);

}  // namespace velmar
