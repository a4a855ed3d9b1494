#pragma once

#include "app/SoftwareEntry.h"
#include "app/win/CreateTicket.h"
#include "app/win/Info.h"
#include "app/win/Settings.h"
#include "base/String.h"
#include "controls/AutoCompleteSoftware.h"
#include "controls/AutoCompleteSolutions.h"
#include "controls/win/AutoCompleteWindow.h"
#include "dialogs/win/Template.h"

#include <cstdint>
#include <windows.h>
#include <shellapi.h>

struct IUIAutomation;

// The application object: owns the main window (dialog 101, this object's
// own Template part), the dialog objects, the tray icon and the UI Automation
// client. run() is the whole life of the process.
class Lotse : public Template, public AutoComplete::Interface {
  public:
    static Lotse& instance();

    // Start-up, main loop and shut-down. False when start-up was refused
    // (another instance runs, the version gate failed); true after "Beenden".
    bool run(HINSTANCE moduleInstance);

    // Cancels a pick in progress, then closes as every dialog does.
    void close(INT_PTR result) override;
    // The main window's messages.
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Start-up steps that other parts of the program fill in.
    bool checkVersion();       // true when start-up may go on
    void registerFirstRun();   // autostart on the very first run
    void downloadCatalogues(); // languages, tickets, software, operating systems

    // Autostart on and off: the "Run" value, then the Startup shortcut.
    void setAutostart(bool enable);
    // How the version gate waits between its attempts; null means Sleep.
    // Tests shorten the waits.
    void (*versionWait)(int milliseconds) = nullptr;

    // Periodic work and key handling of the main loop.
    void checkTickets();      // every 60 s
    void updateTicketCount(); // every 300 s (timer 8)
    void cancelPick();        // Escape

    // Shows the main window and brings it to the front.
    void showMainWindow();
    void hideMainWindow();

    int32_t firstRun = 0;
    HKEY appKey = nullptr; // HKCU\Software\Lotse; null when absent at start
    HICON icon = nullptr;
    String title;
    String buildDate;
    String version;
    HINSTANCE moduleInstance = nullptr;
    // The one UI Automation client; null when it could not be created. To be
    // replaced by the AutomationClient of automation/.
    IUIAutomation* automation = nullptr;
    Settings settings;
    Info info;
    int32_t picking = 0;
    int32_t localeId = 0;
    NOTIFYICONDATAW trayIcon{};
    int32_t quit = 0;

    // Window timer ids of the main window.
    static constexpr UINT_PTR pickTimer = 3;
    static constexpr UINT_PTR showAfterPickTimer = 4;
    static constexpr UINT_PTR ticketCountTimer = 8;

    // The main window's choices: software, language, question (MainWindow.cpp).
    // Tells the window about every character typed into either combo box.
    void onTextChanged() override;
    // Makes software `p` current (a position in the software box when
    // `fromList`, else a catalogue id; see keepSoftware), switches to language
    // `locale` when it is a valid one, and lists the questions anew.
    void selectSoftware(int p, int locale, bool fromList);
    // Fills the language box; switches to a language that has tickets for the
    // current software when the chosen one has none.
    void fillLanguages();
    // Selects the catalogue entry whose name occurs in the system's name.
    void preselectOperatingSystem(const String& osName);
    // "Lösung zeigen": guides the user through the ticket's solution.
    void showSolution(const Ticket& ticket);
    // "Neues Ticket anlegen" with the question typed in the main window.
    void createTicketFromQuestion();
    // "Tickets lösen" after the catalogues were reloaded.
    void solveTickets();
    // The on-screen pick: started by "Software wählen", stepped by timer 3.
    void startPick();
    void stepPick();
    // Hands the module instance and the main window to the overlay.
    void attachOverlay();

    // selectSoftware's `p` when only the language changes.
    static constexpr int keepSoftware = -1;

    SoftwareEntry currentSoftware;          // initially id 0, id_locale 1
    const Ticket* selectedTicket = nullptr; // an entry of questionCompleter's results
    AutoCompleteSolutions questionCompleter;
    AutoCompleteSoftware softwareCompleter;
    AutoCompleteWindow questionBox;
    AutoCompleteWindow softwareBox;
    CreateTicket createTicket;

  private:
    Lotse();
    ~Lotse() override;

    void makeDpiAware();
    void createAutomation();
    void runMainLoop();
    void showTrayMenu();
    void onSettingChange(WPARAM wParam);

    bool comInitialized = false;
};
