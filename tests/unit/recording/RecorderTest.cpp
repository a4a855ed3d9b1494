#include "input/InputMonitors.h"
#include "recording/Recorder.h"
#include "tests/StringPrinter.h"
#include "tests/support/FakeCaptureTransfer.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeRecorderView.h"
#include "tests/support/MemoryAutomation.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<String>;
constexpr uint32_t leftDown = 0x201, rightDown = 0x204;

// Notepad with an edit field and an OK button, and the recorder's own dialog
// beside it; the recorder is open for ticket 5 (software 8 and 3).
class RecorderTest : public testing::Test {
  protected:
    void SetUp() override {
        TearDown();
        catalogue.loadFromReply(u"{\"3\":{\"module_name\":\"notepad.exe\"},"
                                u"\"8\":{\"module_name\":\"other.exe\"}}");
        tickets.loadFromReply(u"{\"5\":{\"question\":\"Wie speichere ich?\",\"software_list\":"
                              u"\"8;3\"},\"6\":{\"software_list\":\"\"}}");
        tree.setProcessModule(7, {u"Notepad.exe", u"C:\\Windows\\notepad.exe"});
        notepad = tree.add(
            tree.root(), {String(u"Editor"), u"Notepad", u"", 7, 0x2000, {100, 100, 600, 500}, {}});
        edit = tree.add(notepad, String(), u"Edit", u"15", {110, 130, 590, 400});
        ok = tree.add(notepad, String(u"OK"), u"Button", u"1", {500, 420, 580, 450});
        auto own = tree.add(tree.root(), String(u"Lösung aufnehmen"), u"#32770", u"",
                            {700, 100, 1100, 500});
        tree.properties(own)->nativeWindow = view.window;
        ownButton =
            tree.add(own, String(u"Aufnahme stoppen"), u"Button", u"1009", {710, 300, 800, 330});
        recorder.open(5);
    }
    void TearDown() override {
        ClickMonitor::instance().state = Action::none;
        KeyMonitor::instance().reset();
    }

    // The hooks note events only while they are installed.
    void type(std::initializer_list<uint32_t> keys) {
        for (uint32_t key : keys)
            if (desktop.hooksInstalled())
                KeyMonitor::instance().note(0x100, key);
    }
    void click(uint32_t message = leftDown) {
        if (desktop.hooksInstalled())
            ClickMonitor::instance().note(message);
        recorder.recordStep();
    }
    void hover(const AutomationElementPtr& element) {
        const ElementRect r = tree.properties(element)->rect;
        desktop.cursorX = (r.left + r.right) / 2;
        desktop.cursorY = (r.top + r.bottom) / 2;
        recorder.hoverStep();
    }
    const CaptureAction& action(size_t i) const { return recorder.entries().at(i).action; }

    MemoryAutomation tree;
    AutomationClient* client = &tree;
    FakeRecorderView view;
    FakeDesktop desktop;
    FakeCaptureTransfer captures;
    SoftwareCatalogue catalogue;
    TicketList tickets{catalogue};
    Recorder recorder{view, desktop, captures, client, tickets, catalogue};
    AutomationElementPtr notepad, edit, ok, ownButton;
};

} // namespace

TEST_F(RecorderTest, TypedTextClicksAndReturns) {
    recorder.startRecording();
    hover(ok);
    EXPECT_EQ(view.hoveredLabel, String(u"OK"));
    EXPECT_TRUE(tree.sameElement(desktop.marked(), ok));
    type({'A', 'B', 'C'});
    click();
    ASSERT_EQ(view.lines, (Lines{u"Texteingabe -> ABC", u"Linker Mausklick -> OK"}));
    EXPECT_EQ(view.selectedLine, 1);
    EXPECT_TRUE(action(0).trace.elements.empty());
    EXPECT_EQ(action(0).trace.enteredText, String(u"ABC"));
    EXPECT_EQ(action(1).trace.elements.size(), 3u); // button, window, desktop

    // The same text again: no second text line; every click is its own line.
    type({'A', 'B', 'C'});
    click(rightDown);
    click();

    // Return takes the text typed before it and leaves the element: a click
    // there records nothing until another element has been hovered.
    hover(edit);
    type({'A', 'B', 0x08, 'C', 0x0D});
    recorder.recordStep();
    type({0x0D});
    recorder.recordStep();
    EXPECT_EQ(action(5).kind, Action::enterKey);
    EXPECT_EQ(action(5).keyText, String(u"AC"));
    EXPECT_TRUE(action(5).trace.empty());
    EXPECT_TRUE(action(6).keyText.empty());
    hover(edit);
    click(); // dropped: the element Return left
    hover(ok);
    hover(edit);
    click();
    EXPECT_EQ(view.lines,
              (Lines{u"Texteingabe -> ABC", u"Linker Mausklick -> OK", u"Rechter Mausklick -> OK",
                     u"Linker Mausklick -> OK", u"Texteingabe -> AC", u"Eingabetaste",
                     u"Eingabetaste", u"Linker Mausklick -> Edit"}));
    EXPECT_TRUE(desktop.hooksInstalled());
}

TEST_F(RecorderTest, ClicksWithoutAHoveredElementOrOnTheRecorderRecordNothing) {
    recorder.startRecording();
    type({'X'});
    click(); // before the hover timer saw anything: click and text are dropped
    EXPECT_TRUE(KeyMonitor::instance().text().empty());
    hover(ok);
    hover(ownButton);
    EXPECT_FALSE(desktop.marked());
    EXPECT_TRUE(recorder.pendingTrace().empty());
    click();
    hover(ok); // the element hovered before: nothing is rebuilt
    click();
    EXPECT_TRUE(recorder.entries().empty());
}

TEST_F(RecorderTest, StartStopAndRestart) {
    recorder.toggleRecording();
    EXPECT_EQ(desktop.checkedModules, (Lines{u"notepad.exe"})); // the lowest id: 3
    EXPECT_EQ(view.timers, (std::map<int, int>{{2, 10}, {3, 100}, {6, 1000}}));
    EXPECT_FALSE(view.saveEnabled);
    EXPECT_EQ(view.recordButtonText, String(u"Aufnahme stoppen"));
    hover(ok);
    click();

    recorder.toggleRecording();
    EXPECT_FALSE(desktop.marked());
    EXPECT_FALSE(desktop.hooksInstalled());
    EXPECT_EQ(view.timers, (std::map<int, int>{{6, 1000}}));
    EXPECT_EQ(view.selectedLine, -1);
    EXPECT_EQ(recorder.selectedIndex(), -1);
    EXPECT_TRUE(view.saveEnabled);
    EXPECT_TRUE(view.hoveredLabel.empty());
    EXPECT_EQ(view.recordButtonText, String(u"Aufnahme starten"));
    ClickMonitor::instance().note(leftDown);
    recorder.onTimer(Recorder::recordTimer); // not recording: stays pending
    EXPECT_EQ(ClickMonitor::instance().takeClick(), Action::leftClick);

    // A restart empties the list; the element hovered last is recorded at once.
    recorder.toggleRecording();
    EXPECT_TRUE(view.lines.empty());
    click();
    EXPECT_EQ(view.lines, (Lines{u"Linker Mausklick -> OK"}));

    // Without a known program (none, or not in the catalogue) nothing is
    // brought to the front, and looking the ticket up adds none.
    recorder.open(6);
    recorder.startRecording();
    recorder.open(77);
    recorder.startRecording();
    EXPECT_EQ(desktop.checkedModules.size(), 2u);
    EXPECT_FALSE(tickets.all().count(77));
}

TEST_F(RecorderTest, TheSelectedEntrysElementIsSearchedAndMarked) {
    recorder.startRecording();
    hover(edit);
    type({'H'});
    click();
    click();
    recorder.onListSelection(0); // while recording: selects only
    recorder.onTimer(Recorder::verifyTimer);
    EXPECT_EQ(view.debugRefreshed, 0);
    recorder.stopRecording();

    recorder.onListSelection(2); // the second of two equal lines
    EXPECT_EQ(recorder.selectedIndex(), 2);
    EXPECT_TRUE(tree.sameElement(desktop.marked(), edit));
    EXPECT_TRUE(recorder.inspectedTrace().elements.front().found);
    EXPECT_EQ(view.debugRefreshed, 1);
    recorder.onListSelection(0); // a text input has no element
    EXPECT_FALSE(desktop.marked());
    recorder.onListSelection(1);
    tree.remove(notepad);
    recorder.onTimer(Recorder::verifyTimer);
    EXPECT_FALSE(desktop.marked());
    EXPECT_FALSE(recorder.inspectedElement());
}

TEST_F(RecorderTest, SavingUploadsTheEntriesInListOrderAndCloses) {
    recorder.startRecording();
    hover(ok);
    std::weak_ptr<AutomationElement> replaced = recorder.hoveredElement();
    hover(edit);
    EXPECT_TRUE(replaced.expired()); // a replaced element is released
    type({'A'});
    click();
    type({0x0D});
    recorder.recordStep();
    recorder.stopRecording();
    recorder.onListSelection(1);
    std::weak_ptr<AutomationElement> hovered = recorder.hoveredElement();
    std::weak_ptr<AutomationElement> inspected = recorder.inspectedElement();

    captures.uploadReply = u"Datenbank voll";
    recorder.save();
    EXPECT_EQ(view.endedWith, -1); // stays open for another try
    captures.uploadReply = u"OK";
    recorder.save();
    ASSERT_EQ(captures.uploads.size(), 2u);
    EXPECT_EQ(captures.uploadTickets, (std::vector<int>{5, 5}));
    std::vector<ActionKind> kinds;
    for (const CaptureAction& sent : captures.uploads[1].actions)
        kinds.push_back(sent.kind);
    EXPECT_EQ(kinds, (std::vector<ActionKind>{7, 2, 6}));
    EXPECT_EQ(view.messages,
              (Lines{u"Fehler: Fehler beim speichern: Datenbank voll",
                     u"Aufnahme gespeichert: Die Aufnahme von 3 Aktionen wurde erfolgreich "
                     u"gespeichert."}));
    // Closed: overlay released, every timer stopped, the live elements gone.
    EXPECT_EQ(view.endedWith, 0);
    EXPECT_EQ(view.mainWindowShown, 1);
    EXPECT_EQ(desktop.overlayRemovals, 1);
    EXPECT_TRUE(view.timers.empty());
    EXPECT_TRUE(hovered.expired());
    EXPECT_TRUE(inspected.expired());
}

TEST_F(RecorderTest, ElementsThatVanishAndNoClient) {
    recorder.startRecording();
    hover(ok);
    tree.remove(notepad); // between hover and click
    click();
    EXPECT_EQ(view.lines, (Lines{u"Linker Mausklick -> OK"}));

    // An element lost at every query of a hover step, then clicked.
    for (int failing = 1; failing < 40; ++failing) {
        auto window = tree.add(tree.root(), String(u"Neu"), u"Frame", u"", {100, 100, 600, 500});
        auto button = tree.add(window, String(u"Weiter"), u"Button", u"2", {120, 120, 200, 150});
        tree.removeAt(failing, window);
        hover(button);
        tree.beforeCall = nullptr;
        click();
        tree.remove(window);
    }

    recorder.close(0);
    client = nullptr;
    recorder.open(5);
    recorder.startRecording();
    recorder.hoverStep();
    click();
    EXPECT_TRUE(recorder.entries().empty());
    recorder.addEntry(u"Linker Mausklick -> OK", CaptureAction{Action::leftClick, {}, {}}, true);
    recorder.stopRecording();
    recorder.onListSelection(0);
    EXPECT_FALSE(recorder.inspectedElement());
}
