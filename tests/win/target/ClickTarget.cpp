// A program for Lotse to guide, record and pick on, which logs when it receives
// the user's input:
//   lotse_clicktarget.exe LOGFILE
// opens the window "Klickziel" with the buttons "Eins", "Zwei", "Drei" and
// "Neu..." (control ids 101 to 104); "Neu..." opens the window "Klickziel Neu"
// with the button "OK" (id 1), which closes it again, as a program's command
// opens a dialog. It appends one line per event to LOGFILE:
//   ready                          the window is shown and takes input
//   button ID X Y WIDTH HEIGHT     a button's place on the screen when its
//                                  window opens
//   EVENT ID MICROSECONDS          a mouse button or Return key message that
//                                  button ID received (down, up, rdown, rup,
//                                  key, keyup), stamped with the system clock
//                                  in microseconds since 1970 (the clock of the
//                                  Unix side under Wine)
// Its thread only ever waits for messages.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr wchar_t windowClass[] = L"LotseClickTarget";
// A class of its own, as a program's dialogs have.
constexpr wchar_t newWindowClass[] = L"LotseClickTargetNew";
constexpr int newWindowButton = 104;

HANDLE logFile = INVALID_HANDLE_VALUE;
WNDPROC buttonProc = nullptr;
HWND newWindow = nullptr;

unsigned long long nowMicroseconds() {
    FILETIME time;
    GetSystemTimePreciseAsFileTime(&time);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (ticks - 116444736000000000ULL) / 10; // 100 ns since 1601 -> us since 1970
}

// One line, written through at once so that a reader sees it while we run.
void logLine(const char* text) {
    DWORD written = 0;
    WriteFile(logFile, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

void logEvent(const char* event, int id) {
    char line[96];
    std::snprintf(line, sizeof line, "%s %d %llu\n", event, id, nowMicroseconds());
    logLine(line);
}

const char* eventName(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return "down";
    case WM_LBUTTONUP:
        return "up";
    case WM_RBUTTONDOWN:
        return "rdown";
    case WM_RBUTTONUP:
        return "rup";
    case WM_KEYDOWN:
        return wParam == VK_RETURN ? "key" : nullptr;
    case WM_KEYUP:
        return wParam == VK_RETURN ? "keyup" : nullptr;
    }
    return nullptr;
}

LRESULT CALLBACK loggingButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    if (const char* event = eventName(message, wParam))
        logEvent(event, GetDlgCtrlID(button));
    return CallWindowProcW(buttonProc, button, message, wParam, lParam);
}

void addButton(HWND window, int id, const wchar_t* name, int x, int y) {
    HWND button =
        CreateWindowExW(0, L"BUTTON", name, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x,
                        y, 110, 50, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        GetModuleHandleW(nullptr), nullptr);
    buttonProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(loggingButtonProc)));
}

void logButtons(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        char line[96];
        std::snprintf(line, sizeof line, "button %d %ld %ld %ld %ld\n", GetDlgCtrlID(child),
                      rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        logLine(line);
    }
}

HWND openWindow(const wchar_t* className, const wchar_t* title, int x, int y, int width,
                int height) {
    return CreateWindowExW(0, className, title, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, x, y,
                           width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == newWindowButton && !newWindow) {
            newWindow = openWindow(newWindowClass, L"Klickziel Neu", 760, 320, 300, 140);
            addButton(newWindow, IDOK, L"OK", 90, 20);
            ShowWindow(newWindow, SW_SHOW);
            logButtons(newWindow);
        } else if (LOWORD(wParam) == IDOK && window == newWindow) {
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        if (window == newWindow)
            newWindow = nullptr;
        else
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 3;
    logFile = CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (logFile == INVALID_HANDLE_VALUE)
        return 1;
    WNDCLASSW type{};
    type.lpfnWndProc = windowProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = windowClass;
    if (!RegisterClassW(&type))
        return 1;
    type.lpszClassName = newWindowClass;
    if (!RegisterClassW(&type))
        return 1;
    HWND window = openWindow(windowClass, L"Klickziel", 700, 60, 560, 150);
    if (!window)
        return 1;
    const wchar_t* names[] = {L"Eins", L"Zwei", L"Drei", L"Neu..."};
    for (int i = 0; i < 4; ++i)
        addButton(window, 101 + i, names[i], 10 + i * 135, 20);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    logButtons(window);
    logLine("ready\n");
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CloseHandle(logFile);
    return 0;
}
