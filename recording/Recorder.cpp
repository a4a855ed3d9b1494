#include "recording/Recorder.h"

#include "automation/ElementDescription.h"
#include "automation/ElementSearch.h"
#include "automation/TraceText.h"
#include "base/DebugOutput.h"
#include "input/InputMonitors.h"

Recorder::Recorder(RecorderView& view, Desktop& desktop, CaptureTransfer& captures,
                   AutomationClient* const& client, const TicketList& tickets,
                   const SoftwareCatalogue& software)
    : view(view), desktop(desktop), captures(captures), client(client), tickets(tickets),
      software(software) {}

void Recorder::open(int id) {
    ticketId = id;
    recording = false;
    recorded.clear();
    selected = -1;
    auto ticket = tickets.all().find(id);
    view.setQuestion(ticket != tickets.end() ? ticket->second.question : String());
    view.showDebugButton(false);
    view.setRecordButtonText(recordButtonText());
}

String Recorder::recordButtonText() const {
    return recording ? String(u"Aufnahme stoppen") : String(u"Aufnahme starten");
}

void Recorder::toggleRecording() {
    if (recording)
        stopRecording();
    else
        startRecording();
}

String Recorder::applicationModule() const {
    auto ticket = tickets.all().find(ticketId);
    if (ticket == tickets.end() || ticket->second.software_list.empty())
        return String();
    auto entry = software.all().find(*ticket->second.software_list.begin());
    return entry != software.end() ? entry->second.module_name : String();
}

void Recorder::startRecording() {
    recording = true;
    // Without a known program there is nothing to bring to the front; an empty
    // name would match a process whose name cannot be read.
    const String module = applicationModule();
    if (!module.empty())
        desktop.activateApplication(module);
    recorded.clear();
    view.resetList();
    selected = -1;
    desktop.installInputHooks(this, true);
    view.startTimer(recordTimer, recordPeriodMs);
    view.startTimer(hoverTimer, hoverPeriodMs);
    view.startTimer(verifyTimer, verifyPeriodMs);
    view.enableSave(false);
    view.setRecordButtonText(recordButtonText());
}

void Recorder::stopWork() {
    recording = false;
    desktop.showOverlay(client, nullptr);
    desktop.removeInputHooks(this);
    view.stopTimer(recordTimer);
    view.stopTimer(hoverTimer);
    view.selectLine(-1);
    selected = -1;
    view.enableSave(true);
    view.setHoveredLabel(String());
}

void Recorder::stopRecording() {
    // The pending trace and the hovered element stay: after a restart a click
    // on the element hovered last is recorded at once.
    stopWork();
    view.setRecordButtonText(recordButtonText());
}

const RecordedEntry* Recorder::addEntry(const String& text, const CaptureAction& action,
                                        bool allowDuplicates) {
    if (text.empty())
        return nullptr;
    if (!allowDuplicates)
        for (const RecordedEntry& entry : recorded)
            if (entry.text == text)
                return nullptr;
    recorded.push_back(RecordedEntry{action, text});
    view.addLine(text);
    selected = static_cast<int>(recorded.size()) - 1;
    view.selectLine(selected);
    return &recorded.back();
}

void Recorder::addTextInput(const String& typed) {
    CaptureAction action;
    action.kind = Action::textInput;
    action.trace.enteredText = typed;
    addEntry(String::format(u"%s -> %s", actionLabel(Action::textInput), typed), action, false);
}

void Recorder::recordStep() {
    if (!recording)
        return;
    ClickMonitor& clicks = ClickMonitor::instance();
    KeyMonitor& keys = KeyMonitor::instance();
    if (clicks.state != Action::none) {
        const ActionKind click = clicks.takeClick();
        KeyTake typed;
        if (!keys.text().empty())
            typed = keys.takeKeys();
        // Nothing hovered, or the pointer is over the recorder itself: the click
        // and the text typed before it are dropped.
        if (pending.elements.empty())
            return;
        desktop.removeInputHooks(this);
        if (!typed.text.empty())
            addTextInput(typed.text);
        CaptureAction action;
        action.kind = click;
        action.trace = pending;
        addEntry(String::format(u"%s -> %s", actionLabel(click), traceShortLabel(pending)), action,
                 true);
        desktop.installInputHooks(this, true);
    } else if (keys.state() != Action::none) {
        const KeyTake typed = keys.takeKeys();
        desktop.removeInputHooks(this);
        if (!typed.text.empty())
            addTextInput(typed.text);
        // A Return leaves the element it was typed in; the next click needs a
        // freshly hovered element.
        pending = ElementTrace();
        CaptureAction action;
        action.kind = Action::enterKey;
        action.keyText = typed.text;
        addEntry(actionLabel(Action::enterKey), action, true);
        desktop.installInputHooks(this, true);
    }
}

void Recorder::hoverStep() {
    if (!recording || !client)
        return;
    AutomationElementPtr element = desktop.elementUnderCursor(client);
    if (!element)
        return;
    // The same element as the hovered one: same runtime id, same rectangle.
    if (hovered && runtimeIdText(client, element) == hoveredId) {
        const ElementRect rect = client->boundingRect(element).value_or(ElementRect());
        if (rect == client->boundingRect(hovered).value_or(ElementRect())) {
            int x = 0, y = 0;
            if (desktop.cursorPosition(x, y) && rect.contains(x, y))
                return;
            desktop.showOverlay(client, hovered);
            return;
        }
    }
    if (isElementInWindow(client, element, view.dialogWindow())) {
        desktop.showOverlay(client, nullptr);
        pending = ElementTrace();
        return;
    }
    hovered = std::move(element);
    hoveredId = runtimeIdText(client, hovered);
    desktop.showOverlay(client, hovered);
    pending = buildTrace(client, hovered);
    view.setHoveredLabel(traceShortLabel(pending));
    view.setRecordButtonText(recordButtonText());
}

void Recorder::verifySelected() {
    if (selected < 0 || selected >= static_cast<int>(recorded.size()))
        return;
    debugOutput(u"found!\n");
    inspected = recorded[static_cast<size_t>(selected)].action.trace;
    inspectedFound = findElement(client, inspected, 0);
    // Text inputs and Returns have no element: the mark goes.
    desktop.showOverlay(client, inspectedFound);
    view.refreshDebugWindow();
}

void Recorder::onTimer(int id) {
    switch (id) {
    case recordTimer:
        recordStep();
        break;
    case hoverTimer:
        hoverStep();
        break;
    case verifyTimer:
        if (!recording)
            verifySelected();
        break;
    }
}

void Recorder::onListSelection(int index) {
    // The list shows the entries in their order, so the line's index is the
    // entry's; equal lines (two clicks on one element) stay apart.
    selected = index >= 0 && index < static_cast<int>(recorded.size()) ? index : -1;
    if (!recording)
        verifySelected();
}

void Recorder::onListDoubleClick() {
    if (!recording)
        verifySelected();
}

void Recorder::save() {
    Capture capture;
    capture.actions.reserve(recorded.size());
    for (const RecordedEntry& entry : recorded)
        capture.actions.push_back(entry.action);
    String error;
    if (!captures.upload(ticketId, capture, error)) {
        view.showMessage(String::format(u"Fehler beim speichern: %s", error), u"Fehler");
        return;
    }
    view.showMessage(String::format(u"Die Aufnahme von %i Aktionen wurde erfolgreich gespeichert.",
                                    static_cast<int>(capture.actions.size())),
                     u"Aufnahme gespeichert");
    close(0);
}

void Recorder::openDebug() {
    view.openDebugWindow();
}

void Recorder::close(int result) {
    stopWork();
    desktop.removeOverlayWindow();
    view.stopTimer(verifyTimer);
    // The live elements go with the dialog; the next opening starts afresh.
    hovered.reset();
    pending = ElementTrace();
    inspectedFound.reset();
    view.endDialog(result);
    view.showMainWindow();
}
