#include "automation/ApplicationActivation.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

#include <map>

namespace {

constexpr uint32_t titled = 0x80000 | 0xC00000; // system menu and caption
constexpr uint32_t minimized = 0x20000000;

// A scripted desktop: processes with module names, windows with their state.
struct FakeDesktop : DesktopWindows {
    struct Window {
        uint32_t process = 0;
        ElementRect rect{0, 0, 300, 200};
        String title = u"Window";
        uint32_t style = titled;
        uintptr_t parent = 0;
        bool visible = true;
        bool restores = true; // SwitchToThisWindow brings a minimised one back
    };
    std::vector<uint32_t> processes;
    std::map<uint32_t, String> modules;
    std::map<uintptr_t, Window> windows;
    std::vector<uintptr_t> foreground;
    int slept = 0;

    std::vector<uint32_t> processIds() override { return processes; }
    std::optional<String> moduleBaseName(uint32_t id) override {
        auto m = modules.find(id);
        return m == modules.end() ? std::nullopt : std::optional<String>(m->second);
    }
    std::vector<uintptr_t> topLevelWindows() override {
        std::vector<uintptr_t> all;
        for (auto& [handle, w] : windows)
            all.push_back(handle);
        return all;
    }
    uint32_t windowProcess(uintptr_t h) override { return windows[h].process; }
    ElementRect windowRect(uintptr_t h) override { return windows[h].rect; }
    String windowTitle(uintptr_t h) override { return windows[h].title; }
    uint32_t windowStyle(uintptr_t h) override { return windows[h].style; }
    uintptr_t parentWindow(uintptr_t h) override { return windows[h].parent; }
    bool isVisible(uintptr_t h) override { return windows[h].visible; }
    void setForeground(uintptr_t h) override { foreground.push_back(h); }
    void switchTo(uintptr_t h) override {
        Window& w = windows[h];
        if (w.restores) {
            w.style &= ~minimized;
            w.visible = true;
        }
    }
    void sleep(int ms) override { slept += ms; }
};

} // namespace

TEST(ActivateApplicationWindow, BringsTheFirstProperWindowOfTheProgramToTheFront) {
    FakeDesktop desktop;
    desktop.processes = {4, 7, 9};
    desktop.modules = {{7, u"NOTEPAD.EXE"}, {9, u"taskmgr.exe"}};
    // Process 4 cannot be opened. Notepad's windows: a tool window without caption,
    // an untitled one, an owned dialog, then its main window.
    desktop.windows[1] = {.process = 7, .style = 0x80000};
    desktop.windows[2] = {.process = 7, .title = u""};
    desktop.windows[3] = {.process = 7, .parent = 4};
    desktop.windows[4] = {.process = 7, .title = u"Unbenannt - Editor"};
    EXPECT_EQ(activateApplicationWindow(desktop, u"notepad.exe"), Activation::broughtFront);
    EXPECT_EQ(desktop.foreground, std::vector<uintptr_t>{4});
    EXPECT_EQ(desktop.slept, 0);

    // Case matters: the argument is compared with the lower-cased names.
    EXPECT_EQ(activateApplicationWindow(desktop, u"Notepad.exe"), Activation::notRunning);
    // explorer.exe is taken as in front without touching any window.
    desktop.foreground.clear();
    EXPECT_EQ(activateApplicationWindow(desktop, u"explorer.exe"), Activation::broughtFront);
    EXPECT_TRUE(desktop.foreground.empty());
    // No process list at all.
    FakeDesktop empty;
    EXPECT_EQ(activateApplicationWindow(empty, u"notepad.exe"), Activation::notRunning);
}

TEST(ActivateApplicationWindow, RestoresMinimisedWindowsAndReportsWhatCameOfIt) {
    FakeDesktop desktop;
    desktop.processes = {7};
    desktop.modules = {{7, u"notepad.exe"}};
    desktop.windows[5] = {.process = 7, .style = titled | minimized, .visible = false};
    EXPECT_EQ(activateApplicationWindow(desktop, u"notepad.exe"), Activation::broughtFront);
    EXPECT_EQ(desktop.slept, 500);
    EXPECT_EQ(desktop.foreground, std::vector<uintptr_t>{5});

    // A hidden window that does not come back: the process runs, nothing in front.
    desktop.windows[5] = {.process = 7, .visible = false, .restores = false};
    EXPECT_EQ(activateApplicationWindow(desktop, u"notepad.exe"), Activation::noWindow);

    // Only windows with empty rectangles still count as seen: 1. A process of the
    // same name without any window is passed over for the next one.
    desktop.windows[5] = {.process = 7, .rect = {}};
    EXPECT_EQ(activateApplicationWindow(desktop, u"notepad.exe"), Activation::noWindow);
    desktop.processes = {3, 7};
    desktop.modules[3] = u"notepad.exe";
    desktop.windows[5] = {.process = 7};
    desktop.foreground.clear();
    EXPECT_EQ(activateApplicationWindow(desktop, u"notepad.exe"), Activation::broughtFront);
    EXPECT_EQ(desktop.foreground, std::vector<uintptr_t>{5});
}
