#include "automation/win/OverlayWindow.h"

namespace {

ElementRect fromRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

std::optional<ElementRect> monitorArea(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoW(monitor, &info))
        return std::nullopt;
    return fromRect(info.rcMonitor);
}

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    if (std::optional<ElementRect> area = monitorArea(monitor))
        reinterpret_cast<std::vector<ElementRect>*>(data)->push_back(*area);
    return TRUE;
}

} // namespace

OverlayWindow& OverlayWindow::instance() {
    static OverlayWindow overlayWindow;
    return overlayWindow;
}

OverlayWindow::~OverlayWindow() {
    // The window procedure must not reach a destroyed object.
    overlay.shutdown();
}

void OverlayWindow::attach(HINSTANCE moduleHandle, HWND ownerWindow) {
    module = moduleHandle;
    owner = ownerWindow;
}

HINSTANCE OverlayWindow::moduleInstance() const {
    return module ? module : GetModuleHandleW(nullptr);
}

std::vector<ElementRect> OverlayWindow::monitors() {
    std::vector<ElementRect> areas;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

std::optional<ElementRect> OverlayWindow::ownerMonitor() {
    HMONITOR monitor = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                             : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    return monitorArea(monitor);
}

bool OverlayWindow::windowExists() {
    return handle && IsWindow(handle);
}

bool OverlayWindow::createWindow(const ElementRect& area) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = moduleInstance();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    // A class left registered (its window went with the owner) is used again.
    if (RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        classRegistered = true;
    handle = CreateWindowExW(exStyle, className, L"static", style, area.left, area.top,
                             area.right - area.left, area.bottom - area.top, owner, nullptr,
                             moduleInstance(), this);
    if (!handle)
        return false;
    // WS_CHILD in the style makes some systems (Wine) drop WS_EX_TOPMOST.
    SetWindowPos(handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetLayeredWindowAttributes(handle, RGB(0, 0, 0), alpha, LWA_COLORKEY | LWA_ALPHA);
    // Shown without activation: the user keeps typing into the marked program.
    ShowWindow(handle, SW_SHOWNA);
    return true;
}

void OverlayWindow::moveWindow(const ElementRect& area) {
    if (windowExists())
        SetWindowPos(handle, HWND_TOPMOST, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOACTIVATE);
}

void OverlayWindow::destroyWindow() {
    // The class can only go once no window of it is left.
    if (windowExists())
        DestroyWindow(handle);
    handle = nullptr;
    if (classRegistered) {
        UnregisterClassW(className, moduleInstance());
        classRegistered = false;
    }
}

void OverlayWindow::showWindow(bool show) {
    if (windowExists())
        ShowWindow(handle, show ? SW_SHOWNA : SW_HIDE);
}

void OverlayWindow::raiseWindow() {
    if (!windowExists())
        return;
    // Out of the top-most band and back in: a window already first in the
    // z-order would otherwise not be stacked anew on the screen (Wine keeps its
    // X windows in their old order then).
    constexpr UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(handle, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
    SetWindowPos(handle, HWND_TOPMOST, 0, 0, 0, 0, keep);
}

void OverlayWindow::repaint() {
    if (windowExists())
        InvalidateRect(handle, nullptr, TRUE);
}

void OverlayWindow::setFrameImage(const FrameImage* image) {
    if (memoryDc) {
        SelectObject(memoryDc, dcBitmap);
        DeleteDC(memoryDc);
        memoryDc = nullptr;
    }
    if (bitmap) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    frameWidth = frameHeight = 0;
    if (!image || image->empty())
        return;
    bitmap = CreateBitmap(image->width, image->height, 1, 32, image->pixels.data());
    if (!bitmap)
        return;
    HDC screen = GetDC(nullptr);
    memoryDc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!memoryDc) {
        DeleteObject(bitmap);
        bitmap = nullptr;
        return;
    }
    dcBitmap = SelectObject(memoryDc, bitmap);
    frameWidth = image->width;
    frameHeight = image->height;
}

void OverlayWindow::blendFrame(int x, int y) {
    if (!memoryDc)
        return;
    HDC screen = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (!screen)
        return;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 127, AC_SRC_ALPHA};
    AlphaBlend(screen, x, y, frameWidth, frameHeight, memoryDc, 0, 0, frameWidth, frameHeight,
               blend);
    DeleteDC(screen);
}

void OverlayWindow::paint(HDC dc) {
    const ElementRect box = overlay.boxRect();
    if (box.isEmpty())
        return;
    HPEN pen = CreatePen(PS_SOLID, 2, borderColour);
    HBRUSH brush = CreateSolidBrush(fillColour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    Rectangle(dc, box.left, box.top, box.right, box.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

LRESULT CALLBACK OverlayWindow::windowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        SetTimer(window, Overlay::blinkTimer, Overlay::blinkPeriodMs, nullptr);
        return 0;
    }
    auto* self = reinterpret_cast<OverlayWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        self->paint(dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        // The same picture for PrintWindow and other captures of the window.
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (lParam & PRF_ERASEBKGND) {
            RECT client;
            GetClientRect(window, &client);
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        self->paint(dc);
        return 0;
    }
    case WM_NCHITTEST:
        return HTCAPTION;
    case WM_TIMER:
        if (wParam == Overlay::blinkTimer)
            self->overlay.tick();
        return 0;
    case WM_NCDESTROY:
        // Also when the owner took the window with it.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (self->handle == window)
            self->handle = nullptr;
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
