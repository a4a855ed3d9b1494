#include "app/win/Lotse.h"

#include "app/PeriodicCheck.h"
#include "service/SoftwareCatalogue.h"
#include "app/VersionGate.h"
#include "app/win/AppKey.h"
#include "app/win/Autostart.h"
#include "app/win/NewVersion.h"
#include "app/win/SingleInstance.h"
#include "app/win/TrayIcon.h"
#include "automation/win/AutomationClients.h"
#include "automation/win/OverlayWindow.h"
#include "input/win/InputHooks.h"
#include "resources/resource.h"
#include "base/DebugOutput.h"
#include "service/CatalogueReload.h"
#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/ServiceClient.h"
#include "service/SolvedTicketCheck.h"
#include "service/TicketList.h"
#include "service/TicketPrefetch.h"

#include "LotseConfig.h"

#include <objbase.h>

namespace {

constexpr uint32_t ticketCheckInterval = 60000;
// Longest sleep of the main loop; the Pause and Escape keys are polled at
// least this often.
constexpr DWORD loopWaitMs = 50;

// The dialog window of this thread that the message is for, if any: the
// main window, the navigator, the notification, the feedback question.
HWND ownDialogOf(const MSG& message) {
    if (!message.hwnd)
        return nullptr;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    wchar_t className[16] = {};
    if (!root || GetWindowThreadProcessId(root, nullptr) != GetCurrentThreadId() ||
        !GetClassNameW(root, className, 16) || wcscmp(className, L"#32770") != 0)
        return nullptr;
    return root;
}

} // namespace

Lotse& Lotse::instance() {
    static Lotse lotse;
    return lotse;
}

Lotse::Lotse() {
    title = u"Lotse";
    appKey = openAppKey(title, false);
    buildDate =
        String::format(u"%02i.%02i.%04i", LOTSE_BUILD_DAY, LOTSE_BUILD_MONTH, LOTSE_BUILD_YEAR);
    version = LOTSE_VERSION;
    settings.title = title;
    settings.setAutostart = [this](bool enable) { setAutostart(enable); };
    info.version = version;
    info.buildDate = buildDate;
    mainWindow.title = title;
    mainWindow.version = version;
}

Lotse::~Lotse() {
    // The client and its elements hold COM objects, which must go while COM is
    // still up.
    closePlayback();
    mainWindow.model.releaseAutomation();
    automation.reset();
    if (comInitialized)
        CoUninitialize();
    TrayIcon::remove(trayIcon);
    if (appKey)
        RegCloseKey(appKey);
}

bool Lotse::run(HINSTANCE module) {
    if (!SingleInstance::acquire())
        return false;
    // The ticket list is the start's longest wait: it downloads from here on,
    // while the version check and the other lists wait for their replies, and
    // the main window's controls are made while it is read.
    TicketPrefetch tickets([] { return TicketList::instance().download(); });

    moduleInstance = module;
    icon = LoadIconW(moduleInstance, MAKEINTRESOURCEW(IDI_LOTSE));
    mainWindow.moduleInstance = moduleInstance;
    mainWindow.icon = icon;

    // The start is what the user waits for: the time of each step goes to the
    // debugger (bench/start-up.sh reads it).
    const DWORD started = GetTickCount();
    DWORD stepStart = started;
    auto step = [&stepStart] {
        const DWORD now = GetTickCount();
        const int took = static_cast<int>(now - stepStart);
        stepStart = now;
        return took;
    };
    if (!checkVersion())
        return false;
    const int versionMs = step();
    registerFirstRun();
    makeDpiAware();
    createAutomation();
    const int preparedMs = step();
    downloadCatalogues();
    const int cataloguesMs = step();

    // The template is not visible: the program starts behind its tray icon.
    DWORD ticketsWait = 0;
    mainWindow.awaitLists = [&tickets, &ticketsWait] {
        const DWORD from = GetTickCount();
        tickets.finish();
        ticketsWait = GetTickCount() - from;
    };
    mainWindow.create(IDD_MAIN, nullptr, true, false);
    mainWindow.awaitLists = nullptr;
    // Also when the window could not be made: nothing reads the list from here
    // on while the download still writes it.
    tickets.finish();
    TrayIcon::add(trayIcon, mainWindow.window, icon, title);
    const int windowMs = step();
    // The main window holds the lists: from here a question is searched at once.
    debugOutput(
        String::format(u"Lotse: ready to search, %i ms after the start of run: version "
                       u"check %i ms, preparing %i ms, catalogues %i ms, main window %i ms, "
                       u"%i of them waiting for the tickets",
                       static_cast<int>(GetTickCount() - started), versionMs, preparedMs,
                       cataloguesMs, windowMs, static_cast<int>(ticketsWait)));

    runMainLoop();

    closePlayback();
    TrayIcon::remove(trayIcon);
    // "Beenden" may come in the middle of a pick.
    removeAllInputHooks();
    OverlayWindow::instance().shutdown();
    return true;
}

bool Lotse::checkVersion() {
    // One dialog object serves the retries after a connection error; another
    // version is shown on a fresh one.
    NewVersion retryDialog;
    VersionGate gate;
    gate.fetch = fetchCurrentVersion;
    gate.wait = [this](int milliseconds) {
        if (versionWait)
            versionWait(milliseconds);
        else
            Sleep(static_cast<DWORD>(milliseconds));
    };
    gate.showNewVersion = [&retryDialog](const String& own, const String& newer) {
        if (newer.empty())
            return retryDialog.show(own, newer);
        NewVersion dialog;
        return dialog.show(own, newer);
    };
    return gate.check(version);
}

void Lotse::registerFirstRun() {
    if (!appKey) {
        appKey = openAppKey(title, true);
        firstRun = 1;
        setAutostart(true);
    } else if (firstRun) {
        setAutostart(true);
    }
}

void Lotse::setAutostart(bool enable) {
    Autostart::setRunValue(title, enable);
    Autostart::setShortcut(title, enable);
}

void Lotse::downloadCatalogues() {
    reloadSmallCatalogues();
    mainWindow.model.localeId = LocaleCatalogue::instance().defaultLocaleId();
}

void Lotse::checkTickets() {
    const SolvedTicketReport report = checkSolvedTickets();
    if (report.reload) {
        // The solved tickets come with their new state and capture id.
        mainWindow.model.updateTicketCount();
        TicketList::instance().download();
    }
    for (int id : report.ticketIds)
        notification.announce(TicketList::instance().find(id));
}

void Lotse::closePlayback() {
    for (SolutionNavigator* playing : {&navigator, &notification.navigator}) {
        if (playing->window)
            playing->close(0);
    }
    if (notification.window)
        notification.close(0);
}

void Lotse::cancelPick() {
    mainWindow.model.cancelPick();
}

void Lotse::makeDpiAware() {
    HMODULE shcore = LoadLibraryW(L"Shcore.dll");
    if (!shcore)
        return;
    using SetAwareness = HRESULT(WINAPI*)(int);
    auto setAwareness = reinterpret_cast<SetAwareness>(
        reinterpret_cast<void*>(GetProcAddress(shcore, "SetProcessDpiAwareness")));
    if (setAwareness)
        setAwareness(2); // per-monitor aware
    FreeLibrary(shcore);
}

void Lotse::createAutomation() {
    if (automation)
        return;
    HRESULT init = CoInitialize(nullptr);
    if (FAILED(init))
        return;
    comInitialized = true;
    automation = createAutomationClient();
    mainWindow.model.automation = automation.get();
}

void Lotse::runMainLoop() {
    PeriodicCheck ticketCheck(ticketCheckInterval);
    while (!quit) {
        DWORD now = timeGetTime();
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            // The modeless windows answer Tab, mnemonics, Enter and Escape as
            // the modal dialogs do in their own loops.
            HWND dialog = ownDialogOf(message);
            if (!dialog || !IsDialogMessageW(dialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        // Not while a pick, a recording or a playback uses the input hooks:
        // under Wine every click on a framed screen passes through this
        // thread, and a slow service would hold them all. The check is made
        // in the first pass after.
        if (!inputHookUsers().inUse() && ticketCheck.due(now))
            checkTickets();
        if (GetAsyncKeyState(VK_PAUSE))
            mainWindow.show();
        if (GetAsyncKeyState(VK_ESCAPE))
            cancelPick();
        if (quit)
            break;
        // Sleep until input arrives; returns at once while messages wait.
        MsgWaitForMultipleObjectsEx(0, nullptr, loopWaitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}
