// Starts a launcher as a user would, watches the windows it shows, answers
// them, and returns what happened: the full 32-bit exit code and every
// top-level window seen, in order.
#pragma once

#include "installation.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmar::e2e {

struct ControlSeen {
    std::wstring className;
    int id = 0;
    std::wstring text;
    bool enabled = false;
    bool visible = false;
};

struct WindowSeen {
    std::wstring className;
    std::wstring caption;
    // A message box's text; empty for other windows.
    std::wstring text;
    // The owner window's caption, empty when the window has no owner.
    std::wstring ownerCaption;
    bool hasOwner = false;
    // The message box shows the system's error icon.
    bool errorIcon = false;
    std::vector<ControlSeen> controls;
    RECT rect{};

    bool isMessageBox() const { return className == L"#32770" && !text.empty(); }
};

// What the test does with a window: by default OK is pressed on message
// boxes and Cancel on other dialogs.
using WindowHandler = std::function<void(HWND window, const WindowSeen& seen)>;

struct RunOptions {
    std::wstring arguments;  // after the program name, as typed
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    std::wstring currentDirectory;  // empty: the installation folder
    WindowHandler onWindow;
    DWORD timeoutMs = 120000;
    std::wstring programPath;  // empty: the installation's launcher
    // Standard output and error into pipes the run reads (RunResult).
    bool captureOutput = false;
    // More process creation flags, e.g. CREATE_NEW_CONSOLE.
    DWORD creationFlags = 0;
};

struct RunResult {
    DWORD exitCode = 0;
    bool timedOut = false;
    std::vector<WindowSeen> windows;
    // With captureOutput: the bytes written to standard output and error.
    std::string output;
    std::string errors;

    std::vector<WindowSeen> messageBoxes() const;
};

RunResult runLauncher(const Installation& installation, RunOptions options = {});

// A launcher started and left to run; the test waits for it or ends it.
// One still running at scope exit is terminated. `onWindow` and
// `timeoutMs` of the options are not used.
class LauncherProcess {
public:
    LauncherProcess(const Installation& installation, const RunOptions& options);
    ~LauncherProcess();
    LauncherProcess(const LauncherProcess&) = delete;
    LauncherProcess& operator=(const LauncherProcess&) = delete;

    HANDLE handle() const { return process_; }
    // The full exit code; nothing when the process still runs after the wait.
    std::optional<DWORD> waitForExit(DWORD timeoutMs) const;
    void terminate(DWORD exitCode) const;
    // With captureOutput: appends what the pipes hold now, without waiting.
    void readOutput(std::string& output, std::string& errors) const;
    // From the process's creation to its end, in milliseconds, as the
    // system counts them; for a process that has ended.
    double lifetimeMs() const;

private:
    void closePipes();

    HANDLE process_ = nullptr;
    HANDLE outputPipe_ = nullptr;
    HANDLE errorPipe_ = nullptr;
};

// Presses a button of a window the way a user would.
void pressButton(HWND window, int id);
// Reads a window as the watcher does.
WindowSeen describeWindow(HWND window);

}  // namespace velmar::e2e
