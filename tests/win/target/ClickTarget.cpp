// A program for Lotse to guide, record and pick on, which logs when it receives
// the user's input:
//   lotse_clicktarget.exe LOGFILE [VARIANT]
// opens the window "Klickziel" with the buttons "Eins", "Zwei", "Drei" and
// "Neu..." (control ids 101 to 104); "Neu..." opens the window "Klickziel Neu"
// with the button "OK" (id 1), which closes it again, as a program's command
// opens a dialog. With a VARIANT the buttons sit in the group box "Auswahl"
// (id 110, a button too, as Windows makes group boxes), and the variant changes
// that window as a later version of a program or another setting might, mostly
// around "Zwei" (see `variants` below; "baseline" changes nothing). It appends
// one line per event to LOGFILE:
//   ready                          the window is shown and takes input
//   window X Y WIDTH HEIGHT        the main window's place on the screen
//   button ID X Y WIDTH HEIGHT     a control's place on the screen when its
//                                  window opens (controls in a container too)
//   EVENT ID MICROSECONDS          a mouse button or Return key message that
//                                  button ID received (down, up, rdown, rup,
//                                  key, keyup), stamped with the system clock
//                                  in microseconds since 1970 (the clock of the
//                                  Unix side under Wine)
// Its thread only ever waits for messages.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <initializer_list>

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

void logRect(const char* what, HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    char line[96];
    std::snprintf(line, sizeof line, "%s %ld %ld %ld %ld\n", what, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top);
    logLine(line);
}

void logButtons(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char what[32];
        std::snprintf(what, sizeof what, "button %d", GetDlgCtrlID(child));
        logRect(what, child);
        logButtons(child);
    }
}

constexpr wchar_t otherWindowClass[] = L"LotseClickTargetB";
constexpr wchar_t panelClass[] = L"LotseClickPanel";

// How a variant differs from the baseline layout.
struct Variant {
    const wchar_t* className = windowClass;
    const wchar_t* title = L"Klickziel";
    int x = 700, y = 60;
    const wchar_t* group = L"Auswahl";
    std::array<const wchar_t*, 4> captions = {L"Eins", L"Zwei", L"Drei", L"Neu..."};
    int zweiId = 102;
    bool zwei = true;         // "Zwei" exists
    bool inContainer = false; // "Zwei" sits in a panel of its own
    bool reordered = false;   // the buttons are made, and placed, in another order
    bool inserted = false;    // buttons "Vier" and "Fünf" come in between
    bool lookAlike = false;   // a second "Zwei" (id 106) stands just before it
};

struct NamedVariant {
    const wchar_t* name;
    void (*change)(Variant&);
};

const NamedVariant variants[] = {
    {L"baseline", [](Variant&) {}},
    {L"container", [](Variant& v) { v.inContainer = true; }},
    {L"text-and-id", [](Variant& v) { v.captions[1] = L"Weiter", v.zweiId = 120; }},
    {L"removed", [](Variant& v) { v.zwei = false; }},
    {L"language",
     [](Variant& v) {
         v.title = L"Click target", v.group = L"Choice";
         v.captions = {L"One", L"Two", L"Three", L"New..."};
     }},
    {L"window-class", [](Variant& v) { v.className = otherWindowClass; }},
    {L"moved", [](Variant& v) { v.x = 120, v.y = 520; }},
    {L"title", [](Variant& v) { v.title = L"Klickziel - Dokument 2"; }},
    {L"reordered", [](Variant& v) { v.reordered = true; }},
    {L"inserted", [](Variant& v) { v.inserted = true; }},
    {L"relabelled", [](Variant& v) { v.captions[1] = L"&Zwei..."; }},
    {L"other-id", [](Variant& v) { v.zweiId = 150; }},
    {L"look-alike", [](Variant& v) { v.lookAlike = true; }},
    {L"similar", [](Variant& v) { v.captions[1] = L"Zwei:", v.zweiId = 120; }},
};

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

// A panel passes its buttons' commands on to the window, as a program's containers do.
LRESULT CALLBACK panelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND)
        return SendMessageW(GetParent(panel), message, wParam, lParam);
    return DefWindowProcW(panel, message, wParam, lParam);
}

// The named variant's window: the group box first, then the buttons in a row
// inside it; null for an unknown name.
HWND openVariant(const wchar_t* name) {
    const NamedVariant* named =
        std::find_if(std::begin(variants), std::end(variants),
                     [name](auto& n) { return !std::wcscmp(n.name, name); });
    if (named == std::end(variants))
        return nullptr;
    Variant v;
    named->change(v);
    HWND window = openWindow(v.className, v.title, v.x, v.y, 700, 190);
    if (!window)
        return nullptr;
    HWND group =
        CreateWindowExW(0, L"BUTTON", v.group, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 5, 5, 675, 140,
                        window, reinterpret_cast<HMENU>(110), GetModuleHandleW(nullptr), nullptr);
    if (!group)
        return nullptr;
    // Made in this order, which is also the order of the window's children.
    struct Place {
        int id;
        const wchar_t* caption;
    };
    Place places[8];
    int count = 0;
    places[count++] = {101, v.captions[0]};
    if (v.inserted)
        places[count++] = {105, L"Vier"};
    if (v.lookAlike)
        places[count++] = {106, v.captions[1]};
    if (v.zwei)
        places[count++] = {v.zweiId, v.captions[1]};
    places[count++] = {103, v.captions[2]};
    if (v.inserted)
        places[count++] = {107, L"F\u00fcnf"};
    places[count++] = {newWindowButton, v.captions[3]};
    if (v.reordered)
        std::reverse(places, places + count);
    for (int i = 0; i < count; ++i) {
        const Place& p = places[i];
        // The baseline's four buttons keep their row (mirrored when reordered);
        // extras go to a second row, the look-alike just below "Zwei".
        int slot = 1;
        if (p.id == 101)
            slot = 0;
        else if (p.id == 103 || p.id == 107)
            slot = 2;
        else if (p.id == newWindowButton)
            slot = 3;
        if (v.reordered)
            slot = 3 - slot;
        const bool extra = p.id == 105 || p.id == 106 || p.id == 107;
        const int x = 20 + slot * 160;
        const int y = extra ? 85 : 30;
        if (p.id == v.zweiId && v.inContainer) {
            HWND panel =
                CreateWindowExW(0, panelClass, L"", WS_CHILD | WS_VISIBLE, x, y, 110, 50, window,
                                reinterpret_cast<HMENU>(111), GetModuleHandleW(nullptr), nullptr);
            addButton(panel, p.id, p.caption, 0, 0);
        } else {
            addButton(window, p.id, p.caption, x, y);
        }
    }
    return window;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3)
        return 3;
    logFile = CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (logFile == INVALID_HANDLE_VALUE)
        return 1;
    WNDCLASSW type{};
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    for (const wchar_t* name : {windowClass, newWindowClass, otherWindowClass, panelClass}) {
        type.lpfnWndProc = name == panelClass ? panelProc : windowProc;
        type.lpszClassName = name;
        if (!RegisterClassW(&type))
            return 1;
    }
    HWND window = nullptr;
    if (argc == 2) {
        window = openWindow(windowClass, L"Klickziel", 700, 60, 560, 150);
        if (!window)
            return 1;
        const wchar_t* names[] = {L"Eins", L"Zwei", L"Drei", L"Neu..."};
        for (int i = 0; i < 4; ++i)
            addButton(window, 101 + i, names[i], 10 + i * 135, 20);
    } else {
        window = openVariant(argv[2]);
        if (!window)
            return 3;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    logRect("window", window);
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
