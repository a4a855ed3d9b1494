#include "tests/unit/app/FakeMainWindow.h"

#include "tests/StringPrinter.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeVersionResource.h"
#include "tests/support/MemoryAutomation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr uint32_t mouseLeftDown = 0x201;
constexpr uintptr_t mainWindowHandle = 0x101;

// The pick's desktop over an in-memory tree, and the version resources of its
// executables: a German FileDescription for those listed. Every call that
// matters for the order of the pick's work is logged, tree queries once per run
// of them.
struct FakeScreen : FakeDesktop, FakeResource {
    MemoryAutomation tree;
    std::vector<std::string> log;
    std::map<String, String> descriptions; // executable path -> FileDescription

    FakeScreen() {
        tree.beforeCall = [this](int) { note("query"); };
        onCall = [this](const std::string& call) { note(call); };
        hasFixed = false;
        translations = {{0x0407, 0x04b0}};
    }
    void note(const std::string& entry) {
        if (log.empty() || log.back() != entry)
            log.push_back(entry);
    }
    uint32_t size(const String& file) override {
        note("version");
        auto found = descriptions.find(file);
        if (found == descriptions.end())
            return 0;
        strings = {{u"\\StringFileInfo\\040704b0\\FileDescription", found->second}};
        return 512;
    }
};

// The main window with a button, an editor whose title names its version and
// Firefox, which the catalogue knows.
struct SoftwarePickTest : testing::Test, MainWindowDesk {
    FakeScreen screen;
    AutomationElementPtr pickButton, editor, editorText, firefoxWindow;

    void SetUp() override {
        MemoryAutomation& tree = screen.tree;
        AutomationElementPtr main = add(tree.root(), u"Lotse - 1.0.2", u"#32770", u"", 1,
                                        mainWindowHandle, {100, 100, 600, 400});
        pickButton =
            add(main, u"Software w\u00e4hlen", u"Button", u"1034", 1, 0x102, {300, 150, 400, 170});
        editor = add(tree.root(), u"Foo Editor 2.1 - notes.txt", u"FooFrame", u"", 77, 0x201,
                     {700, 100, 1200, 600});
        editorText = add(editor, String(), u"Edit", u"15", 77, 0x202, {710, 150, 1190, 590});
        firefoxWindow = add(tree.root(), u"Mozilla Firefox", u"MozillaWindowClass", u"", 88, 0x301,
                            {0, 0, 640, 480});
        tree.setProcessModule(77, {u"FooEdit.exe", u"C:\\Foo\\FooEdit.exe"});
        tree.setProcessModule(88, {u"firefox.exe", u"C:\\Firefox\\firefox.exe"});
        screen.descriptions[u"C:\\Foo\\FooEdit.exe"] = u"Foo Editor";
        screen.descriptions[u"C:\\Firefox\\firefox.exe"] = u"Firefox";

        model.automation = &screen.tree;
        window.handle = mainWindowHandle;
        window.open(model, &screen, &screen, u"Windows 10 Pro");
        ASSERT_EQ(model.currentSoftware.id, windows10);
    }

    // An element of process `pid` in the native window `handle`.
    AutomationElementPtr add(const AutomationElementPtr& parent, String name,
                             const char16_t* className, const char16_t* automationId, uint32_t pid,
                             uintptr_t handle, ElementRect rect) {
        return screen.tree.add(parent,
                               {std::move(name), className, automationId, pid, handle, rect, {}});
    }
    // The cursor over an element, then one tick of the pick's timer.
    void hover(const AutomationElementPtr& element, int cx, int cy) {
        screen.underCursor = element;
        screen.cursorX = cx, screen.cursorY = cy;
        model.onTimer(MainWindowModel::pickTimer);
    }
    void click() {
        clicks.note(mouseLeftDown);
        model.onTimer(MainWindowModel::pickTimer);
    }
};

} // namespace

TEST_F(SoftwarePickTest, FramesForeignElementsAndReadsTheirSoftware) {
    model.pickButton();
    EXPECT_TRUE(model.picking);
    EXPECT_TRUE(screen.hooksInstalled());
    EXPECT_EQ(window.timers.at(MainWindowModel::pickTimer), 100);
    EXPECT_EQ(window.pickButton, String(u"Abbrechen"));

    // Still over the main window: nothing is framed, and a click is dropped.
    hover(pickButton, 350, 160);
    EXPECT_EQ(screen.marked(), nullptr);
    click();
    EXPECT_TRUE(model.picking);
    EXPECT_EQ(clicks.state.load(), Action::none);

    // A foreign element: framed, traced and read with the hook removed; its
    // software becomes current without a catalogue id.
    screen.log.clear();
    hover(editorText, 800, 300);
    EXPECT_EQ(screen.log, (std::vector<std::string>{"query", "unhook", "frame", "query", "version",
                                                    "query", "hook"}));
    EXPECT_EQ(screen.marked(), editorText);
    EXPECT_EQ(model.pickedElement, editorText);
    ASSERT_EQ(model.pickTrace.elements.size(), 3u); // the field, the editor, the desktop
    EXPECT_EQ(model.pickTrace.elements[0].moduleName, String(u"fooedit.exe"));
    EXPECT_EQ(model.currentSoftware.module_name, String(u"fooedit.exe"));
    EXPECT_EQ(model.currentSoftware.id, 0);
    EXPECT_EQ(window.software.content, String(u"Foo Editor - v2.1"));

    // The same element stays framed until it moves away from under the cursor.
    const int frames = screen.marksAsked;
    hover(editorText, 900, 400);
    screen.tree.properties(editorText)->rect = {1210, 150, 1400, 590};
    hover(editorText, 900, 400);
    EXPECT_EQ(screen.marksAsked, frames + 1);
    EXPECT_EQ(screen.marked(), editorText);

    // Over the main window the frame goes and a click is dropped again; back
    // on the same element it is framed anew.
    hover(pickButton, 350, 160);
    EXPECT_EQ(screen.marked(), nullptr);
    EXPECT_TRUE(model.pickTrace.empty());
    click();
    EXPECT_TRUE(model.picking);
    hover(editorText, 1300, 300);
    EXPECT_EQ(screen.marked(), editorText);
    EXPECT_FALSE(model.pickTrace.empty());
    EXPECT_TRUE(screen.hooksInstalled());
}

TEST_F(SoftwarePickTest, ClickOnAFramedSoftwareTakesTheCatalogueEntry) {
    model.pickButton();
    hover(firefoxWindow, 300, 200);
    EXPECT_EQ(window.software.content, String(u"Firefox"));
    click();

    EXPECT_FALSE(model.picking);
    EXPECT_FALSE(screen.hooksInstalled());
    EXPECT_EQ(screen.marked(), nullptr);
    EXPECT_EQ(model.pickedElement, nullptr);
    EXPECT_EQ(window.pickButton, String(u"Software w\u00e4hlen..."));
    EXPECT_EQ(window.timers.count(MainWindowModel::pickTimer), 0u);
    // The catalogue's "Firefox - v121.0" begins with what the pick read.
    EXPECT_EQ(window.software.selectedText(), String(u"Firefox - v121.0"));
    EXPECT_EQ(model.currentSoftware.id, firefox);
    EXPECT_EQ(model.currentSoftware.file_version, String(u"121.0"));
    EXPECT_EQ(window.question.items.size(), 1u);
    EXPECT_EQ(window.cue, questionCue(1));

    // showAfterPickTimer brings the window back once.
    EXPECT_EQ(window.timers.at(MainWindowModel::showAfterPickTimer), 300);
    model.onTimer(MainWindowModel::showAfterPickTimer);
    EXPECT_EQ(window.shown, 1);
    EXPECT_EQ(window.timers.count(MainWindowModel::showAfterPickTimer), 0u);

    // Outside a pick, cancelling (the Escape key) and the timer do nothing.
    model.cancelPick();
    model.onTimer(MainWindowModel::pickTimer);
    EXPECT_EQ(window.timers.count(MainWindowModel::showAfterPickTimer), 0u);
    EXPECT_EQ(model.currentSoftware.id, firefox);
}

TEST_F(SoftwarePickTest, SoftwareOutsideTheCatalogueKeepsWhatThePickRead) {
    window.question.content = u"Wie";
    model.chooseTicket(window.questions().at(0));
    ASSERT_TRUE(window.showEnabled);

    model.pickButton();
    hover(editorText, 800, 300);
    model.pickButton(); // "Abbrechen"

    EXPECT_FALSE(model.picking);
    EXPECT_EQ(model.currentSoftware.id, 0);
    EXPECT_EQ(model.currentSoftware.file_desc, String(u"Foo Editor"));
    EXPECT_EQ(window.software.content, String(u"Foo Editor - v2.1"));
    // No question is offered, and the chosen one went with the list.
    EXPECT_TRUE(window.question.items.empty());
    EXPECT_EQ(model.selectedTicket, nullptr);
    EXPECT_FALSE(window.showEnabled);
    EXPECT_EQ(window.timers.at(MainWindowModel::showAfterPickTimer), 300);

    // A software without a name matches no entry, though every text begins
    // with the empty one.
    screen.descriptions.clear();
    const int selected = window.software.selected;
    model.pickButton();
    hover(editorText, 800, 300);
    EXPECT_EQ(window.software.content, String());
    click();
    EXPECT_FALSE(model.picking);
    EXPECT_EQ(window.software.selected, selected);
    EXPECT_EQ(model.currentSoftware.id, 0);

    // The next pick starts afresh: a click before any frame does not end it.
    model.pickButton();
    click();
    EXPECT_TRUE(model.picking);
}

TEST_F(SoftwarePickTest, ElementsLostOrUnreadableMidStepAreSurvived) {
    // Every query of the step that frames an editor fails in turn, or the editor
    // closes just before it: the pick goes on, hooked, and the element is framed
    // once it can be read.
    MemoryAutomation& tree = screen.tree;
    for (int call = 1; call <= 80; ++call) {
        for (bool closing : {false, true}) {
            SCOPED_TRACE(testing::Message() << "call " << call << (closing ? " closes" : ""));
            auto frameWindow =
                add(tree.root(), u"Bar 1.0", u"BarFrame", u"", 77, 0x401, {700, 100, 1200, 600});
            auto field =
                add(frameWindow, String(), u"Edit", u"15", 77, 0x402, {710, 150, 1190, 590});
            model.pickButton();
            if (closing)
                tree.removeAt(call, frameWindow);
            else
                tree.failAt(call);
            hover(field, 800, 300);
            EXPECT_TRUE(model.picking);
            EXPECT_TRUE(screen.hooksInstalled());
            tree.beforeCall = nullptr;
            tree.failingCall = 0;
            if (!closing) {
                hover(field, 800, 300);
                hover(field, 1300, 300); // moved off it: framed again at the latest
                EXPECT_EQ(screen.marked(), field);
            }
            model.cancelPick();
            tree.remove(frameWindow);
        }
    }
}

TEST_F(SoftwarePickTest, WithoutAnAutomationClientNothingIsFramed) {
    model.automation = nullptr;
    model.pickButton();
    hover(editorText, 800, 300);
    hover(firefoxWindow, 300, 200);
    EXPECT_TRUE(screen.marksAsked == 0);
    click(); // nothing framed: dropped
    EXPECT_TRUE(model.picking);
    model.cancelPick(); // Escape
    EXPECT_FALSE(model.picking);
    EXPECT_FALSE(screen.hooksInstalled());
    // What the box held before still names its entry.
    EXPECT_EQ(model.currentSoftware.id, windows10);
}
