#include "app/MainWindowModel.h"

#include "service/VersionInfo.h"
#include "automation/ElementDescription.h"
#include "service/CatalogueReload.h"

#include <set>
#include <vector>

String questionCue(int tickets) {
    return String::format(u"&Nach was suchst du?             (%i Tickets verf\u00fcgbar)", tickets);
}

MainWindowModel::MainWindowModel(SoftwareCatalogue& softwareCatalogue, TicketList& ticketList,
                                 LocaleCatalogue& localeCatalogue, ClickMonitor& clickMonitor)
    : questionCompleter(ticketList), softwareCompleter(softwareCatalogue),
      fetchCount(fetchTicketCount), reload([] { ::reloadCatalogues(); }),
      software(softwareCatalogue), tickets(ticketList), locales(localeCatalogue),
      clicks(clickMonitor) {
    questionCompleter.setListener(this);
    softwareCompleter.setListener(this);
}

void MainWindowModel::attach(MainWindowView* window, Desktop* pickDesktop,
                             VersionResource* versionResources) {
    view = window;
    desktop = pickDesktop;
    versions = versionResources;
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

void MainWindowModel::pickButton() {
    if (picking)
        cancelPick();
    else
        startPick();
}

void MainWindowModel::startPick() {
    if (picking || !view || !desktop || !versions)
        return;
    // What an earlier pick framed is not framed now; a click must wait for a new frame.
    forgetPickedElement();
    desktop->installInputHooks(this, false);
    view->startTimer(pickTimer, pickPeriodMs);
    picking = true;
    view->setPickButtonText(u"Abbrechen");
}

void MainWindowModel::stepPick() {
    if (!picking || !view || !desktop || !versions)
        return;
    // The click still reaches the clicked application; here it only ends the
    // pick once something was framed.
    if (clicks.takeClick() != Action::none) {
        if (!pickTrace.empty())
            cancelPick();
        return;
    }
    const AutomationElementPtr element = desktop->elementUnderCursor(automation);
    if (!element)
        return;
    if (runtimeIdText(automation, element) != runtimeIdText(automation, pickedElement)) {
        if (isElementInWindow(automation, element, view->windowHandle())) {
            // The main window's own controls are no software to pick. Coming
            // back to the element framed before frames it anew.
            desktop->showOverlay(automation, nullptr);
            forgetPickedElement();
        } else {
            pickElement(element);
        }
        return;
    }
    // The same element: follow it when it moved away from under the cursor.
    int x = 0, y = 0;
    if (!pickedElement || !automation || !desktop->cursorPosition(x, y))
        return;
    const std::optional<ElementRect> rect = automation->boundingRect(pickedElement);
    if (!rect || !rect->contains(x, y))
        desktop->showOverlay(automation, pickedElement);
}

void MainWindowModel::pickElement(const AutomationElementPtr& element) {
    // A click while the new element is read does not end the pick on it.
    desktop->removeInputHooks(this);
    pickedElement = element;
    desktop->showOverlay(automation, element);
    pickTrace = buildTrace(automation, element);
    String moduleName, modulePath;
    if (!pickTrace.elements.empty()) {
        moduleName = pickTrace.elements.front().moduleName;
        modulePath = pickTrace.elements.front().modulePath;
    }
    readVersionInfo(*versions, automation, modulePath, moduleName, pickedElement, currentSoftware);
    view->setSoftwareText(displayText(currentSoftware));
    currentSoftware.id = 0;
    desktop->installInputHooks(this, false);
}

void MainWindowModel::forgetPickedElement() {
    pickedElement = nullptr;
    pickTrace = ElementTrace();
}

void MainWindowModel::cancelPick() {
    if (!picking || !view || !desktop || !versions)
        return;
    desktop->removeInputHooks(this);
    view->stopTimer(pickTimer);
    desktop->showOverlay(automation, nullptr);
    picking = false;
    view->setPickButtonText(u"Software w\u00e4hlen...");
    // Held no longer than the pick: the element belongs to another program.
    pickedElement = nullptr;

    const String text = view->softwareText();
    const int position = selectSoftwareItem(text);
    if (position >= 0) {
        selectSoftware(position, 0, true);
    } else {
        // Not in the catalogue: the software keeps what the pick read, and no
        // question is offered for it. The chosen ticket went with the list.
        questionCompleter.clear();
        questionCompleter.softwareFilter = 0;
        questionCompleter.localeFilter = localeId;
        questionEdited();
    }
    view->startTimer(showAfterPickTimer, showAfterPickMs);
}

void MainWindowModel::onTimer(int id) {
    switch (id) {
    case pickTimer:
        stepPick();
        break;
    case showAfterPickTimer:
        if (view) {
            view->show();
            view->stopTimer(showAfterPickTimer);
        }
        break;
    case ticketCountTimer:
        updateTicketCount();
        break;
    }
}

void MainWindowModel::releaseAutomation() {
    forgetPickedElement();
    automation = nullptr;
}
