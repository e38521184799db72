#include "splash_fixture.h"

#include "dialog_driver.h"

#include <algorithm>
#include <cstdint>

namespace velmar::e2e {

namespace {

void put16(std::string& bytes, uint16_t value)
{
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8);
}

void put32(std::string& bytes, uint32_t value)
{
    put16(bytes, static_cast<uint16_t>(value & 0xFFFF));
    put16(bytes, static_cast<uint16_t>(value >> 16));
}

constexpr uint32_t kHeadersSize = 14 + 40;

uint32_t rowSize(int width)
{
    return (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
}

std::string bmpHeaders(int width, int height)
{
    const uint32_t pixels = rowSize(width) * static_cast<uint32_t>(height);
    std::string bytes = "BM";
    put32(bytes, kHeadersSize + pixels);
    put32(bytes, 0);
    put32(bytes, kHeadersSize);
    put32(bytes, 40);
    put32(bytes, static_cast<uint32_t>(width));
    put32(bytes, static_cast<uint32_t>(height));
    put16(bytes, 1);   // planes
    put16(bytes, 24);  // bits per pixel
    put32(bytes, 0);   // BI_RGB
    put32(bytes, pixels);
    put32(bytes, 2835);  // 72 dpi
    put32(bytes, 2835);
    put32(bytes, 0);
    put32(bytes, 0);
    return bytes;
}

}  // namespace

std::string bmpPicture(int width, int height, COLORREF colour)
{
    std::string row;
    for (int x = 0; x < width; ++x) {
        row += static_cast<char>(GetBValue(colour));
        row += static_cast<char>(GetGValue(colour));
        row += static_cast<char>(GetRValue(colour));
    }
    row.resize(rowSize(width), '\0');
    std::string bytes = bmpHeaders(width, height);
    bytes.reserve(bytes.size() + row.size() * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        bytes += row;
    }
    return bytes;
}

std::string truncatedBmpPicture(int width, int height)
{
    return bmpHeaders(width, height);
}


std::wstring classOf(HWND window)
{
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

HWND windowOfClass(DWORD processId, const wchar_t* className)
{
    for (HWND window : processWindows(processId)) {
        if (classOf(window) == className) {
            return window;
        }
    }
    return nullptr;
}

HWND waitForWindowOfClass(DWORD processId, const wchar_t* className)
{
    HWND found = nullptr;
    waitUntil([&] { return (found = windowOfClass(processId, className)) != nullptr; }, kWindowBoundMs);
    return found;
}

bool splashSeen(const RunResult& run)
{
    return std::ranges::any_of(run.windows, [](const WindowSeen& w) { return w.className == kSplashClass; });
}

// A file of the built stub runtime's folder for `variant`.
std::wstring stubFile(std::wstring_view variant, std::wstring_view name)
{
    std::wstring path = stubRuntimeFile(variant);
    return path.substr(0, path.rfind(L'\\') + 1) + std::wstring(name);
}

void giveRuntimeSplashLibrary(StubApp& app, std::wstring_view variant)
{
    app.installation().copyFile(stubFile(L"splash-" + std::wstring(variant), L"splashscreen.dll"),
                                L"jre\\bin\\splashscreen.dll");
    // The library it imports, as a real one imports its C runtime.
    app.installation().copyFile(stubFile(L"dependent", L"stubdep.dll"), L"jre\\bin\\stubdep.dll");
}

SplashApp::SplashApp(const std::string& picture, std::wstring_view variant) : app_(variant, L"velmar-splash-")
{
    if (!picture.empty()) {
        app_.installation().writeFile(kPicture, picture);
    }
    app_.writeIni({{L"Display", L"Splash Screen", kPicture}});
}

void SplashApp::vmParameters(const std::wstring& parameters)
{
    app_.writeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters", parameters}});
}

std::unique_ptr<LauncherProcess> SplashApp::start(RunOptions options)
{
    app_.saveIni();
    ::DeleteFileW(app_.recordPath().c_str());
    options.environment.emplace_back(L"VELMAR_STUB_RECORD", app_.recordPath());
    return std::make_unique<LauncherProcess>(app_.installation(), options);
}

}  // namespace velmar::e2e
