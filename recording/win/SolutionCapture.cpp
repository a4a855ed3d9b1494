#include "recording/win/SolutionCapture.h"

#include "base/win/WideText.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"

SolutionCapture::SolutionCapture(AutomationClient*& client, const TicketList& tickets,
                                 const SoftwareCatalogue& software)
    : client(client), recorder(*this, desktop, captures, client, tickets, software) {}

INT_PTR SolutionCapture::open(int id, std::function<void()> showMainWindow) {
    // Open already: only brought to the front, still recording its ticket.
    if (window && IsWindow(window))
        return create(IDD_SOLUTION_CAPTURE, nullptr, false, true);
    ticketId = id;
    mainWindowShower = std::move(showMainWindow);
    return create(IDD_SOLUTION_CAPTURE, nullptr, false, true);
}

void SolutionCapture::close(INT_PTR result) {
    recorder.close(static_cast<int>(result));
}

INT_PTR SolutionCapture::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (closedOnRequest(message, wParam))
        return 0;
    switch (message) {
    case WM_INITDIALOG:
        centerWindow(dialog);
        hoveredRegion.attach(dialog);
        hovered.forget();
        recorder.open(ticketId);
        break;
    case WM_DESTROY:
        hoveredRegion.detach();
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CAPTURE_RECORD:
            recorder.toggleRecording();
            break;
        case IDC_CAPTURE_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE)
                recorder.onListSelection(
                    static_cast<int>(SendMessageW(item(IDC_CAPTURE_LIST), LB_GETCURSEL, 0, 0)));
            else if (HIWORD(wParam) == LBN_DBLCLK)
                recorder.onListDoubleClick();
            break;
        case IDC_CAPTURE_SAVE:
            recorder.save();
            break;
        case IDC_CAPTURE_DEBUG:
            recorder.openDebug();
            break;
        }
        break;
    case WM_TIMER:
        recorder.onTimer(static_cast<int>(wParam));
        break;
    }
    return 0;
}

void SolutionCapture::setQuestion(const String& text) {
    SetWindowTextW(item(IDC_CAPTURE_QUESTION), wide(text));
}

void SolutionCapture::showDebugButton(bool show) {
    ShowWindow(item(IDC_CAPTURE_DEBUG), show ? SW_SHOW : SW_HIDE);
}

void SolutionCapture::addLine(const String& text) {
    SendMessageW(item(IDC_CAPTURE_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text)));
}

void SolutionCapture::selectLine(int index) {
    SendMessageW(item(IDC_CAPTURE_LIST), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void SolutionCapture::resetList() {
    SendMessageW(item(IDC_CAPTURE_LIST), LB_RESETCONTENT, 0, 0);
}

void SolutionCapture::setHoveredLabel(const String& text) {
    hovered.show(text);
}

void SolutionCapture::setRecordButtonText(const String& text) {
    SetWindowTextW(item(IDC_CAPTURE_RECORD), wide(text));
}

void SolutionCapture::enableSave(bool enable) {
    EnableWindow(item(IDC_CAPTURE_SAVE), enable ? TRUE : FALSE);
}

void SolutionCapture::startTimer(int id, int periodMs) {
    SetTimer(window, static_cast<UINT_PTR>(id), static_cast<UINT>(periodMs), nullptr);
}

void SolutionCapture::stopTimer(int id) {
    KillTimer(window, static_cast<UINT_PTR>(id));
}

void SolutionCapture::showMessage(const String& text, const String& caption) {
    MessageBoxW(window, wide(text), wide(caption), MB_OK);
}

void SolutionCapture::openDebugWindow() {
    debug.client = client;
    debug.trace = &recorder.inspectedTrace();
    debug.element = &recorder.inspectedElement();
    debug.create(IDD_DEBUG, nullptr, false, true);
}

void SolutionCapture::refreshDebugWindow() {
    debug.client = client;
    debug.refresh();
}

void SolutionCapture::endDialog(int result) {
    Template::close(result);
}

uintptr_t SolutionCapture::dialogWindow() {
    return reinterpret_cast<uintptr_t>(window);
}

void SolutionCapture::showMainWindow() {
    if (mainWindowShower)
        mainWindowShower();
}
