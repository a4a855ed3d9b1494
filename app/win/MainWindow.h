#pragma once

#include "app/MainWindowModel.h"
#include "app/MainWindowView.h"
#include "automation/win/DesktopApi.h"
#include "service/win/FileVersionResource.h"
#include "controls/win/AutoCompleteWindow.h"
#include "dialogs/win/Template.h"

#include <cstdint>
#include <functional>
#include <windows.h>

class CreateTicket;
class Info;
class Settings;
class SolutionCapture;
class SolutionNavigator;
class SolveTicket;

// The main window, the modeless dialog IDD_MAIN: hands the messages of its controls,
// its timers, the tray icon's notifications and the start-up broadcasts to its
// model and opens the dialogs the user asks for. Closing it only hides it.
class MainWindow : public Template, public MainWindowView {
  public:
    // The dialogs the window opens, and the application's quit flag, which the
    // tray menu's "Beenden" and the setup's request set.
    MainWindow(Settings& settings, Info& info, CreateTicket& createTicket,
               SolutionNavigator& navigator, SolveTicket& solveTicket, SolutionCapture& recorder,
               int32_t& quit);

    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Ends a pick in progress, then closes as every dialog does.
    void close(INT_PTR result) override;

    // Shows the window and brings it to the front; hides it.
    void show() override;
    void hide();

    // Set by the application before the window is created.
    HINSTANCE moduleInstance = nullptr;
    HICON icon = nullptr;
    String title;
    String version;
    // Waited for once the window and its controls are made, before the lists
    // fill them: at start the ticket list is still being read meanwhile.
    std::function<void()> awaitLists;

    MainWindowModel model;
    AutoCompleteWindow softwareBox;
    AutoCompleteWindow questionBox;

    // MainWindowView
    const SoftwareEntry* softwareAt(int position) override;
    String softwareText() override;
    void setSoftwareText(const String& text) override;
    int selectSoftwareStartingWith(const String& text) override;
    void clearLanguages() override;
    void addLanguage(const String& description, const LocaleEntry* entry) override;
    void selectLanguage(const LocaleEntry* entry) override;
    String questionText() override;
    void enableCreateTicket(bool enable) override;
    void enableShowSolution(bool enable) override;
    void setQuestionCue(const String& text) override;
    void setTicketCount(const String& text) override;
    void setPickButtonText(const String& text) override;
    void startTimer(int id, int milliseconds) override;
    void stopTimer(int id) override;

    uintptr_t windowHandle() override;

  private:
    void initialise(HWND dialog);
    void onCommand(WORD id, WORD notification);
    void onSettingChange(WPARAM wParam);
    void showTrayMenu();
    // "Lösung zeigen": guides the user through the ticket's solution.
    void showSolution(const Ticket& ticket);
    // "Neues Ticket anlegen" with the question typed here.
    void createTicketFromQuestion();
    // "Tickets lösen": the list of open tickets, and the recorder for the one
    // the user chose there.
    void solveTickets();
    void enableButton(int id, bool enable);

    Settings& settings;
    Info& info;
    CreateTicket& createTicket;
    SolutionNavigator& navigator;
    SolveTicket& solveTicket;
    SolutionCapture& recorder;
    int32_t& quit;
    FileVersionResource versions;
    DesktopApi desktop;
};
