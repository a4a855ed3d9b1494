#include "app/win/TrayIcon.h"

#include "base/win/WideText.h"

#include <commctrl.h>

#include <cstddef>
#include <cstring>

namespace {

// The record up to, not including, the balloon icon: what the program fills.
constexpr DWORD recordSize = 968;
static_assert(offsetof(NOTIFYICONDATAW, hBalloonIcon) == recordSize);

// What the notification toolbar keeps per button: the owner window and the
// icon id lead the data; 16 bytes are read.
struct TrayItemData {
    HWND window;
    UINT iconId;
    UINT reserved;
};
static_assert(sizeof(TrayItemData) == 16);
static_assert(sizeof(TBBUTTON) == 32);

HWND findNotificationToolbar() {
    const wchar_t* chain[] = {L"Shell_TrayWnd", L"TrayNotifyWnd", L"SysPager", L"ToolbarWindow32"};
    HWND window = nullptr;
    for (const wchar_t* className : chain) {
        window = FindWindowExW(window, nullptr, className, nullptr);
        if (!window)
            return nullptr;
    }
    return window;
}

template <typename T> bool readWhole(HANDLE process, const void* address, T& into) {
    SIZE_T got = 0;
    return ReadProcessMemory(process, address, &into, sizeof(T), &got) && got == sizeof(T);
}

} // namespace

namespace TrayIcon {

bool add(NOTIFYICONDATAW& record, HWND window, HICON icon, const String& tooltip) {
    std::memset(&record, 0, sizeof(record));
    record.cbSize = recordSize;
    record.hWnd = window;
    record.uID = iconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = callbackMessage;
    record.hIcon = icon;
    int length = tooltip.length();
    int room = static_cast<int>(sizeof(record.szTip) / sizeof(record.szTip[0])) - 1;
    std::memcpy(record.szTip, tooltip.data(), sizeof(wchar_t) * (length < room ? length : room));

    bool added = false;
    for (int attempt = 0; attempt < 10 && !added; ++attempt) {
        added = Shell_NotifyIconW(NIM_ADD, &record);
        if (!added)
            Sleep(100); // the taskbar may still be starting
    }
    revealButton(record);
    return added;
}

RECT revealButton(const NOTIFYICONDATAW& record) {
    RECT found{};
    HWND toolbar = findNotificationToolbar();
    if (!toolbar)
        return found;
    DWORD processId = 0;
    GetWindowThreadProcessId(toolbar, &processId);
    if (!processId)
        return found;
    HANDLE process = OpenProcess(0x1F0FFF, FALSE, processId);
    if (!process)
        return found;

    int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    void* remote = nullptr;
    if (count > 0)
        remote = VirtualAllocEx(process, nullptr, sizeof(TBBUTTON), MEM_COMMIT, PAGE_READWRITE);
    for (int i = 0; remote && i < count; ++i) {
        TBBUTTON button{};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(remote));
        if (!readWhole(process, remote, button))
            continue;
        TrayItemData item{};
        if (!readWhole(process, reinterpret_cast<const void*>(button.dwData), item))
            continue;
        if (item.window != record.hWnd || item.iconId != record.uID)
            continue;
        if (button.fsState & TBSTATE_HIDDEN)
            SendMessageW(toolbar, TB_HIDEBUTTON, button.idCommand, FALSE);
        SendMessageW(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(remote));
        RECT rect{};
        if (readWhole(process, remote, rect)) {
            MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rect), 2);
            found = rect;
        }
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return found;
}

void remove(NOTIFYICONDATAW& record) {
    if (record.cbSize == 0 || !record.hWnd)
        return;
    Shell_NotifyIconW(NIM_DELETE, &record);
}

} // namespace TrayIcon
