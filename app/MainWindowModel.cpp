#include "app/MainWindowModel.h"

#include "service/CatalogueReload.h"

#include <set>
#include <vector>

String questionCue(int tickets) {
    return String::format(u"Nach was suchst du?             (%i Tickets verf\u00fcgbar)", tickets);
}

MainWindowModel::MainWindowModel(SoftwareCatalogue& softwareCatalogue, TicketList& ticketList,
                                 LocaleCatalogue& localeCatalogue)
    : questionCompleter(ticketList), softwareCompleter(softwareCatalogue),
      fetchCount(fetchTicketCount), reload(::reloadCatalogues), software(softwareCatalogue),
      tickets(ticketList), locales(localeCatalogue) {
    questionCompleter.setListener(this);
    softwareCompleter.setListener(this);
}

void MainWindowModel::initialise(const String& osName) {
    preselectOperatingSystem(osName);
    fillLanguages();
    updateTicketCount();
    if (!view)
        return;
    view->enableCreateTicket(false);
    view->startTimer(ticketCountTimer, ticketCountPeriodMs);
}

void MainWindowModel::onTextChanged() {
    if (!view)
        return;
    const String question = view->questionText();
    selectedTicket = nullptr;
    view->enableCreateTicket(question.length() >= 3);
    view->enableShowSolution(false);
}

void MainWindowModel::selectSoftware(int p, int locale, bool fromList) {
    bool softwareChanged = false;
    if (fromList) {
        // Every position of the list counts, the first one too: filtered by
        // typing, the list may hold just the one entry the user wants.
        const SoftwareEntry* entry = p >= 0 && view ? view->softwareAt(p) : nullptr;
        if (entry) {
            currentSoftware = *entry;
            softwareChanged = true;
        }
    } else if (p > 0) {
        currentSoftware = software.entry(p);
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
    if (view)
        view->setQuestionCue(questionCue(questionCompleter.count()));
}

void MainWindowModel::fillLanguages() {
    std::set<int> offered;
    tickets.localesFor(currentSoftware.id, offered);
    if (!offered.empty() && offered.count(localeId) == 0)
        localeId = *offered.begin();

    if (!view)
        return;
    view->clearLanguages();
    // Find-or-insert up to the growing count: every language is visited in
    // id order, and ids missing below the largest get empty entries.
    const LocaleEntry* chosen = nullptr;
    for (int i = 0; i < locales.count(); ++i) {
        LocaleEntry& entry = locales.get(i);
        if (entry.description.empty())
            continue;
        view->addLanguage(entry.description, &entry);
        if (entry.id == localeId)
            chosen = &entry;
    }
    // Selected once all are in: the sorted list moves items as others arrive.
    if (chosen)
        view->selectLanguage(chosen);
}

void MainWindowModel::preselectOperatingSystem(const String& osName) {
    const std::vector<SoftwareEntry> matches = software.search(osName, true);
    if (matches.empty() || matches.front().id <= 0)
        return;
    selectSoftware(matches.front().id, localeId, false);
    selectSoftwareItem(displayText(currentSoftware));
}

void MainWindowModel::updateTicketCount() {
    const TicketCountUpdate update = fetchCount ? fetchCount() : TicketCountUpdate();
    if (!update.show)
        return;
    if (view)
        view->setTicketCount(update.unsolvedText);
    if (update.reload)
        reloadLists();
}

void MainWindowModel::reloadLists() {
    if (reload)
        reload();
    fillLanguages();
}

void MainWindowModel::questionEdited() {
    selectedTicket = nullptr;
    if (view)
        view->enableShowSolution(false);
}

void MainWindowModel::chooseTicket(const Ticket* ticket) {
    selectedTicket = ticket;
    if (view)
        view->enableShowSolution(selectedTicket != nullptr);
}

int MainWindowModel::selectSoftwareItem(const String& text) {
    // Every item begins with the empty text; an empty name names none of them.
    if (!view || text.empty())
        return -1;
    return view->selectSoftwareStartingWith(text);
}

void MainWindowModel::onTimer(int id) {
    if (id == ticketCountTimer)
        updateTicketCount();
}
