#include "playback/SolutionPlayback.h"

#include "automation/ApplicationActivation.h"
#include "automation/ElementSearch.h"
#include "automation/TraceText.h"
#include "playback/TicketSoftware.h"

#include <algorithm>

SolutionPlayback::SolutionPlayback(NavigatorView& view, Desktop& desktop, CaptureTransfer& captures,
                                   AutomationClient*& client, SoftwareCatalogue& catalogue,
                                   ClickMonitor& clicks, KeyMonitor& keys)
    : view(view), desktop(desktop), captures(captures), automation(client), catalogue(catalogue),
      clicks(clicks), keys(keys) {}

void SolutionPlayback::start(const Ticket& ticket) {
    // The debug window must not keep pointing into the capture replaced here.
    view.refreshDebug(nullptr, nullptr);
    releaseHooksAndOverlay();
    found.reset();
    trace = nullptr;
    played = ticket;
    captures.download(played);
    stepIndex = 0;
    partialMatch = 0;
    waitingForApplication = 1;
    kind = Action::none;
    checked = false;
    missing = false;
    finishing = false;

    const auto& actions = played.capture.actions;
    if (actions.empty() || actions.front().trace.elements.empty()) {
        // Without a first element there is no program to wait for. The box runs
        // its own message loop: no tick may play on meanwhile.
        running = false;
        view.showError(actions.empty() ? emptyCaptureText : noApplicationText);
        close();
        return;
    }
    running = true;
    if (!view.windowExists() && !view.createWindow()) {
        close();
        return;
    }
    view.bringToFront();
}

void SolutionPlayback::tick() {
    if (!running)
        return;
    if (finishing) {
        settle();
        return;
    }
    // The program found, its first element is framed at once, not a tick later.
    if (!waitingForApplication || checkApplication(false))
        guide();
}

void SolutionPlayback::applicationTimer() {
    if (!isWaitingForApplication()) {
        view.stopApplicationTimer();
        return;
    }
    if (checkApplication(true))
        guide();
}

String SolutionPlayback::awaitedSoftware() {
    const SoftwareEntry* software = ticketSoftware(played, catalogue);
    return software ? software->file_desc : String();
}

bool SolutionPlayback::checkApplication(bool fromTimer) {
    const uint64_t now = desktop.now();
    if (checked && now - lastCheck < static_cast<uint64_t>(applicationCheckMs))
        return false;
    checked = true;
    lastCheck = now;
    if (activation(now) == Activation::broughtFront) {
        beginGuiding();
        return true;
    }
    if (!fromTimer) {
        view.setInstruction(String::format(waitingFormat, awaitedSoftware()));
        view.armApplicationTimer();
    }
    return false;
}

int SolutionPlayback::activation(uint64_t now) {
    std::vector<uint32_t> processes = desktop.processIds();
    std::sort(processes.begin(), processes.end());
    if (missing && !processes.empty() && processes == knownProcesses &&
        now - lastWalk < static_cast<uint64_t>(fullCheckMs))
        return Activation::notRunning;
    const String& module = played.capture.actions.front().trace.elements.front().moduleName;
    const int result = desktop.activateApplication(module);
    missing = result == Activation::notRunning;
    lastWalk = now;
    knownProcesses = std::move(processes);
    return result;
}

void SolutionPlayback::beginGuiding() {
    // Left armed, the timer would find the program again later and start over.
    view.stopApplicationTimer();
    partialMatch = selectStep(stepIndex);
    updateActionText();
    desktop.installInputHooks(this, true);
    guiding = true;
    waitingForApplication = 0;
}

void SolutionPlayback::guide() {
    if (overlayStays) {
        if (desktop.inputHeld())
            return;
        overlayStays = false;
        desktop.removeOverlayWindow();
    }
    if (searching) {
        // Input meanwhile is judged once the search is over.
        continueSearch();
        if (searching)
            return;
    }
    if (found) {
        const ActionKind click = clicks.takeClick();
        // The click counts against the frame the user saw when clicking: the
        // click itself may close the element's window (an OK button), which
        // leaves nothing to frame again. The frame's edges count as inside.
        if (click != Action::none && click == kind) {
            int x = 0, y = 0;
            desktop.cursorPosition(x, y);
            const ElementRect frame = desktop.overlayRect();
            if (!frame.isEmpty() && frame.left <= x && x <= frame.right && frame.top <= y &&
                y <= frame.bottom) {
                nextStep();
                return;
            }
        }
        if (!desktop.showOverlay(automation, found)) {
            view.debugLine(u"elem rect is empty\n");
            partialMatch = selectStep(stepIndex);
        }
        return;
    }

    desktop.showOverlay(automation, nullptr);
    if (kind == Action::textInput) {
        // Compared in place: the typed text keeps growing until it matches.
        if (trace && keys.takeTextIfEqual(trace->enteredText))
            nextStep();
        return;
    }
    const ActionKind click = clicks.takeClick();
    const ActionKind key = keys.takeKeys().state;
    if ((click != Action::none && click == kind) || (key != Action::none && key == kind))
        nextStep();
}

int SolutionPlayback::selectStep(int index) {
    const auto& actions = played.capture.actions;
    if (index < 0 || index >= static_cast<int>(actions.size()))
        return 0;
    trace = &played.capture.actions[static_cast<size_t>(index)].trace;
    kind = actions[static_cast<size_t>(index)].kind;
    // The previous step's element goes before the search, not after it.
    found.reset();
    searchesMade = 0;
    partialMatch = 0;
    windowFramed = false;
    searching = !trace->elements.empty();
    nextSearchAt = 0;
    // While the previous step's input is held, the search waits for its release.
    if (searching && !overlayStays)
        continueSearch();
    return 0;
}

void SolutionPlayback::continueSearch() {
    if (desktop.now() < nextSearchAt)
        return;
    if (searchesMade < searchAttempts) {
        found = findElement(automation, *trace, 0);
        ++searchesMade;
        nextSearchAt = desktop.now() + searchRetryMs;
        if (!found)
            return;
    } else {
        // Every direct search failed: the parent, once.
        found = findElement(automation, *trace, 1);
        partialMatch = found ? 1 : 0;
        // The element itself was not surely found: its parent stands in for it.
        windowFramed = found && !trace->elements.empty() && !trace->elements.front().found;
    }
    searching = false;
    searchesMade = 0;
    if (windowFramed) {
        view.debugLine(String(u"search: ") + trace->elements.front().matchNote + u"\n");
        updateActionText();
        return;
    }
    view.refreshDebug(trace, &found);
}

void SolutionPlayback::nextStep() {
    // The step is seen when the button goes down. The frame's window stays until
    // it is up again: under Wine the frame's window passes the click on to the
    // program, and a release that arrives after it has gone is lost, which
    // leaves the program's button pressed. The next element is searched only
    // then too: the program acts on the release (a window opens or closes), and
    // under Wine the release waits for this thread while it searches.
    if (desktop.inputHeld())
        overlayStays = true;
    else
        desktop.removeOverlayWindow();
    // A framed parent that held the element keeps the step, so that the element
    // is searched again; a window framed for an element not surely found is where
    // the step is done.
    if (!partialMatch || windowFramed)
        ++stepIndex;
    if (stepIndex != static_cast<int>(played.capture.actions.size())) {
        partialMatch = selectStep(stepIndex);
        updateActionText();
        return;
    }
    // The last step: a window activated before the program has handled the
    // release would cancel the click there (a pressed button loses its
    // capture), so the end waits for the release and a little beyond.
    finishing = true;
    released = false;
}

void SolutionPlayback::settle() {
    if (desktop.inputHeld()) {
        released = false;
        return;
    }
    const uint64_t now = desktop.now();
    if (!released) {
        released = true;
        releasedAt = now;
    }
    if (now - releasedAt >= static_cast<uint64_t>(settleMs))
        finish();
}

void SolutionPlayback::finish() {
    const AutomationElementPtr last = found;
    const bool askFeedback = played.id_state == TicketSolved;
    close();
    if (askFeedback)
        view.openFeedback(played, last);
}

void SolutionPlayback::updateActionText() {
    if (trace) {
        const String target = traceLabel(*trace);
        const String label = actionLabel(kind);
        String text = target.empty()
                          ? label
                          : String::format(u"%s%s\"%s\"", label,
                                           kind == Action::textInput ? u" " : u" auf ", target);
        if (windowFramed)
            text += String(u"\r\n") + notSurelyFoundText;
        view.setInstruction(text);
    }
    view.refreshDebug(trace, &found);
}

void SolutionPlayback::close() {
    finishing = false;
    view.stopTick();
    releaseHooksAndOverlay();
    running = false;
    waitingForApplication = 0;
    view.destroyWindow();
    found.reset();
    view.showMainWindow();
}

void SolutionPlayback::shutdown() {
    releaseHooksAndOverlay();
    running = false;
    waitingForApplication = 0;
    found.reset();
}

void SolutionPlayback::releaseHooksAndOverlay() {
    searching = false;
    searchesMade = 0;
    overlayStays = false;
    if (!guiding)
        return;
    guiding = false;
    desktop.removeInputHooks(this);
    desktop.showOverlay(automation, nullptr);
}
