// Driving a launcher's dialogs from the test process as a user would:
// waiting for windows of its process, picking a folder in the shell's
// folder browser, pressing keys, and keeping a picture of a window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace velmar::e2e {

// The dialog a start shows when it finds no runtime: its caption and its
// Browse button, as a user sees them.
inline constexpr const wchar_t* kMissingRuntimeCaption = L"JRE Not Found";
inline constexpr int kMissingRuntimeBrowseButton = 202;

// Polls `condition` every 20 ms until it holds or `timeoutMs` passed.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000);

// The visible top-level windows of a process.
std::vector<HWND> processWindows(DWORD processId);

// The first child window (at any depth) that `matches`; null when none.
HWND findChild(HWND parent, const std::function<bool(HWND)>& matches);

// The window's own text and a control's, asked of the window itself (WM_GETTEXT).
std::wstring textOf(HWND window);
std::wstring controlText(HWND dialog, int id);

// Presses Browse in `dialog`, waits for the folder browser it owns, opens
// its tree down to `folder` item by item (My Computer, the drive, each
// folder by name), selects it, keeps a screenshot of the browser when a
// name is given, confirms with OK, and waits until the browser is gone.
// False, with a test failure naming the step, when a step did not happen
// within its bound; the browser is then cancelled.
bool pickFolder(HWND dialog, int browseButtonId, const std::wstring& folder,
                const std::wstring& screenshotName = {});

// Escape as typed on the dialog's focused control; the close box.
void pressEscape(HWND dialog);
void pressCloseBox(HWND dialog);

// The window as the screen shows it, as a 24-bit BMP file in the folder
// named by VELMAR_SCREENSHOT_DIR; nothing when that is not set.
void keepScreenshot(HWND window, const std::wstring& name);

// Whether some pixel of the window, as the screen shows it after a redraw,
// has exactly this colour (a line drawn in it, such as an underline).
bool showsColour(HWND window, COLORREF colour);

}  // namespace velmar::e2e
