#pragma once

#include "app/MainWindowView.h"
#include "automation/Desktop.h"
#include "service/VersionResource.h"
#include "service/SoftwareCatalogue.h"
#include "automation/AutomationClient.h"
#include "automation/ElementTrace.h"
#include "controls/AutoCompleteSoftware.h"
#include "controls/AutoCompleteSolutions.h"
#include "input/InputMonitors.h"
#include "service/LocaleCatalogue.h"
#include "service/TicketCount.h"
#include "service/TicketList.h"

#include <functional>

// The decisions of the main window (IDD_MAIN): which software and language are
// chosen, which questions are offered and counted, which buttons may be pressed,
// and the on-screen pick of a software. It drives the window through a
// MainWindowView, the pick through the Desktop and reads picked programs'
// VersionResource; the window layer hands it the controls' notifications and
// its timers.
class MainWindowModel : public AutoComplete::Interface {
  public:
    explicit MainWindowModel(SoftwareCatalogue& software = SoftwareCatalogue::instance(),
                             TicketList& tickets = TicketList::instance(),
                             LocaleCatalogue& locales = LocaleCatalogue::instance(),
                             ClickMonitor& clicks = ClickMonitor::instance());
    MainWindowModel(const MainWindowModel&) = delete;
    MainWindowModel& operator=(const MainWindowModel&) = delete;

    // The window, the desktop and the version resources of the pick; null while
    // there is no window.
    void attach(MainWindowView* window, Desktop* desktop, VersionResource* versions);

    // The window has attached its completers: preselect the operating system
    // `osName` names, list the languages, show the ticket count, disable
    // "Neues Ticket anlegen" and start the ticket count's timer.
    void initialise(const String& osName);

    // After each character typed into either box: the buttons follow the question.
    void onTextChanged() override;
    // Makes software `p` current (a position in the software box when `fromList`,
    // else a catalogue id; keepSoftware changes only the language), switches to
    // language `locale` when it is a valid other one, and lists the questions anew.
    void selectSoftware(int p, int locale, bool fromList);
    // A language chosen in its box.
    void chooseLanguage(int locale) { selectSoftware(keepSoftware, locale, true); }
    // Fills the language box; switches to the smallest language that has tickets
    // for the current software when the chosen one has none.
    void fillLanguages();
    // Selects the catalogue entry whose display text occurs in the system's name.
    void preselectOperatingSystem(const String& osName);
    // The number of tickets waiting for help; reloads the lists when the service
    // holds another number of tickets than memory.
    void updateTicketCount();
    // Downloads the lists again and fills the language box.
    void reloadLists();

    // The question box: edited by hand (no ticket chosen), or an item chosen
    // (its ticket, null when none is selected).
    void questionEdited();
    void chooseTicket(const Ticket* ticket);

    // The on-screen pick: "Software wählen" starts it and ends it.
    void pickButton();
    void startPick();
    // One step of the pick: a click on a framed software ends it; otherwise the
    // element under the cursor is framed and read as the current software.
    void stepPick();
    // Ends a pick in progress (also the Escape key) and takes the catalogue entry
    // whose text begins with what the pick read, or else keeps it without id.
    void cancelPick();

    // A tick of one of the window's timers.
    void onTimer(int id);

    // Drops the picked element; the automation client is about to go.
    void releaseAutomation();

    // Window timers and their periods.
    static constexpr int pickTimer = 3;
    static constexpr int showAfterPickTimer = 4;
    static constexpr int ticketCountTimer = 8;
    static constexpr int pickPeriodMs = 100;
    static constexpr int showAfterPickMs = 300;
    static constexpr int ticketCountPeriodMs = 300000;

    // selectSoftware's `p` when only the language changes.
    static constexpr int keepSoftware = -1;
    // Longest question and software text read from the window.
    static constexpr int questionLimit = 4096;
    static constexpr int softwareTextLimit = 512;

    SoftwareEntry currentSoftware; // initially id 0, id_locale 1
    int localeId = 0;
    // An entry of questionCompleter's results, or null.
    const Ticket* selectedTicket = nullptr;
    AutoCompleteSolutions questionCompleter;
    AutoCompleteSoftware softwareCompleter;

    bool picking = false;
    ElementTrace pickTrace;             // trace of the element framed last
    AutomationElementPtr pickedElement; // the element framed last

    // The program's automation client; null when there is none.
    AutomationClient* automation = nullptr;
    // The ticket count request and the reload of the four lists.
    std::function<TicketCountUpdate()> fetchCount;
    std::function<void()> reload;

  private:
    int selectSoftwareItem(const String& text);
    void pickElement(const AutomationElementPtr& element);
    void forgetPickedElement();

    SoftwareCatalogue& software;
    TicketList& tickets;
    LocaleCatalogue& locales;
    ClickMonitor& clicks;
    MainWindowView* view = nullptr;
    Desktop* desktop = nullptr;
    VersionResource* versions = nullptr;
};

// The caption of the question group with the number of questions on offer.
String questionCue(int tickets);
