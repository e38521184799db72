// The application's main ends with an exception and "Failure Check" is on:
// the user sees the trace and chooses between Ignore and Stop.
#include "dialog_driver.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>

namespace velmar::e2e {
namespace {

constexpr DWORD kStopped = 0xFFFFFFFF;
// main threw and nobody stopped the application: what java.exe ends with.
constexpr DWORD kMainThrew = 1;
constexpr const wchar_t* kCaption = L"Java Exception";
constexpr int kTraceEdit = 208;
constexpr DWORD kHangBoundMs = 60000;

// The trace the stub prints for -Dstub.throw=message -Dstub.depth=depth.
std::wstring traceOf(const std::wstring& message, int depth = 0)
{
    std::wstring trace = L"java.lang.RuntimeException: " + message + L"\r\n";
    for (int i = 0; i < depth; ++i) {
        trace += L"\tat stub.App.descend(App.java:12)\r\n";
    }
    return trace + L"\tat stub.App.main(App.java:7)\r\n";
}

std::wstring throwing(const std::wstring& message, const std::wstring& more = L"")
{
    return L"-Dstub.throw=" + message + (more.empty() ? L"" : L" " + more);
}

size_t indexOf(const stub::StubRecord& record, const std::string& call)
{
    return static_cast<size_t>(
        std::distance(record.calls.begin(), std::ranges::find(record.calls, call)));
}

// An edit control keeps its text to itself, so GetWindowText, which reads
// only the window's own caption across processes, sees nothing there.
std::wstring editText(HWND edit)
{
    const auto length = static_cast<size_t>(::SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    text.resize(static_cast<size_t>(::SendMessageW(edit, WM_GETTEXT, length + 1,
                                                   reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

const ControlSeen* controlOf(const WindowSeen& window, int id)
{
    auto found = std::ranges::find(window.controls, id, &ControlSeen::id);
    return found == window.controls.end() ? nullptr : &*found;
}

// A stub application whose main throws, with "Failure Check" on.
class ExceptionDialogTest : public ::testing::Test {
protected:
    ExceptionDialogTest() { app_.writeIni({{L"Application", L"Failure Check", L"Yes"}}); }

    void throwFromMain(const std::wstring& vmParameters)
    {
        app_.writeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters", vmParameters}});
    }

    // Runs the launcher; `answer` is given the exception dialog, and any
    // other window fails the test.
    StubRun run(const std::function<void(HWND)>& answer)
    {
        return app_.run({.arguments = L"-nosplash",
                         .onWindow =
                             [&](HWND window, const WindowSeen& seen) {
                                 if (seen.caption != kCaption) {
                                     ADD_FAILURE() << "unexpected window " << ::testing::PrintToString(seen.caption);
                                     pressButton(window, IDOK);
                                     return;
                                 }
                                 answer(window);
                             },
                         .timeoutMs = kHangBoundMs});
    }

    StubApp app_;
};

struct StopCase {
    const char* name;
    const wchar_t* message;
    void (*end)(HWND dialog);
};

class StopTest : public ExceptionDialogTest, public ::testing::WithParamInterface<StopCase> {};

// The dialog shows the trace main threw; every way of saying Stop ends the
// application through System.exit(-1), with nothing left pending, and
// nothing of the launcher's own ending runs.
TEST_P(StopTest, ShowsTheTraceAndEndsThroughSystemExit)
{
    const StopCase& c = GetParam();
    throwFromMain(throwing(c.message));
    RECT workArea{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    std::wstring shownTrace;
    StubRun result = run([&](HWND dialog) {
        shownTrace = editText(::GetDlgItem(dialog, kTraceEdit));
        c.end(dialog);
    });

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.record.violations, std::vector<std::string>{});
    EXPECT_EQ(result.run.exitCode, kStopped);
    EXPECT_TRUE(result.record.called("System.exit -1"));
    EXPECT_EQ(result.record.exitHookCodes, std::vector<long>{-1});
    EXPECT_FALSE(result.record.called("DetachCurrentThread"));
    EXPECT_FALSE(result.record.called("DestroyJavaVM"));
    ASSERT_EQ(result.run.windows.size(), 1u);
    const WindowSeen& dialog = result.run.windows.front();
    EXPECT_EQ(dialog.caption, kCaption);
    EXPECT_FALSE(dialog.hasOwner);
    EXPECT_TRUE(dialog.errorIcon);
    EXPECT_EQ(shownTrace, traceOf(c.message));
    const std::pair<int, std::wstring> texts[] = {
        {209, L"Uncaught Exception"},
        {210, L"The java process has thrown the following uncaught exception:"},
        {211, L"Press Ignore to continue and ignore the exception or press Stop to close the "
              L"application."},
        {212, L"WARNING: If you choose to Stop the application any unsaved data will be lost."},
        {IDOK, L"Ignore"},
        {IDCANCEL, L"Stop"}};
    for (const auto& [id, text] : texts) {
        const ControlSeen* control = controlOf(dialog, id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_EQ(control->text, text) << id;
    }
    // Without an owner: centred on the work area.
    EXPECT_NEAR((dialog.rect.left + dialog.rect.right) / 2, (workArea.left + workArea.right) / 2, 1);
    EXPECT_NEAR((dialog.rect.top + dialog.rect.bottom) / 2, (workArea.top + workArea.bottom) / 2, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StopTest,
    ::testing::Values(StopCase{"stop_button", L"boom", [](HWND d) { pressButton(d, IDCANCEL); }},
                      StopCase{"escape", L"caf\x00E9-cr\x00E8me", pressEscape},
                      StopCase{"close_box", L"disk-full", pressCloseBox}),
    [](const auto& info) { return std::string(info.param.name); });

// Ignore: main's thread goes on as after a normal return. The runtime
// reports the exception as uncaught into the error file, and the process
// ends with 1, as java.exe does, once the application's other thread is
// done.
TEST_F(ExceptionDialogTest, IgnoreLetsTheOtherThreadsFinishAndReportsTheException)
{
    constexpr DWORD kLingerMs = 4000;
    const std::wstring errorFile = app_.installation().path(L"err.log");
    app_.writeIni({{L"Application", L"Error File", errorFile}});
    throwFromMain(throwing(L"ignored", L"-Dstub.linger=" + std::to_wstring(kLingerMs)));
    const std::wstring recordPath = app_.installation().path(L"stub-record.txt");
    bool lingeringAtIgnore = false;
    StubRun result = run([&](HWND dialog) {
        keepScreenshot(dialog, L"java-exception");
        lingeringAtIgnore = readFileBytes(recordPath).find("call=linger end") == std::string::npos;
        pressButton(dialog, IDOK);
    });

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.record.violations, std::vector<std::string>{});
    ASSERT_TRUE(lingeringAtIgnore) << "the other thread ended before the dialog was answered";
    EXPECT_EQ(result.run.exitCode, kMainThrew);
    EXPECT_FALSE(result.record.called("System.exit -1"));
    const size_t detached = indexOf(result.record, "DetachCurrentThread");
    const size_t lingerEnded = indexOf(result.record, "linger end");
    const size_t destroyed = indexOf(result.record, "DestroyJavaVM end");
    EXPECT_LT(detached, lingerEnded);
    EXPECT_LT(lingerEnded, destroyed);
    EXPECT_LT(destroyed, result.record.calls.size());
    EXPECT_EQ(readFileBytes(errorFile),
              "Exception in thread \"main\" java.lang.RuntimeException: ignored\r\n"
              "\tat stub.App.main(App.java:7)\r\n");
}

struct FailureCheckCase {
    const char* name;
    std::optional<std::wstring> value;
    bool asks;
};

class FailureCheckTest : public ExceptionDialogTest,
                         public ::testing::WithParamInterface<FailureCheckCase> {};

// "Yes" in any letter case shows the dialog; anything else lets the
// exception go to the runtime alone.
TEST_P(FailureCheckTest, OnlyYesInAnyCaseAsks)
{
    const FailureCheckCase& c = GetParam();
    app_.writeIni({{L"Application", L"Failure Check", c.value}});
    throwFromMain(throwing(L"checked"));
    StubRun result = run([](HWND dialog) { pressButton(dialog, IDOK); });

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.record.violations, std::vector<std::string>{});
    EXPECT_EQ(result.run.exitCode, kMainThrew);
    EXPECT_EQ(result.run.windows.size(), c.asks ? 1u : 0u);
    EXPECT_EQ(result.record.called("printStackTrace"), c.asks);
    EXPECT_TRUE(result.record.called("DestroyJavaVM end"));
}

INSTANTIATE_TEST_SUITE_P(Cases, FailureCheckTest,
                         ::testing::Values(FailureCheckCase{"yes", L"yes", true},
                                           FailureCheckCase{"YES", L"YES", true},
                                           FailureCheckCase{"yEs", L"yEs", true},
                                           FailureCheckCase{"no", L"No", false},
                                           FailureCheckCase{"true", L"true", false},
                                           FailureCheckCase{"one", L"1", false},
                                           FailureCheckCase{"y", L"Y", false},
                                           FailureCheckCase{"missing", std::nullopt, false}),
                         [](const auto& info) { return std::string(info.param.name); });

RECT clientRectOf(HWND control)
{
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE sizeOf(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void resize(HWND window, SIZE size)
{
    ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND sizeGripOf(HWND dialog)
{
    return findChild(dialog, [](HWND child) {
        wchar_t className[32] = {};
        ::GetClassNameW(child, className, 32);
        return _wcsicmp(className, L"ScrollBar") == 0 && (::GetWindowLongW(child, GWL_STYLE) & SBS_SIZEGRIP) != 0;
    });
}

struct Follow {
    int id;
    bool growsWidth;
    bool growsHeight;
    bool movesRight;
    bool movesDown;
};

// A rectangle as gtest compares and prints it: left, top, right, bottom.
using Box = std::array<LONG, 4>;

Box boxOf(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Enlarging widens and lengthens what holds text and keeps the buttons in
// the bottom-right corner with the size grip; the dialog cannot be made
// smaller than it opened, and the grip is hidden while it is maximised.
TEST_F(ExceptionDialogTest, ResizingMovesAndGrowsTheControlsAndKeepsTheFirstSizeAsMinimum)
{
    throwFromMain(throwing(L"resized"));
    constexpr int dx = 120;
    constexpr int dy = 90;
    constexpr Follow kFollows[] = {
        {209, true, true, false, false},  {204, false, false, false, false},
        {210, true, false, false, false}, {kTraceEdit, true, true, false, false},
        {211, true, false, false, true},  {212, true, false, false, true},
        {IDOK, false, false, true, true}, {IDCANCEL, false, false, true, true}};
    std::vector<RECT> before;
    std::vector<RECT> grown;
    std::vector<RECT> shrunk;
    SIZE opened{};
    SIZE afterGrowing{};
    SIZE afterShrinking{};
    RECT gripGrown{};
    RECT clientGrown{};
    bool gripHiddenWhenMaximised = false;
    bool gripShownWhenRestored = false;
    StubRun result = run([&](HWND dialog) {
        auto rects = [&] {
            std::vector<RECT> all;
            for (const Follow& follow : kFollows) {
                all.push_back(clientRectOf(::GetDlgItem(dialog, follow.id)));
            }
            return all;
        };
        before = rects();
        opened = sizeOf(dialog);
        resize(dialog, {opened.cx + dx, opened.cy + dy});
        afterGrowing = sizeOf(dialog);
        grown = rects();
        HWND grip = sizeGripOf(dialog);
        if (grip != nullptr) {
            gripGrown = clientRectOf(grip);
            ::GetClientRect(dialog, &clientGrown);
            ::ShowWindow(dialog, SW_MAXIMIZE);
            gripHiddenWhenMaximised = !::IsWindowVisible(grip);
            ::ShowWindow(dialog, SW_RESTORE);
            gripShownWhenRestored = ::IsWindowVisible(grip) != FALSE;
        }
        resize(dialog, {opened.cx - 60, opened.cy - 40});
        afterShrinking = sizeOf(dialog);
        shrunk = rects();
        pressButton(dialog, IDOK);
    });

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, kMainThrew);
    ASSERT_EQ(before.size(), std::size(kFollows));
    EXPECT_EQ(afterGrowing.cx, opened.cx + dx);
    EXPECT_EQ(afterGrowing.cy, opened.cy + dy);
    for (size_t i = 0; i < std::size(kFollows); ++i) {
        const Follow& f = kFollows[i];
        const RECT& b = before[i];
        const Box expected{b.left + (f.movesRight ? dx : 0), b.top + (f.movesDown ? dy : 0),
                            b.right + (f.movesRight || f.growsWidth ? dx : 0),
                            b.bottom + (f.movesDown || f.growsHeight ? dy : 0)};
        EXPECT_EQ(boxOf(grown[i]), expected) << "control " << f.id;
        EXPECT_EQ(boxOf(shrunk[i]), boxOf(b)) << "control " << f.id;
    }
    EXPECT_EQ(gripGrown.right, clientGrown.right);
    EXPECT_EQ(gripGrown.bottom, clientGrown.bottom);
    EXPECT_GT(gripGrown.right - gripGrown.left, 0);
    EXPECT_TRUE(gripHiddenWhenMaximised);
    EXPECT_TRUE(gripShownWhenRestored);
    EXPECT_EQ(afterShrinking.cx, opened.cx);
    EXPECT_EQ(afterShrinking.cy, opened.cy);
}

std::wstring clipboardText()
{
    std::wstring text;
    if (!::OpenClipboard(nullptr)) {
        return L"<clipboard not opened>";
    }
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* characters = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = characters;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

void emptyClipboard()
{
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
}

int firstVisibleLine(HWND edit)
{
    return static_cast<int>(::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
}

// Where the first character is drawn, in the edit's client coordinates.
int firstCharacterX(HWND edit)
{
    return static_cast<short>(LOWORD(::SendMessageW(edit, EM_POSFROMCHAR, 0, 0)));
}

// A trace longer and wider than the box: it scrolls both ways, and it can
// be selected and copied, but typing, cutting, pasting and clearing leave
// it as it was.
TEST_F(ExceptionDialogTest, TheTraceScrollsAndCanBeCopiedButNotEdited)
{
    constexpr int kDepth = 40;
    const std::wstring message = L"wide-" + std::wstring(300, L'w');
    throwFromMain(throwing(message, L"-Dstub.depth=" + std::to_wstring(kDepth)));
    const std::wstring trace = traceOf(message, kDepth);
    bool readOnlyStyle = false;
    int lineCount = 0;
    int lineAtBottom = 0;
    int lineAtTop = -1;
    int xBefore = 0;
    int xAfter = 0;
    std::wstring copied;
    std::wstring afterEditing;
    StubRun result = run([&](HWND dialog) {
        HWND edit = ::GetDlgItem(dialog, kTraceEdit);
        readOnlyStyle = (::GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) != 0;
        lineCount = static_cast<int>(::SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
        ::SendMessageW(edit, WM_VSCROLL, SB_BOTTOM, 0);
        lineAtBottom = firstVisibleLine(edit);
        ::SendMessageW(edit, WM_VSCROLL, SB_TOP, 0);
        lineAtTop = firstVisibleLine(edit);
        xBefore = firstCharacterX(edit);
        ::SendMessageW(edit, WM_HSCROLL, SB_PAGERIGHT, 0);
        xAfter = firstCharacterX(edit);

        emptyClipboard();
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        ::SendMessageW(edit, WM_COPY, 0, 0);
        copied = clipboardText();
        ::SendMessageW(edit, EM_SETSEL, 0, 5);
        ::SendMessageW(edit, WM_CHAR, L'x', 1);
        ::SendMessageW(edit, WM_CUT, 0, 0);
        ::SendMessageW(edit, WM_CLEAR, 0, 0);
        ::SendMessageW(edit, WM_PASTE, 0, 0);
        afterEditing = editText(edit);
        pressButton(dialog, IDOK);
    });

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.record.violations, std::vector<std::string>{});
    EXPECT_EQ(result.run.exitCode, kMainThrew);
    EXPECT_TRUE(readOnlyStyle);
    EXPECT_EQ(lineCount, kDepth + 3);  // the message, the frames, main, and the empty last line
    EXPECT_GT(lineAtBottom, 0);
    EXPECT_EQ(lineAtTop, 0);
    EXPECT_LT(xAfter, xBefore);
    EXPECT_EQ(copied, trace);
    EXPECT_EQ(afterEditing, trace);
}

}  // namespace
}  // namespace velmar::e2e
