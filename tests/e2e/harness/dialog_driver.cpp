#include "dialog_driver.h"

#include <fstream>
#include <string_view>

namespace velmar::e2e {

namespace {

struct ProcessWindows {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM param)
{
    auto& search = *reinterpret_cast<ProcessWindows*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && ::IsWindowVisible(window)) {
        search.found.push_back(window);
    }
    return TRUE;
}

// A window as the screen shows it: bottom-up rows of 24-bit pixels.
struct ScreenPicture {
    int width = 0;
    int height = 0;
    size_t stride = 0;
    std::vector<BYTE> rows;
};

BITMAPINFOHEADER headerOf(const ScreenPicture& picture)
{
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = picture.width;
    info.biHeight = picture.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    return info;
}

ScreenPicture pictureOf(HWND window)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ScreenPicture picture;
    picture.width = rect.right - rect.left;
    picture.height = rect.bottom - rect.top;
    if (picture.width <= 0 || picture.height <= 0) {
        return {};
    }
    picture.stride = (static_cast<size_t>(picture.width) * 3 + 3) & ~size_t{3};
    picture.rows.resize(picture.stride * static_cast<size_t>(picture.height));
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, picture.width, picture.height);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, picture.width, picture.height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, previous);
    BITMAPINFO info{};
    info.bmiHeader = headerOf(picture);
    ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(picture.height), picture.rows.data(), &info,
                DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return picture;
}

void writeBmp(const std::wstring& path, const ScreenPicture& picture)
{
    const BITMAPINFOHEADER info = headerOf(picture);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(picture.rows.size());
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(picture.rows.data()),
              static_cast<std::streamsize>(picture.rows.size()));
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() > deadline) {
            return false;
        }
        ::Sleep(20);
    }
    return true;
}

std::vector<HWND> processWindows(DWORD processId)
{
    ProcessWindows search{processId, {}};
    ::EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

struct ChildSearch {
    const std::function<bool(HWND)>& matches;
    HWND found = nullptr;
};

BOOL CALLBACK checkChild(HWND child, LPARAM param)
{
    auto& search = *reinterpret_cast<ChildSearch*>(param);
    if (!search.matches(child)) {
        return TRUE;
    }
    search.found = child;
    return FALSE;
}

}  // namespace

HWND findChild(HWND parent, const std::function<bool(HWND)>& matches)
{
    ChildSearch search{matches};
    ::EnumChildWindows(parent, checkChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring textOf(HWND window)
{
    // GetWindowTextW does not ask a window of another process for its text
    // (an edit control's would read empty); WM_GETTEXT does.
    constexpr UINT kBoundMs = 5000;
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kBoundMs,
                               &length)) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(),
                               reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, kBoundMs,
                               &copied)) {
        return {};
    }
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring controlText(HWND dialog, int id)
{
    return textOf(::GetDlgItem(dialog, id));
}

void pressEscape(HWND dialog)
{
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &focus);
    HWND target = focus.hwndFocus != nullptr ? focus.hwndFocus : dialog;
    ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
}

void pressCloseBox(HWND dialog)
{
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void keepScreenshot(HWND window, const std::wstring& name)
{
    wchar_t folder[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"VELMAR_SCREENSHOT_DIR", folder, MAX_PATH) == 0) {
        return;
    }
    ::CreateDirectoryW(folder, nullptr);
    const ScreenPicture picture = pictureOf(window);
    writeBmp(std::wstring(folder) + L"\\" + name + L".bmp", picture);
}

bool showsColour(HWND window, COLORREF colour)
{
    const ScreenPicture picture = pictureOf(window);
    for (size_t row = 0; row < static_cast<size_t>(picture.height); ++row) {
        const BYTE* pixel = picture.rows.data() + row * picture.stride;
        for (int column = 0; column < picture.width; ++column, pixel += 3) {
            if (RGB(pixel[2], pixel[1], pixel[0]) == colour) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace velmar::e2e
