#pragma once

#include "automation/AutomationClient.h"
#include "dialogs/Announcement.h"
#include "dialogs/win/LiveRegion.h"
#include "dialogs/win/Template.h"
#include "playback/NavigatorView.h"
#include "playback/SolutionPlayback.h"
#include "playback/win/Feedback.h"
#include "automation/win/DesktopApi.h"
#include "recording/win/Debug.h"
#include "resources/resource.h"
#include "service/Ticket.h"

#include <functional>

// IDD_SOLUTION_NAVIGATOR "Solution navigator": the small top-most window that tells the
// user, step by step, what to do in the framed place while a ticket's solution
// plays (SolutionPlayback decides; this class is its window). Modeless,
// without owner; tickTimer (10 ms) ticks the playback, applicationTimer (1000 ms) repeats
// the application check.
class SolutionNavigator : public Template, private NavigatorView {
  public:
    // `client` is the program's automation client pointer, read at every use;
    // `showMainWindow` brings the main window back when a playback ends.
    SolutionNavigator(AutomationClient*& client, std::function<void()> showMainWindow);
    // An open playback ends without showing the main window.
    ~SolutionNavigator() override;

    // Plays the ticket's solution (a copy of the ticket is kept); a running
    // playback gives way to it in the same window.
    void start(const Ticket& ticket);
    // Ends the playback: hooks, frame and window go, the main window comes back.
    void close(INT_PTR result) override;
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    const SolutionPlayback& playback() const { return model; }

    static constexpr UINT_PTR tickTimer = 2;
    static constexpr UINT_PTR applicationTimer = 6;
    // The instruction's font: 12 points, in pixels of the window's monitor.
    static constexpr int instructionFontPoints = 12;

    Feedback feedback;
    Debug debug;

  private:
    void initialize(HWND dialog);
    void applyInstructionFont(HWND dialog);

    // NavigatorView
    bool windowExists() override;
    bool createWindow() override;
    void bringToFront() override;
    void destroyWindow() override;
    void stopTick() override;
    void armApplicationTimer() override;
    void stopApplicationTimer() override;
    void setInstruction(const String& text) override;
    void refreshDebug(const ElementTrace* trace, const AutomationElementPtr* element) override;
    void debugLine(const String& text) override;
    void showMainWindow() override;
    void showError(const String& text) override;
    void openFeedback(const Ticket& ticket, const AutomationElementPtr& element) override;

    AutomationClient*& automation;
    std::function<void()> mainWindow;
    DesktopApi desktop;
    ServiceCaptureTransfer captures;
    SolutionPlayback model;
    HFONT instructionFont = nullptr;
    // The instruction is read out for each step: the navigator works beside
    // the guided program and never has the focus.
    LiveRegion instructionRegion{IDC_NAVIGATOR_INSTRUCTION, LiveRegion::assertive,
                                 L"Lotse.Navigator.Instruction"};
    Announcement instruction{instructionRegion};
};
