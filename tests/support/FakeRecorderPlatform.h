#pragma once

#include "input/InputMonitors.h"
#include "recording/RecorderPlatform.h"

#include <vector>

// The desktop of the recorder's tests: a scripted cursor over an automation
// client (the in-memory tree), an overlay that remembers what it marks, hooks
// that empty KeyMonitor as the real ones do, and a scripted service reply.
class FakeRecorderPlatform : public RecorderPlatform {
  public:
    explicit FakeRecorderPlatform(AutomationClient* client) : client(client) {}

    AutomationClient* client;
    int cursorX = 0;
    int cursorY = 0;
    uintptr_t window = 0x1000;

    AutomationElementPtr marked; // what the overlay marks; null for no mark
    int overlayShutdowns = 0;
    bool hooksInstalled = false;
    std::vector<String> activated;
    int mainWindowShown = 0;

    // The service: "OK" stores the capture, anything else is the error text.
    String uploadReply = u"OK";
    std::vector<Capture> uploads;
    std::vector<int> uploadTickets;

    AutomationElementPtr elementUnderCursor() override {
        return client ? client->elementAtPoint(cursorX, cursorY) : nullptr;
    }
    bool cursorPosition(int& x, int& y) override {
        x = cursorX;
        y = cursorY;
        return true;
    }
    bool showOverlay(const AutomationElementPtr& element) override {
        marked = element;
        return element && client &&
               !client->boundingRect(element).value_or(ElementRect()).isEmpty();
    }
    void shutdownOverlay() override {
        ++overlayShutdowns;
        marked.reset();
    }
    void installInputHooks() override {
        KeyMonitor::instance().reset();
        hooksInstalled = true;
    }
    void removeInputHooks() override {
        KeyMonitor::instance().reset();
        hooksInstalled = false;
    }
    void activateApplication(const String& moduleName) override { activated.push_back(moduleName); }
    uintptr_t dialogWindow() override { return window; }
    bool uploadCapture(int ticketId, const Capture& capture, String& errorText) override {
        uploadTickets.push_back(ticketId);
        uploads.push_back(capture);
        if (uploadReply == String(u"OK"))
            return true;
        errorText = uploadReply;
        return false;
    }
    void showMainWindow() override { ++mainWindowShown; }
};
