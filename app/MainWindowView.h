#pragma once

#include "base/String.h"

#include <cstdint>

struct LocaleEntry;
struct SoftwareEntry;

// What the main window's decisions need of the main window's dialog (IDD_MAIN). The window layer
// answers with the messages of its controls; tests keep the state in memory. The lists of the
// software and question boxes are filled by their completers through their own ComboBoxView.
class MainWindowView {
  public:
    virtual ~MainWindowView() = default;

    // The software box (1033): the record listed at a position of its sorted list
    // (null when there is none), its text (at most 512 characters) and setting it.
    virtual const SoftwareEntry* softwareAt(int position) = 0;
    virtual String softwareText() = 0;
    virtual void setSoftwareText(const String& text) = 0;
    // Selects the first item that begins with `text` (without regard to case),
    // searching from the second item on and wrapping around to the first, as
    // CB_SELECTSTRING with start index 0 does. Its position, or -1 with the
    // selection unchanged.
    virtual int selectSoftwareStartingWith(const String& text) = 0;

    // The language box (IDC_MAIN_LANGUAGE): emptied, given an item with its record, and the
    // item of a record selected.
    virtual void clearLanguages() = 0;
    virtual void addLanguage(const String& description, const LocaleEntry* entry) = 0;
    virtual void selectLanguage(const LocaleEntry* entry) = 0;

    // The text of the question box (IDC_MAIN_QUESTION), at most 4096 characters.
    virtual String questionText() = 0;

    // "Neues Ticket anlegen" (IDC_MAIN_CREATE_TICKET) and "Lösung zeigen"
    // (IDC_MAIN_SHOW_SOLUTION).
    virtual void enableCreateTicket(bool enable) = 0;
    virtual void enableShowSolution(bool enable) = 0;
    // The caption of the question group (IDC_MAIN_QUESTION_GROUP), the number of tickets waiting
    // for help (IDC_MAIN_TICKET_COUNT) and the text of the pick button (IDC_MAIN_PICK).
    virtual void setQuestionCue(const String& text) = 0;
    virtual void setTicketCount(const String& text) = 0;
    virtual void setPickButtonText(const String& text) = 0;

    // The window's timers: started (or restarted) with a period, and stopped.
    virtual void startTimer(int id, int milliseconds) = 0;
    virtual void stopTimer(int id) = 0;
    // Shows the window and brings it to the front.
    virtual void show() = 0;
    // The window's handle as a number; its own elements are never picked.
    virtual uintptr_t windowHandle() = 0;
};
