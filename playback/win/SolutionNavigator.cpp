#include "playback/win/SolutionNavigator.h"

#include "base/DebugOutput.h"
#include "base/win/WideText.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"

namespace {

// The dots per inch of the window's monitor (GetDpiForWindow, Windows 10 1607
// and later), else of the screen.
int windowDpi(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (dpiForWindow)
        if (const UINT dpi = dpiForWindow(window))
            return static_cast<int>(dpi);
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi;
}

} // namespace

SolutionNavigator::SolutionNavigator(AutomationClient*& client,
                                     std::function<void()> showMainWindow)
    : feedback(client), automation(client), mainWindow(std::move(showMainWindow)),
      model(*this, desktop, captures, client) {
    debug.client = client;
}

SolutionNavigator::~SolutionNavigator() {
    model.shutdown();
    if (window && IsWindow(window))
        DestroyWindow(window);
}

void SolutionNavigator::start(const Ticket& ticket) {
    // Another ticket in the same window starts to speak afresh.
    instruction.forget();
    model.start(ticket);
    // The first tick (the check for the program, and the first frame when it
    // is there) comes at once: before the window that asked for the solution
    // has closed and before the navigator has painted.
    model.tick();
}

void SolutionNavigator::close(INT_PTR) {
    model.close();
}

INT_PTR SolutionNavigator::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (closedOnRequest(message, wParam))
        return 0;
    switch (message) {
    case WM_INITDIALOG:
        initialize(dialog);
        break;
    case WM_DPICHANGED:
        // Moved to a monitor of another scaling: the system scales the dialog,
        // the instruction's own font is made anew.
        applyInstructionFont(dialog);
        break;
    case WM_TIMER:
        if (wParam == tickTimer)
            model.tick();
        else if (wParam == applicationTimer)
            model.applicationTimer();
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NAVIGATOR_NEXT:
            model.nextStep();
            break;
        case IDC_NAVIGATOR_DEBUG:
            debug.client = automation;
            debug.trace = model.currentTrace();
            debug.element = &model.foundElement();
            debug.create(IDD_DEBUG, nullptr, false, true);
            break;
        }
        break;
    case WM_DESTROY:
        // However the window ends, its timers and the font go with it.
        KillTimer(dialog, tickTimer);
        KillTimer(dialog, applicationTimer);
        instructionRegion.detach();
        instruction.forget();
        SendDlgItemMessageW(dialog, IDC_NAVIGATOR_INSTRUCTION, WM_SETFONT, 0, FALSE);
        if (instructionFont)
            DeleteObject(instructionFont);
        instructionFont = nullptr;
        break;
    }
    return 0;
}

void SolutionNavigator::initialize(HWND dialog) {
    centerWindow(dialog);
    ShowWindow(GetDlgItem(dialog, IDC_NAVIGATOR_DEBUG), SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_NAVIGATOR_NEXT), SW_HIDE);
    applyInstructionFont(dialog);
    instructionRegion.attach(dialog);
    instruction.forget();
    SetTimer(dialog, tickTimer, SolutionPlayback::tickMs, nullptr);
}

void SolutionNavigator::applyInstructionFont(HWND dialog) {
    LOGFONTW font{};
    auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!dialogFont || !GetObjectW(dialogFont, sizeof(font), &font))
        return;
    font.lfHeight = -MulDiv(instructionFontPoints, windowDpi(dialog), 72);
    HFONT made = CreateFontIndirectW(&font);
    if (!made)
        return;
    SendDlgItemMessageW(dialog, IDC_NAVIGATOR_INSTRUCTION, WM_SETFONT,
                        reinterpret_cast<WPARAM>(made), TRUE);
    if (instructionFont)
        DeleteObject(instructionFont);
    instructionFont = made;
}

bool SolutionNavigator::windowExists() {
    return window && IsWindow(window);
}

bool SolutionNavigator::createWindow() {
    create(IDD_SOLUTION_NAVIGATOR, nullptr, true, true);
    return windowExists();
}

void SolutionNavigator::bringToFront() {
    if (window)
        SetForegroundWindow(window);
}

void SolutionNavigator::destroyWindow() {
    if (window)
        Template::close(0);
}

void SolutionNavigator::stopTick() {
    if (window)
        KillTimer(window, tickTimer);
}

void SolutionNavigator::armApplicationTimer() {
    if (window)
        SetTimer(window, applicationTimer, SolutionPlayback::applicationTimerMs, nullptr);
}

void SolutionNavigator::stopApplicationTimer() {
    if (window)
        KillTimer(window, applicationTimer);
}

void SolutionNavigator::setInstruction(const String& text) {
    // The waiting text comes again every few ticks and is heard once; each
    // step is heard, even one that reads like the step before.
    if (window)
        instruction.show(text, model.isWaitingForApplication() ? -1 : model.step());
}

void SolutionNavigator::refreshDebug(const ElementTrace* trace,
                                     const AutomationElementPtr* element) {
    debug.client = automation;
    debug.trace = trace;
    debug.element = element;
    debug.refresh();
}

void SolutionNavigator::debugLine(const String& text) {
    debugOutput(text);
}

void SolutionNavigator::showMainWindow() {
    if (mainWindow)
        mainWindow();
}

void SolutionNavigator::showError(const String& text) {
    MessageBoxW(nullptr, wide(text), L"Fehler", MB_OK);
}

void SolutionNavigator::openFeedback(const Ticket& ticket, const AutomationElementPtr& element) {
    feedback.open(&ticket, element);
}
