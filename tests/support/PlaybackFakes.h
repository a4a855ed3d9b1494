#pragma once

#include "playback/NavigatorView.h"
#include "tests/support/FakeCaptureTransfer.h"
#include "tests/support/FakeDesktop.h"

#include <vector>

// The navigator window of the native tests and the benchmarks; with FakeDesktop
// and FakeCaptureTransfer a playback runs without a system.

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
    std::vector<String> debugLines;

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
    void debugLine(const String& text) override { debugLines.push_back(text); }
    void showMainWindow() override { ++mainShown; }
    void showError(const String& text) override { errors.push_back(text); }
    void openFeedback(const Ticket& ticket, const AutomationElementPtr& element) override {
        feedbacks.push_back({ticket.id, element});
    }
};
