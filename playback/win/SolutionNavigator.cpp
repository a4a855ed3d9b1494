#include "playback/win/SolutionNavigator.h"

#include "base/DebugOutput.h"
#include "base/win/WideText.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"

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
    model.start(ticket);
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
    LOGFONTW font{};
    auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (dialogFont && GetObjectW(dialogFont, sizeof(font), &font)) {
        font.lfHeight = instructionFontHeight;
        if (instructionFont)
            DeleteObject(instructionFont);
        instructionFont = CreateFontIndirectW(&font);
        if (instructionFont)
            SendDlgItemMessageW(dialog, IDC_NAVIGATOR_INSTRUCTION, WM_SETFONT,
                                reinterpret_cast<WPARAM>(instructionFont), FALSE);
    }
    SetTimer(dialog, tickTimer, SolutionPlayback::tickMs, nullptr);
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
    if (window)
        SetDlgItemTextW(window, IDC_NAVIGATOR_INSTRUCTION, wide(text));
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
