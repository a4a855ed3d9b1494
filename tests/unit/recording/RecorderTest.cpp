#include "automation/ElementDescription.h"
#include "recording/InputMonitors.h"
#include "recording/Recorder.h"
#include "tests/StringPrinter.h"
#include "tests/support/FakeRecorderPlatform.h"
#include "tests/support/FakeRecorderView.h"
#include "tests/support/MemoryAutomation.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t keyDown = 0x100;
constexpr uint32_t leftDown = 0x201, rightDown = 0x204;

// Notepad with an edit field and an OK button, and the recorder's own dialog
// beside it; the recorder is open for ticket 5 (software 3 and 8).
class RecorderTest : public testing::Test {
  protected:
    void SetUp() override {
        ClickMonitor::instance().state = Action::none;
        KeyMonitor::instance().reset();
        catalogue.loadFromReply(
            u"{\"3\":{\"file_desc\":\"Editor\",\"module_name\":\"notepad.exe\"},"
            u"\"8\":{\"file_desc\":\"Other\",\"module_name\":\"other.exe\"}}");
        tickets.loadFromReply(
            u"{\"5\":{\"question\":\"Wie speichere ich?\",\"id_state\":\"1\",\"software_list\":"
            u"\"8;3\"},\"6\":{\"question\":\"Ohne Software\",\"software_list\":\"\"}}");
        tree.setProcessModule(7, {u"Notepad.exe", u"C:\\Windows\\notepad.exe"});
        MemoryAutomation::Properties window;
        window.name = String(u"Unbenannt - Editor");
        window.className = u"Notepad";
        window.processId = 7;
        window.nativeWindow = 0x2000;
        window.rect = {100, 100, 600, 500};
        notepad = tree.add(tree.root(), window);
        edit = tree.add(notepad, String(), u"Edit", u"15", {110, 130, 590, 400});
        ok = tree.add(notepad, String(u"OK"), u"Button", u"1", {500, 420, 580, 450});
        MemoryAutomation::Properties dialog;
        dialog.name = String(u"Lösung aufnehmen");
        dialog.className = u"#32770";
        dialog.nativeWindow = platform.window;
        dialog.rect = {700, 100, 1100, 500};
        ownDialog = tree.add(tree.root(), dialog);
        stopButton = tree.add(ownDialog, String(u"Aufnahme stoppen"), u"Button", u"1009",
                              {710, 300, 800, 330});
        recorder.open(5);
    }
    void TearDown() override {
        ClickMonitor::instance().state = Action::none;
        KeyMonitor::instance().reset();
    }

    // The hooks note events only while they are installed.
    void type(std::initializer_list<uint32_t> keys) {
        for (uint32_t key : keys)
            if (platform.hooksInstalled)
                KeyMonitor::instance().note(keyDown, key);
    }
    void press(uint32_t message = leftDown) {
        if (platform.hooksInstalled)
            ClickMonitor::instance().note(message);
    }
    void pointAt(const AutomationElementPtr& element) {
        const ElementRect r = tree.properties(element)->rect;
        platform.cursorX = (r.left + r.right) / 2;
        platform.cursorY = (r.top + r.bottom) / 2;
    }
    void hover(const AutomationElementPtr& element) {
        pointAt(element);
        recorder.hoverStep();
    }
    std::vector<String> lines() const {
        std::vector<String> out;
        for (const RecordedEntry& entry : recorder.entries())
            out.push_back(entry.text);
        return out;
    }
    const CaptureAction& action(size_t i) const { return recorder.entries().at(i).action; }

    MemoryAutomation tree;
    AutomationClient* client = &tree;
    FakeRecorderView view;
    FakeRecorderPlatform platform{&tree};
    SoftwareCatalogue catalogue;
    TicketList tickets{catalogue};
    Recorder recorder{view, platform, client, tickets, catalogue};
    AutomationElementPtr notepad, edit, ok, ownDialog, stopButton;
};

} // namespace

TEST_F(RecorderTest, TextBeforeClicksAndRepeatedClicks) {
    recorder.startRecording();
    hover(ok);
    EXPECT_EQ(view.hoveredLabel, String(u"OK"));
    EXPECT_TRUE(tree.sameElement(platform.marked, ok));
    type({'A', 'B', 'C'});
    press();
    recorder.recordStep();
    ASSERT_EQ(lines(), (std::vector<String>{u"Texteingabe -> ABC", u"Linker Mausklick -> OK"}));
    EXPECT_EQ(view.lines, lines());
    EXPECT_EQ(view.selectedLine, 1);
    EXPECT_EQ(recorder.selectedIndex(), 1);
    EXPECT_EQ(action(0).kind, Action::textInput);
    EXPECT_TRUE(action(0).trace.elements.empty());
    EXPECT_EQ(action(0).trace.enteredText, String(u"ABC"));
    EXPECT_EQ(action(1).kind, Action::leftClick);
    ASSERT_EQ(action(1).trace.elements.size(), 3u); // button, window, desktop
    EXPECT_EQ(action(1).trace.elements[0].name, String(u"OK"));
    EXPECT_EQ(action(1).trace.elements[1].moduleName, String(u"notepad.exe"));
    EXPECT_TRUE(platform.hooksInstalled);

    // The same text again before another click: one text line only, but every
    // click is its own line; a right click keeps its kind.
    type({'A', 'B', 'C'});
    press(rightDown);
    recorder.recordStep();
    press();
    recorder.recordStep();
    recorder.recordStep(); // nothing pending: nothing happens
    EXPECT_EQ(lines(),
              (std::vector<String>{u"Texteingabe -> ABC", u"Linker Mausklick -> OK",
                                   u"Rechter Mausklick -> OK", u"Linker Mausklick -> OK"}));
    EXPECT_EQ(view.selectedLine, 3);
    EXPECT_TRUE(KeyMonitor::instance().text.empty());
}

TEST_F(RecorderTest, ReturnRecordsTheTypedTextAndLeavesTheElement) {
    recorder.startRecording();
    hover(edit);
    type({'A', 'B', 0x08, 'C', 0x0D});
    recorder.recordStep();
    ASSERT_EQ(lines(), (std::vector<String>{u"Texteingabe -> AC", u"Eingabetaste"}));
    EXPECT_EQ(action(0).trace.enteredText, String(u"AC"));
    EXPECT_EQ(action(1).kind, Action::enterKey);
    EXPECT_EQ(action(1).keyText, String(u"AC"));
    EXPECT_TRUE(action(1).trace.empty());
    EXPECT_TRUE(recorder.pendingTrace().empty());

    // A Return alone; then a click on the same element records nothing until
    // another element has been hovered.
    type({0x0D});
    recorder.recordStep();
    EXPECT_EQ(lines().back(), String(u"Eingabetaste"));
    EXPECT_TRUE(action(2).keyText.empty());
    hover(edit);
    press();
    recorder.recordStep();
    EXPECT_EQ(recorder.entries().size(), 3u);
    hover(ok);
    hover(edit);
    press();
    recorder.recordStep();
    EXPECT_EQ(lines().back(), String(u"Linker Mausklick -> Edit"));
}

TEST_F(RecorderTest, ClicksWithoutAHoveredElementRecordNothing) {
    recorder.startRecording();
    // Before the hover timer has seen anything: the click and the text go.
    type({'X'});
    press();
    recorder.recordStep();
    EXPECT_TRUE(recorder.entries().empty());
    EXPECT_TRUE(KeyMonitor::instance().text.empty());
    EXPECT_EQ(ClickMonitor::instance().state, Action::none);

    // Over the recorder itself: no mark, no trace, the click is not recorded,
    // and back on the element hovered before nothing is rebuilt.
    hover(ok);
    hover(stopButton);
    EXPECT_FALSE(platform.marked);
    EXPECT_TRUE(recorder.pendingTrace().empty());
    press();
    recorder.recordStep();
    hover(ok);
    press();
    recorder.recordStep();
    EXPECT_TRUE(recorder.entries().empty());
    hover(edit);
    press();
    recorder.recordStep();
    EXPECT_EQ(lines(), (std::vector<String>{u"Linker Mausklick -> Edit"}));
}

TEST_F(RecorderTest, StartAndStop) {
    EXPECT_EQ(view.question, String(u"Wie speichere ich?"));
    EXPECT_FALSE(view.debugButtonShown);
    EXPECT_EQ(view.recordButtonText, String(u"Aufnahme starten"));

    recorder.toggleRecording();
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_EQ(platform.activated, (std::vector<String>{u"notepad.exe"})); // lowest id: 3
    EXPECT_TRUE(platform.hooksInstalled);
    EXPECT_EQ(view.timers, (std::map<int, int>{{2, 10}, {3, 100}, {6, 1000}}));
    EXPECT_FALSE(view.saveEnabled);
    EXPECT_EQ(view.recordButtonText, String(u"Aufnahme stoppen"));
    hover(ok);
    press();
    recorder.recordStep();

    recorder.toggleRecording();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(platform.marked);
    EXPECT_FALSE(platform.hooksInstalled);
    EXPECT_EQ(view.timers, (std::map<int, int>{{6, 1000}}));
    EXPECT_EQ(view.selectedLine, -1);
    EXPECT_EQ(recorder.selectedIndex(), -1);
    EXPECT_TRUE(view.saveEnabled);
    EXPECT_TRUE(view.hoveredLabel.empty());
    EXPECT_EQ(view.recordButtonText, String(u"Aufnahme starten"));
    EXPECT_EQ(recorder.entries().size(), 1u);

    // The pending trace survives the stop: after a restart, which empties the
    // list, a click on the element hovered last is recorded at once.
    recorder.toggleRecording();
    EXPECT_TRUE(view.lines.empty());
    EXPECT_TRUE(recorder.entries().empty());
    press();
    recorder.recordStep();
    EXPECT_EQ(lines(), (std::vector<String>{u"Linker Mausklick -> OK"}));

    // Timers 2 and 3 only act while recording, timer 6 only while not.
    recorder.stopRecording();
    ClickMonitor::instance().note(leftDown);
    recorder.onTimer(Recorder::recordTimer);
    EXPECT_EQ(recorder.entries().size(), 1u);
    EXPECT_EQ(ClickMonitor::instance().takeClick(), Action::leftClick);

    // A ticket without a known program brings nothing to the front.
    recorder.open(6);
    recorder.startRecording();
    recorder.stopRecording();
    recorder.open(77);
    EXPECT_TRUE(view.question.empty());
    EXPECT_FALSE(tickets.all().count(77)); // looking it up adds no ticket
    recorder.startRecording();
    EXPECT_EQ(platform.activated.size(), 2u);
}

TEST_F(RecorderTest, TheSelectedEntryIsSearchedAndMarked) {
    recorder.startRecording();
    hover(edit);
    type({'H', 'I'});
    press();
    recorder.recordStep();
    press();
    recorder.recordStep();
    // While recording a selection only selects, and timer 6 does nothing.
    recorder.onListSelection(0);
    recorder.onTimer(Recorder::verifyTimer);
    EXPECT_EQ(view.debugRefreshed, 0);
    recorder.stopRecording();

    recorder.onListSelection(2); // the second of two equal lines
    EXPECT_EQ(recorder.selectedIndex(), 2);
    EXPECT_TRUE(tree.sameElement(recorder.inspectedElement(), edit));
    EXPECT_TRUE(tree.sameElement(platform.marked, edit));
    EXPECT_TRUE(recorder.inspectedTrace().elements.front().found);
    EXPECT_FALSE(recorder.entries()[2].action.trace.elements.front().found); // a copy searched
    EXPECT_EQ(view.debugRefreshed, 1);

    // A text input has no element: the mark goes.
    recorder.onListSelection(0);
    EXPECT_FALSE(recorder.inspectedElement());
    EXPECT_FALSE(platform.marked);

    // The element gone: timer 6 finds nothing and removes the mark.
    recorder.onListSelection(1);
    EXPECT_TRUE(platform.marked);
    tree.remove(notepad);
    recorder.onTimer(Recorder::verifyTimer);
    EXPECT_FALSE(platform.marked);
    recorder.onListSelection(-1);
    const int refreshed = view.debugRefreshed;
    recorder.onListDoubleClick();
    EXPECT_EQ(view.debugRefreshed, refreshed);
    recorder.openDebug();
    EXPECT_EQ(view.debugOpened, 1);
}

TEST_F(RecorderTest, SavingUploadsTheEntriesInListOrder) {
    recorder.startRecording();
    hover(edit);
    type({'A'});
    press();
    recorder.recordStep();
    type({0x0D});
    recorder.recordStep();
    recorder.stopRecording();

    platform.uploadReply = u"Datenbank voll";
    recorder.save();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, String(u"Fehler beim speichern: Datenbank voll"));
    EXPECT_EQ(view.messages[0].caption, String(u"Fehler"));
    EXPECT_EQ(view.endedWith, -1);
    EXPECT_EQ(recorder.entries().size(), 3u);

    platform.uploadReply = u"OK";
    recorder.save();
    ASSERT_EQ(platform.uploads.size(), 2u);
    EXPECT_EQ(platform.uploadTickets[1], 5);
    const Capture& sent = platform.uploads[1];
    ASSERT_EQ(sent.actions.size(), 3u);
    EXPECT_EQ(sent.actions[0].kind, Action::textInput);
    EXPECT_EQ(sent.actions[1].kind, Action::leftClick);
    EXPECT_EQ(sent.actions[1].trace.elements.size(), 3u);
    EXPECT_EQ(sent.actions[2].kind, Action::enterKey);
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1].text,
              String(u"Die Aufnahme von 3 Aktionen wurde erfolgreich gespeichert."));
    EXPECT_EQ(view.messages[1].caption, String(u"Aufnahme gespeichert"));
    EXPECT_EQ(view.endedWith, 0);
    EXPECT_EQ(platform.mainWindowShown, 1);
}

TEST_F(RecorderTest, CloseStopsEverythingAndReleasesTheElements) {
    recorder.startRecording();
    hover(edit);
    std::weak_ptr<AutomationElement> first = recorder.hoveredElement();
    hover(ok); // replaced: the first element is released
    EXPECT_TRUE(first.expired());
    press();
    recorder.recordStep();
    recorder.stopRecording();
    recorder.onListSelection(0);
    std::weak_ptr<AutomationElement> hovered = recorder.hoveredElement();
    std::weak_ptr<AutomationElement> inspected = recorder.inspectedElement();
    platform.marked.reset();
    ASSERT_FALSE(inspected.expired());

    recorder.startRecording();
    recorder.close(0);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(platform.hooksInstalled);
    EXPECT_EQ(platform.overlayShutdowns, 1);
    EXPECT_TRUE(view.timers.empty());
    EXPECT_TRUE(view.saveEnabled);
    EXPECT_EQ(view.endedWith, 0);
    EXPECT_EQ(platform.mainWindowShown, 1);
    EXPECT_TRUE(hovered.expired());
    EXPECT_TRUE(inspected.expired());
}

TEST_F(RecorderTest, ElementsThatVanishAndAMissingClient) {
    recorder.startRecording();
    hover(ok);
    tree.remove(notepad); // between hover and click
    press();
    recorder.recordStep();
    EXPECT_EQ(lines(), (std::vector<String>{u"Linker Mausklick -> OK"}));
    recorder.hoverStep(); // nothing there any more: the desktop
    EXPECT_EQ(view.hoveredLabel, String(u"Desktop 1"));

    // An element lost at every point of a hover step.
    for (int failing = 1; failing < 40; ++failing) {
        auto window = tree.add(tree.root(), String(u"Neu"), u"Frame", u"", {100, 100, 600, 500});
        auto button = tree.add(window, String(u"Weiter"), u"Button", u"2", {120, 120, 200, 150});
        pointAt(button);
        tree.calls = 0;
        tree.beforeCall = [&](int call) {
            if (call == failing)
                tree.remove(window);
        };
        recorder.hoverStep();
        tree.beforeCall = nullptr;
        press();
        recorder.recordStep();
        tree.remove(window);
    }
    EXPECT_TRUE(platform.hooksInstalled);

    // Without a client nothing is hovered, recorded or found.
    recorder.close(0);
    client = nullptr;
    platform.client = nullptr;
    recorder.open(5);
    recorder.startRecording();
    recorder.hoverStep();
    press();
    recorder.recordStep();
    EXPECT_TRUE(recorder.entries().empty());
    EXPECT_TRUE(recorder.pendingTrace().empty());
    recorder.addEntry(u"Linker Mausklick -> OK", CaptureAction{Action::leftClick, {}, {}}, true);
    recorder.stopRecording();
    recorder.onListSelection(0);
    EXPECT_FALSE(recorder.inspectedElement());
}
