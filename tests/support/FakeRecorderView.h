#pragma once

#include "base/String.h"
#include "recording/RecorderView.h"

#include <map>
#include <vector>

// The recorder's dialog as the tests see it: the list's lines and selection,
// the button texts, the running timers and every message box.
class FakeRecorderView : public RecorderView {
  public:
    std::vector<String> lines;
    int selectedLine = -1;
    String hoveredLabel;
    String recordButtonText;
    bool saveEnabled = false;
    std::map<int, int> timers;    // running timers: id -> period
    std::vector<String> messages; // "caption: text"
    int debugRefreshed = 0;
    int endedWith = -1; // the result of endDialog; -1 while open
    uintptr_t window = 0x1000;
    int mainWindowShown = 0;

    void setQuestion(const String&) override {}
    void showDebugButton(bool) override {}
    void addLine(const String& text) override { lines.push_back(text); }
    void selectLine(int index) override { selectedLine = index; }
    void resetList() override {
        lines.clear();
        selectedLine = -1;
    }
    void setHoveredLabel(const String& text) override { hoveredLabel = text; }
    void setRecordButtonText(const String& text) override { recordButtonText = text; }
    void enableSave(bool enable) override { saveEnabled = enable; }
    void startTimer(int id, int periodMs) override { timers[id] = periodMs; }
    void stopTimer(int id) override { timers.erase(id); }
    void showMessage(const String& text, const String& caption) override {
        messages.push_back(caption + u": " + text);
    }
    void openDebugWindow() override {}
    void refreshDebugWindow() override { ++debugRefreshed; }
    void endDialog(int result) override { endedWith = result; }
    uintptr_t dialogWindow() override { return window; }
    void showMainWindow() override { ++mainWindowShown; }
};
