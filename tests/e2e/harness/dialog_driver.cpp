#include "dialog_driver.h"

#include <shlobj.h>

#include <fstream>
#include <memory>
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

DWORD processOf(HWND window)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    return processId;
}

HWND browserOwnedBy(HWND dialog)
{
    for (HWND window : processWindows(processOf(dialog))) {
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        if (window != dialog && ::GetWindow(window, GW_OWNER) == dialog &&
            std::wstring_view(className) == L"#32770") {
            return window;
        }
    }
    return nullptr;
}

// Memory inside another process, freed at scope exit.
class RemoteText {
public:
    RemoteText(HANDLE process, const std::wstring& text) : process_(process)
    {
        const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
        address_ = ::VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE,
                                    PAGE_READWRITE);
        if (address_ != nullptr &&
            !::WriteProcessMemory(process, address_, text.c_str(), bytes, nullptr)) {
            ::VirtualFreeEx(process, address_, 0, MEM_RELEASE);
            address_ = nullptr;
        }
    }
    ~RemoteText()
    {
        if (address_ != nullptr) {
            ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
    }
    RemoteText(const RemoteText&) = delete;
    RemoteText& operator=(const RemoteText&) = delete;

    void* address() const { return address_; }

private:
    HANDLE process_;
    void* address_ = nullptr;
};

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};

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
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::wstring controlText(HWND dialog, int id)
{
    return textOf(::GetDlgItem(dialog, id));
}

bool pickFolder(HWND dialog, int browseButtonId, const std::wstring& folder)
{
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(browseButtonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, browseButtonId)));
    HWND browser = nullptr;
    if (!waitUntil([&] { return (browser = browserOwnedBy(dialog)) != nullptr; })) {
        return false;
    }
    std::unique_ptr<void, HandleCloser> process(
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processOf(dialog)));
    if (!process) {
        return false;
    }
    RemoteText path(process.get(), folder);
    if (path.address() == nullptr) {
        return false;
    }
    ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.address()));
    ::SendMessageW(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(browser, IDOK)));
    return waitUntil([&] { return !::IsWindow(browser); });
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
