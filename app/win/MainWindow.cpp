#include "app/win/Lotse.h"

#include "app/MainWindowTitle.h"
#include "app/SoftwareCatalogue.h"
#include "app/win/SingleInstance.h"
#include "app/win/TrayIcon.h"
#include "base/win/WideText.h"
#include "base/win/WindowText.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"
#include "service/CatalogueReload.h"
#include "service/LocaleCatalogue.h"
#include "service/SystemInfo.h"
#include "service/TicketCount.h"
#include "service/TicketList.h"

#include <set>
#include <vector>

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
constexpr int ticketCountPeriodMs = 300000;
constexpr int pickPeriodMs = 100;

// Longest question read from the question box.
constexpr int questionLimit = 4096;

// The caption of the question group with the number of questions on offer.
String questionCue(int tickets) {
    return String::format(u"Nach was suchst du?             (%i Tickets verf\u00fcgbar)", tickets);
}

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

INT_PTR Lotse::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const String osName = SystemInfo::osDescription();
        SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        centerWindow(dialog);
        SetWindowTextW(dialog, wide(mainWindowTitle(title, version)));
        SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, topWithoutMoving);
        softwareCompleter.setListener(this);
        softwareBox.attach(softwareCompleter, GetDlgItem(dialog, IDC_MAIN_SOFTWARE));
        softwareCompleter.fill();
        questionCompleter.setListener(this);
        questionBox.attach(questionCompleter, GetDlgItem(dialog, IDC_MAIN_QUESTION));
        preselectOperatingSystem(osName);
        fillLanguages();
        updateTicketCount();
        EnableWindow(GetDlgItem(dialog, IDC_MAIN_CREATE_TICKET), FALSE);
        attachOverlay();
        SetTimer(dialog, ticketCountTimer, ticketCountPeriodMs, nullptr);
        break;
    }

    case WM_COMMAND: {
        const WORD notification = HIWORD(wParam);
        switch (LOWORD(wParam)) {
        case IDC_MAIN_SOFTWARE:
            if (isSelection(notification)) {
                LRESULT position =
                    SendDlgItemMessageW(dialog, IDC_MAIN_SOFTWARE, CB_GETCURSEL, 0, 0);
                if (position != CB_ERR)
                    selectSoftware(static_cast<int>(position), localeId, true);
            }
            break;
        case IDC_MAIN_LANGUAGE:
            if (isSelection(notification)) {
                auto* locale = static_cast<const LocaleEntry*>(
                    selectedItemData(GetDlgItem(dialog, IDC_MAIN_LANGUAGE)));
                if (locale)
                    selectSoftware(keepSoftware, locale->id, true);
            }
            break;
        case IDC_MAIN_QUESTION:
            if (notification == CBN_EDITUPDATE) {
                selectedTicket = nullptr;
                EnableWindow(GetDlgItem(dialog, IDC_MAIN_SHOW_SOLUTION), FALSE);
            } else if (isSelection(notification)) {
                selectedTicket = static_cast<const Ticket*>(
                    selectedItemData(GetDlgItem(dialog, IDC_MAIN_QUESTION)));
                EnableWindow(GetDlgItem(dialog, IDC_MAIN_SHOW_SOLUTION), selectedTicket != nullptr);
            }
            break;
        case IDC_MAIN_SHOW_SOLUTION:
            if (selectedTicket)
                showSolution(*selectedTicket);
            break;
        case IDC_MAIN_CREATE_TICKET:
            createTicketFromQuestion();
            break;
        case IDC_MAIN_SOLVE_TICKETS:
            hideMainWindow();
            reloadCatalogues();
            fillLanguages();
            solveTickets();
            break;
        case IDC_MAIN_PICK:
            if (picking)
                cancelPick();
            else
                startPick();
            break;
        case IDCANCEL:
        case IDCLOSE:
            hideMainWindow();
            break;
        case ID_TRAY_OPEN:
            showMainWindow();
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
        break;
    }

    case TrayIcon::callbackMessage:
        switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONDBLCLK:
            showMainWindow();
            break;
        case WM_RBUTTONDOWN:
        case WM_CONTEXTMENU:
            showTrayMenu();
            break;
        }
        break;

    case WM_TIMER:
        if (wParam == pickTimer) {
            stepPick();
        } else if (wParam == showAfterPickTimer) {
            showMainWindow();
            KillTimer(dialog, showAfterPickTimer);
        } else if (wParam == ticketCountTimer) {
            updateTicketCount();
        }
        break;

    case WM_SETTINGCHANGE:
        onSettingChange(wParam);
        break;

    case WM_QUIT:
        hideMainWindow();
        break;
    }
    return 0;
}

void Lotse::onSettingChange(WPARAM wParam) {
    if (setupIsRunning()) {
        if (wParam == quitRequest)
            quit = 1;
    } else if (wParam == SingleInstance::showRequest) {
        showMainWindow();
    }
}

void Lotse::showTrayMenu() {
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

void Lotse::onTextChanged() {
    const String question = dialogItemText(window, IDC_MAIN_QUESTION, questionLimit);
    selectedTicket = nullptr;
    EnableWindow(GetDlgItem(window, IDC_MAIN_CREATE_TICKET), question.length() >= 3);
    EnableWindow(GetDlgItem(window, IDC_MAIN_SHOW_SOLUTION), FALSE);
}

void Lotse::selectSoftware(int p, int locale, bool fromList) {
    bool softwareChanged = false;
    if (fromList) {
        // Every position of the list counts, the first one too: filtered by
        // typing, the list may hold just the one entry the user wants.
        if (p >= 0) {
            auto* entry = reinterpret_cast<const SoftwareEntry*>(
                SendDlgItemMessageW(window, IDC_MAIN_SOFTWARE, CB_GETITEMDATA, p, 0));
            if (entry && reinterpret_cast<LRESULT>(entry) != CB_ERR) {
                currentSoftware = *entry;
                softwareChanged = true;
            }
        }
    } else if (p > 0) {
        currentSoftware = SoftwareCatalogue::instance().entry(p);
        softwareChanged = true;
    }
    if (locale >= 1 && locale != localeId)
        localeId = locale;
    if (softwareChanged)
        fillLanguages();

    // The questions of the software in the language. The chosen ticket was
    // one of the old list's records, which go now.
    questionCompleter.clear();
    questionCompleter.softwareFilter = currentSoftware.id;
    questionCompleter.localeFilter = localeId;
    questionCompleter.fill();
    onTextChanged();
    SetDlgItemTextW(window, IDC_MAIN_QUESTION_GROUP, wide(questionCue(questionCompleter.count())));
}

void Lotse::fillLanguages() {
    std::set<int> locales;
    TicketList::instance().localesFor(currentSoftware.id, locales);
    if (!locales.empty() && locales.count(localeId) == 0)
        localeId = *locales.begin();

    HWND box = GetDlgItem(window, IDC_MAIN_LANGUAGE);
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    if (!window)
        return;
    // Find-or-insert up to the growing count: every language is visited in
    // id order, and ids missing below the largest get empty entries.
    LocaleCatalogue& catalogue = LocaleCatalogue::instance();
    const LocaleEntry* chosen = nullptr;
    for (int i = 0; i < catalogue.count(); ++i) {
        LocaleEntry& entry = catalogue.get(i);
        if (entry.description.empty())
            continue;
        LRESULT position =
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(entry.description)));
        if (position < 0)
            continue;
        SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(&entry));
        if (entry.id == localeId)
            chosen = &entry;
    }
    // Selected once all are in: the sorted list moves items as others arrive.
    const LRESULT items = SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; chosen && i < items; ++i) {
        if (SendMessageW(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) ==
            reinterpret_cast<LRESULT>(chosen)) {
            SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            break;
        }
    }
}

void Lotse::updateTicketCount() {
    const TicketCountUpdate update = fetchTicketCount();
    if (!update.show)
        return;
    SetDlgItemTextW(window, IDC_MAIN_TICKET_COUNT, wide(update.unsolvedText));
    if (update.reload) {
        reloadCatalogues();
        fillLanguages();
    }
}

void Lotse::preselectOperatingSystem(const String& osName) {
    const std::vector<SoftwareEntry> matches = SoftwareCatalogue::instance().search(osName, true);
    if (matches.empty() || matches.front().id <= 0)
        return;
    selectSoftware(matches.front().id, localeId, false);
    SendDlgItemMessageW(window, IDC_MAIN_SOFTWARE, CB_SELECTSTRING, 0,
                        reinterpret_cast<LPARAM>(wide(displayText(currentSoftware))));
}

void Lotse::showSolution(const Ticket&) {
    hideMainWindow();
    // The solution navigator takes over here and shows the main window again
    // when it closes. Until it exists the main window comes back at once.
    showMainWindow();
}

void Lotse::createTicketFromQuestion() {
    const String question = dialogItemText(window, IDC_MAIN_QUESTION, questionLimit);
    hideMainWindow();
    // A dialog that is already open keeps the software, language and question it
    // shows and sends; create then only brings it to the front.
    if (!createTicket.window || !IsWindow(createTicket.window)) {
        createTicket.software = currentSoftware;
        createTicket.localeId = localeId;
        createTicket.question = question;
    }
    if (createTicket.create(IDD_CREATE_TICKET, nullptr, false, true) == 1) {
        SetDlgItemTextW(window, IDC_MAIN_QUESTION, L"");
        // The buttons follow the emptied question.
        onTextChanged();
    }
    showMainWindow();
    updateTicketCount();
}

void Lotse::solveTickets() {
    // The list of open tickets (dialog 113) and the recorder for the chosen
    // one open here. Until they exist no ticket is chosen: the count is
    // refreshed and the main window comes back.
    updateTicketCount();
    showMainWindow();
}

// The on-screen pick comes with the overlay and the click monitor; until then
// "Software wählen" starts nothing and timer 3 never runs.
void Lotse::startPick() {}

void Lotse::stepPick() {}

// The overlay window does not exist yet; nothing to hand over.
void Lotse::attachOverlay() {}
