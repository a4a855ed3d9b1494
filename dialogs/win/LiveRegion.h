#pragma once

#include "dialogs/AnnouncementView.h"

#include <windows.h>

struct IAccPropServices;

// A dialog's text control made a live region for screen readers, for windows
// that speak while another program has the focus (screen readers drop the
// UI Automation notifications of programs not in front, but read live
// regions). attach() gives the control its live setting through
// IAccPropServices; announce() names the control with the text, raises
// EVENT_OBJECT_LIVEREGIONCHANGED for it and, where the system has
// UiaRaiseNotificationEvent (Windows 10 1709 and later), a UI Automation
// notification from the dialog. A piece the system lacks is skipped.
class LiveRegion : public AnnouncementView {
  public:
    // The live settings of UI Automation.
    enum Politeness { polite = 1, assertive = 2 };

    LiveRegion(int controlId, Politeness politeness, const wchar_t* activityId)
        : controlId(controlId), politeness(politeness), activityId(activityId) {}
    ~LiveRegion() override { detach(); }
    LiveRegion(const LiveRegion&) = delete;
    LiveRegion& operator=(const LiveRegion&) = delete;

    // On WM_INITDIALOG: the dialog's control becomes the live region.
    void attach(HWND dialog);
    // On WM_DESTROY: the control's annotations go with it.
    void detach();

    void showText(const String& text) override;
    void announce(const String& text) override;

  private:
    int controlId;
    Politeness politeness;
    const wchar_t* activityId;
    HWND dialog = nullptr;
    HWND control = nullptr;
    IAccPropServices* annotations = nullptr;
};
