#include "app/win/MainWindow.h"

#include "app/MainWindowTitle.h"
#include "app/win/CreateTicket.h"
#include "app/win/Info.h"
#include "app/win/Settings.h"
#include "app/win/SingleInstance.h"
#include "app/win/SolveTicket.h"
#include "app/win/TrayIcon.h"
#include "playback/win/SolutionNavigator.h"
#include "automation/win/OverlayWindow.h"
#include "base/win/WideText.h"
#include "base/win/WindowText.h"
#include "dialogs/win/CenterWindow.h"
#include "input/win/InputHooks.h"
#include "recording/win/SolutionCapture.h"
#include "resources/resource.h"
#include "service/SystemInfo.h"

namespace {

// wParam of the broadcast with which the setup asks the program to end.
constexpr WPARAM quitRequest = 0xFFFF;

// The setup holds this mutex while it runs; the program never does. A mutex
// the program may not open (the setup runs elevated) exists as well.
bool setupIsRunning() {
    SetLastError(0);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"LotseSetup");
    DWORD error = GetLastError();
    if (mutex)
        CloseHandle(mutex);
    return error == ERROR_ALREADY_EXISTS || (!mutex && error == ERROR_ACCESS_DENIED);
}

constexpr UINT topWithoutMoving = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;

bool isSelection(WORD notification) {
    return notification == CBN_SELCHANGE || notification == CBN_SELENDOK;
}

// The item data of the box's selected item; null when nothing is selected.
const void* selectedItemData(HWND box) {
    LRESULT position = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (position == CB_ERR)
        return nullptr;
    LRESULT data = SendMessageW(box, CB_GETITEMDATA, static_cast<WPARAM>(position), 0);
    return data == CB_ERR ? nullptr : reinterpret_cast<const void*>(data);
}

} // namespace

MainWindow::MainWindow(Settings& settingsDialog, Info& infoDialog, CreateTicket& ticketDialog,
                       SolutionNavigator& solutionNavigator, SolveTicket& solveTicketDialog,
                       SolutionCapture& solutionRecorder, int32_t& quitFlag)
    : settings(settingsDialog), info(infoDialog), createTicket(ticketDialog),
      navigator(solutionNavigator), solveTicket(solveTicketDialog), recorder(solutionRecorder),
      quit(quitFlag) {}

INT_PTR MainWindow::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        initialise(dialog);
        break;

    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        break;

    case TrayIcon::callbackMessage:
        switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONDBLCLK:
            show();
            break;
        case WM_RBUTTONDOWN:
        case WM_CONTEXTMENU:
            showTrayMenu();
            break;
        }
        break;

    case WM_TIMER:
        // The count waits for its next period while the input hooks are in
        // use (see Lotse::runMainLoop).
        if (wParam == MainWindowModel::ticketCountTimer && inputHookUsers().inUse())
            break;
        model.onTimer(static_cast<int>(wParam));
        break;

    case WM_SETTINGCHANGE:
        onSettingChange(wParam);
        break;

    case WM_QUIT:
        hide();
        break;

    case WM_DESTROY:
        // No hook, timer or frame of a pick outlives the window.
        model.cancelPick();
        model.attach(nullptr, nullptr, nullptr);
        break;
    }
    return 0;
}

void MainWindow::initialise(HWND dialog) {
    const String osName = SystemInfo::osDescription();
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    centerWindow(dialog);
    SetWindowTextW(dialog, wide(mainWindowTitle(title, version)));
    SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, topWithoutMoving);
    model.attach(this, &desktop, &versions);
    if (awaitLists)
        awaitLists();
    softwareBox.attach(model.softwareCompleter, GetDlgItem(dialog, IDC_MAIN_SOFTWARE));
    model.softwareCompleter.fill();
    questionBox.attach(model.questionCompleter, GetDlgItem(dialog, IDC_MAIN_QUESTION));
    model.initialise(osName);
    OverlayWindow::instance().attach(moduleInstance, dialog);
}

void MainWindow::onCommand(WORD id, WORD notification) {
    switch (id) {
    case IDC_MAIN_SOFTWARE:
        if (isSelection(notification)) {
            LRESULT position = SendDlgItemMessageW(window, IDC_MAIN_SOFTWARE, CB_GETCURSEL, 0, 0);
            if (position != CB_ERR)
                model.selectSoftware(static_cast<int>(position), model.localeId, true);
        }
        break;
    case IDC_MAIN_LANGUAGE:
        if (isSelection(notification)) {
            auto* locale = static_cast<const LocaleEntry*>(
                selectedItemData(GetDlgItem(window, IDC_MAIN_LANGUAGE)));
            if (locale)
                model.chooseLanguage(locale->id);
        }
        break;
    case IDC_MAIN_QUESTION:
        if (notification == CBN_EDITUPDATE)
            model.questionEdited();
        else if (isSelection(notification))
            model.chooseTicket(static_cast<const Ticket*>(
                selectedItemData(GetDlgItem(window, IDC_MAIN_QUESTION))));
        break;
    case IDC_MAIN_SHOW_SOLUTION:
        if (model.selectedTicket)
            showSolution(*model.selectedTicket);
        break;
    case IDC_MAIN_CREATE_TICKET:
        createTicketFromQuestion();
        break;
    case IDC_MAIN_SOLVE_TICKETS:
        solveTickets();
        break;
    case IDC_MAIN_PICK:
        model.pickButton();
        break;
    case IDCANCEL:
        // Escape during a pick ends the pick only (the main loop sees the key).
        if (model.picking)
            break;
        hide();
        break;
    case IDCLOSE:
        hide();
        break;
    case ID_TRAY_OPEN:
        show();
        break;
    case ID_TRAY_SETTINGS:
        settings.create(IDD_SETTINGS, nullptr, false, true);
        break;
    case ID_TRAY_INFO:
        info.create(IDD_INFO, nullptr, false, true);
        break;
    case ID_TRAY_QUIT:
        quit = 1;
        break;
    }
}

void MainWindow::close(INT_PTR result) {
    model.cancelPick();
    Template::close(result);
}

void MainWindow::show() {
    if (!window)
        return;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

void MainWindow::hide() {
    if (window)
        ShowWindow(window, SW_HIDE);
}

void MainWindow::onSettingChange(WPARAM wParam) {
    if (setupIsRunning()) {
        if (wParam == quitRequest)
            quit = 1;
    } else if (wParam == SingleInstance::showRequest) {
        show();
    }
}

void MainWindow::showTrayMenu() {
    HMENU menu = LoadMenuW(moduleInstance ? moduleInstance : GetModuleHandleW(nullptr),
                           MAKEINTRESOURCEW(IDR_TRAY_MENU));
    if (!menu)
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the empty message afterwards lets it close on the first try.
    SetForegroundWindow(window);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void MainWindow::showSolution(const Ticket& ticket) {
    hide();
    // The navigator shows the main window again when the playback ends.
    navigator.start(ticket);
}

void MainWindow::createTicketFromQuestion() {
    const String question = questionText();
    // Hidden once the dialog is active, shown again before it closes.
    createTicket.onActive = [this] { hide(); };
    createTicket.onClosing = [this](INT_PTR) { show(); };
    // A dialog that is already open keeps the software, language and question it
    // shows and sends; create then only brings it to the front.
    if (!createTicket.window || !IsWindow(createTicket.window)) {
        createTicket.software = model.currentSoftware;
        createTicket.localeId = model.localeId;
        createTicket.question = question;
        createTicket.listsReloaded = [this] { model.fillLanguages(); };
    }
    if (createTicket.create(IDD_CREATE_TICKET, nullptr, false, true) == 1) {
        SetDlgItemTextW(window, IDC_MAIN_QUESTION, L"");
        // The buttons follow the emptied question.
        model.onTextChanged();
    }
    show();
    model.updateTicketCount();
}

void MainWindow::solveTickets() {
    // The list shows the service's tickets as they are now.
    model.reloadLists();
    // Hidden once the list is active; shown again before it closes without a
    // ticket to solve (the recorder comes instead).
    solveTicket.onActive = [this] { hide(); };
    solveTicket.onClosing = [this](INT_PTR chosen) {
        if (chosen <= 0)
            show();
    };
    // A list already open is only brought to the front (result 0).
    const INT_PTR chosen = solveTicket.create(IDD_SOLVE_TICKET, window, false, true);
    model.updateTicketCount();
    // 0: closed without a choice; -1: the list could not be opened.
    if (chosen <= 0) {
        show();
        return;
    }
    // The recorder shows the main window when it closes.
    recorder.open(static_cast<int>(chosen), [this] { show(); });
    model.updateTicketCount();
}

const SoftwareEntry* MainWindow::softwareAt(int position) {
    LRESULT data = SendDlgItemMessageW(window, IDC_MAIN_SOFTWARE, CB_GETITEMDATA,
                                       static_cast<WPARAM>(position), 0);
    return data == CB_ERR ? nullptr : reinterpret_cast<const SoftwareEntry*>(data);
}

String MainWindow::softwareText() {
    return dialogItemText(window, IDC_MAIN_SOFTWARE, MainWindowModel::softwareTextLimit);
}

void MainWindow::setSoftwareText(const String& text) {
    SetDlgItemTextW(window, IDC_MAIN_SOFTWARE, wide(text));
}

int MainWindow::selectSoftwareStartingWith(const String& text) {
    LRESULT position = SendDlgItemMessageW(window, IDC_MAIN_SOFTWARE, CB_SELECTSTRING, 0,
                                           reinterpret_cast<LPARAM>(wide(text)));
    return position == CB_ERR ? -1 : static_cast<int>(position);
}

void MainWindow::clearLanguages() {
    SendDlgItemMessageW(window, IDC_MAIN_LANGUAGE, CB_RESETCONTENT, 0, 0);
}

void MainWindow::addLanguage(const String& description, const LocaleEntry* entry) {
    HWND box = GetDlgItem(window, IDC_MAIN_LANGUAGE);
    LRESULT position =
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(description)));
    if (position >= 0)
        SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(entry));
}

void MainWindow::selectLanguage(const LocaleEntry* entry) {
    HWND box = GetDlgItem(window, IDC_MAIN_LANGUAGE);
    const LRESULT items = SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < items; ++i) {
        if (SendMessageW(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) ==
            reinterpret_cast<LRESULT>(entry)) {
            SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    }
}

String MainWindow::questionText() {
    return dialogItemText(window, IDC_MAIN_QUESTION, MainWindowModel::questionLimit);
}

void MainWindow::enableCreateTicket(bool enable) {
    enableButton(IDC_MAIN_CREATE_TICKET, enable);
}

void MainWindow::enableShowSolution(bool enable) {
    enableButton(IDC_MAIN_SHOW_SOLUTION, enable);
}

void MainWindow::enableButton(int id, bool enable) {
    HWND button = GetDlgItem(window, id);
    // A disabled button with the focus would leave the window without one (the
    // keys then reach no control): the focus moves on as Tab would move it.
    if (!enable && button && GetFocus() == button)
        SendMessageW(window, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(button, enable);
}

void MainWindow::setQuestionCue(const String& text) {
    SetDlgItemTextW(window, IDC_MAIN_QUESTION_GROUP, wide(text));
}

void MainWindow::setTicketCount(const String& text) {
    SetDlgItemTextW(window, IDC_MAIN_TICKET_COUNT, wide(text));
}

void MainWindow::setPickButtonText(const String& text) {
    SetDlgItemTextW(window, IDC_MAIN_PICK, wide(text));
}

void MainWindow::startTimer(int id, int milliseconds) {
    SetTimer(window, static_cast<UINT_PTR>(id), static_cast<UINT>(milliseconds), nullptr);
}

void MainWindow::stopTimer(int id) {
    KillTimer(window, static_cast<UINT_PTR>(id));
}

uintptr_t MainWindow::windowHandle() {
    return reinterpret_cast<uintptr_t>(window);
}
