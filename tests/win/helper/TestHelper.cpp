// Helper of the Wine test scripts: lotse_testhelper [--desktop NAME] COMMAND ...
// With --desktop it works on the windows of that existing desktop (a Wine
// virtual desktop) and fails with exit code 4 when there is none; without it,
// on the desktop it was started on. Commands:
//   hold-mutex NAME MILLISECONDS  hold a named mutex, then exit
//   broadcast WPARAM               WM_SETTINGCHANGE to all top-level windows
//   command TITLE ID               post WM_COMMAND ID to the window titled TITLE
//   post TITLE MESSAGE WPARAM LPARAM  post any message to it
//   rect TITLE                     print "x y width height" of the window
//   item-rect TITLE ID             the same for the window's control ID (at any depth)
//   move TITLE X Y [WIDTH HEIGHT]  move the window to X, Y (screen), keeping its size
//                                  unless a new one is given
//   item-text TITLE ID             print the text of its control ID (UTF-8)
//   class-window TITLE CLASS       print "x y width height style" of the window's
//                                  first descendant of that class (style in hex)
//   class-count CLASS              print how many visible windows of that class exist,
//                                  top-level or child (outside a virtual desktop, each
//                                  icon of Wine's tray is a "__winex11_tray_icon")
//   file-version PATH              print the file version of the program's version
//                                  resource as "a.b.c.d"; exit code 1 without one
//   live-events SECONDS TITLE      print "live ROOT-TITLE: NAME" for each live region
//                                  change any program raises (the accessible name of
//                                  its object), until a window titled TITLE exists or
//                                  SECONDS pass; "listening" once the hook is set
//   monitors                       print "x y width height" of each display monitor
//   keep-desktop THREADS           keep THREADS threads on the desktop it was started on,
//                                  until the Wine server ends; "keeping" once they run
//   focus                          print the foreground window and the active and
//                                  focused windows of its thread, each as
//                                  "CLASS:ID:TITLE" ("-" for none)
//   start PROGRAM [ARG...]         start the program on the desktop, handing on the
//                                  helper's output; print "started process PID", wait
//                                  until it ends and print its exit code; exit code 1
//                                  and the system's error when it could not be started
// Numbers may be decimal or 0x-hexadecimal. Exit code 2 means a missing window,
// 3 a usage error, 4 a missing desktop.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/win/EventObjectName.h"

namespace {

long long number(const wchar_t* text) {
    return std::wcstoll(text, nullptr, 0);
}

HWND findWindow(const wchar_t* title) {
    for (int i = 0; i < 50; ++i) {
        HWND window = FindWindowW(nullptr, title);
        if (window)
            return window;
        Sleep(100);
    }
    // Where the helper looked, so that a failing script says why.
    wchar_t desktop[128] = L"?";
    GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, desktop,
                              sizeof desktop, nullptr);
    std::fwprintf(stderr, L"no window titled %ls on desktop %ls; top-level windows:", title,
                  desktop);
    EnumWindows(
        [](HWND window, LPARAM) -> BOOL {
            wchar_t text[128] = {};
            if (InternalGetWindowText(window, text, 128) > 0)
                std::fwprintf(stderr, L" \"%ls\"%ls", text,
                              IsWindowVisible(window) ? L"" : L" (hidden)");
            return TRUE;
        },
        0);
    std::fwprintf(stderr, L"\n");
    return nullptr;
}

// The first of the window's descendants that `match` accepts.
HWND findDescendant(HWND window, const std::function<bool(HWND)>& match) {
    struct Search {
        const std::function<bool(HWND)>& match;
        HWND found;
    } search{match, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (!s->match(child))
                return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The control with that id among the window's children, or deeper (a property
// page inside a dialog holds its own controls).
HWND findItem(HWND window, int id) {
    if (HWND item = GetDlgItem(window, id))
        return item;
    return findDescendant(window, [id](HWND child) { return GetDlgCtrlID(child) == id; });
}

bool hasClass(HWND window, const wchar_t* className) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return _wcsicmp(name, className) == 0;
}

// The first window of that class among the window's descendants.
HWND findClass(HWND window, const wchar_t* className) {
    return findDescendant(window, [className](HWND child) { return hasClass(child, className); });
}

// Visible windows of that class, top-level or child, on this desktop.
int countClass(const wchar_t* className) {
    int found = 0;
    findDescendant(GetDesktopWindow(), [&](HWND window) {
        found += hasClass(window, className) && IsWindowVisible(window);
        return false;
    });
    return found;
}

// Prints the fixed file version of the program at `path`; 1 without one.
int printFileVersion(const wchar_t* path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return 1;
    std::vector<unsigned char> data(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path, 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        length < sizeof(VS_FIXEDFILEINFO))
        return 1;
    std::printf("%lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
                fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF);
    return 0;
}

void printBox(const RECT& rect) {
    std::printf("%ld %ld %ld %ld", rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
}

// Prints "x y width height", and the style in hex when asked; 2 for no window.
int printRect(HWND window, bool withStyle = false) {
    RECT rect{};
    if (!window || !GetWindowRect(window, &rect))
        return 2;
    printBox(rect);
    if (withStyle)
        std::printf(" %lx", static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)));
    std::printf("\n");
    return 0;
}

// Moves this thread onto the named desktop before any window is looked at.
// The helper is started straight from the scripts instead of through the
// desktop's explorer: each link of that chain (start.exe, explorer.exe) could
// leave it on another desktop, where every window looked missing.
bool joinDesktop(const wchar_t* name) {
    HDESK desktop = OpenDesktopW(name, 0, FALSE, GENERIC_ALL);
    if (!desktop) {
        std::fwprintf(stderr, L"no desktop %ls (error %lu)\n", name, GetLastError());
        return false;
    }
    wchar_t joined[128] = {};
    if (!SetThreadDesktop(desktop) ||
        !GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, joined,
                                   sizeof joined, nullptr) ||
        _wcsicmp(joined, name) != 0) {
        std::fwprintf(stderr, L"could not move onto desktop %ls (error %lu, on %ls)\n", name,
                      GetLastError(), joined);
        return false;
    }
    return true;
}

void printUtf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> utf8(static_cast<size_t>(size > 0 ? size : 1));
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    std::printf("%s", utf8.data());
}

void CALLBACK liveRegionChanged(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                                DWORD) {
    wchar_t root[256] = {};
    InternalGetWindowText(GetAncestor(window, GA_ROOT), root, 256);
    BSTR name = eventObjectName(window, object, child);
    std::printf("live ");
    printUtf8(root);
    std::printf(": ");
    printUtf8(name ? name : L"(no name)");
    std::printf("\n");
    std::fflush(stdout);
    SysFreeString(name);
}

int listenToLiveRegions(DWORD seconds, const wchar_t* untilTitle) {
    CoInitialize(nullptr);
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                        liveRegionChanged, 0, 0, WINEVENT_OUTOFCONTEXT);
    if (!hook)
        return 1;
    std::printf("listening\n");
    std::fflush(stdout);
    const DWORD end = GetTickCount() + seconds * 1000;
    while (static_cast<LONG>(end - GetTickCount()) > 0 && !FindWindowW(nullptr, untilTitle)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    UnhookWinEvent(hook);
    CoUninitialize();
    return 0;
}

BOOL CALLBACK printMonitor(HMONITOR, HDC, LPRECT rect, LPARAM) {
    printBox(*rect);
    std::printf("\n");
    return TRUE;
}

// Wine closes a virtual desktop (drops its name, then asks its explorer to
// quit) one second after a thread leaves it while the desktop's users number
// exactly as many as the explorer's running threads. It means "only the
// explorer is left", but the explorer's later threads run on the default
// desktop, so the count also matches while a few program threads still use
// it. Enough threads of our own keep the count above the explorer's.
int keepDesktop(int threads) {
    for (int i = 1; i < threads; ++i)
        CloseHandle(CreateThread(
            nullptr, 0, [](void*) -> DWORD { return SleepEx(INFINITE, FALSE); }, nullptr, 0,
            nullptr));
    std::printf("keeping\n");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}

void printWindow(const char* what, HWND window) {
    std::printf("%s ", what);
    if (!window) {
        std::printf("-\n");
        return;
    }
    wchar_t name[128] = {};
    wchar_t text[128] = {};
    GetClassNameW(window, name, 128);
    InternalGetWindowText(window, text, 128);
    printUtf8(name);
    std::printf(":%d:", GetDlgCtrlID(window));
    printUtf8(text);
    std::printf("\n");
}

// Where the keys go: the foreground window and its thread's focus.
int printFocus() {
    HWND foreground = GetForegroundWindow();
    printWindow("foreground", foreground);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!foreground || !GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info))
        return 1;
    printWindow("active", info.hwndActive);
    printWindow("focus", info.hwndFocus);
    return 0;
}

// Starts a program as the desktop's explorer does (the command line as given),
// but says on stderr what became of it: the explorer ignores a failed start,
// and a program that ends at once leaves no trace of why. Its stdout is the
// program's own, for scripts that read what it prints.
int startProgram(int argc, wchar_t** argv, const wchar_t* desktop) {
    std::wstring commandLine;
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            commandLine += L' ';
        const bool quoted = std::wcschr(argv[i], L' ') != nullptr;
        if (quoted)
            commandLine += L'"';
        commandLine += argv[i];
        if (quoted)
            commandLine += L'"';
    }
    std::wstring desktopName = desktop ? desktop : L"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop ? desktopName.data() : nullptr;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fwprintf(stderr, L"could not start %ls (error %lu)\n", commandLine.c_str(),
                      GetLastError());
        return 1;
    }
    std::fprintf(stderr, "started process %lu\n", process.dwProcessId);
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    std::fprintf(stderr, "process %lu ended, exit code %ld (0x%lx)\n", process.dwProcessId,
                 static_cast<long>(code), code);
    return 0;
}

int run(int argc, wchar_t** argv) {
    const wchar_t* desktop = nullptr;
    if (argc >= 3 && !std::wcscmp(argv[1], L"--desktop")) {
        desktop = argv[2];
        if (!joinDesktop(desktop))
            return 4;
        argc -= 2;
        argv += 2;
    }
    if (argc < 2)
        return 3;
    const wchar_t* command = argv[1];
    if (!std::wcscmp(command, L"hold-mutex") && argc == 4) {
        HANDLE mutex = CreateMutexW(nullptr, TRUE, argv[2]);
        if (!mutex)
            return 1;
        std::printf("holding\n");
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(number(argv[3])));
        CloseHandle(mutex);
        return 0;
    }
    if (!std::wcscmp(command, L"broadcast") && argc == 3) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, static_cast<WPARAM>(number(argv[2])),
                            0, SMTO_ABORTIFHUNG, 5000, &result);
        return 0;
    }
    if (!std::wcscmp(command, L"class-count") && argc == 3) {
        std::printf("%d\n", countClass(argv[2]));
        return 0;
    }
    if (!std::wcscmp(command, L"file-version") && argc == 3)
        return printFileVersion(argv[2]);
    if (!std::wcscmp(command, L"live-events") && argc == 4)
        return listenToLiveRegions(static_cast<DWORD>(number(argv[2])), argv[3]);
    if (!std::wcscmp(command, L"monitors") && argc == 2)
        return EnumDisplayMonitors(nullptr, nullptr, printMonitor, 0) ? 0 : 1;
    if (!std::wcscmp(command, L"keep-desktop") && argc == 3)
        return keepDesktop(static_cast<int>(number(argv[2])));
    if (!std::wcscmp(command, L"focus") && argc == 2)
        return printFocus();
    if (!std::wcscmp(command, L"start") && argc >= 3)
        return startProgram(argc - 2, argv + 2, desktop);
    if (argc < 3)
        return 3;
    HWND window = findWindow(argv[2]);
    if (!window)
        return 2;
    if (!std::wcscmp(command, L"command") && argc == 4)
        return PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(number(argv[3])), 0) ? 0 : 1;
    if (!std::wcscmp(command, L"post") && argc == 6)
        return PostMessageW(window, static_cast<UINT>(number(argv[3])),
                            static_cast<WPARAM>(number(argv[4])),
                            static_cast<LPARAM>(number(argv[5])))
                   ? 0
                   : 1;
    if (!std::wcscmp(command, L"rect") && argc == 3)
        return printRect(window);
    if (!std::wcscmp(command, L"move") && (argc == 5 || argc == 7)) {
        const bool sized = argc == 7;
        if (SetWindowPos(window, nullptr, static_cast<int>(number(argv[3])),
                         static_cast<int>(number(argv[4])),
                         sized ? static_cast<int>(number(argv[5])) : 0,
                         sized ? static_cast<int>(number(argv[6])) : 0,
                         (sized ? 0 : SWP_NOSIZE) | SWP_NOZORDER | SWP_NOACTIVATE))
            return 0;
        // Read before IsWindow, which may set it again.
        const DWORD error = GetLastError();
        std::fwprintf(stderr, L"could not move %ls (error %lu, window %ls)\n", argv[2], error,
                      IsWindow(window) ? L"still there" : L"gone");
        return 1;
    }
    if (!std::wcscmp(command, L"item-rect") && argc == 4) {
        const int id = static_cast<int>(number(argv[3]));
        HWND item = findItem(window, id);
        if (!item)
            std::fwprintf(stderr, L"%ls holds no control %d\n", argv[2], id);
        return printRect(item);
    }
    if (!std::wcscmp(command, L"class-window") && argc == 4)
        return printRect(findClass(window, argv[3]), true);
    if (!std::wcscmp(command, L"item-text") && argc == 4) {
        HWND item = GetDlgItem(window, static_cast<int>(number(argv[3])));
        if (!item)
            return 2;
        // GetWindowTextW does not ask controls of other processes.
        wchar_t text[4097] = {};
        SendMessageTimeoutW(item, WM_GETTEXT, 4097, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 5000, nullptr);
        printUtf8(text);
        std::printf("\n");
        return 0;
    }
    return 3;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    return run(argc, argv);
}
