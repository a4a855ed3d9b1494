#include "dialogs/win/DialogTools.h"

#include "base/win/WideText.h"

#include "LotseConfig.h"

#include <objbase.h>
#include <shellapi.h>
#include <windowsx.h>

namespace {

// The property under which a dialog keeps its own window procedure and a
// link control keeps its HyperLink object.
struct LinkProperty {
    ATOM atom;
    LinkProperty()
        : atom(GlobalAddAtomW(
              L"_Hyperlink_Object_Pointer_\\{AFEED740-CC6D-47c5-831D-9848FD916EEF}")) {}
    ~LinkProperty() {
        if (atom)
            GlobalDeleteAtom(atom);
    }
    LinkProperty(const LinkProperty&) = delete;
    LinkProperty& operator=(const LinkProperty&) = delete;
    const wchar_t* name() const { return MAKEINTATOM(atom); }
};

LinkProperty linkProperty;

// Shared by all live links.
HFONT underlinedFont = nullptr;
HCURSOR linkCursor = nullptr;
int liveLinkCount = 0;

const COLORREF linkColour = RGB(0, 0, 255);
const COLORREF visitedColour = RGB(128, 0, 128);

} // namespace

DialogTools::HyperLink::~HyperLink() {
    detach();
}

HFONT DialogTools::HyperLink::sharedFont() {
    return underlinedFont;
}

int DialogTools::HyperLink::liveLinks() {
    return liveLinkCount;
}

int DialogTools::HyperLink::attach(HWND dialog, int controlId) {
    target = String(LOTSE_PRODUCT_PAGE);
    HWND link = GetDlgItem(dialog, controlId);
    if (!link || GetPropW(link, linkProperty.name()))
        return 1; // no such control, or it is a link already

    if (!GetPropW(dialog, linkProperty.name())) {
        SetPropW(dialog, linkProperty.name(),
                 reinterpret_cast<HANDLE>(GetWindowLongPtrW(dialog, GWLP_WNDPROC)));
        SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(parentProc));
    }

    SetWindowLongPtrW(link, GWL_STYLE, GetWindowLongPtrW(link, GWL_STYLE) | SS_NOTIFY);

    normalFont = reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0));
    if (liveLinkCount < 1 || !underlinedFont) {
        LOGFONTW font{};
        HGDIOBJ source =
            normalFont ? static_cast<HGDIOBJ>(normalFont) : GetStockObject(SYSTEM_FONT);
        GetObjectW(source, sizeof(font), &font);
        font.lfUnderline = TRUE;
        underlinedFont = CreateFontIndirectW(&font);
        linkCursor = LoadCursorW(nullptr, IDC_HAND);
        if (!linkCursor)
            linkCursor = LoadCursorW(nullptr, IDC_ARROW);
    }
    ++liveLinkCount;

    hovering = false;
    control = link;
    SetPropW(link, linkProperty.name(), reinterpret_cast<HANDLE>(this));
    savedProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(linkProc)));
    return 1;
}

void DialogTools::HyperLink::detach() {
    if (!control || !IsWindow(control) || GetPropW(control, linkProperty.name()) != this) {
        control = nullptr;
        return;
    }
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedProc));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(normalFont), FALSE);
    if (--liveLinkCount < 1) {
        liveLinkCount = 0;
        if (underlinedFont)
            DeleteObject(underlinedFont);
        underlinedFont = nullptr;
        linkCursor = nullptr;
    }
    RemovePropW(control, linkProperty.name());
    control = nullptr;
}

void DialogTools::HyperLink::open() {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.lpVerb = L"open";
    info.lpFile = wide(target);
    info.nShow = SW_SHOWNORMAL;
    // The shell may hand the target to a COM extension; the thread usually has
    // COM already, and then this only counts one more use.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteExW(&info);
    if (SUCCEEDED(com))
        CoUninitialize();
}

void DialogTools::HyperLink::drawFocus() {
    HWND parent = GetParent(control);
    if (!parent)
        return;
    RECT rect{};
    GetWindowRect(control, &rect);
    InflateRect(&rect, 1, 1);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    HDC dc = GetDC(parent);
    DrawFocusRect(dc, &rect);
    ReleaseDC(parent, dc);
}

LRESULT CALLBACK DialogTools::HyperLink::parentProc(HWND window, UINT message, WPARAM wParam,
                                                    LPARAM lParam) {
    auto saved = reinterpret_cast<WNDPROC>(GetPropW(window, linkProperty.name()));
    if (!saved)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        auto* link = reinterpret_cast<HyperLink*>(
            GetPropW(reinterpret_cast<HWND>(lParam), linkProperty.name()));
        if (!link)
            break;
        LRESULT brush = CallWindowProcW(saved, window, message, wParam, lParam);
        SetTextColor(reinterpret_cast<HDC>(wParam), link->visited ? visitedColour : linkColour);
        return brush;
    }
    case WM_DESTROY:
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
        RemovePropW(window, linkProperty.name());
        break;
    }
    return CallWindowProcW(saved, window, message, wParam, lParam);
}

LRESULT CALLBACK DialogTools::HyperLink::linkProc(HWND control, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    auto* link = reinterpret_cast<HyperLink*>(GetPropW(control, linkProperty.name()));
    if (!link)
        return DefWindowProcW(control, message, wParam, lParam);
    switch (message) {
    case WM_MOUSEMOVE:
        if (!link->hovering) {
            link->hovering = true;
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(underlinedFont), FALSE);
            InvalidateRect(control, nullptr, TRUE);
            link->hoverEntered();
            SetCapture(control);
        } else {
            RECT client{};
            GetClientRect(control, &client);
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (!PtInRect(&client, point))
                ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        link->hovering = false;
        link->hoverLeft();
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(link->normalFont), FALSE);
        InvalidateRect(control, nullptr, TRUE);
        return 0;
    case WM_KEYUP:
        if (wParam != VK_SPACE)
            break;
        [[fallthrough]];
    case WM_LBUTTONUP:
        link->open();
        link->visited = true;
        InvalidateRect(control, nullptr, TRUE); // now in the visited colour
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (message == WM_SETFOCUS)
            link->hoverEntered();
        else
            link->hoverLeft();
        link->drawFocus();
        return 0;
    case WM_SETCURSOR:
        SetCursor(linkCursor);
        return TRUE;
    case WM_DESTROY: {
        WNDPROC saved = link->savedProc;
        link->detach();
        return CallWindowProcW(saved, control, message, wParam, lParam);
    }
    }
    return CallWindowProcW(link->savedProc, control, message, wParam, lParam);
}
