#pragma once

#include "automation/ApplicationActivation.h"
#include "automation/Overlay.h"
#include "playback/NavigatorView.h"
#include "playback/PlaybackPlatform.h"
#include "input/InputMonitors.h"

#include <vector>

// Fakes of the navigator window and of the playback's platform for the native
// tests and the benchmarks. The platform keeps a simulated clock that sleeping
// advances, a real Overlay over a window that only exists, and hooks that
// complain when installed twice.

struct FakeNavigatorView : NavigatorView {
    bool exists = false;
    int creates = 0, destroys = 0, mainShown = 0;
    bool timerArmed = false;
    String instruction;
    std::vector<String> errors;
    struct FeedbackCall {
        int ticketId;
        AutomationElementPtr element;
    };
    std::vector<FeedbackCall> feedbacks;
    const ElementTrace* debugTrace = nullptr;

    bool windowExists() override { return exists; }
    bool createWindow() override {
        ++creates;
        exists = true;
        return true;
    }
    void bringToFront() override {}
    void destroyWindow() override {
        if (exists)
            ++destroys;
        exists = false;
        timerArmed = false;
    }
    void stopTick() override {}
    void armApplicationTimer() override { timerArmed = true; }
    void stopApplicationTimer() override { timerArmed = false; }
    void setInstruction(const String& text) override { instruction = text; }
    void refreshDebug(const ElementTrace* trace, const AutomationElementPtr*) override {
        debugTrace = trace;
    }
    void showMainWindow() override { ++mainShown; }
    void showError(const String& text) override { errors.push_back(text); }
    void openFeedback(const Ticket& ticket, const AutomationElementPtr& element) override {
        feedbacks.push_back({ticket.id, element});
    }
};

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

struct FakePlaybackPlatform : PlaybackPlatform {
    explicit FakePlaybackPlatform(KeyMonitor& keys) : keys(keys) {}

    KeyMonitor& keys;
    Capture capture; // what the service sends for any ticket with a capture id
    int activation = Activation::notRunning;
    std::vector<String> checkedModules;
    std::vector<uint32_t> processes{4, 8, 120};
    int processLists = 0;
    uint64_t clock = 0;
    QuietOverlayView overlayView;
    Overlay overlay{overlayView};
    int overlayRemovals = 0;
    bool hooksInstalled = false;
    int hookInstalls = 0, doubleInstalls = 0;
    int cursorX = 0, cursorY = 0;
    bool held = false; // a mouse button or Return is down
    std::vector<String> debugLines;

    void downloadCapture(Ticket& ticket) override {
        if (ticket.id_capture != 0 && ticket.capture.actions.empty())
            ticket.capture = capture;
    }
    int activateApplication(const String& moduleName) override {
        checkedModules.push_back(moduleName);
        return activation;
    }
    std::vector<uint32_t> processIds() override {
        ++processLists;
        return processes;
    }
    bool showOverlay(AutomationClient* client, const AutomationElementPtr& element) override {
        return overlay.show(client, element);
    }
    ElementRect overlayRect() override { return overlay.rect(); }
    void removeOverlayWindow() override {
        ++overlayRemovals;
        overlay.removeWindow();
    }
    void installInputHooks() override {
        if (hooksInstalled)
            ++doubleInstalls;
        hooksInstalled = true;
        ++hookInstalls;
        keys.reset();
    }
    void removeInputHooks() override {
        hooksInstalled = false;
        keys.reset();
    }
    void cursorPosition(int& x, int& y) override { x = cursorX, y = cursorY; }
    bool inputHeld() override { return held; }
    uint64_t now() override { return clock; }
    void debugLine(const String& text) override { debugLines.push_back(text); }
};
