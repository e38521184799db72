// The download link of "JRE Not Found": drawn in the user's link colours,
// opened with the shell on a click, Space or Enter, and not opened by a
// press that is released off the text. The browser is a recorder program
// registered, for the length of the test, as the handler of https
// addresses.
#include "dialog_driver.h"
#include "registry_key.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;
constexpr int kLink = 205;
constexpr int kMessage = 203;
constexpr COLORREF kLinkRed = RGB(255, 0, 0);
constexpr COLORREF kVisitedGreen = RGB(0, 128, 0);
constexpr const wchar_t* kColourKey = L"Software\\Microsoft\\Internet Explorer\\Settings";
// Under HKEY_CLASSES_ROOT: Wine looks the handler up there only (an entry
// under HKCU\Software\Classes was not used).
constexpr const wchar_t* kHttpsHandlerKey = L"https\\shell\\open\\command";

std::wstring recorderPath()
{
    wchar_t path[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"VELMAR_TEST_URL_RECORDER", path, MAX_PATH);
    std::wstring text = path;
    for (wchar_t& c : text) {
        c = c == L'/' ? L'\\' : c;
    }
    return text;
}

// The addresses the recorder was given, one each.
std::vector<std::wstring> recorded(const std::wstring& record)
{
    HANDLE file = ::CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::wstring text(4096, L'\0');
    DWORD read = 0;
    ::ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr);
    ::CloseHandle(file);
    text.resize(read / sizeof(wchar_t));
    std::vector<std::wstring> lines;
    std::wistringstream stream(text);
    for (std::wstring line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

LPARAM pointAt(int x, int y)
{
    return MAKELPARAM(x, y);
}

// Sent, not posted: each returns once the link has acted on it.
void press(HWND link, LPARAM point)
{
    ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, point);
}

void release(HWND link, LPARAM point)
{
    ::SendMessageW(link, WM_LBUTTONUP, 0, point);
}

TEST(DownloadLinkTest, OpensTheAddressOnClickSpaceAndEnterButNotOnAReleaseOffTheText)
{
    StubApp app;
    app.writeIni({{L"Java Runtime Environment", L"JRE Path", std::nullopt}});
    const std::wstring record = app.installation().path(L"opened.txt");
    ScopedRegistryValue handler(HKEY_CLASSES_ROOT, kHttpsHandlerKey, L"",
                                L"\"" + recorderPath() + L"\" \"" + record + L"\" \"%1\"");
    ScopedRegistryValue linkColour(HKEY_CURRENT_USER, kColourKey, L"Anchor Color", L"255,0,0");
    ScopedRegistryValue visitedColour(HKEY_CURRENT_USER, kColourKey, L"Anchor Color Visited",
                                      L"0,128,0");
    std::wstring address;
    bool redAtFirst = false;
    bool visitedAfterOffRelease = true;
    std::vector<std::wstring> afterOffRelease{L"<not reached>"};
    size_t afterClick = 0;
    bool greenAfterClick = false;
    size_t afterSpace = 0;
    size_t afterEnter = 0;
    StubRun result = app.run(
        {.arguments = L"-nosplash",
         .onWindow =
             [&](HWND dialog, const WindowSeen&) {
                 HWND link = ::GetDlgItem(dialog, kLink);
                 RECT client{};
                 ::GetClientRect(link, &client);
                 address = controlText(dialog, kLink);
                 redAtFirst = waitUntil([&] { return showsColour(link, kLinkRed); }, 5000);
                 press(link, pointAt(2, 2));
                 release(link, pointAt(client.right + 40, 2));
                 visitedAfterOffRelease = showsColour(link, kVisitedGreen);
                 afterOffRelease = recorded(record);
                 press(link, pointAt(2, 2));
                 release(link, pointAt(2, 2));
                 waitUntil([&] { return !recorded(record).empty(); }, 10000);
                 afterClick = recorded(record).size();
                 greenAfterClick = waitUntil([&] { return showsColour(link, kVisitedGreen); }, 5000);
                 ::SendMessageW(link, WM_CHAR, VK_SPACE, 0);
                 waitUntil([&] { return recorded(record).size() >= 2; }, 10000);
                 afterSpace = recorded(record).size();
                 ::SendMessageW(link, WM_CHAR, VK_RETURN, 0);
                 waitUntil([&] { return recorded(record).size() >= 3; }, 10000);
                 afterEnter = recorded(record).size();
                 pressButton(dialog, IDCANCEL);
             },
         .timeoutMs = 90000});

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, kFailure);
    EXPECT_EQ(address, L"https://java.com/");
    EXPECT_TRUE(redAtFirst) << "the link is not drawn in \"Anchor Color\"";
    EXPECT_FALSE(visitedAfterOffRelease);
    EXPECT_TRUE(afterOffRelease.empty());
    EXPECT_EQ(afterClick, 1u);
    EXPECT_TRUE(greenAfterClick) << "the link is not drawn in \"Anchor Color Visited\"";
    EXPECT_EQ(afterSpace, 2u);
    EXPECT_EQ(afterEnter, 3u);
    EXPECT_EQ(recorded(record), std::vector<std::wstring>(3, address));
}

// "Download Address" replaces the link: shown whole, beyond the width the
// dialog's own address needs, and opened on a click.
TEST(DownloadLinkTest, AGivenAddressIsShownWholeAndOpened)
{
    const std::wstring given = L"https://example.com/java/download?version=17&os=windows";
    StubApp app;
    app.writeIni({{L"Java Runtime Environment", L"JRE Path", std::nullopt},
                  {L"Java Runtime Environment", L"Download Address", given}});
    const std::wstring record = app.installation().path(L"opened.txt");
    ScopedRegistryValue handler(HKEY_CLASSES_ROOT, kHttpsHandlerKey, L"",
                                L"\"" + recorderPath() + L"\" \"" + record + L"\" \"%1\"");
    std::wstring address;
    LONG linkWidth = 0;
    LONG messageRight = 0;
    StubRun result = app.run({.arguments = L"-nosplash",
                              .onWindow =
                                  [&](HWND dialog, const WindowSeen&) {
                                      HWND link = ::GetDlgItem(dialog, kLink);
                                      address = controlText(dialog, kLink);
                                      RECT linkRect{};
                                      RECT messageRect{};
                                      ::GetWindowRect(link, &linkRect);
                                      ::GetWindowRect(::GetDlgItem(dialog, kMessage), &messageRect);
                                      linkWidth = linkRect.right - linkRect.left;
                                      messageRight = messageRect.right - linkRect.left;
                                      press(link, pointAt(2, 2));
                                      release(link, pointAt(2, 2));
                                      waitUntil([&] { return !recorded(record).empty(); }, 10000);
                                      pressButton(dialog, IDCANCEL);
                                  },
                              .timeoutMs = 90000});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, kFailure);
    EXPECT_EQ(address, given);
    EXPECT_EQ(linkWidth, messageRight) << "the link keeps the width of the template's address";
    EXPECT_EQ(recorded(record), std::vector<std::wstring>{given});
}

}  // namespace
}  // namespace velmar::e2e
