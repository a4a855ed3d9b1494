#pragma once

#include "automation/ApplicationActivation.h"
#include "automation/Desktop.h"
#include "automation/Overlay.h"
#include "input/InputMonitors.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// An overlay window that is only a flag.
struct QuietOverlayView : OverlayView {
    bool exists = false;
    std::vector<ElementRect> monitors() override { return {{0, 0, 1280, 1024}}; }
    std::optional<ElementRect> ownerMonitor() override { return ElementRect{0, 0, 1280, 1024}; }
    bool windowExists() override { return exists; }
    bool createWindow(const ElementRect&) override { return exists = true; }
    void moveWindow(const ElementRect&) override {}
    void destroyWindow() override { exists = false; }
    void showWindow(bool) override {}
    void raiseWindow() override {}
    void repaint() override {}
    void setFrameImage(const FrameImage*) override {}
    void blendFrame(int, int) override {}
};

// The desktop of the pick's, the recorder's and the navigator's tests: a
// scripted cursor over the automation client (or a given element under it), a
// real Overlay over a window that only exists, hooks shared by their users as
// the real ones are (taking or leaving the keyboard starts KeyMonitor afresh),
// scripted programs and a clock the test moves.
struct FakeDesktop : Desktop {
    explicit FakeDesktop(KeyMonitor& keys = KeyMonitor::instance()) : keys(keys) {}

    KeyMonitor& keys;
    AutomationElementPtr underCursor; // when null: the client's element at the cursor
    int cursorX = 0, cursorY = 0;
    bool held = false; // a mouse button or Return is down

    QuietOverlayView overlayView;
    Overlay overlay{overlayView};
    // The last mark asked for (null for none), not held: like the real overlay,
    // the mark keeps no element alive.
    std::weak_ptr<AutomationElement> lastMark;
    int marksAsked = 0; // marks and removals of the mark
    int overlayRemovals = 0;

    std::map<const void*, bool> hookUsers; // user -> with the keyboard hook
    int hookInstalls = 0, doubleInstalls = 0;

    int activation = Activation::notRunning;
    std::vector<String> checkedModules;
    std::vector<uint32_t> processes{4, 8, 120};
    int processLists = 0;
    uint64_t clock = 0;

    // Hears "hook", "unhook", "frame" and "hide", for tests of the order of work.
    std::function<void(const std::string&)> onCall;

    AutomationElementPtr marked() const { return lastMark.lock(); }
    bool hooksInstalled() const { return !hookUsers.empty(); }

    AutomationElementPtr elementUnderCursor(AutomationClient* client) override {
        if (underCursor)
            return underCursor;
        return client ? client->elementAtPoint(cursorX, cursorY) : nullptr;
    }
    bool cursorPosition(int& x, int& y) override {
        x = cursorX, y = cursorY;
        return true;
    }
    bool inputHeld() override { return held; }
    bool showOverlay(AutomationClient* client, const AutomationElementPtr& element) override {
        lastMark = element;
        ++marksAsked;
        note(element ? "frame" : "hide");
        return overlay.show(client, element);
    }
    ElementRect overlayRect() override { return overlay.rect(); }
    void removeOverlayWindow() override {
        ++overlayRemovals;
        lastMark.reset();
        overlay.removeWindow();
    }
    void installInputHooks(const void* user, bool keyboard) override {
        const auto known = hookUsers.find(user);
        if (known != hookUsers.end())
            ++doubleInstalls;
        if (keyboard || (known != hookUsers.end() && known->second))
            keys.reset();
        hookUsers[user] = keyboard;
        ++hookInstalls;
        note("hook");
    }
    void removeInputHooks(const void* user) override {
        const auto known = hookUsers.find(user);
        if (known != hookUsers.end() && known->second)
            keys.reset();
        if (known != hookUsers.end())
            hookUsers.erase(known);
        note("unhook");
    }
    int activateApplication(const String& moduleName) override {
        checkedModules.push_back(moduleName);
        return activation;
    }
    std::vector<uint32_t> processIds() override {
        ++processLists;
        return processes;
    }
    uint64_t now() override { return clock; }

  private:
    void note(const std::string& call) {
        if (onCall)
            onCall(call);
    }
};
