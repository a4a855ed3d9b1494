#pragma once

#include "base/String.h"

#include <cstdint>

// What the recorder needs of its dialog. The window layer answers with the
// controls of IDD_SOLUTION_CAPTURE (recording/win/SolutionCapture); tests record the calls.
class RecorderView {
  public:
    virtual ~RecorderView() = default;

    // The ticket's question (IDC_CAPTURE_QUESTION).
    virtual void setQuestion(const String& text) = 0;
    // The "Debug" button (IDC_CAPTURE_DEBUG).
    virtual void showDebugButton(bool show) = 0;
    // The list of recorded actions (IDC_CAPTURE_LIST): append a line, select a line
    // (-1 removes the selection), empty it.
    virtual void addLine(const String& text) = 0;
    virtual void selectLine(int index) = 0;
    virtual void resetList() = 0;
    // The label of the element under the cursor (IDC_CAPTURE_HOVERED).
    virtual void setHoveredLabel(const String& text) = 0;
    // The record button (IDC_CAPTURE_RECORD) and "Speichern" (IDC_CAPTURE_SAVE).
    virtual void setRecordButtonText(const String& text) = 0;
    virtual void enableSave(bool enable) = 0;
    // The dialog's timers; starting a running timer restarts it.
    virtual void startTimer(int id, int periodMs) = 0;
    virtual void stopTimer(int id) = 0;
    // A message box owned by the dialog with an OK button; returns when closed.
    virtual void showMessage(const String& text, const String& caption) = 0;
    // The debug window over the recorder's inspected trace and element: open it
    // (or bring it to the front), and refresh its text if it is open.
    virtual void openDebugWindow() = 0;
    virtual void refreshDebugWindow() = 0;
    // Ends the dialog with that result.
    virtual void endDialog(int result) = 0;
    // The dialog's window as a number; clicks inside it are not recorded.
    virtual uintptr_t dialogWindow() = 0;
    // Shows the main window again once the recorder has closed.
    virtual void showMainWindow() = 0;
};
