#pragma once

#include "app/MainWindowView.h"
#include "app/SoftwareCatalogue.h"
#include "controls/AutoCompleteSoftware.h"
#include "controls/AutoCompleteSolutions.h"
#include "service/LocaleCatalogue.h"
#include "service/TicketCount.h"
#include "service/TicketList.h"

#include <functional>

// The decisions of the main window (dialog 101): which software and language are
// chosen, which questions are offered and counted and which buttons may be
// pressed. It drives the window through a MainWindowView; the window layer hands
// it the controls' notifications and its timers.
class MainWindowModel : public AutoComplete::Interface {
  public:
    explicit MainWindowModel(SoftwareCatalogue& software = SoftwareCatalogue::instance(),
                             TicketList& tickets = TicketList::instance(),
                             LocaleCatalogue& locales = LocaleCatalogue::instance());
    MainWindowModel(const MainWindowModel&) = delete;
    MainWindowModel& operator=(const MainWindowModel&) = delete;

    // The window; null while there is none.
    void attach(MainWindowView* window) { view = window; }

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

    // A tick of one of the window's timers.
    void onTimer(int id);

    // Window timers and their periods.
    static constexpr int ticketCountTimer = 8;
    static constexpr int ticketCountPeriodMs = 300000;

    // selectSoftware's `p` when only the language changes.
    static constexpr int keepSoftware = -1;
    // Longest question read from the window.
    static constexpr int questionLimit = 4096;

    SoftwareEntry currentSoftware; // initially id 0, id_locale 1
    int localeId = 0;
    // An entry of questionCompleter's results, or null.
    const Ticket* selectedTicket = nullptr;
    AutoCompleteSolutions questionCompleter;
    AutoCompleteSoftware softwareCompleter;

    // The ticket count request and the reload of the four lists.
    std::function<TicketCountUpdate()> fetchCount;
    std::function<void()> reload;

  private:
    int selectSoftwareItem(const String& text);

    SoftwareCatalogue& software;
    TicketList& tickets;
    LocaleCatalogue& locales;
    MainWindowView* view = nullptr;
};

// The caption of the question group with the number of questions on offer.
String questionCue(int tickets);
