#include "stub_record.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace velmar::stub {
namespace {

[[noreturn]] void malformed(std::string_view what)
{
    throw std::runtime_error("stub record: malformed " + std::string(what));
}

unsigned hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    malformed(std::string("hex digit ") + c);
}

std::string bytesFromHex(std::string_view hex)
{
    if (hex.size() % 2) {
        malformed(hex);
    }
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        bytes += static_cast<char>(hexDigit(hex[i]) << 4 | hexDigit(hex[i + 1]));
    }
    return bytes;
}

std::wstring unitsFromHex(std::string_view hex)
{
    if (hex.size() % 4) {
        malformed(hex);
    }
    std::wstring units;
    for (size_t i = 0; i < hex.size(); i += 4) {
        unsigned unit = 0;
        for (char c : hex.substr(i, 4)) {
            unit = unit << 4 | hexDigit(c);
        }
        units += static_cast<wchar_t>(unit);
    }
    return units;
}

long long number(std::string_view text)
{
    try {
        size_t used = 0;
        long long value = std::stoll(std::string(text), &used, 0);
        if (used == text.size()) {
            return value;
        }
    } catch (const std::logic_error&) {
    }
    malformed("number " + std::string(text));
}

// "null", or "<count>:" followed by count items joined by ",", each hex or "null".
JavaArguments argumentsFrom(std::string_view text)
{
    JavaArguments arguments;
    arguments.present = true;
    if (text == "null") {
        arguments.hadNull = true;
        return arguments;
    }
    size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        malformed(text);
    }
    long long count = number(text.substr(0, colon));
    std::string_view rest = text.substr(colon + 1);
    for (long long i = 0; i < count; ++i) {
        size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        arguments.hadNull |= item == "null";
        arguments.values.push_back(item == "null" ? std::wstring() : unitsFromHex(item));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if ((comma == std::string_view::npos) != (i + 1 == count)) {
            malformed(text);
        }
    }
    if (count == 0 && !rest.empty()) {
        malformed(text);
    }
    return arguments;
}

void environmentFrom(StubRecord& r, std::string_view v)
{
    size_t equals = v.find('=');
    if (equals != std::string_view::npos) {
        std::string name(v.substr(0, equals));
        r.environment[std::wstring(name.begin(), name.end())] = unitsFromHex(v.substr(equals + 1));
    }
}

void secondaryFrom(StubRecord& r, std::string_view v)
{
    if (v.size() < 2 || (v[0] != 'I' && v[0] != 'V') || v[1] != ':') {
        malformed(v);
    }
    r.secondaryMainCalls.push_back({v[0] == 'I', argumentsFrom(v.substr(2))});
}

using LineReader = void (*)(StubRecord&, std::string_view);

const std::map<std::string_view, LineReader> kReaders = {
    {"call", [](StubRecord& r, std::string_view v) { r.calls.emplace_back(v); }},
    {"option", [](StubRecord& r, std::string_view v) { r.options.push_back(bytesFromHex(v)); }},
    {"version", [](StubRecord& r, std::string_view v) { r.jniVersion = static_cast<long>(number(v)); }},
    {"ignoreUnrecognized", [](StubRecord& r, std::string_view v) { r.ignoreUnrecognized = v == "1"; }},
    {"create", [](StubRecord& r, std::string_view v) { r.createResult = static_cast<long>(number(v)); }},
    {"sinceProcessStart", [](StubRecord& r, std::string_view v) { r.sinceProcessStart = number(v); }},
    {"thread", [](StubRecord& r, std::string_view v) { r.creatingThreadId = static_cast<unsigned long>(number(v)); }},
    {"stackReserve", [](StubRecord& r, std::string_view v) { r.creatingThreadStackReserve = number(v); }},
    {"env", environmentFrom},
    {"mainClass", [](StubRecord& r, std::string_view v) { r.mainClass = v; }},
    {"mainForm", [](StubRecord& r, std::string_view v) { r.mainForm = v; }},
    {"main", [](StubRecord& r, std::string_view v) { r.mainArguments = argumentsFrom(v); }},
    {"dependency", [](StubRecord& r, std::string_view v) { r.dependencyPath = unitsFromHex(v); }},
    {"peakWorkingSet", [](StubRecord& r, std::string_view v) { r.peakWorkingSet = number(v); }},
    {"module", [](StubRecord& r, std::string_view v) { r.modules.push_back(unitsFromHex(v)); }},
    {"window", [](StubRecord& r, std::string_view v) { r.windowClasses.push_back(unitsFromHex(v)); }},
    {"dpiAwareness", [](StubRecord& r, std::string_view v) { r.dpiAwareness = std::string(v); }},
    {"secondaryMain", secondaryFrom},
    {"exitHook", [](StubRecord& r, std::string_view v) { r.exitHookCodes.push_back(static_cast<long>(number(v))); }},
    {"unexpected", [](StubRecord& r, std::string_view v) { r.violations.push_back("unexpected: " + std::string(v)); }},
    {"violation", [](StubRecord& r, std::string_view v) { r.violations.push_back("violation: " + std::string(v)); }},
    {"warning", [](StubRecord& r, std::string_view v) { r.warnings.emplace_back(v); }},
};

}  // namespace

bool StubRecord::called(const std::string& call) const
{
    return std::ranges::find(calls, call) != calls.end();
}

StubRecord parseStubRecord(const std::string& text)
{
    StubRecord record;
    record.exists = true;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        size_t equals = line.find('=');
        auto reader = kReaders.find(std::string_view(line).substr(0, equals));
        if (equals == std::string::npos || reader == kReaders.end()) {
            malformed("line " + line);
        }
        reader->second(record, std::string_view(line).substr(equals + 1));
    }
    return record;
}

StubRecord readStubRecord(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) {
        return {};
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parseStubRecord(text.str());
}

}  // namespace velmar::stub
