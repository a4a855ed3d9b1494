#include "playback/SolutionPlayback.h"

#include "automation/ElementDescription.h"
#include "tests/StringPrinter.h"
#include "tests/support/MemoryAutomation.h"
#include "tests/support/PlaybackFakes.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t keyDown = 0x100;

// A program "editor.exe" with a window holding the button "Speichern" at
// (100, 100)-(200, 140), a ticket about it and a playback over fakes.
struct Desk {
    MemoryAutomation tree;
    AutomationClient* client = &tree;
    SoftwareCatalogue catalogue;
    ClickMonitor clicks;
    KeyMonitor keys;
    FakeNavigatorView view;
    FakeDesktop desktop{keys};
    FakeCaptureTransfer captures;
    SolutionPlayback playback{view, desktop, captures, client, catalogue, clicks, keys};
    AutomationElementPtr window, save;

    Desk() {
        window =
            tree.add(tree.root(),
                     {String(u"Unbenannt - Editor"), u"Notepad", u"", 7, 0, {0, 0, 800, 600}, {}});
        save = add(u"Speichern", u"1", {100, 100, 200, 140});
        tree.setProcessModule(7, {u"Editor.exe", u"C:\\Programme\\Editor.exe"});
        catalogue.entry(5).file_desc = u"Editor";
    }
    AutomationElementPtr add(const char16_t* name, const char16_t* id, ElementRect rect,
                             const char16_t* className = u"Button") {
        return tree.add(window, {String(name), className, id, 7, 0, rect, {}});
    }
    CaptureAction on(const AutomationElementPtr& element, ActionKind kind = Action::leftClick) {
        return {kind, {}, buildTrace(&tree, element)};
    }
    static CaptureAction typed(const char16_t* text) { return {Action::textInput, {}, {{}, text}}; }
    // A ticket in `state` about software 9 and 5 whose capture holds the actions.
    Ticket ticket(std::vector<CaptureAction> actions, int state = TicketSolved) {
        captures.capture.actions = std::move(actions);
        Ticket t;
        t.id = 12, t.id_capture = 3, t.id_state = state, t.software_list = {9, 5};
        return t;
    }
    void tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            desktop.clock += SolutionPlayback::tickMs;
            playback.tick();
        }
    }
    // Starts with the program in front; the first tick begins guiding.
    void guide(const Ticket& t) {
        desktop.activation = Activation::broughtFront;
        playback.start(t);
        tick();
    }
    void click(ActionKind kind, int x, int y) {
        desktop.cursorX = x, desktop.cursorY = y;
        clicks.state = kind;
        tick();
    }
    // The ticks after the last step until the playback ends.
    void settle() { tick(SolutionPlayback::settleMs / SolutionPlayback::tickMs + 1); }
    void type(const char* virtualKeys) {
        for (const char* k = virtualKeys; *k; ++k) {
            keys.note(keyDown, static_cast<uint8_t>(*k));
            tick();
        }
    }
};

TEST(SolutionPlayback, WaitsForTheProgramCheckingAtMostEvery250Ms) {
    Desk d;
    d.playback.start(d.ticket({d.on(d.save)}));
    EXPECT_EQ(d.view.creates, 1);
    EXPECT_TRUE(d.playback.isWaitingForApplication());

    // 10 s of ticks, with the 1000 ms timer firing every hundredth.
    for (int i = 1; i <= 1000; ++i) {
        d.tick();
        if (d.view.timerArmed && i % 100 == 0)
            d.playback.applicationTimer();
    }
    EXPECT_GE(d.desktop.processLists, 39);
    EXPECT_LE(d.desktop.processLists, 41);
    // Nothing started or ended: the walk over processes and windows runs only
    // every two seconds.
    EXPECT_GE(d.desktop.checkedModules.size(), 4u);
    EXPECT_LE(d.desktop.checkedModules.size(), 6u);
    EXPECT_EQ(d.desktop.checkedModules.front(), String(u"editor.exe"));
    // The smallest software id names the program.
    EXPECT_EQ(d.view.instruction, String(u"Bitte öffne die Anwendung 'Editor'"));
    EXPECT_TRUE(d.desktop.overlayRect().isEmpty());

    // The check after the program started finds it and shows the first
    // instruction and frame in that tick.
    d.desktop.processes.push_back(300);
    d.desktop.activation = Activation::broughtFront;
    d.desktop.clock += SolutionPlayback::applicationCheckMs;
    d.playback.tick();
    EXPECT_FALSE(d.playback.isWaitingForApplication());
    EXPECT_EQ(d.view.instruction, String(u"Linker Mausklick auf \"Speichern\""));
    EXPECT_EQ(d.desktop.overlayRect(), (ElementRect{100, 100, 200, 140}));
    EXPECT_EQ(d.desktop.hookInstalls, 1);
    EXPECT_FALSE(d.view.timerArmed);
    // The timer finds the program no second time.
    d.playback.applicationTimer();
    EXPECT_EQ(d.desktop.hookInstalls, 1);

    // A software the catalogue does not know names nothing. A program that runs
    // without a window yet is looked at on every check.
    Desk unknown;
    Ticket t = unknown.ticket({unknown.on(unknown.save)});
    t.software_list = {77};
    unknown.desktop.activation = Activation::noWindow;
    unknown.playback.start(t);
    unknown.tick(100);
    EXPECT_EQ(unknown.view.instruction, String(u"Bitte öffne die Anwendung ''"));
    EXPECT_EQ(unknown.desktop.checkedModules.size(), 4u);
}

TEST(SolutionPlayback, FramedStepMovesOnOnlyForItsClickInsideTheFrame) {
    Desk d;
    auto close = d.add(u"Schließen", u"2", {300, 100, 400, 140});
    d.guide(d.ticket({d.on(d.save), d.on(close, Action::rightClick)}));
    std::weak_ptr<AutomationElement> first = d.playback.foundElement();
    ASSERT_FALSE(first.expired());
    // Framed in the tick that found the program.
    EXPECT_EQ(d.desktop.overlayRect(), (ElementRect{100, 100, 200, 140}));

    d.click(Action::rightClick, 150, 120); // inside, wrong kind
    d.click(Action::leftClick, 201, 120);  // right kind, outside
    d.click(Action::none, 150, 120);       // nothing pending
    EXPECT_EQ(d.playback.step(), 0);

    // The frame stays while the button is down (under Wine the release still
    // passes through the frame's window) and goes when it is up.
    d.desktop.held = true;
    d.click(Action::leftClick, 200, 140); // the frame's corner counts as inside
    EXPECT_EQ(d.playback.step(), 1);
    EXPECT_TRUE(first.expired()); // the previous step's element is let go
    EXPECT_EQ(d.view.instruction, String(u"Rechter Mausklick auf \"Schließen\""));
    d.tick(5);
    EXPECT_EQ(d.desktop.overlayRemovals, 0);
    EXPECT_EQ(d.desktop.overlayRect(), (ElementRect{100, 100, 200, 140}));
    d.desktop.held = false;
    d.tick();
    EXPECT_EQ(d.desktop.overlayRemovals, 1);
    EXPECT_EQ(d.desktop.overlayRect(), (ElementRect{300, 100, 400, 140}));

    // The last step closes a while after the button came up (a window
    // activated before the program handled the release would cancel the click
    // there); a ticket in state 2 then asks for feedback with it.
    d.tick();
    d.desktop.held = true;
    d.click(Action::rightClick, 300, 100);
    d.settle();
    d.desktop.held = false;
    d.tick(SolutionPlayback::settleMs / SolutionPlayback::tickMs - 1);
    EXPECT_TRUE(d.playback.isRunning());
    EXPECT_TRUE(d.view.feedbacks.empty());
    EXPECT_EQ(d.view.destroys, 0);
    d.tick(2);
    EXPECT_FALSE(d.playback.isRunning());
    EXPECT_EQ(d.view.destroys, 1);
    EXPECT_EQ(d.view.mainShown, 1);
    EXPECT_FALSE(d.desktop.hooksInstalled());
    ASSERT_EQ(d.view.feedbacks.size(), 1u);
    EXPECT_EQ(d.view.feedbacks[0].ticketId, 12);
    EXPECT_TRUE(d.tree.sameElement(d.view.feedbacks[0].element, close));
    std::weak_ptr<AutomationElement> last = d.view.feedbacks[0].element;
    d.view.feedbacks.clear();
    EXPECT_TRUE(last.expired()); // the playback holds no element after closing

    // Any other state: the navigator only closes.
    Desk confirmed;
    confirmed.guide(confirmed.ticket({confirmed.on(confirmed.save)}, TicketConfirmed));
    confirmed.tick();
    confirmed.click(Action::leftClick, 150, 120);
    confirmed.settle();
    EXPECT_FALSE(confirmed.playback.isRunning());
    EXPECT_TRUE(confirmed.view.feedbacks.empty());
}

TEST(SolutionPlayback, MissingElementIsSearchedAgainInLaterTicks) {
    Desk d;
    auto menu = d.add(u"Datei", u"3", {0, 0, 50, 20}, u"MenuItem");
    const CaptureAction step = d.on(menu);
    d.tree.remove(menu);
    d.guide(d.ticket({step, d.on(d.save)}));
    // Direct searches searchRetryMs apart, each in its own tick: the thread
    // never waits, so the input hooks on it keep answering.
    const int retryTicks = SolutionPlayback::searchRetryMs / SolutionPlayback::tickMs;
    const int searches = d.tree.findChildrenCalls;
    d.tick(retryTicks - 1);
    EXPECT_EQ(d.tree.findChildrenCalls, searches);
    d.tick((SolutionPlayback::searchAttempts - 1) * retryTicks - (retryTicks - 1));
    EXPECT_GT(d.tree.findChildrenCalls, searches);
    EXPECT_TRUE(d.playback.isSearching());
    EXPECT_EQ(d.view.instruction, String(u"Linker Mausklick auf \"Datei\""));

    // The menu item shows before the last search, from the parent: a partial
    // match. A click while no frame was shown completes nothing.
    d.add(u"Datei", u"3", {0, 0, 50, 20}, u"MenuItem");
    d.desktop.cursorX = 10, d.desktop.cursorY = 10;
    d.clicks.state = Action::leftClick;
    d.tick(retryTicks - 1);
    EXPECT_TRUE(d.playback.isSearching());
    d.tick();
    EXPECT_FALSE(d.playback.isSearching());
    EXPECT_TRUE(d.playback.isPartialMatch());
    d.tick();
    EXPECT_EQ(d.desktop.overlayRect(), (ElementRect{0, 0, 50, 20}));
    EXPECT_EQ(d.desktop.overlayRemovals, 0);

    d.click(Action::leftClick, 10, 10);
    EXPECT_EQ(d.playback.step(), 0); // a partial match keeps the step...
    EXPECT_EQ(d.desktop.overlayRemovals, 1);
    EXPECT_FALSE(d.playback.isPartialMatch()); // ...and finds it at once this time
    EXPECT_FALSE(d.playback.isSearching());
    d.tick();
    d.click(Action::leftClick, 10, 10);
    EXPECT_EQ(d.playback.step(), 1);

    // A new playback does not go on with the old one's search.
    Desk restarted;
    const CaptureAction onSave = restarted.on(restarted.save);
    restarted.tree.remove(restarted.save);
    restarted.guide(restarted.ticket({onSave}));
    ASSERT_TRUE(restarted.playback.isSearching());
    restarted.desktop.activation = Activation::notRunning;
    restarted.playback.start(restarted.ticket({restarted.on(restarted.window)}));
    EXPECT_FALSE(restarted.playback.isSearching());
    restarted.tick(100);
    EXPECT_TRUE(restarted.playback.isWaitingForApplication());
}

// "Neu..." opens a dialog when its button comes up. While the button is down
// nothing is searched (under Wine the release passes through the frame and so
// waits for this thread); the dialog's OK is framed in the tick that sees the
// release.
TEST(SolutionPlayback, NextElementIsLookedForOnceTheClickIsReleased) {
    Desk d;
    auto dialog =
        d.tree.add(d.tree.root(), {String(u"Neu"), u"#32770", u"", 7, 0, {300, 300, 500, 400}, {}});
    auto ok = d.tree.add(dialog, {String(u"OK"), u"Button", u"1", 7, 0, {350, 350, 420, 380}, {}});
    const CaptureAction onOk = d.on(ok);
    d.tree.remove(dialog);
    d.guide(d.ticket({d.on(d.save), onOk}));
    d.tick();

    d.desktop.held = true;
    const int searches = d.tree.findChildrenCalls;
    d.click(Action::leftClick, 150, 120);
    d.tick(30);
    EXPECT_EQ(d.tree.findChildrenCalls, searches);
    EXPECT_TRUE(d.playback.isSearching());
    EXPECT_EQ(d.view.instruction, String(u"Linker Mausklick auf \"OK\""));

    dialog =
        d.tree.add(d.tree.root(), {String(u"Neu"), u"#32770", u"", 7, 0, {300, 300, 500, 400}, {}});
    d.tree.add(dialog, {String(u"OK"), u"Button", u"1", 7, 0, {350, 350, 420, 380}, {}});
    d.desktop.held = false;
    d.tick();
    EXPECT_FALSE(d.playback.isSearching());
    EXPECT_EQ(d.desktop.overlayRect(), (ElementRect{350, 350, 420, 380}));
}

TEST(SolutionPlayback, ElementThatLosesItsRectangleIsSearchedAgain) {
    // A click inside the frame that closes the element's window (as OK does)
    // completes the step, even when the element is gone by the next tick.
    Desk closing;
    auto ok = closing.add(u"OK", u"1", {300, 100, 400, 140});
    closing.guide(closing.ticket({closing.on(ok), closing.on(closing.save)}));
    closing.tick();
    closing.tree.remove(ok);
    closing.click(Action::leftClick, 350, 120);
    EXPECT_EQ(closing.playback.step(), 1);
    EXPECT_TRUE(closing.view.debugLines.empty());

    Desk d;
    d.guide(d.ticket({d.on(d.save), d.on(d.save)}));
    d.tick();
    d.tree.properties(d.save)->rect = {};
    const int searches = d.tree.findChildrenCalls;
    d.tick();
    ASSERT_EQ(d.view.debugLines.size(), 1u);
    EXPECT_EQ(d.view.debugLines[0], String(u"elem rect is empty\n"));
    EXPECT_GT(d.tree.findChildrenCalls, searches);

    // Gone for good: a second of retries, then the parent try frames the window,
    // says so below the step, and a matching click in the window completes it.
    d.tree.remove(d.save);
    const int retryTicks = SolutionPlayback::searchAttempts * SolutionPlayback::searchRetryMs /
                           SolutionPlayback::tickMs;
    d.tick(retryTicks + 1);
    EXPECT_FALSE(d.playback.isSearching());
    EXPECT_TRUE(d.playback.isWindowFramed());
    EXPECT_TRUE(d.tree.sameElement(d.playback.foundElement(), d.window));
    EXPECT_EQ(d.view.instruction, String(u"Linker Mausklick auf \"Speichern\"\r\n") +
                                      SolutionPlayback::notSurelyFoundText);
    ASSERT_FALSE(d.view.debugLines.empty());
    EXPECT_EQ(d.view.debugLines.back(), String(u"search: Started at -> Notepad / Parent framed\n"));
    d.tick();
    EXPECT_EQ(d.desktop.overlayRect(), (ElementRect{0, 0, 800, 600}));
    d.click(Action::leftClick, 1000, 900); // outside the window: dropped
    EXPECT_EQ(d.playback.step(), 0);
    d.click(Action::leftClick, 400, 300);
    EXPECT_EQ(d.playback.step(), 1);

    // With the window gone too, the step is shown without a frame and a matching
    // click anywhere completes it.
    d.tree.remove(d.window);
    d.tick(retryTicks + 2);
    EXPECT_FALSE(d.playback.isSearching());
    EXPECT_FALSE(d.playback.isPartialMatch());
    EXPECT_EQ(d.playback.foundElement(), nullptr);
    EXPECT_EQ(d.view.instruction, String(u"Linker Mausklick auf \"Speichern\""));
    d.click(Action::leftClick, 1000, 900);
    d.settle();
    EXPECT_FALSE(d.playback.isRunning());
    EXPECT_TRUE(d.desktop.overlayRect().isEmpty());
}

TEST(SolutionPlayback, TypedTextAndEnterStepsMoveOnWhereverTheUserIs) {
    Desk d;
    d.guide(d.ticket({d.on(d.save), Desk::typed(u"HALLO"), Desk::typed(u"HALLO"),
                      CaptureAction{Action::enterKey, {}, {}}}));
    d.tick();
    d.click(Action::leftClick, 150, 120);
    EXPECT_EQ(d.view.instruction, String(u"Texteingabe \"HALLO\""));
    EXPECT_EQ(d.playback.foundElement(), nullptr);

    d.type("HALL"); // lower-case typing gives the same virtual-key codes
    EXPECT_EQ(d.playback.step(), 1);
    d.clicks.state = Action::leftClick; // clicks do not count for text
    d.type("O");
    EXPECT_EQ(d.playback.step(), 2);
    EXPECT_TRUE(d.keys.text().empty());

    d.type("HALLX");
    EXPECT_EQ(d.playback.step(), 2);
    d.type("\bO");
    EXPECT_EQ(d.playback.step(), 3);
    EXPECT_EQ(d.view.instruction, String(u"Eingabetaste"));

    d.clicks.state = Action::leftClick; // another kind is dropped
    d.tick();
    EXPECT_EQ(d.playback.step(), 3);
    d.type("\r");
    d.settle();
    EXPECT_FALSE(d.playback.isRunning());
    ASSERT_EQ(d.view.feedbacks.size(), 1u);
    EXPECT_EQ(d.view.feedbacks[0].element, nullptr);

    // A key left over from an earlier step holds the text step until deleted.
    Desk left;
    left.guide(left.ticket({left.on(left.save), Desk::typed(u"HALLO")}));
    left.tick();
    left.keys.note(keyDown, 'Q');
    left.click(Action::leftClick, 150, 120);
    left.type("HALLO");
    EXPECT_EQ(left.playback.step(), 1);
    EXPECT_EQ(left.keys.text(), String(u"QHALLO"));
}

TEST(SolutionPlayback, StartWhileRunningReusesTheWindowWithoutStackingHooks) {
    Desk d;
    d.guide(d.ticket({d.on(d.save)}));
    d.tick();
    ASSERT_TRUE(d.desktop.hooksInstalled());
    std::weak_ptr<AutomationElement> old = d.playback.foundElement();

    d.desktop.activation = Activation::notRunning;
    d.playback.start(d.ticket({d.on(d.window)}));
    EXPECT_EQ(d.view.creates, 1);
    EXPECT_TRUE(d.playback.isWaitingForApplication());
    EXPECT_TRUE(d.desktop.overlayRect().isEmpty()); // the old frame is gone
    EXPECT_TRUE(old.expired());
    EXPECT_EQ(d.view.debugTrace, nullptr);

    d.tick();
    EXPECT_EQ(d.view.instruction, String(u"Bitte öffne die Anwendung 'Editor'"));
    d.desktop.processes.push_back(300);
    d.desktop.activation = Activation::broughtFront;
    d.tick(25);
    EXPECT_EQ(d.desktop.hookInstalls, 2);
    EXPECT_EQ(d.desktop.doubleInstalls, 0);
    EXPECT_EQ(d.view.instruction, String(u"Linker Mausklick auf \"Unbenannt - Editor\""));

    // The close box: hooks, frame and window go, the main window comes back.
    d.tick();
    d.playback.close();
    EXPECT_FALSE(d.desktop.hooksInstalled());
    EXPECT_TRUE(d.desktop.overlayRect().isEmpty());
    EXPECT_FALSE(d.view.exists);
    EXPECT_EQ(d.view.mainShown, 1);
    EXPECT_EQ(d.playback.foundElement(), nullptr);
    EXPECT_TRUE(d.view.feedbacks.empty());
}

TEST(SolutionPlayback, CaptureWithoutAProgramIsNotPlayed) {
    Desk d;
    d.playback.start(d.ticket({}));
    ASSERT_EQ(d.view.errors.size(), 1u);
    EXPECT_EQ(d.view.errors[0], String(SolutionPlayback::emptyCaptureText));
    EXPECT_EQ(d.view.creates, 0);
    EXPECT_EQ(d.view.mainShown, 1);
    d.tick();
    EXPECT_TRUE(d.desktop.checkedModules.empty());

    // A running playback gives way; the new one starting with Enter is refused.
    d.guide(d.ticket({d.on(d.save)}));
    ASSERT_TRUE(d.desktop.hooksInstalled());
    d.playback.start(d.ticket({CaptureAction{Action::enterKey, {}, {}}, d.on(d.save)}));
    EXPECT_EQ(d.view.errors.back(), String(SolutionPlayback::noApplicationText));
    EXPECT_FALSE(d.playback.isRunning());
    EXPECT_FALSE(d.view.exists);
    EXPECT_FALSE(d.desktop.hooksInstalled());
    const size_t checks = d.desktop.checkedModules.size();
    d.tick(100);
    d.playback.applicationTimer();
    EXPECT_EQ(d.desktop.checkedModules.size(), checks);
}

} // namespace
