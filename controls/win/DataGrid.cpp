#include "controls/win/DataGrid.h"

#include "base/win/WideText.h"

#include <windowsx.h>

#include <algorithm>

namespace {

const wchar_t gridClass[] = L"DATAGRID";
// Child, visible, clip siblings, both scroll bars, and a tab stop: the keys
// reach the grid with Tab.
constexpr DWORD gridStyle = 0x54310000;
constexpr DWORD editorStyle = 0x440010C0; // child, clip siblings, want return, auto scroll
constexpr int textMargin = 5;
constexpr int titleLimit = 1024;

int liveStates = 0;

LOGFONTW arial(int points) {
    LOGFONTW font{};
    HDC screen = GetDC(nullptr);
    font.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, L"Arial", LF_FACESIZE);
    return font;
}

RECT toRect(const GridRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

// Texts are shown as they are: an "&" is no mnemonic prefix.
UINT textFlags(int alignment) {
    const UINT horizontal = alignment == 1 ? DT_CENTER : alignment == 2 ? DT_RIGHT : DT_LEFT;
    return horizontal | DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS | DT_NOPREFIX;
}

void drawText(HDC dc, const String& text, int length, RECT box, int alignment) {
    box.left += textMargin;
    box.right -= textMargin;
    DrawTextW(dc, wide(text), length, &box, textFlags(alignment));
}

} // namespace

// The model's requests, answered with the grid's window, its parent and its
// editor.
class DataGrid::WindowView : public GridView {
  public:
    explicit WindowView(DataGrid& owner) : grid(owner) {}

    void notify(int code) override {
        if (code == GridRowAdded) {
            NMHDR header{};
            header.hwndFrom = grid.gridWindow;
            header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(grid.gridWindow));
            header.code = static_cast<UINT>(code);
            SendMessageW(grid.parentWindow, WM_NOTIFY, header.idFrom,
                         reinterpret_cast<LPARAM>(&header));
            return;
        }
        SendMessageW(grid.parentWindow, WM_COMMAND, MAKEWPARAM(0, code),
                     reinterpret_cast<LPARAM>(grid.gridWindow));
    }
    void repaint() override { InvalidateRect(grid.gridWindow, nullptr, FALSE); }
    void scrollBarsChanged() override { grid.updateScrollBars(); }
    void captureMouse() override { SetCapture(grid.gridWindow); }
    void releaseMouse() override {
        if (GetCapture() == grid.gridWindow)
            ReleaseCapture();
    }
    void takeFocus() override { SetFocus(grid.gridWindow); }

    void showEditor(const GridRect& cell, const String& text) override {
        SetWindowTextW(grid.editorWindow, wide(text));
        placeEditor(cell, true);
        SetFocus(grid.editorWindow);
        SendMessageW(grid.editorWindow, EM_SETSEL, 0, -1);
    }
    void placeEditor(const GridRect& cell, bool visible) override {
        SetWindowPos(grid.editorWindow, HWND_TOP, cell.left, cell.top, cell.right - cell.left,
                     cell.bottom - cell.top,
                     SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
    void hideEditor() override {
        const bool focused = GetFocus() == grid.editorWindow;
        ShowWindow(grid.editorWindow, SW_HIDE);
        if (focused)
            SetFocus(grid.gridWindow);
    }
    String editorText() override {
        wchar_t text[DataGridModel::editorTextLimit + 1] = {};
        int n = GetWindowTextW(grid.editorWindow, text, DataGridModel::editorTextLimit + 1);
        return fromWide(text, std::max(0, n));
    }

  private:
    DataGrid& grid;
};

// A grid's model with the drawing objects that belong to it; all of them are
// released with it.
struct DataGrid::State {
    explicit State(DataGrid& owner) : view(owner) { model.attach(&view); }
    ~State() {
        if (surface) {
            if (previousBitmap)
                SelectObject(surface, previousBitmap);
            DeleteDC(surface);
        }
        for (HGDIOBJ object : {static_cast<HGDIOBJ>(bitmap), static_cast<HGDIOBJ>(headerFont),
                               static_cast<HGDIOBJ>(cellFont), static_cast<HGDIOBJ>(background),
                               static_cast<HGDIOBJ>(gridPen)})
            if (object)
                DeleteObject(object);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    DataGridModel model;
    WindowView view;
    LOGFONTW headerDescription = arial(10);
    LOGFONTW cellDescription = arial(9);
    HFONT headerFont = CreateFontIndirectW(&headerDescription);
    HFONT cellFont = CreateFontIndirectW(&cellDescription);
    HBRUSH background = CreateSolidBrush(RGB(255, 255, 255));
    HPEN gridPen = CreatePen(PS_SOLID, 1, RGB(210, 210, 210));
    // The off-screen picture: a memory context with a bitmap of the client
    // area's size; the context's own bitmap goes back in before it is deleted.
    HDC surface = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    int surfaceWidth = 0;
    int surfaceHeight = 0;
    bool updatingScrollBars = false;
};

DataGrid::DataGrid() = default;

DataGrid::~DataGrid() {
    destroy();
    retired.reset();
}

bool DataGrid::create(const RECT& rect, HWND parent) {
    destroy();
    parentWindow = parent;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = gridClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    gridWindow = CreateWindowExW(WS_EX_CLIENTEDGE, gridClass, L"", gridStyle, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                                 instance, this);
    if (!gridWindow)
        return false;
    if (liveStates < maxStates) {
        gridState = std::make_unique<State>(*this);
        ++liveStates;
    }

    editorWindow = CreateWindowExW(0, L"EDIT", L"", editorStyle, 0, 0, 100, 20, gridWindow, nullptr,
                                   instance, nullptr);
    if (!editorWindow) {
        MessageBoxW(parent, L"Can not create Edit!", L"Error!", MB_OK | MB_ICONERROR);
        destroy();
        return false;
    }
    SetWindowLongPtrW(editorWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    editorPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(editorWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editorProc)));

    if (gridState) {
        SendMessageW(editorWindow, WM_SETFONT, reinterpret_cast<WPARAM>(gridState->cellFont),
                     FALSE);
        rebuildSurface();
        measureFonts();
        updateScrollBars();
    }
    SetFocus(gridWindow);
    return true;
}

void DataGrid::destroy() {
    // The window's WM_DESTROY releases the state.
    if (gridWindow && IsWindow(gridWindow))
        DestroyWindow(gridWindow);
    releaseState();
    gridWindow = nullptr;
    editorWindow = nullptr;
}

void DataGrid::releaseState() {
    if (!gridState)
        return;
    gridState->model.attach(nullptr);
    if (editorWindow && IsWindow(editorWindow))
        SendMessageW(editorWindow, WM_SETFONT, 0, FALSE);
    --liveStates;
    if (messageDepth > 0)
        retired = std::move(gridState);
    else
        gridState.reset();
}

bool DataGrid::addRow(const String& text, int32_t rowData) {
    return gridState && gridState->model.addRow(text, rowData);
}

bool DataGrid::setCellText(int row, int column, const String& text) {
    return gridState && gridState->model.setCellText(row, column, text);
}

bool DataGrid::setCellLabel(int row, int column, const String& text) {
    return gridState && gridState->model.setCellLabel(row, column, text);
}

void DataGrid::sort(int column) {
    if (gridState)
        gridState->model.sort(column);
}

void DataGrid::updateScrollBars() {
    State* s = gridState.get();
    if (!s || !gridWindow || s->updatingScrollBars)
        return;
    s->updatingScrollBars = true;
    auto setBar = [&](int bar, const DataGridModel::ScrollRange& range) {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMax = std::max(0, range.total - 1);
        info.nPage = static_cast<UINT>(std::max(0, range.page));
        info.nPos = range.position;
        SetScrollInfo(gridWindow, bar, &info, TRUE);
        ShowScrollBar(gridWindow, bar, range.needed());
    };
    // Showing or hiding one bar changes the room for the other.
    for (int pass = 0; pass < 3; ++pass) {
        RECT before{};
        GetClientRect(gridWindow, &before);
        s->model.setClientSize(before.right, before.bottom);
        setBar(SB_HORZ, s->model.horizontalRange());
        setBar(SB_VERT, s->model.verticalRange());
        RECT after{};
        GetClientRect(gridWindow, &after);
        if (after.right == before.right && after.bottom == before.bottom)
            break;
    }
    s->updatingScrollBars = false;
}

DataGridModel* DataGrid::state() {
    return gridState ? &gridState->model : nullptr;
}

int DataGrid::stateCount() {
    return liveStates;
}

LOGFONTW DataGrid::headerFontDescription() const {
    return gridState ? gridState->headerDescription : LOGFONTW{};
}

void DataGrid::setHeaderFont(const LOGFONTW& description) {
    if (!gridState)
        return;
    HFONT font = CreateFontIndirectW(&description);
    if (!font)
        return;
    if (gridState->headerFont)
        DeleteObject(gridState->headerFont);
    gridState->headerFont = font;
    gridState->headerDescription = description;
    measureFonts();
    updateScrollBars();
    InvalidateRect(gridWindow, nullptr, FALSE);
}

void DataGrid::rebuildSurface() {
    State& s = *gridState;
    RECT client{};
    GetClientRect(gridWindow, &client);
    const int width = std::max<int>(1, client.right);
    const int height = std::max<int>(1, client.bottom);
    if (s.bitmap && width == s.surfaceWidth && height == s.surfaceHeight)
        return;
    HDC windowDc = GetDC(gridWindow);
    if (!s.surface)
        s.surface = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = s.surface ? CreateCompatibleBitmap(windowDc, width, height) : nullptr;
    ReleaseDC(gridWindow, windowDc);
    if (!bitmap)
        return; // the old picture stays
    HGDIOBJ replaced = SelectObject(s.surface, bitmap);
    if (s.bitmap)
        DeleteObject(s.bitmap);
    else
        s.previousBitmap = replaced;
    s.bitmap = bitmap;
    s.surfaceWidth = width;
    s.surfaceHeight = height;
}

// Text extent height plus internal leading of each font.
void DataGrid::measureFonts() {
    State& s = *gridState;
    HDC dc = GetDC(gridWindow);
    auto height = [dc](HFONT font) {
        HGDIOBJ previous = SelectObject(dc, font);
        SIZE extent{};
        GetTextExtentPoint32W(dc, L" ", 1, &extent);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, previous);
        return static_cast<int>(extent.cy + metrics.tmInternalLeading);
    };
    s.model.setFontHeights(height(s.headerFont), height(s.cellFont));
    ReleaseDC(gridWindow, dc);
}

void DataGrid::paint(HDC target) {
    State& s = *gridState;
    if (!s.surface || !s.bitmap)
        return;
    const DataGridModel& m = s.model;
    HDC dc = s.surface;
    const int saved = SaveDC(dc);
    RECT all{0, 0, s.surfaceWidth, s.surfaceHeight};
    FillRect(dc, &all, s.background);
    SetBkMode(dc, TRANSPARENT);

    // Rows: only those in sight, each cell a rectangle in the grid pen filled
    // with its colour.
    SelectObject(dc, s.cellFont);
    SelectObject(dc, m.gridLines ? static_cast<HGDIOBJ>(s.gridPen) : GetStockObject(WHITE_PEN));
    SelectObject(dc, GetStockObject(DC_BRUSH));
    const int columns = static_cast<int>(m.columns.size());
    int first = 0, end = 0;
    m.visibleRows(first, end);
    for (int r = first; r < end; ++r) {
        const GridRow& row = m.row(r);
        SetTextColor(dc, m.cellTextColourOf(r));
        for (int c = 0; c < columns; ++c) {
            const GridRect cell = m.cellRect(r, c);
            if (cell.right <= 0 || cell.left >= s.surfaceWidth || cell.right <= cell.left)
                continue;
            SetDCBrushColor(dc, m.cellFill(r, c));
            Rectangle(dc, cell.left, cell.top, cell.right, cell.bottom);
            const String& text = m.cellText(r, c);
            const int alignment = c < static_cast<int>(row.alignments.size())
                                      ? row.alignments[static_cast<size_t>(c)]
                                      : 0;
            drawText(dc, text, text.length(), toRect(cell), alignment);
        }
    }

    // The header, over rows that scrolled under it.
    SelectObject(dc, s.headerFont);
    SetTextColor(dc, m.headerTextColour);
    for (int c = 0; c < columns; ++c) {
        const GridColumn& column = m.columns[static_cast<size_t>(c)];
        RECT box = toRect(m.titleRect(c));
        if (box.right <= 0 || box.left >= s.surfaceWidth || box.right <= box.left)
            continue;
        if (!m.sortable) {
            FillRect(dc, &box, s.background);
            DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
        } else {
            DrawFrameControl(dc, &box, DFC_BUTTON,
                             DFCS_BUTTONPUSH | (column.pressed ? DFCS_FLAT : 0));
        }
        drawText(dc, column.title, std::min(column.title.length(), titleLimit), box,
                 column.titleAlignment);
    }
    RestoreDC(dc, saved);
    BitBlt(target, 0, 0, s.surfaceWidth, s.surfaceHeight, dc, 0, 0, SRCCOPY);
}

LRESULT CALLBACK DataGrid::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* creation = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
        return 0;
    }
    auto* grid = reinterpret_cast<DataGrid*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!grid)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    ++grid->messageDepth;
    LRESULT result = grid->handleMessage(window, message, wParam, lParam);
    if (--grid->messageDepth == 0)
        grid->retired.reset();
    return result;
}

LRESULT DataGrid::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        if (window == gridWindow) {
            releaseState();
            gridWindow = nullptr;
            editorWindow = nullptr;
        }
        return 0;
    }
    State* s = window == gridWindow ? gridState.get() : nullptr;
    if (!s)
        return DefWindowProcW(window, message, wParam, lParam);
    DataGridModel& m = s->model;
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_SIZE:
        rebuildSurface();
        m.setClientSize(LOWORD(lParam), HIWORD(lParam));
        updateScrollBars();
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND: {
        RECT all{0, 0, s->surfaceWidth, s->surfaceHeight};
        if (s->surface)
            FillRect(s->surface, &all, s->background);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paintInfo;
        HDC dc = BeginPaint(window, &paintInfo);
        paint(dc);
        EndPaint(window, &paintInfo);
        return 0;
    }
    case WM_GETDLGCODE: {
        // Arrows, characters and Enter belong to the grid; Escape and Tab to
        // the dialog.
        LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
        auto* pending = reinterpret_cast<const MSG*>(lParam);
        if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_LBUTTONDOWN:
        m.mouseDown(x, y);
        return 0;
    case WM_MOUSEMOVE:
        m.mouseMove(x, y, (wParam & MK_LBUTTON) != 0);
        return 0;
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, LOWORD(lParam) == HTCLIENT && m.borderHover() ? IDC_SIZEWE
                                                                                     : IDC_ARROW));
        return TRUE;
    case WM_LBUTTONUP:
        m.mouseUp(x, y);
        return 0;
    case WM_NCLBUTTONUP:
        m.nonClientMouseUp();
        break;
    case WM_LBUTTONDBLCLK:
        onRowDoubleClick(m.selectedRowRecord(), m.selectedRow(), m.selectedColumn());
        // The owner may have closed the grid.
        if (gridState.get() == s)
            m.doubleClick(x, y);
        return 0;
    case WM_CONTEXTMENU:
        onRowContextMenu(m.selectedRowRecord(), m.selectedRow(), m.selectedColumn());
        return 0;
    case WM_MOUSEWHEEL:
        m.wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_KEYDOWN:
        // The owner may take Enter on a row as a double click does (and
        // may close the grid then).
        if (wParam == VK_RETURN && !m.editing() &&
            onRowReturn(m.selectedRowRecord(), m.selectedRow(), m.selectedColumn()))
            return 0;
        m.keyPress(static_cast<int>(wParam));
        return 0;
    case WM_CHAR:
        // The characters of Enter, Escape and Tab come right after their keys
        // and open nothing.
        if (wParam >= 0x20)
            m.character();
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        const int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
        const int action = LOWORD(wParam);
        int track = 0;
        if (action == SB_THUMBTRACK) {
            // The message's 16 bits are too few for a long list.
            SCROLLINFO info{};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            GetScrollInfo(window, bar, &info);
            track = info.nTrackPos;
        }
        if (bar == SB_HORZ)
            m.scrollHorizontal(action, track);
        else
            m.scrollVertical(action, track);
        return 0;
    }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The editor's keys: Tab is swallowed, Enter moves to the next row (a Down
// key for the grid), Escape and the arrows are the grid's; the characters
// Enter and blank do not reach the field.
LRESULT CALLBACK DataGrid::editorProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* grid = reinterpret_cast<DataGrid*>(GetWindowLongPtrW(edit, GWLP_USERDATA));
    WNDPROC previous = grid ? grid->editorPrevious : nullptr;
    if (!previous)
        return DefWindowProcW(edit, message, wParam, lParam);
    switch (message) {
    case WM_GETDLGCODE:
        return CallWindowProcW(previous, edit, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_TAB:
            return 0;
        case VK_RETURN:
            SendMessageW(grid->gridWindow, WM_KEYDOWN, VK_DOWN, 0);
            return 0;
        case VK_ESCAPE:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            SendMessageW(grid->gridWindow, WM_KEYDOWN, wParam, lParam);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == VK_RETURN || wParam == VK_SPACE || wParam == VK_TAB || wParam == VK_ESCAPE)
            return 0;
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        SetWindowLongPtrW(edit, GWLP_USERDATA, 0);
        break;
    }
    return CallWindowProcW(previous, edit, message, wParam, lParam);
}
