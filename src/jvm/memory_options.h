// Heap and stack options given as a share of the machine's memory: the
// forms -Xms/-Xmx/-Xss<percent>[:<min MB>[:<max MB>]]<P|T> become a fixed
// size in kilobytes, and -Xss also sets the Java main thread's stack.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

struct NumberRun {
    // Position of the first digit or ":"; the text's length when none.
    size_t valueStart = 0;
    std::vector<uint64_t> numbers;
};

// The ":"-separated numbers of a text from its value start; a last
// character that is not a digit (a unit or suffix letter) is not read.
NumberRun readNumbers(std::wstring_view text);

// Bytes of a plain size such as 512k, 1M, 2g or 65536; 0 for anything else.
uint64_t parseStackSize(std::wstring_view text);

// The two figures of GlobalMemoryStatus a memory form can take its share of.
struct MemoryFacts {
    uint64_t totalPhysical = 0;
    uint64_t availableVirtual = 0;
};

bool isMemoryForm(std::wstring_view token);

// The memory form rewritten as prefix + size in kilobytes + "K".
std::wstring convertMemoryForm(std::wstring_view token, const MemoryFacts& memory);

// One "Virtual Machine Parameters" token, converted when it is a memory
// form; an -Xss token also sets the Java main thread's stack size, in
// bytes (0 when this build cannot address it).
std::wstring processVmToken(std::wstring_view token, size_t& javaThreadStackSize);

}  // namespace velmar
