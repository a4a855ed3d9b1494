#pragma once

#include "automation/Overlay.h"
#include "automation/OverlayView.h"

#include <windows.h>

// The program's one overlay: a layered, top-most, click-through popup owned by
// the main window, covering the monitor of the marked element, on which a
// translucent box frames the element. The decisions live in Overlay; this class
// answers its view calls with Win32. It takes no input: the mouse passes
// through it and it is never activated.
class OverlayWindow : public OverlayView {
  public:
    // The process-wide overlay, made on first use.
    static OverlayWindow& instance();

    OverlayWindow() = default;
    OverlayWindow(const OverlayWindow&) = delete;
    OverlayWindow& operator=(const OverlayWindow&) = delete;
    ~OverlayWindow() override;

    // The module that registers the window class and the window that owns the
    // overlay window (its monitor when the element's is unknown). Given by the
    // main window when it opens; used from the next window made on.
    void attach(HINSTANCE module, HWND owner);

    // See Overlay: marks the element (or removes the mark for none); true when
    // its rectangle is not empty.
    bool show(AutomationClient* client, const AutomationElementPtr& element) {
        return overlay.show(client, element);
    }
    // The marked rectangle in screen coordinates.
    ElementRect rect() const { return overlay.rect(); }
    // Forgets the mark and destroys the window (the navigator between steps).
    void removeWindow() { overlay.removeWindow(); }
    // Releases frame bitmap, memory device context, window and class.
    void shutdown() { overlay.shutdown(); }

    HWND window() const { return handle; }
    HBITMAP frameBitmap() const { return bitmap; }
    HDC frameDc() const { return memoryDc; }

    static constexpr wchar_t className[] = L"OverlayWindowClass";
    static constexpr DWORD exStyle = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST;
    static constexpr DWORD style = WS_POPUP | WS_CHILD; // a popup owned by `owner`
    static constexpr BYTE alpha = 170;
    static constexpr COLORREF borderColour = RGB(255, 200, 0);
    static constexpr COLORREF fillColour = RGB(0, 255, 0);

    // OverlayView
    std::vector<ElementRect> monitors() override;
    std::optional<ElementRect> ownerMonitor() override;
    bool windowExists() override;
    bool createWindow(const ElementRect& area) override;
    void moveWindow(const ElementRect& area) override;
    void destroyWindow() override;
    void showWindow(bool show) override;
    void raiseWindow() override;
    void repaint() override;
    void setFrameImage(const FrameImage* image) override;
    void blendFrame(int x, int y) override;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    HINSTANCE moduleInstance() const;
    // Draws the box at the marked rectangle's place in the window.
    void paint(HDC dc);

    Overlay overlay{*this};
    HINSTANCE module = nullptr;
    HWND owner = nullptr;
    HWND handle = nullptr;
    bool classRegistered = false;
    HBITMAP bitmap = nullptr;
    HDC memoryDc = nullptr;
    HGDIOBJ dcBitmap = nullptr; // the memory context's own bitmap, put back before deleting
    int frameWidth = 0;
    int frameHeight = 0;
};
