#pragma once

#include "service/SoftwareCatalogue.h"
#include "automation/AutomationClient.h"
#include "playback/NavigatorView.h"
#include "automation/Desktop.h"
#include "service/CaptureTransfer.h"
#include "automation/Capture.h"
#include "input/InputMonitors.h"
#include "service/Ticket.h"

#include <cstdint>
#include <vector>

// The decisions of the solution navigator: plays a ticket's capture back to the
// user step by step. It waits until the recorded program is in front, finds each
// step's element, has the overlay frame it, shows what to do there and moves on
// when the monitors report that the user did it. It never acts itself. The
// window drives it with two timers: tick() every 10 ms, applicationTimer()
// every 1000 ms while the program is awaited.
class SolutionPlayback {
  public:
    // `client` is the program's automation client, read at every search (it may
    // be made after the navigator). The capture comes through `captures`; the
    // catalogue names the awaited program.
    SolutionPlayback(NavigatorView& view, Desktop& desktop, CaptureTransfer& captures,
                     AutomationClient*& client,
                     SoftwareCatalogue& catalogue = SoftwareCatalogue::instance(),
                     ClickMonitor& clicks = ClickMonitor::instance(),
                     KeyMonitor& keys = KeyMonitor::instance());
    SolutionPlayback(const SolutionPlayback&) = delete;
    SolutionPlayback& operator=(const SolutionPlayback&) = delete;

    // Plays a copy of the ticket (the ticket list may be reloaded meanwhile),
    // its capture downloaded first. A running playback gives way to it in the
    // same window. A capture without actions, or whose first action names no
    // element (and so no program), is not played: an error box, then close().
    void start(const Ticket& ticket);

    // The navigator's tick timer: the application check while waiting, else one guiding step.
    void tick();
    // The navigator's application timer: the application check while waiting.
    void applicationTimer();

    // Makes action i current and searches its element: at once (or, while the
    // previous step's input is held, once it is released) and, while it is
    // missing, in the ticks that follow, every 50 ms for a second, then its
    // parent once. The thread never waits meanwhile: under Wine the user's
    // clicks on the frame pass through it. Returns 0: a match through the
    // parent is known only when the search is over (isPartialMatch); an index
    // past the end changes nothing.
    int selectStep(int index);
    // The user did the current step (or acted on its parent): the next one, or the
    // end of the playback.
    void nextStep();
    // Shows the current step's instruction.
    void updateActionText();
    // Ends the playback at any point and shows the main window.
    void close();
    // Ends the playback without any window work (the navigator goes away).
    void shutdown();

    bool isRunning() const { return running; }
    bool isWaitingForApplication() const { return running && waitingForApplication; }
    int step() const { return stepIndex; }
    bool isPartialMatch() const { return partialMatch != 0; }
    // The frame shows the element's window, not the element (see notSurelyFoundText).
    bool isWindowFramed() const { return windowFramed; }
    // The current step's element is still being looked for.
    bool isSearching() const { return searching; }
    ActionKind currentKind() const { return kind; }
    ElementTrace* currentTrace() const { return trace; }
    const AutomationElementPtr& foundElement() const { return found; }
    const Ticket& ticket() const { return played; }

    // The awaited program's name: the file_desc of the catalogue entry of the
    // ticket's smallest software id, empty for a ticket without software.
    String awaitedSoftware();

    static constexpr int tickMs = 10;
    static constexpr int applicationTimerMs = 1000;
    // The application check lists the processes at most this often.
    static constexpr int applicationCheckMs = 250;
    // Bringing the program to the front walks every process and window. While
    // the program is missing that walk is repeated only when a process started
    // or ended, or after this long (a reused process id goes unnoticed no longer).
    static constexpr int fullCheckMs = 2000;
    // A window that the previous step's click opens is framed as soon as it
    // shows: the element is looked for this often, for a second in all.
    static constexpr int searchAttempts = 20;
    static constexpr int searchRetryMs = 50;
    // How long the end of a playback waits after the last step's input was
    // released, so that the program has handled it before our windows come up.
    static constexpr int settleMs = 500;

    static constexpr char16_t waitingFormat[] = u"Bitte öffne die Anwendung '%s'";
    static constexpr char16_t emptyCaptureText[] =
        u"Zu dieser Lösung konnten keine Schritte geladen werden.";
    static constexpr char16_t noApplicationText[] =
        u"Der erste Schritt dieser Lösung nennt keine Anwendung, daher kann sie nicht "
        u"gezeigt werden.";
    // Added below the step's instruction while the window is framed instead of the element.
    static constexpr char16_t notSurelyFoundText[] =
        u"Das Element wurde nicht sicher gefunden. Der Rahmen zeigt das Fenster; führe den "
        u"Schritt dort aus.";

  private:
    // Runs the application check when it is due; true when guiding began.
    bool checkApplication(bool fromTimer);
    // activateApplicationWindow for the first element's program, unless the
    // process list shows that it is still missing.
    int activation(uint64_t now);
    void beginGuiding();
    void guide();
    // One more search for the current step's element when it is due.
    void continueSearch();
    // After the last step: finish() once the user's input is released and settled.
    void settle();
    // Closes after the last step, asking for feedback on a solved ticket.
    void finish();
    void releaseHooksAndOverlay();

    NavigatorView& view;
    Desktop& desktop;
    CaptureTransfer& captures;
    AutomationClient*& automation;
    SoftwareCatalogue& catalogue;
    ClickMonitor& clicks;
    KeyMonitor& keys;

    Ticket played;
    bool running = false;
    int32_t waitingForApplication = 0;
    int stepIndex = 0;
    ElementTrace* trace = nullptr; // into played's capture
    AutomationElementPtr found;
    ActionKind kind = Action::none;
    int32_t partialMatch = 0;
    // The parent try framed the window instead of the element, which was not
    // surely found: the step is done by acting anywhere in the frame.
    bool windowFramed = false;
    // The previous step's frame stays while its click is held down.
    bool overlayStays = false;
    // The current step's element is being looked for; searches made so far.
    bool searching = false;
    int searchesMade = 0;
    uint64_t nextSearchAt = 0;
    // Hooks and overlay are the playback's only from the start of guiding.
    bool guiding = false;
    bool checked = false;
    uint64_t lastCheck = 0;
    bool missing = false; // the last walk did not find the program
    uint64_t lastWalk = 0;
    std::vector<uint32_t> knownProcesses; // sorted, as of the last walk
    // The last step is done; its input may still be on its way to the program.
    bool finishing = false;
    bool released = false;
    uint64_t releasedAt = 0;
};
