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

void writeBmp(const std::wstring& path, int width, int height, const std::vector<BYTE>& rows)
{
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(rows.size());
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(rows.data()), static_cast<std::streamsize>(rows.size()));
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
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, previous);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<BYTE> rows(stride * static_cast<size_t>(height));
    ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), rows.data(), &info, DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    writeBmp(std::wstring(folder) + L"\\" + name + L".bmp", width, height, rows);
}

}  // namespace velmar::e2e
