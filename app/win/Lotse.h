#pragma once

#include "app/win/CreateTicket.h"
#include "app/win/Info.h"
#include "app/win/MainWindow.h"
#include "app/win/Settings.h"
#include "app/win/SolveTicket.h"
#include "automation/AutomationClient.h"
#include "playback/win/SolutionNavigator.h"
#include "playback/win/SolutionNotification.h"
#include "recording/win/SolutionCapture.h"
#include "base/String.h"

#include <cstdint>
#include <memory>
#include <windows.h>
#include <shellapi.h>

// The application object: owns the main window, the dialog objects, the tray
// icon and the UI Automation client. run() is the whole life of the process.
class Lotse {
  public:
    static Lotse& instance();

    Lotse(const Lotse&) = delete;
    Lotse& operator=(const Lotse&) = delete;

    // Start-up, main loop and shut-down. False when start-up was refused
    // (another instance runs, the version gate failed); true after "Beenden".
    bool run(HINSTANCE moduleInstance);

    // Start-up steps that other parts of the program fill in.
    bool checkVersion();     // true when start-up may go on
    void registerFirstRun(); // autostart on the very first run
    // Languages, software and operating systems: the tickets download apart.
    void downloadCatalogues();

    // Autostart on and off: the "Run" value, then the Startup shortcut.
    void setAutostart(bool enable);
    // How the version gate waits between its attempts; null means Sleep.
    // Tests shorten the waits.
    void (*versionWait)(int milliseconds) = nullptr;

    // Periodic work and key handling of the main loop.
    void checkTickets(); // every 60 s
    void cancelPick();   // Escape: ends an on-screen pick in progress

    int32_t firstRun = 0;
    HKEY appKey = nullptr; // HKCU\Software\Lotse; null when absent at start
    HICON icon = nullptr;
    String title;
    String buildDate;
    String version;
    HINSTANCE moduleInstance = nullptr;
    // The program's one automation client, made once COM is initialised; null
    // when there is none.
    std::unique_ptr<AutomationClient> automation;
    Settings settings;
    Info info;
    CreateTicket createTicket;
    SolveTicket solveTicket;
    NOTIFYICONDATAW trayIcon{};
    int32_t quit = 0;
    MainWindow mainWindow{settings, info, createTicket, navigator, solveTicket, recorder, quit};
    // "Lösung zeigen" of the main window plays here; the notification of a
    // solved ticket has its own.
    SolutionNavigator navigator{mainWindow.model.automation, [this] { mainWindow.show(); }};
    SolutionNotification notification{mainWindow.model.automation, [this] { mainWindow.show(); }};
    // The recorder of "Tickets lösen", for the ticket chosen in the list.
    SolutionCapture recorder{mainWindow.model.automation};

  private:
    Lotse();
    ~Lotse();

    void makeDpiAware();
    void createAutomation();
    void runMainLoop();
    // Ends a running playback and closes the notification, so nothing holds an
    // element when the client goes.
    void closePlayback();

    bool comInitialized = false;
};
