#pragma once

#include "playback/PlaybackPlatform.h"

// The playback's platform on Windows: the service, the desktop's processes and
// windows, the program's one OverlayWindow, the low-level input hooks, the
// cursor, the tick count and the debugger output.
class PlaybackPlatformApi : public PlaybackPlatform {
  public:
    void downloadCapture(Ticket& ticket) override;
    int activateApplication(const String& moduleName) override;
    std::vector<uint32_t> processIds() override;
    bool showOverlay(AutomationClient* client, const AutomationElementPtr& element) override;
    ElementRect overlayRect() override;
    void removeOverlayWindow() override;
    void installInputHooks() override;
    void removeInputHooks() override;
    void cursorPosition(int& x, int& y) override;
    bool inputHeld() override;
    uint64_t now() override;
    void debugLine(const String& text) override;
};
