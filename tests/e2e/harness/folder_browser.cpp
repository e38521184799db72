// Drives the shell's folder browser of another process the way a user
// does: open "My Computer", then the drive, then each folder of the path
// by its name, select the last one and press OK. The tree view's item
// texts live in the browser's process, so they are read through a buffer
// placed there.
#include "dialog_driver.h"
#include "launcher_run.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string_view>

namespace velmar::e2e {

namespace {

constexpr DWORD kStepBoundMs = 10000;
constexpr int kItemTextChars = MAX_PATH;
// What the shell calls the node that holds the drives, by Windows version.
constexpr std::wstring_view kComputerNames[] = {L"My Computer", L"Computer", L"This PC"};

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using UniqueProcess = std::unique_ptr<void, HandleCloser>;

DWORD processOf(HWND window)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    return processId;
}

std::wstring classOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

HWND browserOwnedBy(HWND dialog)
{
    for (HWND window : processWindows(processOf(dialog))) {
        if (window != dialog && ::GetWindow(window, GW_OWNER) == dialog &&
            classOf(window) == L"#32770") {
            return window;
        }
    }
    return nullptr;
}

HWND treeOf(HWND browser)
{
    return findChild(browser, [](HWND child) { return classOf(child) == WC_TREEVIEWW; });
}

bool sameName(std::wstring_view a, std::wstring_view b)
{
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A TVITEMW and its text buffer inside the browser's process, freed at
// scope exit.
class RemoteItem {
public:
    explicit RemoteItem(HANDLE process) : process_(process)
    {
        address_ = static_cast<BYTE*>(::VirtualAllocEx(process, nullptr, kBytes,
                                                       MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteItem()
    {
        if (address_ != nullptr) {
            ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
    }
    RemoteItem(const RemoteItem&) = delete;
    RemoteItem& operator=(const RemoteItem&) = delete;

    bool usable() const { return address_ != nullptr; }

    std::optional<std::wstring> textOf(HWND tree, HTREEITEM handle) const
    {
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = handle;
        item.pszText = reinterpret_cast<wchar_t*>(address_ + sizeof(TVITEMW));
        item.cchTextMax = kItemTextChars;
        if (!::WriteProcessMemory(process_, address_, &item, sizeof item, nullptr) ||
            !::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(address_)) ||
            !::ReadProcessMemory(process_, address_, &item, sizeof item, nullptr)) {
            return std::nullopt;
        }
        // The control may answer with a pointer to its own copy.
        wchar_t text[kItemTextChars] = {};
        if (!::ReadProcessMemory(process_, item.pszText, text, sizeof text, nullptr)) {
            return std::nullopt;
        }
        text[kItemTextChars - 1] = L'\0';
        return text;
    }

private:
    static constexpr SIZE_T kBytes = sizeof(TVITEMW) + kItemTextChars * sizeof(wchar_t);
    HANDLE process_;
    BYTE* address_ = nullptr;
};

HTREEITEM nextItem(HWND tree, UINT relation, HTREEITEM item)
{
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// Opens `parent` and waits for a child whose text `matches`; the texts
// seen go into `seen` for the failure message.
template <typename Match>
HTREEITEM openChild(HWND tree, const RemoteItem& remote, HTREEITEM parent, Match matches,
                    std::wstring& seen)
{
    HTREEITEM found = nullptr;
    waitUntil(
        [&] {
            ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
            seen.clear();
            for (HTREEITEM child = nextItem(tree, TVGN_CHILD, parent); child != nullptr;
                 child = nextItem(tree, TVGN_NEXT, child)) {
                const std::wstring text = remote.textOf(tree, child).value_or(L"?");
                seen += L"[" + text + L"]";
                if (matches(text)) {
                    found = child;
                    return true;
                }
            }
            return false;
        },
        kStepBoundMs);
    return found;
}

std::vector<std::wstring> folderNames(const std::wstring& path)
{
    std::vector<std::wstring> names;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) {
            end = path.size();
        }
        if (end > start) {
            names.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return names;
}

// The item of `folder`, reached from the tree's root as a user opens it.
HTREEITEM walkTo(HWND tree, const RemoteItem& remote, const std::wstring& folder)
{
    const std::vector<std::wstring> names = folderNames(folder);
    std::wstring seen;
    HTREEITEM item = openChild(
        tree, remote, nextItem(tree, TVGN_ROOT, nullptr),
        [](const std::wstring& text) {
            for (std::wstring_view name : kComputerNames) {
                if (sameName(text, name)) {
                    return true;
                }
            }
            return false;
        },
        seen);
    if (item == nullptr || names.empty()) {
        ADD_FAILURE() << "no computer node among " << ::testing::PrintToString(seen);
        return nullptr;
    }
    // A drive shows as "Z:" or with its label, "Label (Z:)".
    const std::wstring& drive = names.front();
    item = openChild(
        tree, remote, item,
        [&](const std::wstring& text) {
            const std::wstring labelled = L"(" + drive + L")";
            return sameName(text, drive) ||
                   (text.size() > labelled.size() &&
                    sameName(std::wstring_view(text).substr(text.size() - labelled.size()), labelled));
        },
        seen);
    for (size_t i = 1; item != nullptr && i < names.size(); ++i) {
        item = openChild(
            tree, remote, item, [&](const std::wstring& text) { return sameName(text, names[i]); },
            seen);
    }
    if (item == nullptr) {
        ADD_FAILURE() << "the browser does not lead to " << ::testing::PrintToString(folder)
                      << "; the last folder opened holds " << ::testing::PrintToString(seen);
    }
    return item;
}

}  // namespace

bool pickFolder(HWND dialog, int browseButtonId, const std::wstring& folder,
                const std::wstring& screenshotName)
{
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(browseButtonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, browseButtonId)));
    HWND browser = nullptr;
    HWND tree = nullptr;
    if (!waitUntil([&] {
            browser = browserOwnedBy(dialog);
            return browser != nullptr && (tree = treeOf(browser)) != nullptr;
        })) {
        ADD_FAILURE() << "no folder browser with a tree appeared";
        return false;
    }
    UniqueProcess process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                        FALSE, processOf(dialog)));
    if (!process) {
        return false;
    }
    const RemoteItem remote(process.get());
    HTREEITEM item = remote.usable() ? walkTo(tree, remote, folder) : nullptr;
    if (item == nullptr) {
        pressButton(browser, IDCANCEL);
        return false;
    }
    ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    if (!waitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(browser, IDOK)) != FALSE; },
                   kStepBoundMs)) {
        pressButton(browser, IDCANCEL);
        return false;
    }
    if (!screenshotName.empty()) {
        keepScreenshot(browser, screenshotName);
    }
    pressButton(browser, IDOK);
    return waitUntil([&] { return !::IsWindow(browser); });
}

}  // namespace velmar::e2e
