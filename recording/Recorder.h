#pragma once

#include "service/SoftwareCatalogue.h"
#include "automation/AutomationClient.h"
#include "automation/ElementTrace.h"
#include "base/String.h"
#include "automation/Capture.h"
#include "automation/Desktop.h"
#include "service/CaptureTransfer.h"
#include "recording/RecorderView.h"
#include "service/TicketList.h"

#include <vector>

// One recorded action and the line the list shows for it.
struct RecordedEntry {
    CaptureAction action;
    String text;
};

// The decisions of the recorder (IDD_SOLUTION_CAPTURE, "Lösung aufnehmen"): while
// recording, every click, typed text and Return noted by ClickMonitor and
// KeyMonitor becomes an entry on the element that was under the cursor; after
// stopping, the selected entry's element is searched and marked every second;
// "Speichern" uploads the entries as the ticket's capture. The dialog hands
// its messages to the operations below and answers the view calls.
class Recorder {
  public:
    // `client` is read at every use (it may be created after the recorder).
    Recorder(RecorderView& view, Desktop& desktop, CaptureTransfer& captures,
             AutomationClient* const& client, const TicketList& tickets,
             const SoftwareCatalogue& software);
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // The dialog opened for that ticket: question shown, Debug button hidden,
    // not recording, nothing recorded yet.
    void open(int ticketId);

    // The record button (IDC_CAPTURE_RECORD): starts or stops recording.
    void toggleRecording();
    void startRecording();
    void stopRecording();

    // Appends an entry and its line and selects it; none (null) for an empty
    // text, and for a text already listed when duplicates are not allowed. The
    // pointer is valid until the next entry is added.
    const RecordedEntry* addEntry(const String& text, const CaptureAction& action,
                                  bool allowDuplicates);

    // recordTimer (10 ms while recording): turns a pending click or Return into
    // entries, with the text typed before it.
    void recordStep();
    // hoverTimer (100 ms while recording): follows the element under the cursor.
    void hoverStep();
    // verifyTimer (1000 ms, only while not recording) and after a list selection:
    // searches the selected entry's element and marks it.
    void verifySelected();
    // A WM_TIMER of the dialog.
    void onTimer(int id);

    // The list's selection changed to that line (-1: none); a double click.
    void onListSelection(int index);
    void onListDoubleClick();

    // "Speichern": uploads the entries in list order; closes on success, stays
    // open with every entry after a failure.
    void save();
    // "Debug".
    void openDebug();

    // Stops everything, releases the overlay and the live elements, ends the
    // dialog and shows the main window.
    void close(int result);

    bool isRecording() const { return recording; }
    int ticket() const { return ticketId; }
    const std::vector<RecordedEntry>& entries() const { return recorded; }
    // The selected entry's index; -1 for none.
    int selectedIndex() const { return selected; }
    const ElementTrace& pendingTrace() const { return pending; }
    const AutomationElementPtr& hoveredElement() const { return hovered; }
    // What verifySelected searched last and what it found (the debug window's).
    const ElementTrace& inspectedTrace() const { return inspected; }
    const AutomationElementPtr& inspectedElement() const { return inspectedFound; }

    // The text of the record button (IDC_CAPTURE_RECORD).
    String recordButtonText() const;

    static constexpr int recordTimer = 2;
    static constexpr int recordPeriodMs = 10;
    static constexpr int hoverTimer = 3;
    static constexpr int hoverPeriodMs = 100;
    static constexpr int verifyTimer = 6;
    static constexpr int verifyPeriodMs = 1000;

  private:
    // What stopping does, also when closing.
    void stopWork();
    void addTextInput(const String& typed);
    // The module name of the ticket's lowest software id; empty when the ticket
    // or its software is not known.
    String applicationModule() const;

    RecorderView& view;
    Desktop& desktop;
    CaptureTransfer& captures;
    AutomationClient* const& client;
    const TicketList& tickets;
    const SoftwareCatalogue& software;

    int ticketId = 0;
    bool recording = false;
    AutomationElementPtr hovered;
    String hoveredId; // hovered's runtime id, asked once per element
    ElementTrace pending;
    std::vector<RecordedEntry> recorded;
    int selected = -1;
    ElementTrace inspected;
    AutomationElementPtr inspectedFound;
};
