#include "launcher_run.h"

#include "dialog_driver.h"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace velmar::e2e {

namespace {

// The static control that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

std::wstring windowText(HWND window)
{
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::wstring classOf(HWND window)
{
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

BOOL CALLBACK collectControl(HWND control, LPARAM param)
{
    auto& controls = *reinterpret_cast<std::vector<ControlSeen>*>(param);
    controls.push_back({classOf(control), ::GetDlgCtrlID(control), windowText(control),
                        ::IsWindowEnabled(control) != FALSE, ::IsWindowVisible(control) != FALSE});
    return TRUE;
}

// A 32-bit top-down picture of a rectangle of the screen.
class ScreenPicture {
public:
    ScreenPicture(int width, int height) : width_(width), height_(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = ::CreateCompatibleDC(nullptr);
        bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        previous_ = ::SelectObject(dc_, bitmap_);
    }
    ~ScreenPicture()
    {
        ::SelectObject(dc_, previous_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    ScreenPicture(const ScreenPicture&) = delete;
    ScreenPicture& operator=(const ScreenPicture&) = delete;

    HDC dc() const { return dc_; }
    const DWORD* pixels() const { return static_cast<const DWORD*>(bits_); }
    size_t size() const { return static_cast<size_t>(width_) * height_; }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

BOOL CALLBACK findIconControl(HWND control, LPARAM param)
{
    if (::SendMessageW(control, STM_GETICON, 0, 0) != 0) {
        *reinterpret_cast<HWND*>(param) = control;
        return FALSE;
    }
    return TRUE;
}

// Icon handles belong to the process that loaded them, so the icon a box
// shows is compared as a picture: what the screen shows in the icon
// control against the system's error icon drawn on the same background.
bool showsErrorIcon(HWND window)
{
    HWND iconControl = nullptr;
    ::EnumChildWindows(window, findIconControl, reinterpret_cast<LPARAM>(&iconControl));
    if (iconControl == nullptr) {
        return false;
    }
    RECT rect{};
    ::GetWindowRect(iconControl, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    ScreenPicture shown(width, height);
    ScreenPicture expected(width, height);
    // The box may not have painted yet: look again for a while.
    for (int attempt = 0; attempt < 40; ++attempt) {
        HDC screen = ::GetDC(nullptr);
        ::BitBlt(shown.dc(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        ::ReleaseDC(nullptr, screen);
        const DWORD corner = shown.pixels()[0];
        HBRUSH background = ::CreateSolidBrush(
            RGB((corner >> 16) & 0xFF, (corner >> 8) & 0xFF, corner & 0xFF));
        RECT all{0, 0, width, height};
        ::FillRect(expected.dc(), &all, background);
        ::DeleteObject(background);
        ::DrawIconEx(expected.dc(), 0, 0, ::LoadIconW(nullptr, IDI_ERROR), 0, 0, 0, nullptr,
                     DI_NORMAL | DI_DEFAULTSIZE);
        if (std::equal(shown.pixels(), shown.pixels() + shown.size(), expected.pixels())) {
            return true;
        }
        ::Sleep(50);
    }
    return false;
}

std::wstring buildEnvironment(const RunOptions& options, const Installation& installation)
{
    std::vector<std::pair<std::wstring, std::wstring>> overrides = {
        {L"APPDATA", installation.appData()}};
    overrides.insert(overrides.end(), options.environment.begin(), options.environment.end());

    std::wstring block;
    wchar_t* current = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry != L'\0'; entry += wcslen(entry) + 1) {
        std::wstring_view text(entry);
        size_t equals = text.find(L'=', 1);
        std::wstring_view name = text.substr(0, equals);
        bool replaced = false;
        for (const auto& [key, value] : overrides) {
            replaced = replaced || _wcsicmp(std::wstring(name).c_str(), key.c_str()) == 0;
        }
        if (!replaced) {
            block.append(text).push_back(L'\0');
        }
    }
    ::FreeEnvironmentStringsW(current);
    for (const auto& [key, value] : overrides) {
        block.append(key).append(L"=").append(value).push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

// A pipe whose write end the child inherits; the read end stays here.
void makePipe(HANDLE& readEnd, HANDLE& writeEnd)
{
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 1 << 16)) {
        throw std::runtime_error("cannot make a pipe");
    }
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
}

void appendAvailable(HANDLE pipe, std::string& bytes)
{
    DWORD available = 0;
    while (pipe != nullptr && ::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        std::string chunk(available, '\0');
        DWORD read = 0;
        if (!::ReadFile(pipe, chunk.data(), available, &read, nullptr) || read == 0) {
            return;
        }
        bytes.append(chunk.data(), read);
    }
}

void answerByDefault(HWND window, const WindowSeen& seen)
{
    pressButton(window, seen.isMessageBox() ? IDOK : IDCANCEL);
}

}  // namespace

std::vector<WindowSeen> RunResult::messageBoxes() const
{
    std::vector<WindowSeen> boxes;
    for (const WindowSeen& window : windows) {
        if (window.isMessageBox()) {
            boxes.push_back(window);
        }
    }
    return boxes;
}

void pressButton(HWND window, int id)
{
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
}

WindowSeen describeWindow(HWND window)
{
    WindowSeen seen;
    seen.className = classOf(window);
    seen.caption = windowText(window);
    HWND textControl = ::GetDlgItem(window, kMessageBoxTextId);
    if (textControl != nullptr) {
        seen.text = windowText(textControl);
    }
    HWND owner = ::GetWindow(window, GW_OWNER);
    seen.hasOwner = owner != nullptr;
    if (owner != nullptr) {
        seen.ownerCaption = windowText(owner);
    }
    ::EnumChildWindows(window, collectControl, reinterpret_cast<LPARAM>(&seen.controls));
    seen.errorIcon = showsErrorIcon(window);
    ::GetWindowRect(window, &seen.rect);
    return seen;
}

LauncherProcess::LauncherProcess(const Installation& installation, const RunOptions& options)
{
    const std::wstring program =
        options.programPath.empty() ? installation.launcherPath() : options.programPath;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!options.arguments.empty()) {
        commandLine += L" " + options.arguments;
    }
    std::wstring environment = buildEnvironment(options, installation);
    const std::wstring directory =
        options.currentDirectory.empty() ? installation.folder() : options.currentDirectory;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    HANDLE outputEnd = nullptr;
    HANDLE errorEnd = nullptr;
    if (options.captureOutput) {
        makePipe(outputPipe_, outputEnd);
        makePipe(errorPipe_, errorEnd);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = outputEnd;
        startup.hStdError = errorEnd;
    }
    PROCESS_INFORMATION process{};
    const BOOL created = ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                                          options.captureOutput ? TRUE : FALSE,
                                          CREATE_UNICODE_ENVIRONMENT | options.creationFlags, environment.data(),
                                          directory.c_str(), &startup, &process);
    if (options.captureOutput) {
        ::CloseHandle(outputEnd);
        ::CloseHandle(errorEnd);
    }
    if (!created) {
        const DWORD error = ::GetLastError();
        closePipes();
        throw std::runtime_error("cannot start the launcher: error " + std::to_string(error));
    }
    ::CloseHandle(process.hThread);
    process_ = process.hProcess;
}

LauncherProcess::~LauncherProcess()
{
    if (!waitForExit(0)) {
        terminate(0xDEAD);
    }
    ::CloseHandle(process_);
    closePipes();
}

void LauncherProcess::closePipes()
{
    for (HANDLE pipe : {outputPipe_, errorPipe_}) {
        if (pipe != nullptr) {
            ::CloseHandle(pipe);
        }
    }
}

void LauncherProcess::readOutput(std::string& output, std::string& errors) const
{
    appendAvailable(outputPipe_, output);
    appendAvailable(errorPipe_, errors);
}

std::optional<DWORD> LauncherProcess::waitForExit(DWORD timeoutMs) const
{
    if (::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process_, &exitCode);
    return exitCode;
}

void LauncherProcess::terminate(DWORD exitCode) const
{
    ::TerminateProcess(process_, exitCode);
    ::WaitForSingleObject(process_, 10000);
}

double LauncherProcess::lifetimeMs() const
{
    FILETIME created{}, ended{}, kernel{}, user{};
    ::GetProcessTimes(process_, &created, &ended, &kernel, &user);
    auto ticks = [](FILETIME time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(ended) - ticks(created)) / 10000.0;
}

RunResult runLauncher(const Installation& installation, RunOptions options)
{
    const LauncherProcess process(installation, options);
    WindowHandler handler = options.onWindow ? options.onWindow : answerByDefault;
    RunResult result;
    std::set<HWND> answered;
    const ULONGLONG deadline = ::GetTickCount64() + options.timeoutMs;
    const DWORD processId = ::GetProcessId(process.handle());
    while (!process.waitForExit(50)) {
        process.readOutput(result.output, result.errors);
        if (::GetTickCount64() > deadline) {
            result.timedOut = true;
            process.terminate(0xDEAD);
            break;
        }
        for (HWND window : processWindows(processId)) {
            if (answered.insert(window).second) {
                WindowSeen seen = describeWindow(window);
                result.windows.push_back(seen);
                handler(window, seen);
            }
        }
    }
    ::GetExitCodeProcess(process.handle(), &result.exitCode);
    process.readOutput(result.output, result.errors);
    return result;
}

}  // namespace velmar::e2e
