// Watches Lotse's frame from outside the program, as a user sees it come and go:
//   lotse_framewatcher.exe LOGFILE
// polls every millisecond or two for a visible overlay window (the window class
// of automation/win/OverlayWindow) and appends one line per change to LOGFILE:
//   ready                    watching
//   frame HANDLE MICROSECONDS  a visible overlay window appeared (a new one, or
//                              the old one shown again)
//   gone MICROSECONDS          no visible overlay window any more
// The times are the system clock in microseconds since 1970, the clock of the
// Unix side under Wine. It runs until its Wine prefix ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr wchar_t overlayClass[] = L"OverlayWindowClass";

unsigned long long nowMicroseconds() {
    FILETIME time;
    GetSystemTimePreciseAsFileTime(&time);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (ticks - 116444736000000000ULL) / 10;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 3;
    HANDLE log = CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    auto write = [log](const char* text) {
        DWORD written = 0;
        WriteFile(log, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    };
    // Sleep(1) sleeps a millisecond, not a scheduler tick.
    timeBeginPeriod(1);
    write("ready\n");
    HWND shown = nullptr;
    for (;;) {
        HWND overlay = FindWindowExW(nullptr, nullptr, overlayClass, nullptr);
        while (overlay && !IsWindowVisible(overlay))
            overlay = FindWindowExW(nullptr, overlay, overlayClass, nullptr);
        if (overlay != shown) {
            char line[96];
            if (overlay)
                std::snprintf(line, sizeof line, "frame %llx %llu\n",
                              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(overlay)),
                              nowMicroseconds());
            else
                std::snprintf(line, sizeof line, "gone %llu\n", nowMicroseconds());
            write(line);
            shown = overlay;
        }
        Sleep(1);
    }
}
