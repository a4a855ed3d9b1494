#pragma once

#include "service/SoftwareCatalogue.h"
#include "automation/AutomationClient.h"
#include "dialogs/Announcement.h"
#include "dialogs/win/LiveRegion.h"
#include "dialogs/win/Template.h"
#include "recording/Recorder.h"
#include "automation/win/DesktopApi.h"
#include "recording/RecorderView.h"
#include "recording/win/Debug.h"
#include "resources/resource.h"
#include "service/TicketList.h"

#include <functional>

// The recorder, IDD_SOLUTION_CAPTURE "Lösung aufnehmen": a top-most tool window over the
// program being recorded. The decisions live in Recorder; this class hands it
// the dialog's messages and answers its view calls with the controls.
class SolutionCapture : public Template, private RecorderView {
  public:
    // `client` is the program's automation client, read at every use.
    explicit SolutionCapture(AutomationClient*& client,
                             const TicketList& tickets = TicketList::instance(),
                             const SoftwareCatalogue& software = SoftwareCatalogue::instance());
    ~SolutionCapture() override = default;

    // Opens the dialog modally, without owner, for the ticket to solve;
    // `showMainWindow` runs when it closes. Returns the result of close (0), or
    // -1 when the dialog could not be made. A dialog already open is brought to
    // the front (result 0).
    INT_PTR open(int ticketId, std::function<void()> showMainWindow);

    // Stops recording, releases the overlay, ends the dialog and shows the
    // main window.
    void close(INT_PTR result) override;
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    const Recorder& model() const { return recorder; }
    Debug& debugWindow() { return debug; }

  private:
    // RecorderView
    void setQuestion(const String& text) override;
    void showDebugButton(bool show) override;
    void addLine(const String& text) override;
    void selectLine(int index) override;
    void resetList() override;
    void setHoveredLabel(const String& text) override;
    void setRecordButtonText(const String& text) override;
    void enableSave(bool enable) override;
    void startTimer(int id, int periodMs) override;
    void stopTimer(int id) override;
    void showMessage(const String& text, const String& caption) override;
    void openDebugWindow() override;
    void refreshDebugWindow() override;
    void endDialog(int result) override;
    uintptr_t dialogWindow() override;
    void showMainWindow() override;

    HWND item(int id) const { return GetDlgItem(window, id); }

    AutomationClient*& client;
    DesktopApi desktop;
    ServiceCaptureTransfer captures;
    Recorder recorder;
    Debug debug;
    int ticketId = 0;
    // The element under the pointer is read out while the user records in
    // another program; politely, as it changes with every move.
    LiveRegion hoveredRegion{IDC_CAPTURE_HOVERED, LiveRegion::polite, L"Lotse.Recorder.Element"};
    Announcement hovered{hoveredRegion};
    std::function<void()> mainWindowShower;
};
